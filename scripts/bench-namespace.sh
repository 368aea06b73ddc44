#!/usr/bin/env bash
# Enumeration speed of the namespace under Wine: a data folder of 1,000
# catalogues in 20 categories and a directory of 100,000 entries, through the
# desktop folder, compared with our objects alone and with the bare system
# calls.  Builds build/win64 first if the benchmark is missing.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/wine-env.sh"
bench="$root/build/win64/bench/namespace/namespace.exe"
[ -f "$bench" ] || "$root/scripts/build.sh" win64 >/dev/null
cataloom_wine_prefix
# A first call starts the prefix's services away from this script's output.
wine cmd /c exit </dev/null >/dev/null 2>&1 || true
wine "$bench" </dev/null
