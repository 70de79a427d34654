#!/usr/bin/env bash
# The window as a screen reader sees it: under a virtual X server and a
# private session bus (with the accessibility bus of at-spi2-core), an
# AT-SPI client reads every control's name, role and state and works the
# bass switch and PLAY/STOP through their "click" action (read_controls.py);
# then the Practice dialog (Ctrl+P) and the sound settings (Ctrl+,) are
# opened and their controls read (read_dialog.py).
# Usage: window_atspi.sh <ombrix> <test module folder>
# Exits 77 (skipped) when no X server, session bus or AT-SPI client is at hand.
set -uo pipefail

program=$1 module_dir=$2
here=$(cd "$(dirname "$0")" && pwd)
skip=77

if [ -z "${OMBRIX_ATSPI_INNER:-}" ]; then
    for tool in xvfb-run xdotool dbus-run-session /usr/libexec/at-spi-bus-launcher; do
        [ -x "$(command -v "$tool")" ] || { echo "SKIPPED: $tool is not installed"; exit $skip; }
    done
    /usr/bin/python3 -c 'import pyatspi' 2>/dev/null || { echo "SKIPPED: python3-pyatspi is not installed"; exit $skip; }
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    OMBRIX_ATSPI_INNER=1 OMBRIX_ATSPI_WORK=$work GSETTINGS_BACKEND=memory \
        xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" dbus-run-session -- "$0" "$@" 2>"$work/bus.txt"
    status=$?
    if [ ! -e "$work/started" ]; then
        echo "SKIPPED: no X server or session bus could be started (status $status)"
        cat "$work/bus.txt"
        exit $skip
    fi
    exit $status
fi

work=$OMBRIX_ATSPI_WORK
touch "$work/started"
unset NO_AT_BRIDGE
# Names and states are read in English.
export LANGUAGE= LC_ALL=C.UTF-8
export XDG_CONFIG_HOME=$work/config HOME=$work/home
key="$XDG_CONFIG_HOME/registry/HKEY_CLASSES_ROOT/CLSID/{4A7C2E19-5B3D-4F60-9C1E-2D8B7A6F3E05}/LocalServer32"
mkdir -p "$key" "$HOME" "$work/songs"
printf '%s' "$module_dir/player" >"$key/@"

# One quarter note on channels 1, 2 (program 33, a bass) and 3.
track='\x00\xc1\x21\x00\x90\x3c\x64\x00\x91\x24\x64\x00\x92\x40\x64'
track+='\x83\x60\x80\x3c\x00\x00\x81\x24\x00\x00\x82\x40\x00\x00\xff\x2f\x00'
length=$(printf "$track" | wc -c)
printf "MThd\x00\x00\x00\x06\x00\x00\x00\x01\x01\xe0MTrk\x00\x00\x00\\x$(printf %02x "$length")$track" >"$work/songs/song.mid"

# PLAY plays into a file, in real time.
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/played.raw" \
    "$program" "$work/songs/song.mid" >"$work/out.txt" 2>"$work/err.txt" &
pid=$!
/usr/bin/python3 "$here/read_controls.py" "Ombrix Converter [song.mid]"
status=$?
# Opens a dialog from the main window with the keys $2 and reads it.
read_dialog() {  # title keys role|name...
    local title=$1 keys=$2 window
    shift 2
    window=$(xdotool search --name '^Ombrix Converter \[song.mid\]$' 2>/dev/null | head -1)
    [ -n "$window" ] || { echo "FAIL: no main window for the $title dialog"; return 1; }
    xdotool windowfocus --sync "$window" key "$keys" 2>/dev/null
    /usr/bin/python3 "$here/read_dialog.py" "$title" "$@"
}
read_dialog Practice ctrl+p "check box|Only measures" "spin button|First measure" "spin button|Last measure" \
    "check box|Repeat the section" "spin button|Passes" "text|Each pass faster by (points)" \
    "text|or last pass's tempo (%)" "check box|Pre-count" "combo box|Count-in length" \
    "check box|Drop the empty measures before the song" "check box|Click on every beat" "text|Click level (dB)" \
    "text|Melody" "text|Guitar" "text|Bass" "text|Drums" "text|Other levels" "check box|Stems: one more file for each channel" \
    "push button|OK" || status=1
read_dialog Sound ctrl+comma "combo box|SoundFont" "push button|Other file..." "combo box|Reverb" "combo box|Chorus" \
    "push button|OK" || status=1
kill $pid 2>/dev/null
wait $pid 2>/dev/null
[ "$status" -eq 0 ] && echo "PASSED" || { cat "$work/err.txt"; exit 1; }
