#!/usr/bin/env bash
# How closely the stems add up to the mix through the FluidSynth module:
# converts each song given with --stems and the options given, sums the
# stems (sox), subtracts the mix and prints the peak of the difference in
# dBFS, once with the count-in and once without it (the count-in's clicks
# share the drum channel's synthesizer with the drums).
# Usage: stem_sum.sh <ombrix> <fluid module folder> [ombrix option]... -- <song>...
set -euo pipefail
ombrix=$1 module=$2
shift 2
options=()
while [ "$1" != "--" ]; do options+=("$1"); shift; done
shift
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/ombrix-stems-XXXXXX")
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME=$work/config
sh "$here/../../scripts/register-module.sh" "$module" >/dev/null

# Peak of |sum of the stems - mix| in dBFS ("-inf" when they are equal).
difference_peak() {
  local mix=$1 folder=$2 inputs=()
  for stem in "$folder"/*.wav; do inputs+=(-v 1 "$stem"); done
  sox -m "${inputs[@]}" -v -1 "$mix" -b 32 -e floating-point "$work/difference.wav"
  sox "$work/difference.wav" -n stat 2>&1 | awk '
    /Maximum amplitude/ { high = $3 } /Minimum amplitude/ { low = -$3 }
    END { peak = high > low ? high : low; if (peak == 0) print "-inf"; else printf "%.1f\n", 20 * log(peak) / log(10) }'
}

printf 'song\tstems\twith count-in\twithout\n'
for song in "$@"; do
  name=$(basename "$song")
  results=()
  for count in on off; do
    rm -rf "$work/out"
    mkdir -p "$work/out"
    "$ombrix" -q --stems --precount "$count" "${options[@]}" -o "$work/out/mix.wav" "$song"
    results+=("$(difference_peak "$work/out/mix.wav" "$work/out/mix")")
    stems=$(ls "$work/out/mix" | wc -l)
  done
  printf '%s\t%s\t%s\t%s\n' "$name" "$stems" "${results[0]}" "${results[1]}"
done
