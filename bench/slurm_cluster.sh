#!/usr/bin/env bash
# A one-node Slurm cluster on 127.0.0.1 for the benches, as root: Debian's
# slurm-wlm and munge (installed when missing), a slurm.conf and cgroup.conf
# written into a folder of its own, munged with its own key and socket,
# slurmctld and slurmd. The node's cgroups enforce --mem: a task over its
# request ends OUT_OF_MEMORY.
#
#   bench/slurm_cluster.sh start   # returns once sinfo shows the node idle
#   export SLURM_CONF=$(bench/slurm_cluster.sh conf)
#   sbatch ...
#   bench/slurm_cluster.sh stop    # stops every daemon it started, removes the folder
#
# ORVALIS_SLURM_DIR: the cluster's folder (default ${TMPDIR:-/tmp}/orvalis-slurm);
# ORVALIS_SLURM_PORT: slurmctld's port, slurmd's the next (default 16817).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
dir=${ORVALIS_SLURM_DIR:-${TMPDIR:-/tmp}/orvalis-slurm}
port=${ORVALIS_SLURM_PORT:-16817}
source "$root/bench/common.sh"

# wait_for WHAT COMMAND...: runs the command every half second until it
# succeeds, for at most a minute; then says what did not happen.
wait_for() {
  local what=$1
  shift
  for _ in $(seq 120); do
    "$@" && return 0
    sleep 0.5
  done
  echo "slurm_cluster.sh: $what did not happen within a minute; see $dir/log" >&2
  return 1
}

# The cgroup plugin of this machine's hierarchy: v2 where the unified one is mounted.
cgroup_plugin() {
  if [ "$(stat -fc %T /sys/fs/cgroup)" = cgroup2fs ]; then echo cgroup/v2; else echo cgroup/v1; fi
}

write_conf() {
  local memory
  memory=$(awk '/MemTotal/ { print int($2 / 1024) - 1024 }' /proc/meminfo)
  cat > "$dir/slurm.conf" <<CONF
ClusterName=orvalis
SlurmctldHost=localhost(127.0.0.1)
AuthType=auth/munge
CryptoType=crypto/munge
AuthInfo=socket=$dir/munge/socket
SlurmUser=root
SlurmdUser=root
StateSaveLocation=$dir/state
SlurmdSpoolDir=$dir/spool
SlurmctldPidFile=$dir/slurmctld.pid
SlurmdPidFile=$dir/slurmd.pid
SlurmctldLogFile=$dir/log/slurmctld.log
SlurmdLogFile=$dir/log/slurmd.log
SlurmctldPort=$port
SlurmdPort=$((port + 1))
ProctrackType=proctrack/cgroup
TaskPlugin=task/cgroup
SelectType=select/cons_tres
SelectTypeParameters=CR_Core_Memory
ReturnToService=2
MpiDefault=none
SchedulerType=sched/backfill
JobAcctGatherType=jobacct_gather/none
MinJobAge=3600
NodeName=localhost NodeAddr=127.0.0.1 CPUs=$(nproc) RealMemory=$memory State=UNKNOWN
PartitionName=main Nodes=localhost Default=YES MaxTime=INFINITE State=UP
CONF
  cat > "$dir/cgroup.conf" <<CONF
CgroupPlugin=$(cgroup_plugin)
ConstrainRAMSpace=yes
ConstrainSwapSpace=yes
CONF
}

start_munge() {
  mkdir -p "$dir/munge"
  chmod 700 "$dir/munge"
  head -c 1024 /dev/urandom > "$dir/munge/munge.key"
  chmod 400 "$dir/munge/munge.key"
  munged --key-file="$dir/munge/munge.key" --socket="$dir/munge/socket" --pid-file="$dir/munge/pid" \
    --log-file="$dir/log/munged.log" --seed-file="$dir/munge/seed" -f
}

node_idle() { [ "$(sinfo -h -n localhost -o %t 2>/dev/null)" = idle ]; }

start() {
  [ "$(id -u)" -eq 0 ] || { echo "slurm_cluster.sh: start it as root" >&2; exit 1; }
  local need=()
  command -v slurmctld >/dev/null || need+=(slurm-wlm)
  command -v munged >/dev/null || need+=(munge)
  bench_install "$0" "${need[@]}"
  if [ -f "$dir/slurmctld.pid" ]; then
    echo "slurm_cluster.sh: a cluster of $dir runs already; stop it first" >&2
    exit 1
  fi
  rm -rf "$dir"
  mkdir -p "$dir/spool" "$dir/state" "$dir/log"
  write_conf
  start_munge
  export SLURM_CONF=$dir/slurm.conf
  slurmctld -i
  slurmd
  wait_for "the node going idle" node_idle
  echo "slurm_cluster.sh: one node idle; export SLURM_CONF=$SLURM_CONF"
}

# Waits for the daemon of a pid file to end (a daemon removes its file as it
# ends), sending it TERM first when asked, and once more if it lingers.
end_daemon() {
  local file=$1 term=${2:-} pid
  pid=$(cat "$file" 2>/dev/null) || return 0
  if [ -n "$term" ]; then kill "$pid" 2>/dev/null || true; fi
  wait_for "the end of $pid ($file)" bash -c "! kill -0 $pid 2>/dev/null" || kill "$pid" 2>/dev/null || true
}

stop() {
  [ -d "$dir" ] || return 0
  export SLURM_CONF=$dir/slurm.conf
  if scontrol shutdown >/dev/null 2>&1; then
    end_daemon "$dir/slurmctld.pid"
  else
    end_daemon "$dir/slurmctld.pid" term
  fi
  end_daemon "$dir/slurmd.pid" term
  end_daemon "$dir/munge/pid" term
  rm -rf "$dir"
}

case ${1:-} in
start) start ;;
stop) stop ;;
conf) echo "$dir/slurm.conf" ;;
*)
  echo "usage: $0 start|stop|conf" >&2
  exit 2
  ;;
esac
