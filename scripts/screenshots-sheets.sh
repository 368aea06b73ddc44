#!/usr/bin/env bash
# Pictures of the property pages and the change-icon dialog, Japanese
# rendered, for the record: runs the sheet tests inside their own Xvfb with
# CATALOOM_SCREENSHOTS set, and turns the pictures they write into PNG files
# in build/screenshots.
#
#   scripts/screenshots-sheets.sh      (builds build/win64 first if needed)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/wine-env.sh"
tests="$root/build/win64/tests/tools/sheet_tests.exe"
[ -f "$tests" ] || "$root/scripts/build.sh" win64 >/dev/null
out="$root/build/screenshots"
mkdir -p "$out"
# Only this script's own pictures: the folder holds the other scripts' too.
rm -f "$out"/options-page.png "$out"/media-page-*.png "$out"/category-page.png "$out"/file-page-*.png \
  "$out"/change-icon-dialog.png

for n in $(seq 170 199); do
  [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || { display=$n; break; }
done
Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
trap 'wineserver -k >/dev/null 2>&1; kill "$xvfb_pid" 2>/dev/null; wait "$xvfb_pid" 2>/dev/null' EXIT
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
export DISPLAY=":$display"
cataloom_wine_start

CATALOOM_SCREENSHOTS="$(winepath -w "$out")" wine "$tests" >"$out/run.log" 2>&1 || {
  tail -20 "$out/run.log"; exit 1; }
for picture in "$out"/*.bmp; do
  convert "$picture" "${picture%.bmp}.png" && rm "$picture"
done
ls "$out"/*.png
