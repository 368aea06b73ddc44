#!/usr/bin/env bash
# A picture of the search window with results, Japanese rendered, for the
# record: runs the searcher tests' picture inside their own Xvfb with
# CATALOOM_SCREENSHOTS set, and turns it into build/screenshots/searcher-window.png.
#
#   scripts/screenshots-searcher.sh    (builds the test program first if needed)
#   CATALOOM_SCREENSHOT_DISPLAY=N      uses display :N instead of the first free one from :170
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/wine-env.sh"
tests="$root/build/win64/tests/searcher/searcher_tests.exe"
[ -f "$tests" ] || cmake --build "$root/build/win64" --target searcher_tests >/dev/null
out="$root/build/screenshots"
mkdir -p "$out"
# Only this script's own picture: the folder holds the other scripts' too.
rm -f "$out"/searcher-window.png

display=${CATALOOM_SCREENSHOT_DISPLAY:-}
if [ -z "$display" ]; then
  for n in $(seq 170 199); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || { display=$n; break; }
  done
fi
Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
trap 'wineserver -k >/dev/null 2>&1; kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null' EXIT
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
export DISPLAY=":$display"
wineserver -k >/dev/null 2>&1 || true  # a server of an earlier run has another display
cataloom_wine_start

CATALOOM_SCREENSHOTS="$(winepath -w "$out")" wine "$tests" --gtest_filter=SearcherWindowTest.Picture \
  >"$out/searcher-run.log" 2>&1 || { tail -20 "$out/searcher-run.log"; exit 1; }
convert "$out/searcher-window.bmp" "$out/searcher-window.png" && rm "$out/searcher-window.bmp"
ls "$out"/searcher-window.png
