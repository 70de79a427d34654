#!/bin/sh
# Per-file cost against folder size: converts folders of 500 and 5,000 small
# songs (one note each) with the option command line (--jobs 1) and the
# folder command line (-f), and prints the CPU time (user + system, the
# program and its workers) of each run and the ratio 5,000 / 500, which stays
# near 10 when the cost of a file does not depend on how many there are.
# Also checks that a song converts to the same bytes in both folder sizes.
#
#   bench/app/folder_scaling.sh <build-dir> [module-folder]
#
# The module folder defaults to the deterministic test module of the build
# (<build-dir>/module/test), so that the program's own cost is measured
# rather than the synthesizer's. Needs /usr/bin/time.
set -eu

build=$(cd "${1:?usage: $0 <build-dir> [module-folder]}" && pwd)
module=$(cd "${2:-$build/module/test}" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

key="$work/config/registry/HKEY_CLASSES_ROOT/CLSID/{4A7C2E19-5B3D-4F60-9C1E-2D8B7A6F3E05}/LocalServer32"
mkdir -p "$key"
printf '%s' "$module/player" > "$key/@"
export XDG_CONFIG_HOME="$work/config"
unset DISPLAY WAYLAND_DISPLAY

# A format-0 file, 480 ticks a quarter, 120 BPM: C4 on channel 1 for a quarter.
song() {
  printf 'MThd\000\000\000\006\000\000\000\001\001\340MTrk\000\000\000\024'
  printf '\000\377\121\003\007\241\040\000\220\074\144\203\140\200\074\000\000\377\057\000'
}

make_folder() {  # count
  mkdir -p "$work/songs-$1"
  i=0
  while [ "$i" -lt "$1" ]; do
    song > "$work/songs-$1/song$(printf '%05d' "$i").mid"
    i=$((i + 1))
  done
}

cpu() {  # label, then the command
  label=$1
  shift
  /usr/bin/time -f '%U %S' -o "$work/time" "$@" > /dev/null 2>&1 || true
  awk -v label="$label" '{ printf "%-24s %7.2f s CPU\n", label, $1 + $2; print $1 + $2 > "/dev/stderr" }' "$work/time" 2>> "$work/cpu"
}

: > "$work/cpu"
for count in 500 5000; do
  make_folder "$count"
  cpu "--jobs 1, $count files" "$build/bin/ombrix" --quiet --jobs 1 "$work/songs-$count"
  cpu "-f, $count files" "$build/bin/ombrix" "-f$work/songs-$count,-p0"
done
awk 'NR == 1 { j500 = $1 } NR == 2 { f500 = $1 } NR == 3 { j5000 = $1 } NR == 4 { f5000 = $1 } END {
  printf "ratio 5000/500: --jobs 1 %.1f, -f %.1f (10 is flat; at most 12 wanted)\n", j5000 / j500, f5000 / f500
}' "$work/cpu"
if cmp -s "$work/songs-500/Conv/song00000.wav" "$work/songs-5000/Conv/song00000.wav"; then
  echo "same bytes in both folder sizes: yes"
else
  echo "same bytes in both folder sizes: NO"
fi
