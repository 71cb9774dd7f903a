#!/usr/bin/env bash
# Builds the benchmark (in build/bench, or in $ORVALIS_BENCH_BUILD) and prints
# the table of stage times and peak memory. Options are passed on, e.g.
# --sizes 256,1024 --threads 2.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${ORVALIS_BENCH_BUILD:-$root/build/bench}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DORVALIS_WITH_GUI=OFF -DORVALIS_WITH_TESTS=OFF >/dev/null
cmake --build "$build" --parallel 2 --target orvalis-bench >/dev/null
"$build/bin/orvalis-bench" "$@"
