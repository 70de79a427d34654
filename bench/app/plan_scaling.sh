#!/bin/bash
# What the size of the library costs each converted file, apart from the
# number of files converted: about 2,000 files are converted out of a
# library of 2,000 and out of one of 100,000 (a shard of it), one process
# with a job per core. Prints the processor time per converted file (user +
# system, of the process and its workers) and the process's peak memory;
# neither should grow with the library. The songs are played by the
# deterministic test module. Some songs have a twin (`sN.kar` beside
# `sN.mid`), which gets a numbered name.
#
#   bench/app/plan_scaling.sh <build-dir> [large-library-files] [other-build-dir]
#
# With another build (the program before a change), the same runs are made
# with it too, and the outputs of the two builds over the small library are
# compared byte for byte, conversion logs included.
#
# Needs a build with -DOMBRIX_BUILD_TESTS=ON (ombrix and the test module)
# and /usr/bin/time. Writes about 700 MB of WAV files (1.5 GB with another build), removed afterwards.
set -euo pipefail

build=$(cd "${1:?usage: $0 <build-dir> [large-library-files] [other-build-dir]}" && pwd)
large=${2:-100000}
other=${3:+$(cd "$3" && pwd)}
converted=2000
work=$(mktemp -d "${TMPDIR:-/tmp}/ombrix-plan-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"

key="config/registry/HKEY_CLASSES_ROOT/CLSID/{4A7C2E19-5B3D-4F60-9C1E-2D8B7A6F3E05}/LocalServer32"
mkdir -p "$key"
printf '%s' "$build/module/test/player" >"$key/@"
export XDG_CONFIG_HOME=$work/config HOME=$work
unset DISPLAY WAYLAND_DISPLAY

library() {  # folder files
    local note folder
    mkdir -p "$1"/d{0..19}/e{0..12}
    for ((i = 0; i < $2; ++i)); do
        folder=$1/d$((i % 20))/e$((i % 13))
        printf -v note '%02x' $((36 + i % 60))
        song="MThd\x00\x00\x00\x06\x00\x00\x00\x01\x01\xe0MTrk\x00\x00\x00\x0c\x00\x90\x$note\x40\x01\x80\x$note\x00\x00\xff\x2f\x00"
        printf "$song" >"$folder/s$i.mid"
        if ((i % 97 == 0)); then printf "$song" >"$folder/s$i.kar"; fi
    done
}

run() {  # program output library-files arguments...
    local program=$1 output=$2 files=$3
    shift 3
    rm -rf "$output"
    # Standard error holds a line for each twin's numbered name.
    /usr/bin/time -f '%U %S %M' -o time "$program" -r -q -j "$(nproc)" --no-precount -o "$output" "$@" 2>errors || true
    local done
    done=$(find "$output" -name '*.wav' | wc -l)
    awk -v files="$files" -v done="$done" -v program="$program" '{ printf "%s\n  library of %6d files, %5d converted: %5.2f ms CPU per converted file  %6.1f MB peak\n",
        program, files, done, 1000 * ($1 + $2) / done, $3 / 1024 }' time
}

echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
library small "$converted"
library large "$large"
for tag in this ${other:+other}; do
    program=$build/bin/ombrix
    [[ $tag == other ]] && program=$other/bin/ombrix
    run "$program" "out-$tag" "$converted" small
    run "$program" "large-$tag" "$large" --shard 0/$((large / converted)) large
done
if [[ -n $other ]]; then
    for library in out large; do
        if diff -r "$library-this" "$library-other" >/dev/null; then
            echo "$library: the outputs of the two builds are the same, byte for byte ($(find "$library-this" -type f | wc -l) files)"
        else
            echo "$library: the outputs of the two builds differ:"
            diff -rq "$library-this" "$library-other" | head
        fi
    done
fi
echo "load after:  $(cut -d' ' -f1-3 /proc/loadavg)"
