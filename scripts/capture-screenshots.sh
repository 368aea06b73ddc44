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

for n in $(seq 170 199); do
  [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || { display=$n; break; }
done
# A server of this prefix fixes the display: start afresh on ours.
wineserver -k >/dev/null 2>&1 || true
wineserver -w >/dev/null 2>&1 || true
Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
cleanup() {
  wineserver -k >/dev/null 2>&1
  kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
}
trap cleanup EXIT
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
export DISPLAY=":$display"
cataloom_wine_start >/dev/null 2>&1 </dev/null

CATALOOM_SHOT_DIR=$(winepath -w "$out") wine explorer /desktop=shots,800x600 "$program" \
  --gtest_filter='CaptureScreenshots.*' </dev/null
for picture in "$out"/*.bmp; do
  convert "$picture" "${picture%.bmp}.png" && rm "$picture"
done
ls "$out"
