#!/usr/bin/env bash
# The namespace as the shell sees it: registers Cataloom.dll in the Wine
# prefix, captures a sample tree into a fresh data folder (with the cataloom
# command-line tool, through the capture engine), points the DataRoot setting
# at it, and prints the namespace with cataloom-shell, which walks it from
# the desktop folder as Explorer does.
#
#   scripts/demo-shell.sh           (builds build/win64 first if needed)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/wine-env.sh"
build="$root/build/win64"
dll="$build/library/Cataloom.dll"
shell="$build/shell-tool/cataloom-shell.exe"
capture="$build/cli/cataloom.exe"
if [ ! -f "$dll" ] || [ ! -f "$shell" ] || [ ! -f "$capture" ]; then
  "$root/scripts/build.sh" win64 >/dev/null
fi
cataloom_wine_prefix

source "$root/scripts/sample-data.sh"
demo="$root/build/demo-shell"
mkdir -p "$demo"
data="$demo/DataRoot"
cataloom_sample_data "$demo" || exit 1
win() { winepath -w "$1" 2>/dev/null; }
grep -a captured "$demo/capture.log" | iconv -f CP932 -t UTF-8 2>/dev/null || true

# Registration writes the DataRoot beside the library; the demo points it at
# its own data folder afterwards.
wine regsvr32 /s "$(win "$dll")" </dev/null >/dev/null 2>&1 || { echo "registration failed"; exit 1; }
wine reg add 'HKCU\Software\Quillmoor\Cataloom' /v DataRoot /t REG_SZ /d "$(win "$data")" /f \
  </dev/null >/dev/null 2>&1
echo "registered $(win "$dll")"
echo "DataRoot = $(win "$data")"
echo
wine "$shell" </dev/null
