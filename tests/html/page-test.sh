#!/usr/bin/env bash
# Writes pages with the tool (a data folder of catalogues with Japanese and
# hostile names, and one catalogue alone) and checks them in headless
# Chromium through page.test.js, driven by puppeteer-core (install-driver.sh
# puts it in the build tree); the browser is the system's.  Exits 77 (skipped) only where there is no
# browser or no Node.js to drive it.
set -uo pipefail
tool=$1
fixtures=$2
build=$3
here=$(cd "$(dirname "$0")" && pwd)
browser=${CATALOOM_CHROMIUM:-/usr/bin/chromium}
if [ ! -x "$browser" ] || ! command -v node >/dev/null || ! command -v npm >/dev/null; then
  echo "SKIPPED: the page's browser tests need Chromium ($browser) and Node.js with npm (scripts/install-deps.sh installs them)"
  exit 77
fi

modules="$build/page-driver"
"$here/install-driver.sh" "$modules" || { echo "FAIL: installing the browser driver"; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir -p fx data/棚 data/other src/写真/旅行
printf '12345' > src/写真/旅行/京都.jpg
"$fixtures" fx && "$fixtures" --page fx || { echo "FAIL: cli_fixtures"; exit 1; }
cp fx/awkward.vmf data/棚/ && cp fx/hostile-markup.vmf fx/long-list.vmf data/other/
"$tool" capture src -o data/棚/disc.vmf --name ディスク >/dev/null || { echo "FAIL: capture"; exit 1; }
"$tool" export data --format html -o folder.html || { echo "FAIL: export of the data folder"; exit 1; }
"$tool" export fx/awkward.vmf --format html -o single.html || { echo "FAIL: export of one catalogue"; exit 1; }

CATALOOM_PAGES="$work" CATALOOM_CHROMIUM="$browser" NODE_PATH="$modules/node_modules" node --test --test-reporter=spec "$here/page.test.js"
