#!/usr/bin/env bash
# Captures a sample tree with Japanese and ASCII names into a catalogue with
# the native cataloom tool and shows it with info, ls, find and check; then
# does the same with the Windows build under Wine when it is there.
# Everything it makes lives under build/demo.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
demo="$root/build/demo"
tool="$root/build/host/cli/cataloom"
[ -x "$tool" ] || "$root/scripts/build.sh" host >/dev/null

rm -rf "$demo"
mkdir -p "$demo/source/写真/旅行/京都" "$demo/source/音楽/アルバム" "$demo/source/docs" \
         "$demo/source/ソース" "$demo/source/empty" "$demo/source/.cache" "$demo/data/ディスク"
printf 'jpeg data %.0s' $(seq 300) > "$demo/source/写真/旅行/京都/金閣寺.jpg"
printf 'jpeg %.0s' $(seq 120) > "$demo/source/写真/旅行/東京タワー.JPG"
printf 'mp3 %.0s' $(seq 1000) > "$demo/source/音楽/アルバム/01 はじまり.mp3"
printf 'mp3 %.0s' $(seq 800) > "$demo/source/音楽/アルバム/02 travel.mp3"
echo "Cataloom demo" > "$demo/source/docs/readme.txt"
echo "表" > "$demo/source/ソース/表.txt"
echo "hidden" > "$demo/source/.cache/state"
echo "[Cataloom]" > "$demo/data/ディスク/category.ini"

run() { echo "\$ cataloom $*"; "$tool" "$@"; echo; }
cd "$demo"
run capture source -o data/ディスク/sample.vmf --name サンプル
run info data/ディスク/sample.vmf
run ls data/ディスク/sample.vmf -l
run ls data/ディスク/sample.vmf 写真/旅行
run find data 旅行
run find data '*.jpg'
run find data '' --in ディスク/sample.vmf/音楽
run check data/ディスク/sample.vmf

exe="$root/build/win64/cli/cataloom.exe"
if [ -f "$exe" ] && command -v wine >/dev/null; then
  source "$root/scripts/wine-env.sh"
  cataloom_wine_prefix
  wine_source=$(winepath -w "$demo/source" 2>/dev/null)
  wine_data=$(winepath -w "$demo/data" 2>/dev/null)
  # The Windows tool prints in the console code page (932).
  # Wine notes on stderr that Z: has no label or serial: not ours, left out.
  wrun() { echo "\$ wine cataloom.exe $*"; wine "$exe" "$@" 2>&1 | sed '/^wine: Read access denied/d' | iconv -f CP932 -t UTF-8; echo; }
  wrun capture "$wine_source" -o "$wine_data\\ディスク\\windows.vmf" --name ウィンドウズ
  wrun info "$wine_data\\ディスク\\windows.vmf"
  wrun find "$wine_data" 旅行
  wrun check "$wine_data\\ディスク\\windows.vmf"
fi
