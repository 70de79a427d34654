#!/usr/bin/env bash
# Runs a GTK test program under a virtual X server at 96 dpi; a GTK critical
# warning ends it as a failure. Exits 77 (CTest's "skipped") when no X server
# can be started, saying so.
set -u
if command -v xvfb-run >/dev/null 2>&1 && xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" true >/dev/null 2>&1; then
  exec env GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1 G_DEBUG=fatal-criticals \
    xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" "$@"
fi
echo "$(basename "$1"): skipped: no X server could be started (install xvfb and xauth)"
exit 77
