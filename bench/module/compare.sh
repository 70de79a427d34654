#!/bin/sh
# Times QNStaff.so (driven as the converter drives it) against the fluidsynth
# command on the same generated 3-minute, 16-channel General MIDI song and the
# same SoundFont, and reports wall-clock and CPU (user + system) times, their
# ratios and both peak memories. On a busy machine the CPU ratio is the
# steadier figure.
#
#   bench/module/compare.sh <build-dir> [soundfont] [--loud]
#
# Needs the build with -DOMBRIX_BUILD_BENCH=ON, /usr/bin/time and fluidsynth.
set -eu

build=${1:?usage: $0 <build-dir> [soundfont] [--loud]}
soundfont=${2:-/usr/share/sounds/sf2/FluidR3_GM.sf2}
loud=${3:-}
driver=$build/bin/module_vs_fluidsynth
module=$build/module/fluid/QNStaff.so
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$driver" song "$work/song.mid" $loud

measure() {  # label, command...
  label=$1
  shift
  /usr/bin/time -v "$@" > "$work/$label.out" 2> "$work/$label.time"
  seconds=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$work/$label.time" |
            awk -F: '{ s = 0; for (i = 1; i <= NF; i++) s = s * 60 + $i; print s }')
  cpu=$(sed -n 's/.*\(User\|System\) time (seconds): //p' "$work/$label.time" | awk '{ s += $1 } END { print s }')
  kib=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$work/$label.time")
  echo "$label $seconds $cpu $kib"
}

# The module's own SoundFont search is pointed at the same file.
module_result=$(QNSTAFF_TEST_SOUNDFONT=$soundfont measure module "$driver" render "$module" "$work/module.wav" $loud)
fluid_result=$(measure fluidsynth fluidsynth -ni -F "$work/fluidsynth.wav" -r 44100 "$soundfont" "$work/song.mid")

cat "$work/module.out"
echo "$module_result" "$fluid_result" | awk '{
  printf "QNStaff.so:  %6.2f s wall  %6.2f s CPU  %6.1f MiB peak\n", $2, $3, $4 / 1024
  printf "fluidsynth:  %6.2f s wall  %6.2f s CPU  %6.1f MiB peak\n", $6, $7, $8 / 1024
  printf "ratio (module / fluidsynth): wall %.2f, CPU %.2f\n", $2 / $6, $3 / $7
}'
