#!/bin/sh
# Registers the synthesizer module for the converter: writes the player's
# LocalServer32 default value in the registry stand-in so that it names a
# file in the folder holding QNStaff.so. Safe to run again.
#
#   scripts/register-module.sh <folder-holding-QNStaff.so> [--system]
#
# Per user: $XDG_CONFIG_HOME/registry/... (default ~/.config/registry/...).
# With --system: /etc/registry/... (needs the rights to write there).
set -eu

usage() {
  echo "usage: $0 <folder-holding-QNStaff.so> [--system]" >&2
  exit 2
}

folder=""
scope=user
for arg in "$@"; do
  case "$arg" in
    --system) scope=system ;;
    -*) usage ;;
    *) [ -z "$folder" ] || usage; folder=$arg ;;
  esac
done
[ -n "$folder" ] || usage
[ -d "$folder" ] || { echo "$0: no such folder: $folder" >&2; exit 1; }
folder=$(cd "$folder" && pwd -P)
[ -f "$folder/QNStaff.so" ] || echo "$0: warning: $folder holds no QNStaff.so (yet)" >&2

if [ "$scope" = system ]; then
  root=/etc/registry
else
  case "${XDG_CONFIG_HOME:-}" in
    /*) root=$XDG_CONFIG_HOME/registry ;;
    *) root=$HOME/.config/registry ;;
  esac
fi
key="$root/HKEY_CLASSES_ROOT/CLSID/{4A7C2E19-5B3D-4F60-9C1E-2D8B7A6F3E05}/LocalServer32"

# The converter keeps the value up to its last "/" and reads at most 127 bytes.
value="$folder/player"
if [ "$(printf '%s' "$value" | wc -c)" -gt 127 ]; then
  echo "$0: the folder path is too long for the registry value (127 bytes at most): $value" >&2
  exit 1
fi

mkdir -p "$key"
tmp="$key/@.tmp.$$"
printf '%s' "$value" > "$tmp"
mv -f "$tmp" "$key/@"
echo "Registered $folder/QNStaff.so in $key/@"
