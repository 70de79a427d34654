#!/bin/sh
# Registers the synthesizer module for the converter: writes the player's
# LocalServer32 default value in the registry stand-in so that it names a
# file in the folder holding QNStaff.so. Safe to run again.
#
#   register-module.sh <folder-holding-QNStaff.so> [--system] [--print-file]
#   register-module.sh --unregister <folder-holding-QNStaff.so> [--system]
#
# Per user: $XDG_CONFIG_HOME/registry/... (default ~/.config/registry/...).
# With --system: /etc/registry/... (needs the rights to write there); below
# $DPKG_ROOT when the package manager sets it.
# --print-file: the registration file's path is the only line on standard output.
# --unregister: removes the registration if it names that folder, and the
# key folders it leaves empty; a registration of another folder stays.
set -eu

usage() {
  echo "usage: $0 [--unregister] <folder-holding-QNStaff.so> [--system] [--print-file]" >&2
  exit 2
}

folder=""
scope=user
action=register
print_file=no
for arg in "$@"; do
  case "$arg" in
    --system) scope=system ;;
    --unregister) action=unregister ;;
    --print-file) print_file=yes ;;
    -*) usage ;;
    *) [ -z "$folder" ] || usage; folder=$arg ;;
  esac
done
[ -n "$folder" ] || usage

if [ "$scope" = system ]; then
  # The package manager installs below $DPKG_ROOT; the value names the
  # folder as the target system sees it.
  root=${DPKG_ROOT:-}
  registry=$root/etc/registry
else
  root=""
  case "${XDG_CONFIG_HOME:-}" in
    /*) registry=$XDG_CONFIG_HOME/registry ;;
    *) registry=$HOME/.config/registry ;;
  esac
fi
classes=$registry/HKEY_CLASSES_ROOT
key="$classes/CLSID/{4A7C2E19-5B3D-4F60-9C1E-2D8B7A6F3E05}/LocalServer32"

[ -d "$root$folder" ] || { echo "$0: no such folder: $root$folder" >&2; exit 1; }
if [ -z "$root" ]; then
  folder=$(cd "$folder" && pwd -P)
fi
value="$folder/player"

if [ "$action" = unregister ]; then
  if [ -f "$key/@" ] && [ "$(cat "$key/@")" = "$value" ]; then
    rm -f "$key/@"
    # Remove the key folders left empty, up to the registry's own folder.
    dir=$key
    while [ "$dir" != "$registry" ] && rmdir "$dir" 2>/dev/null; do
      dir=$(dirname "$dir")
    done
    [ "$dir" != "$registry" ] || rmdir "$registry" 2>/dev/null || true
    echo "Unregistered $folder/QNStaff.so from $key/@" >&2
  else
    echo "$folder/QNStaff.so was not registered in $key/@; nothing to remove" >&2
  fi
  exit 0
fi

[ -f "$root$folder/QNStaff.so" ] || echo "$0: warning: $folder holds no QNStaff.so (yet)" >&2

# The converter keeps the value up to its last "/" and reads at most 127 bytes.
if [ "$(printf '%s' "$value" | wc -c)" -gt 127 ]; then
  echo "$0: the folder path is too long for the registry value (127 bytes at most): $value" >&2
  exit 1
fi

mkdir -p "$key"
tmp="$key/@.tmp.$$"
printf '%s' "$value" > "$tmp"
mv -f "$tmp" "$key/@"
if [ "$print_file" = yes ]; then
  echo "$key/@"
else
  echo "Registered $folder/QNStaff.so in $key/@"
fi
