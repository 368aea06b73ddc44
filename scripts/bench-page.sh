#!/usr/bin/env bash
# The web page export at a million entries: builds the Release tree's tool
# and bench_page, exports the generated data folder (bench/PageBench.cpp),
# then opens the page and the plain listing in headless Chromium
# (bench/page/page-bench.js).  Data goes to $CATALOOM_BENCH_DIR (default
# /tmp/cataloom-bench).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/bench"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DCATALOOM_SANITIZE=OFF -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" -j2 --target bench_page cataloom >/dev/null
"$root/tests/html/install-driver.sh" "$build/page-driver"
echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(uname -sr), $(/usr/bin/chromium --version 2>/dev/null)"
out=$("$build/bench/page" "$build/cli/cataloom")
echo "$out"
files=$(echo "$out" | sed -n 's/^files *//p')
NODE_PATH="$build/page-driver/node_modules" node "$root/bench/page/page-bench.js" $files
