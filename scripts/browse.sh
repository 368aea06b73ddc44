#!/usr/bin/env bash
# Shows the sample catalogues in CataloomBrowser.exe under Wine: registers
# dist/Cataloom.dll in the project's prefix, makes the sample data folder
# (build/browse/DataRoot, see sample-data.sh), points DataRoot at it and
# starts the browser on the display in $DISPLAY.  Builds dist/ first if the
# browser is missing.  Arguments go to the browser:
#
#   scripts/browse.sh                                 the namespace root
#   scripts/browse.sh 'サンプル\sample.vmf\ソフト'      a place inside it
#   scripts/browse.sh /select,文書.vmf                 an item selected in its folder
#   scripts/browse.sh /likewine                       refuse what Wine's browser refuses
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/wine-env.sh"
source "$root/scripts/sample-data.sh"
[ -n "${DISPLAY:-}" ] || { echo "browse.sh: no display (set DISPLAY)" >&2; exit 1; }
if [ ! -f "$root/dist/CataloomBrowser.exe" ] || [ ! -f "$root/build/win64/cli/cataloom.exe" ]; then
  "$root/scripts/build.sh" win64 >/dev/null
fi
cataloom_wine_prefix
demo="$root/build/browse"
mkdir -p "$demo"
cataloom_sample_data "$demo"
wine regsvr32 /s "$(winepath -w "$root/dist/Cataloom.dll")" </dev/null >/dev/null 2>&1 ||
  { echo "browse.sh: registration failed" >&2; exit 1; }
wine reg add 'HKCU\Software\Quillmoor\Cataloom' /v DataRoot /t REG_SZ /d "$(winepath -w "$demo/DataRoot")" /f \
  </dev/null >/dev/null 2>&1
exec wine "$root/dist/CataloomBrowser.exe" "$@"
