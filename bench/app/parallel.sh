#!/bin/sh
# Times the option command line on a folder of 8 generated General MIDI songs
# (16 busy channels, 48 to 104 seconds each) through the FluidSynth module:
# --jobs 1 against --jobs 2, wall-clock and CPU (user + system) time, and
# checks that both runs write identical files. Then one song (the window's
# case) with the module rendering on one thread, its default, against one per
# core (FluidSynth's synth.cpu-cores, asked for with QNSTAFF_CPU_CORES), and
# says whether those two files are identical: with extra render threads they
# need not be, which is why they are only had on request. The machine's load average is
# printed before and after, since other work on the machine skews wall time.
#
#   bench/app/parallel.sh <build-dir> [soundfont]
#
# Needs a build with -DOMBRIX_BUILD_BENCH=ON (ombrix, qnstaff and
# module_vs_fluidsynth built) and /usr/bin/time.
set -eu

build=$(cd "${1:?usage: $0 <build-dir> [soundfont]}" && pwd)
soundfont=${2:-/usr/share/sounds/sf2/FluidR3_GM.sf2}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mkdir -p "$work/songs"
for i in 1 2 3 4 5 6 7 8; do
  "$build/bin/module_vs_fluidsynth" song "$work/songs/song$i.mid" --measures $((20 + 4 * i)) > /dev/null
done

# The FluidSynth module registered for this run only, with the SoundFont fixed.
key="$work/config/registry/HKEY_CLASSES_ROOT/CLSID/{4A7C2E19-5B3D-4F60-9C1E-2D8B7A6F3E05}/LocalServer32"
mkdir -p "$key"
printf '%s' "$build/module/fluid/player" > "$key/@"
export XDG_CONFIG_HOME="$work/config" QNSTAFF_TEST_SOUNDFONT="$soundfont"

run() {  # jobs
  /usr/bin/time -f '%e %U %S' -o "$work/time-$1" "$build/bin/ombrix" --quiet --jobs "$1" -o "$work/out-$1" "$work/songs"
  awk -v jobs="$1" '{ printf "--jobs %s: %6.2f s wall  %6.2f s CPU\n", jobs, $1, $2 + $3 }' "$work/time-$1"
}

echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
# Each conversion on one core, as a parallel run has it.
QNSTAFF_CPU_CORES=1 run 1
run 2
echo "load after:  $(cut -d' ' -f1-3 /proc/loadavg)"
awk '{ w[NR] = $1; c[NR] = $2 + $3 } END {
  printf "speed-up (wall, jobs 1 / jobs 2): %.2f; CPU ratio (jobs 2 / jobs 1): %.2f\n", w[1] / w[2], c[2] / c[1]
}' "$work/time-1" "$work/time-2"
if diff -r "$work/out-1" "$work/out-2" > /dev/null; then
  echo "identical files: yes ($(ls "$work/out-1" | wc -l) files)"
else
  echo "identical files: NO"
  exit 1
fi

single() {  # threads (empty: the module's default, one)
  /usr/bin/time -f '%e %U %S' -o "$work/single-time" env ${1:+QNSTAFF_CPU_CORES=$1} \
    "$build/bin/ombrix" --quiet -o "$work/single-${1:-default}.wav" "$work/songs/song8.mid"
  awk -v threads="${1:-default (one)}" '{ printf "one song, %s render thread(s): %6.2f s wall  %6.2f s CPU\n", threads, $1, $2 + $3 }' \
    "$work/single-time"
}
single ""
single "$(nproc)"
if cmp -s "$work/single-default.wav" "$work/single-$(nproc).wav"; then
  echo "one thread and one per core give identical files: yes (this time)"
else
  echo "one thread and one per core give identical files: no"
fi
