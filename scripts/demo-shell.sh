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
dll="$build/namespace/Cataloom.dll"
shell="$build/shell-tool/cataloom-shell.exe"
capture="$build/cli/cataloom.exe"
if [ ! -f "$dll" ] || [ ! -f "$shell" ] || [ ! -f "$capture" ]; then
  "$root/scripts/build.sh" win64 >/dev/null
fi
cataloom_wine_prefix

demo="$root/build/demo-shell"
rm -rf "$demo"
mkdir -p "$demo"
sample="$demo/sample"
data="$demo/DataRoot"

# The sample medium: Japanese names, nested directories, an empty one.
mkdir -p "$sample/写真/2026夏" "$sample/音楽/アルバム" "$sample/文書" "$sample/空のフォルダ"
head -c 2400000 /dev/zero > "$sample/写真/2026夏/海.jpg"
head -c 1800000 /dev/zero > "$sample/写真/2026夏/山.jpg"
head -c 4200000 /dev/zero > "$sample/音楽/アルバム/01 はじまり.mp3"
head -c 3900000 /dev/zero > "$sample/音楽/アルバム/02 おわり.mp3"
printf 'Cataloom sample\r\n' > "$sample/文書/readme.txt"
printf '%s\r\n' '目録の見本です。' > "$sample/文書/メモ.txt"
touch -d '2026-01-15 09:30' "$sample/文書/readme.txt"

# The data folder: one category, a catalogue in it and one beside it.
mkdir -p "$data/サンプル"
# A first call starts the prefix's services away from this script's output.
wine cmd /c exit </dev/null >/dev/null 2>&1 || true
win() { winepath -w "$1" 2>/dev/null; }
wine "$capture" capture "$(win "$sample")" -o "$(win "$data/サンプル/sample.vmf")" --name サンプル \
  </dev/null >"$demo/capture.log" 2>&1 || { cat "$demo/capture.log"; exit 1; }
wine "$capture" capture "$(win "$sample/文書")" -o "$(win "$data/文書.vmf")" --name 文書 \
  </dev/null >>"$demo/capture.log" 2>&1 || { cat "$demo/capture.log"; exit 1; }
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
