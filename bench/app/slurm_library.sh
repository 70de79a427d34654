#!/bin/bash
# The Slurm recipe of docs/libraries.md run for real on this machine: a
# single-node Slurm (munge, slurmctld and slurmd, configured for this
# machine's cores) is started in a temporary folder, the documented sbatch
# array (docs/libraries/convert-library.sbatch) converts a generated library
# of 500 files, and the union of the tasks' outputs is compared byte for
# byte with one unsharded run; the reports must list every input once, as
# converted. Prints the array's wall time and PASS or FAIL. Everything it
# started is stopped at the end.
#
#   sudo bench/app/slurm_library.sh <build-dir> [files]
#
# Needs root, Debian's slurm-wlm and munge (scripts/install-deps.sh does
# not install them: they are only for this script), and a build with
# -DOMBRIX_BUILD_TESTS=ON (ombrix and the test module). The array runs with
# one CPU per task (the script asks for four, more than this machine may
# have); its other settings are the script's own.
set -euo pipefail

build=$(cd "${1:?usage: $0 <build-dir> [files]}" && pwd)
files=${2:-500}
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
[ "$(id -u)" -eq 0 ] || { echo "run as root: the Slurm daemons are started here" >&2; exit 77; }
for tool in slurmctld slurmd munged mungekey sbatch; do
    command -v "$tool" >/dev/null || { echo "$tool is missing: apt-get install slurm-wlm munge" >&2; exit 77; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/ombrix-slurm-XXXXXX")
chmod 755 "$work"
pids=()
stop() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do while kill -0 "$pid" 2>/dev/null; do sleep 0.2; done; done
    rm -rf "$work"
}
trap stop EXIT
cd "$work"
mkdir -p munge slurm/state slurm/spool slurm/log jobs

# Authentication: a key of our own and a socket in the temporary folder.
mungekey --create --keyfile="$work/munge/munge.key" >/dev/null
chown -R munge:munge munge
chmod 700 munge
setpriv --reuid=munge --regid=munge --init-groups munged --foreground --force --key-file="$work/munge/munge.key" \
    --socket="$work/munge/socket" --pid-file="$work/munge/pid" --log-file="$work/munge/log" \
    --seed-file="$work/munge/seed" >/dev/null 2>&1 &
pids+=($!)

host=$(hostname -s)
cores=$(nproc)
cat >slurm/slurm.conf <<EOF
ClusterName=ombrix-bench
SlurmctldHost=$host
SlurmUser=root
SlurmdUser=root
AuthType=auth/munge
AuthInfo=socket=$work/munge/socket
CredType=cred/munge
SlurmctldPort=36817
SlurmdPort=36818
StateSaveLocation=$work/slurm/state
SlurmdSpoolDir=$work/slurm/spool
SlurmctldPidFile=$work/slurm/slurmctld.pid
SlurmdPidFile=$work/slurm/slurmd.pid
SlurmctldLogFile=$work/slurm/log/slurmctld.log
SlurmdLogFile=$work/slurm/log/slurmd.log
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
SelectType=select/cons_tres
SelectTypeParameters=CR_CPU
JobAcctGatherType=jobacct_gather/none
MpiDefault=none
ReturnToService=2
SchedulerType=sched/backfill
NodeName=$host CPUs=$cores RealMemory=8000 State=UNKNOWN
PartitionName=bench Nodes=$host Default=YES MaxTime=INFINITE State=UP
EOF
export SLURM_CONF=$work/slurm/slurm.conf
for ((i = 0; i < 50; ++i)); do [ -S munge/socket ] && break; sleep 0.1; done
slurmctld -D -f "$SLURM_CONF" >slurm/log/slurmctld.out 2>&1 &
pids+=($!)
slurmd -D -f "$SLURM_CONF" >slurm/log/slurmd.out 2>&1 &
pids+=($!)
for ((i = 0; i < 100; ++i)); do
    sinfo -h -o %t 2>/dev/null | grep -q idle && break
    sleep 0.5
done
sinfo -h -o %t | grep -q idle || { echo "FAIL: the Slurm node did not come up"; tail slurm/log/*.log; exit 1; }

# The module registered for this folder, and the program on the jobs' PATH
# (sbatch passes the environment on to the tasks).
key="config/registry/HKEY_CLASSES_ROOT/CLSID/{4A7C2E19-5B3D-4F60-9C1E-2D8B7A6F3E05}/LocalServer32"
mkdir -p "$key"
printf '%s' "$build/module/test/player" >"$key/@"
export XDG_CONFIG_HOME=$work/config HOME=$work PATH=$build/bin:$PATH
unset DISPLAY WAYLAND_DISPLAY

for ((i = 0; i < files; ++i)); do
    mkdir -p "midi/d$((i % 7))/e$((i % 5))"
    note=$(printf '%02x' $((36 + i % 60)))
    printf "MThd\x00\x00\x00\x06\x00\x00\x00\x01\x01\xe0MTrk\x00\x00\x00\x0c\x00\x90\x$note\x40\x01\x80\x$note\x00\x00\xff\x2f\x00" \
        >"midi/d$((i % 7))/e$((i % 5))/s$i.mid"
done
ombrix -r -q -j "$cores" -o reference midi

start=$(date +%s.%N)
(cd jobs && LIBRARY=$work/midi OUTPUT=$work/wav REPORTS=$work/reports \
    sbatch --wait --cpus-per-task=1 "$source_dir/docs/libraries/convert-library.sbatch") || true
end=$(date +%s.%N)
printf 'the array of 16 tasks took %.1f s for %d files\n' "$(echo "$end - $start" | bc)" "$files"
queued=$(squeue -h | wc -l)
[ "$queued" -eq 0 ] || { echo "FAIL: jobs still queued"; squeue; exit 1; }

failed=0
if diff -r -x CreateLog.log -x '.*.ombrix' reference wav >/dev/null; then
    echo "outputs: the union of the tasks' files is the unsharded run's, byte for byte"
else
    echo "FAIL: the tasks' files differ from the unsharded run"
    diff -rq -x CreateLog.log -x '.*.ombrix' reference wav | head
    failed=1
fi
lines=$(cat reports/shard-*.jsonl | wc -l)
inputs=$(cat reports/shard-*.jsonl | sed 's/^{"input":"\([^"]*\)".*/\1/' | sort -u | wc -l)
converted=$(cat reports/shard-*.jsonl | grep -c '"status":"converted"' || true)
echo "reports: $lines lines, $inputs inputs, $converted converted"
if [ "$lines" -ne "$files" ] || [ "$inputs" -ne "$files" ] || [ "$converted" -ne "$files" ]; then
    echo "FAIL: the reports do not list every input once as converted"
    cat jobs/*.out | head -20
    failed=1
fi
[ "$failed" -eq 0 ] && echo PASS || echo FAIL
exit "$failed"
