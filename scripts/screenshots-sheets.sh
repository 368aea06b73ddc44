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

cataloom_display_session 170

CATALOOM_SCREENSHOTS="$(winepath -w "$out")" wine "$tests" >"$out/run.log" 2>&1 || {
  tail -20 "$out/run.log"; exit 1; }
cataloom_bmp_to_png "$out"
ls "$out"/*.png
