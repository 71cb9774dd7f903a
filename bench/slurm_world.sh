#!/usr/bin/env bash
# A small world (bench/world_tiles.sh) planned with orvalis-cli plan and run
# as a Slurm job array on a one-node cluster that this script starts and
# stops (bench/slurm_cluster.sh, as root); checks that every task ended
# COMPLETED and compares the mosaics with the whole run pixel for pixel.
# Needs the tile runs of generate (--tile-size, --tile, --world-stats).
#
#   bench/slurm_world.sh [BUILD]   # default build/release
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bin=$(cd "${1:-$root/build/release}/bin" && pwd)
work=$(mktemp -d)
cluster=$root/bench/slurm_cluster.sh
trap '"$cluster" stop; rm -rf "$work"' EXIT
source "$root/bench/common.sh"
source "$root/bench/world_tiles.sh"
/usr/bin/python3 -c 'from osgeo import gdal' 2>/dev/null || bench_install "$0" python3-gdal

"$cluster" start
export SLURM_CONF=$("$cluster" conf)
world_plan
# --wait returns the highest exit code of the tasks; their states say which.
job=$(sbatch --parsable --wait --array=0-$((world_tiles - 1)) "$work/plan/slurm.sh") || true
states=$(scontrol show job "$job" -o | grep -o 'JobState=[A-Z_]*' | sort | uniq -c)
echo "slurm: job $job, tasks by state:"
echo "$states"
if [ "$(echo "$states" | awk '$2 == "JobState=COMPLETED" { print $1 }')" != "$world_tiles" ]; then
  echo "slurm: not every one of the $world_tiles tasks completed; the first task's output:" >&2
  cat "$work/plan/logs/${job}_0.out" >&2 || true
  exit 1
fi
world_compare
