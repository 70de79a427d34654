#!/bin/sh
# Cost of walking a deep folder tree with -r: lists (--list, nothing is
# converted) the one song at the bottom of trees 500 and 2,000 folders deep
# and prints the time and peak memory of each run and the time ratio
# 2000 / 500, which stays near 4 when the walk is linear in the depth.
#
#   bench/app/deep_tree.sh <build-dir> [module-folder]
#
# The module folder defaults to the deterministic test module of the build.
# Needs /usr/bin/time and python3 (to build the trees).
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

for depth in 500 2000; do
  # Descending one folder at a time: no path of this depth is ever named whole.
  python3 -c 'import os, sys
os.makedirs(sys.argv[1]); os.chdir(sys.argv[1])
for _ in range(int(sys.argv[2])):
    os.mkdir("d"); os.chdir("d")' "$work/tree-$depth" "$depth"
  (cd "$work/tree-$depth" && for _ in $(seq "$depth"); do cd d; done && song > song.mid)
  /usr/bin/time -f '%e %M' -o "$work/time-$depth" "$build/bin/ombrix" --list -r "$work/tree-$depth" > /dev/null
  awk -v depth="$depth" '{ printf "depth %5d: %6.2f s, %7d kB peak\n", depth, $1, $2 }' "$work/time-$depth"
done
awk 'FNR == 1 { t[++n] = $1 } END {
  if (t[1] < 0.01) t[1] = 0.01
  printf "time ratio 2000/500: %.1f (4 is linear)\n", t[2] / t[1]
}' "$work/time-500" "$work/time-2000"
