#!/usr/bin/env bash
# Pictures of the sample catalogues (PNG, into build/screenshots): the data
# folder, a category and a directory inside a catalogue, each once in the
# shell's explorer browser component (what Wine's explorer is made of) and
# once in CataloomBrowser with its menus and status bar.  Runs its own Xvfb
# and its own prefix (build/display-wineprefix), so it never disturbs a
# test run.  Builds build/win64 first if a program is missing.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=$root/build/display-wineprefix
source "$root/scripts/wine-env.sh"
source "$root/scripts/sample-data.sh"
snapshot="$root/build/win64/browser/view-snapshot.exe"
dll="$root/build/win64/library/Cataloom.dll"
out="$root/build/screenshots"
if [ ! -f "$snapshot" ] || [ ! -f "$dll" ] || [ ! -f "$root/build/win64/cli/cataloom.exe" ]; then
  "$root/scripts/build.sh" win64 >/dev/null
fi

# A display of our own, and the prefix's server started on it.
cataloom_display_session 141

data="$root/build/screenshots-data"
mkdir -p "$data" "$out"
cataloom_sample_data "$data"
wine regsvr32 /s "$(winepath -w "$dll")" </dev/null >/dev/null 2>&1 || { echo "registration failed" >&2; exit 1; }
wine reg add 'HKCU\Software\Quillmoor\Cataloom' /v DataRoot /t REG_SZ /d "$(winepath -w "$data/DataRoot")" /f \
  </dev/null >/dev/null 2>&1

# shoot NAME HOST PLACE|/select,ITEM: the helper shows the place and says
# where its window is once it is painted; the picture is taken before it
# is told to close.
shoot() {
  local name=$1 ready left top right bottom
  shift
  coproc snap { wine "$snapshot" "$@" 2>/dev/null; }
  if ! read -r -t 60 -u "${snap[0]}" ready left top right bottom || [ "$ready" != ready ]; then
    echo "screenshots.sh: $name was not shown" >&2
    return 1
  fi
  bottom=${bottom%$'\r'}  # a Windows console line ends in CR LF
  import -display "$DISPLAY" -window root -crop "$((right - left))x$((bottom - top))+$left+$top" +repage \
    "$out/$name.png"
  echo done >&"${snap[1]}"
  wait "$snap_PID" || true
  echo "$out/$name.png"
}
shoot explorer-data-folder explorer ""
shoot explorer-category explorer 'サンプル'
shoot explorer-directory explorer 'サンプル\sample.vmf\ソフト'
shoot browser-data-folder browser ""
shoot browser-category browser '/select,サンプル\sample.vmf'
shoot browser-directory browser '/select,サンプル\sample.vmf\ソフト\setup.exe'
