#!/usr/bin/env bash
# Pictures of the capture's dialogs (Japanese texts, window frames drawn by
# Wine's desktop) as PNG files in build/screenshots.  Needs build/win64.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/wine-env.sh"
program="$root/build/win64/tests/capture/capture_window_tests.exe"
out="$root/build/screenshots"
[ -x "$program" ] || { echo "build build/win64 first" >&2; exit 1; }
mkdir -p "$out"
# Only this script's own pictures: the folder holds the other scripts' too.
rm -f "$out"/60[56]-*.bmp "$out"/60[56]-*.png

cataloom_display_session 141

CATALOOM_SHOT_DIR=$(winepath -w "$out") wine explorer /desktop=shots,800x600 "$program" \
  --gtest_filter='CaptureScreenshots.*' </dev/null
cataloom_bmp_to_png "$out"
ls "$out"
