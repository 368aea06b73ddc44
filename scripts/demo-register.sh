#!/usr/bin/env bash
# Registers Cataloom.dll in a fresh Wine prefix and shows that the
# registration took: the namespace CLSID names the library, the .vmf type
# resolves to its ProgID and the desktop lists the namespace entry.
# Builds dist/ first when it is missing.  Exits non-zero if a check fails.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${CATALOOM_DEMO_PREFIX:-$root/build/demo-wineprefix}
source "$root/scripts/wine-env.sh"

folder_clsid='{82B07BC4-AD2A-4D64-9D02-731A84AC7151}'
[ -f "$root/dist/Cataloom.dll" ] || "$root/scripts/build.sh" win64 >/dev/null || exit 1

echo "== a fresh Wine prefix: $WINEPREFIX"
wineserver -k >/dev/null 2>&1
rm -rf "$WINEPREFIX"
cataloom_wine_prefix

echo "== dist/ copied to C:\\Cataloom, registered with regsvr32 (DllRegisterServer)"
mkdir -p "$WINEPREFIX/drive_c/Cataloom"
cp "$root/dist/"* "$WINEPREFIX/drive_c/Cataloom/"
wine regsvr32 /s 'C:\Cataloom\Cataloom.dll'
echo "regsvr32 exit status: $?"

status=0
# Prints a registry value and checks that it holds the expected text.
check() {  # key value-switch expected
  local out
  out=$(wine reg query "$1" $2 2>/dev/null | tr -d '\r' | iconv -f CP932 -t UTF-8)
  echo "$out" | grep -v '^$'
  if echo "$out" | grep -qF -- "$3"; then echo "   ok: $3"; else echo "   MISSING: $3"; status=1; fi
}
echo "== the namespace CLSID"
check "HKCR\\CLSID\\$folder_clsid" /ve "Cataloom"
check "HKCR\\CLSID\\$folder_clsid\\InprocServer32" /ve 'C:\Cataloom\Cataloom.dll'
check "HKCR\\CLSID\\$folder_clsid\\InprocServer32" "/v ThreadingModel" "Apartment"
echo "== the .vmf type"
check 'HKCR\.vmf' /ve "Virtual.Media.File"
check 'HKCR\Virtual.Media.File\CLSID' /ve "$folder_clsid"
check 'HKCR\Virtual.Media.File\shell\explore\command' /ve "explorer /e,/root,$folder_clsid,%L"
echo "== the desktop namespace entry and the settings"
check "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\explorer\\Desktop\\NameSpace\\$folder_clsid" /ve "Cataloom"
check 'HKCU\Software\Quillmoor\Cataloom' "/v DataRoot" 'C:\Cataloom\DataRoot'
echo "== the file type as the shell's command line resolves it"
assoc=$(wine cmd /c assoc .vmf 2>/dev/null | tr -d '\r')
echo "$assoc"
[ "$assoc" = ".vmf=Virtual.Media.File" ] || { echo "   MISSING: .vmf=Virtual.Media.File"; status=1; }

wineserver -k >/dev/null 2>&1
[ $status = 0 ] && echo "REGISTRATION VERIFIED" || echo "REGISTRATION CHECK FAILED"
exit $status
