#!/usr/bin/env bash
# Speed of the search window under Wine (bench/searcher): 1,000,000 entries
# in 100 catalogues, patterns matching 100,000 and 100 of them, beside
# `cataloom find` over the same data folder.  Runs on its own Xvfb with its
# own prefix (build/display-wineprefix, shared with screenshots.sh).  Builds
# the benchmark and puts the current library and tool beside it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=$root/build/display-wineprefix
source "$root/scripts/wine-env.sh"
bench="$root/build/win64/bench/searcher/searcher.exe"
[ -d "$root/build/win64" ] || "$root/scripts/build.sh" win64 >/dev/null
cmake --build "$root/build/win64" --target bench_searcher >/dev/null
# The build copies them only when the benchmark itself is linked again.
cp "$root/build/win64/library/Cataloom.dll" "$root/build/win64/cli/cataloom.exe" "$(dirname "$bench")/"
cataloom_display_session "${CATALOOM_BENCH_DISPLAY:-141}"
echo "machine: $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
wine "$bench" </dev/null
