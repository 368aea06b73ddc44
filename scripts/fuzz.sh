#!/usr/bin/env bash
# Runs the catalogue fuzzer and then the names index fuzzer, each for a
# bounded time (seconds, default 60), seeded with freshly written sound
# catalogues and a sound index.  Fails on any crash, leak or hang.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds=${1:-60}
bin="$root/build/fuzz/fuzz"
corpus="$root/build/fuzz/corpus"
mkdir -p "$corpus"
"$bin/fuzz_seeds" "$corpus"
cd "$root/build/fuzz"
"$bin/fuzz_catalog" "$corpus" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -malloc_limit_mb=512 -print_final_stats=1
# The index fuzzer writes its sound index (seed.idx) when it starts.
index_corpus="$root/build/fuzz/index-corpus"
mkdir -p "$index_corpus"
"$bin/fuzz_names_index" -runs=0 >/dev/null 2>&1
cp /dev/shm/cataloom-fuzz-index/seed.idx "$index_corpus/"
exec "$bin/fuzz_names_index" "$index_corpus" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
  -malloc_limit_mb=512 -print_final_stats=1
