#!/usr/bin/env bash
# Pictures of the search window with results, Japanese rendered, for the
# record: runs the searcher tests' pictures inside their own Xvfb with
# CATALOOM_SCREENSHOTS set, and turns them into build/screenshots/searcher-window.png
# and searcher-live-filter.png (a search that followed typing, with conditions).
#
#   scripts/screenshots-searcher.sh    (builds the test program first if needed)
#   CATALOOM_SCREENSHOT_DISPLAY=N      looks for a free display from :N instead of :170
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/wine-env.sh"
tests="$root/build/win64/tests/searcher/searcher_tests.exe"
[ -f "$tests" ] || cmake --build "$root/build/win64" --target searcher_tests >/dev/null
out="$root/build/screenshots"
mkdir -p "$out"
# Only this script's own picture: the folder holds the other scripts' too.
rm -f "$out"/searcher-window.png "$out"/searcher-live-filter.png

cataloom_display_session "${CATALOOM_SCREENSHOT_DISPLAY:-170}"

CATALOOM_SCREENSHOTS="$(winepath -w "$out")" wine "$tests" --gtest_filter=SearcherWindowTest.Picture:SearcherWindowTest.ResultsFollowTypingWithConditionTokens \
  >"$out/searcher-run.log" 2>&1 || { tail -20 "$out/searcher-run.log"; exit 1; }
cataloom_bmp_to_png "$out"
ls "$out"/searcher-window.png "$out"/searcher-live-filter.png
