#!/usr/bin/env bash
# Pictures of the view's menus, for the record: the merged File and View
# menus in CataloomBrowser and a right-click menu in the shell's explorer
# browser component (what Wine's explorer is made of).  Runs the menu tests
# that take them inside their own Xvfb with CATALOOM_SCREENSHOTS set, and
# turns the pictures into PNG files in build/screenshots.
#
#   scripts/screenshots-menus.sh      (builds build/win64 first if needed)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/wine-env.sh"
tests="$root/build/win64/tests/view/view_menu_tests.exe"
[ -f "$tests" ] || "$root/scripts/build.sh" win64 >/dev/null
out="$root/build/screenshots"
mkdir -p "$out"
# Only this script's own pictures: the folder holds the other scripts' too.
rm -f "$out"/browser-menu-file.png "$out"/browser-menu-view.png "$out"/explorer-item-menu.png

cataloom_display_session 170

export XDG_DATA_HOME="$root/build/win64/tests/view/xdg-data"
mkdir -p "$XDG_DATA_HOME"
CATALOOM_SCREENSHOTS="$(winepath -w "$out")" wine "$tests" \
  --gtest_filter='*TheViewsEntriesJoin*/Full:*RightClickMenusForEveryListing*/ExplorerBrowser' \
  >"$out/menus-run.log" 2>&1 || { tail -20 "$out/menus-run.log"; exit 1; }
for name in browser-menu-file browser-menu-view explorer-item-menu; do
  [ -f "$out/$name.bmp" ] || { echo "screenshots-menus.sh: no picture $name" >&2; exit 1; }
  convert "$out/$name.bmp" "$out/$name.png" && rm "$out/$name.bmp"
done
ls "$out"/browser-menu-*.png "$out"/explorer-item-menu.png
