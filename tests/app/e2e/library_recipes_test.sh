#!/bin/bash
# The Slurm and Kubernetes recipes of docs/libraries.md run as the tasks of
# their job array and the pods of their indexed Job would run them (neither
# scheduler is started: the commands run here with the variables each task
# or pod gets): every song is converted by exactly one task, and the array
# submitted again converts nothing.
# Usage: library_recipes_test.sh <ombrix> <folder of the test module> <docs/libraries>
set -euo pipefail

program=$1
module_folder=$2
recipes=$3

work=$(mktemp -d "${TMPDIR:-/tmp}/ombrix-recipes-XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"
key="config/registry/HKEY_CLASSES_ROOT/CLSID/{4A7C2E19-5B3D-4F60-9C1E-2D8B7A6F3E05}/LocalServer32"
mkdir -p "$key" bin
printf '%s' "$module_folder/player" >"$key/@"
ln -s "$program" bin/ombrix
export XDG_CONFIG_HOME=$work/config PATH=$work/bin:$PATH
export LIBRARY=$work/midi OUTPUT=$work/wav REPORTS=$work/reports
unset DISPLAY WAYLAND_DISPLAY

fail() {
    echo "FAILED: $*" >&2
    exit 1
}

for i in $(seq 0 39); do
    mkdir -p "midi/set$((i % 3))"
    printf 'MThd\x00\x00\x00\x06\x00\x00\x00\x01\x01\xe0MTrk\x00\x00\x00\x0c\x00\x90\x3c\x40\x01\x80\x3c\x00\x00\xff\x2f\x00' >"midi/set$((i % 3))/s$i.mid"
done

# An array submitted as --array=1-4 and run twice.
for run in first again; do
    for task in 1 2 3 4; do
        SLURM_ARRAY_TASK_ID=$task SLURM_ARRAY_TASK_COUNT=4 SLURM_ARRAY_TASK_MIN=1 SLURM_CPUS_PER_TASK=1 \
            bash "$recipes/convert-library.sbatch" || fail "task $task exited with $?"
    done
    cat reports/shard-*.jsonl >"$run.jsonl"
done
[ "$(grep -c '"status":"converted"' first.jsonl)" -eq 40 ] || fail "the first run did not convert each of the 40 songs"
[ -z "$(grep -o '"input":"[^"]*"' first.jsonl | sort | uniq -d)" ] || fail "a song was converted by two tasks"
[ "$(find wav -name '*.wav' | wc -l)" -eq 40 ] || fail "not 40 WAV files"
[ "$(grep -c '"status":"skipped"' again.jsonl)" -eq 40 ] || fail "the second run converted again"

# A stepped array leaves shards out: the task refuses to run.
if SLURM_ARRAY_TASK_ID=6 SLURM_ARRAY_TASK_COUNT=4 SLURM_ARRAY_TASK_MIN=0 bash "$recipes/convert-library.sbatch" 2>err; then
    fail "a task of a stepped array ran"
fi
grep -q -- '--array=0-3' err || fail "no hint for a stepped array: $(cat err)"

# The indexed Job's command, its folded lines joined, with its volume here.
manifest=$recipes/convert-library-job.yaml
completions=$(sed -n 's/^ *completions: *\([0-9]*\).*/\1/p' "$manifest")
command=$(sed -n '/- >-/,/resources:/p' "$manifest" | sed '1d;$d' | tr -s ' \n' ' ' | sed "s|/library|$work/volume|g")
grep -q -- "--shard-from-env=$completions " <<<"$command" || fail "the Job's completions differ from its --shard-from-env"
mkdir -p volume
cp -r midi volume/midi
for ((index = 0; index < completions; ++index)); do
    JOB_COMPLETION_INDEX=$index sh -c "$command" || fail "pod $index exited with $?"
done
[ "$(cat volume/reports/shard-*.jsonl | grep -c '"status":"converted"')" -eq 40 ] || fail "the Job's pods did not convert each song once"
[ "$(find volume/wav -name '*.wav' | wc -l)" -eq 40 ] || fail "the Job's pods did not write 40 WAV files"
echo "4 array tasks and $completions pods converted 40 songs once each; the second submission skipped them all"
