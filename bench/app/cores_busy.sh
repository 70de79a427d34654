#!/bin/bash
# Whether one process keeps every core busy: a generated library of small
# songs (2,000 by default, one second of sound each) converted by one
# process with --jobs equal to the cores, against four shards of one job
# each under `parallel -j <cores>`, the same work split by a scheduler.
# Prints the wall time, the processor time (user + system of every process
# and worker), the cores kept busy (processor time / wall time) and the
# wall-time ratio of the two. One process should need at most 1.05 times the
# wall time of the shards and keep almost every core busy. Both runs write
# the same files; the script checks that byte for byte. The songs are
# played by the deterministic test module.
#
#   bench/app/cores_busy.sh <build-dir> [files]
#
# Needs a build with -DOMBRIX_BUILD_TESTS=ON (ombrix and the test module),
# GNU parallel and /usr/bin/time.
set -euo pipefail

build=$(cd "${1:?usage: $0 <build-dir> [files]}" && pwd)
files=${2:-2000}
work=$(mktemp -d "${TMPDIR:-/tmp}/ombrix-cores-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"

key="config/registry/HKEY_CLASSES_ROOT/CLSID/{4A7C2E19-5B3D-4F60-9C1E-2D8B7A6F3E05}/LocalServer32"
mkdir -p "$key"
printf '%s' "$build/module/test/player" >"$key/@"
export XDG_CONFIG_HOME=$work/config HOME=$work
unset DISPLAY WAYLAND_DISPLAY
cores=$(nproc)

for ((i = 0; i < files; ++i)); do
    mkdir -p "lib/d$((i % 10))"
    note=$(printf '%02x' $((36 + i % 60)))
    printf "MThd\x00\x00\x00\x06\x00\x00\x00\x01\x01\xe0MTrk\x00\x00\x00\x0c\x00\x90\x$note\x40\x01\x80\x$note\x00\x00\xff\x2f\x00" \
        >"lib/d$((i % 10))/s$i.mid"
done

run() {  # name (no spaces) shards
    local start end
    rm -f time-*
    start=$(date +%s.%N)
    if [ "$2" -eq 1 ]; then
        /usr/bin/time -f '%U %S' -o time-0 "$build/bin/ombrix" -r -q -j "$cores" --no-precount -o "out-$1" lib
    else
        parallel -j "$cores" /usr/bin/time -f "'%U %S'" -o time-{} "$build/bin/ombrix" -r -q -j 1 --no-precount \
            --shard {}/"$2" -o "out-$1" lib ::: $(seq 0 $(($2 - 1)))
    fi
    end=$(date +%s.%N)
    cat time-* | awk -v name="$1" -v wall="$(echo "$end - $start" | bc)" '
        { cpu += $1 + $2 }
        END { printf "%-28s %7.2f s wall  %7.2f s CPU  %4.2f cores busy\n", name, wall, cpu, cpu / wall
              print wall > "wall-" name }'
}

echo "load before: $(cut -d' ' -f1-3 /proc/loadavg) on $cores cores, $files files"
run one-process 1
run four-shards 4
echo "load after:  $(cut -d' ' -f1-3 /proc/loadavg)"
awk 'FNR == 1 { w[++n] = $1 } END { printf "wall time, one process / shards: %.2f\n", w[1] / w[2] }' \
    wall-one-process wall-four-shards
if diff -r --exclude=CreateLog.log out-one-process out-four-shards >/dev/null; then
    echo "identical files: yes"
else
    echo "identical files: NO"
    exit 1
fi
