#!/usr/bin/env bash
# The cluster scale for real: starts a one-node Slurm cluster on this machine
# (munged, slurmctld and slurmd on 127.0.0.1, in a scratch directory), runs an
# ensemble over the example plant as a job array of 4 tasks through
# submit.sh, merges it and compares the file byte for byte with the same
# ensemble run on this machine. Stops everything it started.
#
#   scripts/slurm/test-cluster.sh build/src/cli/quenzor-cli
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
cli=$(realpath "$1")
. "$repo/scripts/deps.sh"
status=0
qz_install_cluster_deps || status=$?
if [ "$status" -eq 3 ]; then
  echo "== Slurm test skipped: not root, and slurm-wlm and munge are not installed"
  exit 0
elif [ "$status" -ne 0 ]; then
  echo "== Slurm test FAILED: cannot install slurm-wlm and munge" >&2
  exit 1
fi

work=$(mktemp -d /tmp/quenzor-slurm.XXXXXX)
pids=()
stop() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$pid" 2>/dev/null || true
  done
  rm -rf "$work"
}
trap stop EXIT
trap 'exit 1' INT TERM
fail() {
  echo "== Slurm test FAILED: $*" >&2
  for log in "$work"/*.log "$work"/job/*.out; do
    [ -f "$log" ] && { echo "--- $log" >&2; tail -n 20 "$log" >&2; }
  done
  exit 1
}
free_port() {
  local p
  for p in $(seq "$1" $(($1 + 200))); do
    if ! (exec 3<>"/dev/tcp/127.0.0.1/$p") 2>/dev/null; then echo "$p"; return; fi
  done
  fail "no free port from $1"
}

# munge with its own key and socket
mkdir -p "$work/munge" "$work/state" "$work/spool" "$work/job"
chmod 700 "$work/munge"
head -c 1024 /dev/urandom > "$work/munge/munge.key"
chmod 600 "$work/munge/munge.key"
munged --force --socket="$work/munge/socket" --key-file="$work/munge/munge.key" \
  --log-file="$work/munge.log" --pid-file="$work/munge/munged.pid" --seed-file="$work/munge/seed"
for _ in $(seq 50); do [ -s "$work/munge/munged.pid" ] && break; sleep 0.1; done
pids+=("$(cat "$work/munge/munged.pid")")

ctld_port=$(free_port 16817)
slurmd_port=$(free_port $((ctld_port + 1)))
host=$(hostname -s)
cat > "$work/slurm.conf" <<CONF
ClusterName=quenzortest
SlurmctldHost=$host(127.0.0.1)
SlurmctldPort=$ctld_port
SlurmdPort=$slurmd_port
SlurmUser=root
SlurmdUser=root
AuthType=auth/munge
AuthInfo=socket=$work/munge/socket
CredType=cred/munge
StateSaveLocation=$work/state
SlurmdSpoolDir=$work/spool
SlurmctldPidFile=$work/slurmctld.pid
SlurmdPidFile=$work/slurmd.pid
SlurmctldLogFile=$work/slurmctld.log
SlurmdLogFile=$work/slurmd.log
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
SelectType=select/cons_tres
SelectTypeParameters=CR_Core
ReturnToService=2
MpiDefault=none
NodeName=qznode NodeHostname=$host NodeAddr=127.0.0.1 CPUs=$(nproc) State=UNKNOWN
PartitionName=qz Nodes=qznode Default=YES MaxTime=10 State=UP
CONF
export SLURM_CONF=$work/slurm.conf
slurmctld -D -i -f "$SLURM_CONF" > /dev/null 2>&1 &
pids+=($!)
slurmd -D -N qznode -f "$SLURM_CONF" > /dev/null 2>&1 &
pids+=($!)
state=
for _ in $(seq 120); do
  state=$(sinfo -h -n qznode -o %T 2>/dev/null || true)
  [ "$state" = idle ] && break
  sleep 0.5
done
[ "$state" = idle ] || fail "the node did not come up (state: ${state:-none})"
echo "== Slurm: one-node cluster up (slurmctld :$ctld_port, slurmd :$slurmd_port)"

# The example plant from a program directory of its own.
cp -r "$repo/examples" "$work/home"
export QUENZOR_HOME=$work/home
"$cli" library --rebuild > /dev/null
run=(simulate "$work/home/Plant.pn" --runs 24 --steps 40 --sample-time 0,5 --trace all --seed 3)
"$cli" "${run[@]}" --csv "$work/local.csv" > /dev/null
timeout 300 "$repo/scripts/slurm/submit.sh" -n 4 --wait "$cli" "$work/job" "$work/cluster.csv" -- "${run[@]}" ||
  fail "the jobs did not finish"
[ "$(ls "$work"/job/part-*.qzpart | wc -l)" -eq 4 ] || fail "expected 4 partial results"
cmp "$work/local.csv" "$work/cluster.csv" || fail "the merged file differs from the local one"
echo "== Slurm test passed: 4 array tasks merged into the file of the local run ($(wc -l < "$work/local.csv") lines)"
