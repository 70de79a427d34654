#!/bin/bash
# What converting a library costs per file: a generated library of tiny
# songs in nested folders (20,000 by default, and a tenth of it) converted by
# one process and by four shards under GNU parallel, all at once on this
# machine's cores. Prints per run the wall time, the processor time per file
# (user + system, of every process and worker) and the largest peak memory of
# one process. The time per file should be the same for one and four shards
# and for both library sizes, and the peak memory should not grow with the
# library. The songs are played by the deterministic test module, so the
# figures are the program's own cost, not the synthesizer's.
#
#   bench/app/library.sh <build-dir> [files]
#
# Needs a build with -DOMBRIX_BUILD_TESTS=ON (ombrix and the test module),
# GNU parallel and /usr/bin/time. Each run writes about 350 KB per file (two
# seconds of sound), 7 GB for 20,000 files, removed after the run.
set -euo pipefail

build=$(cd "${1:?usage: $0 <build-dir> [files]}" && pwd)
files=${2:-20000}
work=$(mktemp -d "${TMPDIR:-/tmp}/ombrix-library-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"

key="config/registry/HKEY_CLASSES_ROOT/CLSID/{4A7C2E19-5B3D-4F60-9C1E-2D8B7A6F3E05}/LocalServer32"
mkdir -p "$key"
printf '%s' "$build/module/test/player" >"$key/@"
export XDG_CONFIG_HOME=$work/config HOME=$work
unset DISPLAY WAYLAND_DISPLAY
cores=$(nproc)

library() {  # folder count
    local note
    mkdir -p "$1"/d{0..19}/e{0..12}
    for ((i = 0; i < $2; ++i)); do
        printf -v note '%02x' $((36 + i % 60))
        printf "MThd\x00\x00\x00\x06\x00\x00\x00\x01\x01\xe0MTrk\x00\x00\x00\x0c\x00\x90\x$note\x40\x01\x80\x$note\x00\x00\xff\x2f\x00" \
            >"$1/d$((i % 20))/e$((i % 13))/s$i.mid"
    done
}

run() {  # library files shards
    local start end
    rm -f time-*
    start=$(date +%s.%N)
    if [ "$3" -eq 1 ]; then
        /usr/bin/time -f '%U %S %M' -o time-0 "$build/bin/ombrix" -r -q -j "$cores" --no-precount -o out "$1"
    else
        parallel -j "$3" /usr/bin/time -f "'%U %S %M'" -o time-{} "$build/bin/ombrix" -r -q -j 1 --no-precount \
            --shard {}/"$3" -o out "$1" ::: $(seq 0 $(($3 - 1)))
    fi
    end=$(date +%s.%N)
    [ "$(find out -name '*.wav' | wc -l)" -eq "$2" ] || { echo "a run did not write $2 files" >&2; exit 1; }
    cat time-* | awk -v files="$2" -v shards="$3" -v wall="$(echo "$end - $start" | bc)" '
        { cpu += $1 + $2; if ($3 > peak) peak = $3 }
        END { printf "%6d files, %d shard(s): %7.1f s wall  %6.2f ms CPU per file  %6.1f MB peak of one process\n",
              files, shards, wall, 1000 * cpu / files, peak / 1024 }'
    rm -rf out
}

echo "load before: $(cut -d' ' -f1-3 /proc/loadavg) on $cores cores"
for size in $((files / 10)) "$files"; do
    library "lib$size" "$size"
    run "lib$size" "$size" 1
    run "lib$size" "$size" 4
    rm -rf "lib$size"
done
echo "load after:  $(cut -d' ' -f1-3 /proc/loadavg)"
