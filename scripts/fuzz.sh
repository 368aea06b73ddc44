#!/usr/bin/env bash
# Runs the catalogue fuzzer for a bounded time (seconds, default 60), seeded
# with freshly written sound catalogues.  Fails on any crash, leak or hang.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
bin="$root/build/fuzz/fuzz"
corpus="$root/build/fuzz/corpus"
mkdir -p "$corpus"
"$bin/fuzz_seeds" "$corpus"
cd "$root/build/fuzz"
exec "$bin/fuzz_catalog" "$corpus" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -malloc_limit_mb=512 -print_final_stats=1
