#!/usr/bin/env bash
# Builds a Release tree without sanitizers (build/bench) and runs the
# benchmarks.  Generated data goes to $CATALOOM_BENCH_DIR (default
# /tmp/cataloom-bench), never into the repository.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/bench"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCATALOOM_SANITIZE=OFF -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" -j2 --target bench_capture bench_lookup bench_find bench_tools cataloom >/dev/null
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(uname -sr)"
"$build/bench/capture" "$build/cli/cataloom"
"$build/bench/lookup"
"$build/bench/find" "$build/cli/cataloom"
"$build/bench/tools" "$build/cli/cataloom"
