#!/usr/bin/env bash
# Opening speed of the folder view under Wine (bench/view): directories of
# 100,000 entries and a data folder of 1,000 catalogues in 20 categories, in
# the shell's explorer browser component and in CataloomBrowser, beside the
# bare enumeration of the same folders.  Runs on its own Xvfb with its own
# prefix (build/display-wineprefix, shared with screenshots.sh).  Builds
# build/win64 first if the benchmark is missing.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=$root/build/display-wineprefix
source "$root/scripts/wine-env.sh"
bench="$root/build/win64/bench/view/view.exe"
[ -f "$bench" ] || "$root/scripts/build.sh" win64 >/dev/null
cataloom_display_session 141
echo "machine: $(nproc) cores, load $(cut -d' ' -f1-3 /proc/loadavg)"
wine "$bench" </dev/null
