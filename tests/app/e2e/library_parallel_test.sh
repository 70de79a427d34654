#!/bin/bash
# A library of small songs in nested folders converted by four shards under
# GNU parallel (through its --sshlogin machinery, on this machine) must give
# exactly the files of one unsharded run, byte for byte, each written once,
# with reports that account for every input; a rerun after losing some
# outputs converts only those.
# Usage: library_parallel_test.sh <ombrix> <folder of the test module> [songs]
set -euo pipefail

program=$1
module_folder=$2
songs=${3:-2000}
shards=4

if ! command -v parallel >/dev/null; then
    echo "GNU parallel is not installed: skipped"
    exit 77
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/ombrix-parallel-XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"
key="config/registry/HKEY_CLASSES_ROOT/CLSID/{4A7C2E19-5B3D-4F60-9C1E-2D8B7A6F3E05}/LocalServer32"
mkdir -p "$key"
printf '%s' "$module_folder/player" >"$key/@"
export XDG_CONFIG_HOME=$work/config
export HOME=$work  # GNU parallel keeps its own files in ~/.parallel
unset DISPLAY WAYLAND_DISPLAY

fail() {
    echo "FAILED: $*" >&2
    exit 1
}

# One note of one tick, its key differing from song to song: a format-0
# file of 480 ticks per quarter.
song() {
    local note
    note=$(printf '%02x' $((36 + $2 % 60)))
    mkdir -p "$(dirname "$1")"
    printf "MThd\x00\x00\x00\x06\x00\x00\x00\x01\x01\xe0MTrk\x00\x00\x00\x0c\x00\x90\x$note\x40\x01\x80\x$note\x00\x00\xff\x2f\x00" >"$1"
}
for ((i = 0; i < songs; ++i)); do
    song "lib/d$((i % 10))/e$((i % 7))/s$i.mid" "$i"
    # Now and then a song of the same name in another form: its output is
    # named " (2)" in every shard alike.
    if ((i % 100 == 0)); then song "lib/d$((i % 10))/e$((i % 7))/s$i.kar" $((i + 1)); fi
done
inputs=$(find lib -type f | wc -l)
options=(-r -q -j1 --no-precount --skip-up-to-date)

# One unsharded run; its files' checksums are kept and the files removed to save space.
"$program" "${options[@]}" -j2 --report whole.jsonl -o whole lib || fail "the unsharded run exited with $?"
(cd whole && find . -name '*.wav' -type f -print0 | sort -z | xargs -0 md5sum) >whole.md5
[ "$(wc -l <whole.md5)" -eq "$inputs" ] || fail "the unsharded run wrote $(wc -l <whole.md5) files for $inputs inputs"
rm -rf whole

# Four shards, started by GNU parallel as on remote hosts (":" is this machine).
parallel --sshlogin "$shards/:" --halt now,fail=1 \
    "$program" "${options[@]}" --shard {}/$shards --report shard{}.jsonl -o sharded lib ::: $(seq 0 $((shards - 1))) ||
    fail "a shard failed"
(cd sharded && find . -name '*.wav' -type f -print0 | sort -z | xargs -0 md5sum) >sharded.md5
diff whole.md5 sharded.md5 >/dev/null || fail "the shards' files differ from the unsharded run's"
[ -z "$(find sharded -name 'CreateLog.log' -o -name '*.part-*')" ] || fail "a log or an unfinished file is left in the shards' output"

# The reports: each input once, converted, and the same inputs as the unsharded run's.
inputs_of() { grep -o '"input":"[^"]*","output":"[^"]*","status":"'"$1"'"' | sort; }
cat shard*.jsonl | inputs_of converted >converted.txt
[ "$(wc -l <converted.txt)" -eq "$inputs" ] || fail "the reports count $(wc -l <converted.txt) conversions for $inputs inputs"
[ -z "$(cut -d, -f1 converted.txt | uniq -d)" ] || fail "an input was converted twice"
[ -z "$(cut -d, -f2 converted.txt | sort | uniq -d)" ] || fail "an output was written twice"
inputs_of converted <whole.jsonl | sed 's|"output":"whole/|"output":"sharded/|' | diff - converted.txt >/dev/null ||
    fail "the shards' reports differ from the unsharded run's"

# A crash lost some outputs: the rerun converts only those and skips the rest.
find sharded -name '*.wav' | sort | awk 'NR % 97 == 0' >lost.txt
xargs -d '\n' rm <lost.txt
parallel --sshlogin "$shards/:" "$program" "${options[@]}" --shard {}/$shards --report rerun{}.jsonl -o sharded lib ::: $(seq 0 $((shards - 1))) ||
    fail "a rerun shard failed"
cat rerun*.jsonl | grep -o '"output":"[^"]*","status":"converted"' | cut -d'"' -f4 | sort >reconverted.txt
diff lost.txt reconverted.txt >/dev/null || fail "the rerun converted other files than the lost ones"
[ "$(cat rerun*.jsonl | grep -c '"status":"skipped"')" -eq $((inputs - $(wc -l <lost.txt))) ] || fail "the rerun did not skip the rest"
(cd sharded && find . -name '*.wav' -type f -print0 | sort -z | xargs -0 md5sum) | diff whole.md5 - >/dev/null ||
    fail "the rerun's files differ"
echo "$inputs inputs: $shards shards wrote the unsharded run's files once each; the rerun converted the $(wc -l <lost.txt) lost ones"
