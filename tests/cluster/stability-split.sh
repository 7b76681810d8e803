#!/usr/bin/env bash
# A global stability study split into tasks, run for real and merged, must
# give exactly the lines, values file and chart of the single run.
#   stability-split.sh VOLMAR_BATCH SOURCE_DIR slurm|parallel
# slurm: a single-node Slurm (munged, slurmctld, slurmd) is started under a
# temporary folder, the tasks run as a job array from the shipped sbatch
# script and the merge as a job that depends on it; the daemons are stopped
# by their saved PIDs. parallel: the same tasks through GNU parallel.
# Whatever cannot start fails the test with the reason and the logs.
set -uo pipefail
batch=$1
src=$2
mode=$3
tmp=$(mktemp -d /tmp/volmar-split.XXXXXX)
chmod 755 "$tmp"
pids=()
fail() {
  echo "FAILED: $*" >&2
  for log in "$tmp"/log/* "$tmp"/work/*.out; do
    [ -f "$log" ] || continue
    echo "----- $log" >&2
    tail -n 40 "$log" >&2
  done
  exit 1
}
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  for pid in "${pids[@]}"; do
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$pid" 2>/dev/null
  done
  rm -rf "$tmp"
}
trap cleanup EXIT
mkdir -p "$tmp/log" "$tmp/work"
cd "$tmp/work" || exit 1

# Three groups along the first of six variables.
awk 'BEGIN { srand(5); for (c = 0; c < 240; c++) { g = c % 3; line = "";
  for (v = 0; v < 6; v++) line = line sprintf("%.4f ", (v == 0 ? 8 * g : 0) + rand() * 2 - 1 + rand() * 2 - 1);
  print line } }' > data.dat
cat > study.vb <<'VB'
open data.dat cases=240 vars=6
parameterize lower=2 upper=5 trials=5 epochs=8 neighbor=off
VB
answers="lower=2 upper=5 pairs=11"
{ cat study.vb; echo "stability global $answers values=single.txt chart=single.svg"; } |
  timeout 120 "$batch" --seed 7 - > single.out 2> "$tmp/log/single.err" || fail "the single run failed"
grep -q "Global stability" single.out || fail "the single run printed no study"
tasks=3

if [ "$mode" = slurm ]; then
  for p in slurmctld slurmd sbatch sinfo munged; do
    command -v "$p" > /dev/null || PATH=$PATH:/usr/sbin
    command -v "$p" > /dev/null || fail "$p is not installed (scripts/install-deps.sh installs it)"
  done
  user=$(id -un)
  host=$(hostname -s)
  mkdir -p "$tmp/munge" "$tmp/state" "$tmp/spool"
  chmod 755 "$tmp/munge"
  head -c 1024 /dev/urandom > "$tmp/munge/munge.key"
  chmod 400 "$tmp/munge/munge.key"
  munged -F --force --key-file="$tmp/munge/munge.key" --socket="$tmp/munge/munge.socket" \
    --pid-file="$tmp/munge/munged.pid" --seed-file="$tmp/munge/seed" --log-file="$tmp/log/munged.log" \
    > "$tmp/log/munged.out" 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do [ -S "$tmp/munge/munge.socket" ] && break; sleep 0.1; done
  [ -S "$tmp/munge/munge.socket" ] || fail "munged did not open its socket within 10 s"
  # Two ports that nothing listens on.
  free_port() {
    local p
    while :; do
      p=$((20000 + RANDOM % 40000))
      (exec 3<> "/dev/tcp/127.0.0.1/$p") 2> /dev/null || { echo "$p"; return; }
    done
  }
  ports=("$(free_port)")
  ports+=("$(free_port)")
  [ "${ports[0]}" != "${ports[1]}" ] || ports[1]=$((ports[0] + 1))
  node=$(slurmd -C 2> /dev/null | head -n 1 | sed 's/ UpTime=.*//')
  [[ "$node" == NodeName=* ]] || fail "slurmd -C gave no node line"
  node=$(echo "$node" | sed "s/^NodeName=[^ ]*/NodeName=$host NodeAddr=127.0.0.1/")
  cat > "$tmp/slurm.conf" <<CONF
ClusterName=volmartest
SlurmctldHost=$host(127.0.0.1)
SlurmctldPort=${ports[0]}
SlurmdPort=${ports[1]}
SlurmUser=$user
SlurmdUser=$user
AuthType=auth/munge
CredType=cred/munge
AuthInfo=socket=$tmp/munge/munge.socket
StateSaveLocation=$tmp/state
SlurmdSpoolDir=$tmp/spool
SlurmctldPidFile=$tmp/slurmctld.pid
SlurmdPidFile=$tmp/slurmd.pid
SlurmctldLogFile=$tmp/log/slurmctld.log
SlurmdLogFile=$tmp/log/slurmd.log
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
JobAcctGatherType=jobacct_gather/none
SelectType=select/cons_tres
SelectTypeParameters=CR_Core
SchedulerParameters=sched_min_interval=0
MpiDefault=none
ReturnToService=2
$node State=UNKNOWN
PartitionName=test Nodes=ALL Default=YES MaxTime=INFINITE State=UP
CONF
  export SLURM_CONF=$tmp/slurm.conf
  slurmctld -D > "$tmp/log/slurmctld.out" 2>&1 &
  pids+=($!)
  slurmd -D > "$tmp/log/slurmd.out" 2>&1 &
  pids+=($!)
  ready=0
  for _ in $(seq 150); do
    if timeout 5 sinfo -h -o %T 2> /dev/null | grep -q idle; then ready=1; break; fi
    sleep 0.2
  done
  [ $ready = 1 ] || fail "the Slurm node did not come up idle within 30 s"
  jid=$(timeout 30 sbatch --parsable --array=1-$tasks \
          --export=ALL,TASKS=$tasks,STUDY=study.vb,SEED=7,ANSWERS="$answers",VOLMAR_BATCH="$batch" \
          --output="$tmp/work/task-%a.out" "$src/dist/volmar-stability.sbatch") || fail "sbatch refused the array"
  timeout 60 sbatch --wait --parsable --dependency=afterok:"$jid" \
    --export=ALL,RESULTS="values=merged.txt chart=merged.svg",VOLMAR_BATCH="$batch" \
    --output="$tmp/work/merge.out" --error="$tmp/log/merge.err" "$src/dist/volmar-stability-merge.sbatch" > /dev/null ||
    fail "the merge job failed or did not end within 60 s"
  cp merge.out merged.out
else
  command -v parallel > /dev/null || fail "GNU parallel is not installed (scripts/install-deps.sh installs it)"
  timeout 120 parallel --halt now,fail=1 -j 2 \
    "(cat study.vb; echo 'stability global $answers tasks=$tasks task={} part=part-{}.txt') | '$batch' --seed 7 --threads 1 -" \
    ::: $(seq $tasks) > "$tmp/log/parallel.out" 2>&1 || fail "a task under GNU parallel failed"
  echo "stability merge" part-*.txt values=merged.txt chart=merged.svg | timeout 60 "$batch" - > merged.out \
    2> "$tmp/log/merge.err" || fail "the merge failed"
fi
for t in $(seq $tasks); do [ -f "part-$t.txt" ] || fail "part $t was not written"; done
cmp -s single.out merged.out || { diff single.out merged.out >&2; fail "the merged lines differ from the single run"; }
cmp -s single.txt merged.txt || fail "the merged values file differs from the single run's"
cmp -s single.svg merged.svg || fail "the merged chart differs from the single run's"
echo "split into $tasks tasks ($mode): lines, values and chart equal the single run"
