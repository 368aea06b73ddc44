#!/usr/bin/env bash
# Builds both trees once and runs every test: the layer check, the native
# core tests (with sanitizers), the Windows tests under Wine inside one Xvfb
# session, and a bounded fuzz run.  Exits non-zero on any failure.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/wine-env.sh"
fuzz_seconds=${CATALOOM_FUZZ_SECONDS:-60}

"$root/scripts/build.sh" all || { echo "BUILD FAILED"; exit 1; }

status=0 ; summary=()
# The layers: no include runs from a lower folder to a higher one.
out=$("$root/scripts/check-layers.sh" 2>&1) || status=1
echo "$out"
summary+=("layers: $(echo "$out" | tail -1)")
cleanup() {
  wineserver -k >/dev/null 2>&1
  cataloom_xvfb_stop
}
trap cleanup EXIT

# Prints a ctest run: everything when it failed, its totals otherwise.
report() {
  if [ "$2" = 0 ]; then echo "$1" | grep -E 'tests passed|Total Test time'
  else echo "$1" | grep -v -E '^ *Start +[0-9]+:'; fi
  return "$2"
}

# Host tests.
out=$(cd "$root/build/host" && ctest --output-on-failure -j "$(nproc)" 2>&1); rc=$?
report "$out" $rc || status=1
summary+=("host:  $(echo "$out" | grep -E 'tests passed|tests failed' | tail -1)")

# Windows tests: one Xvfb for the whole run, up before the first Wine call,
# and one persistent wineserver so each program starts quickly.
cataloom_xvfb_start 91 || exit 1
# A server an earlier run left behind keeps that run's display.
wineserver -k >/dev/null 2>&1 || true
wineserver -w >/dev/null 2>&1 || true
cataloom_wine_start
# Temporary trees an interrupted earlier run left behind.
rm -rf "$WINEPREFIX"/drive_c/users/*/Temp/cataloom-test-* 2>/dev/null || true
out=$(cd "$root/build/win64" && ctest --output-on-failure 2>&1); rc=$?
report "$out" $rc || status=1
summary+=("win64: $(echo "$out" | grep -E 'tests passed|tests failed' | tail -1)")

# Fuzzing: bounded, fails on any crash, leak or hang.
fuzz="$root/build/fuzz/fuzz/fuzz_catalog"
if [ -x "$fuzz" ]; then
  "$root/scripts/fuzz.sh" "$fuzz_seconds" > "$root/build/fuzz/last-run.log" 2>&1; rc=$?
  tail -3 "$root/build/fuzz/last-run.log"
  [ $rc = 0 ] || status=1
  summary+=("fuzz:  $(grep -aE '^Done' "$root/build/fuzz/last-run.log" | tail -1), $(grep -aoE 'cov: [0-9]+ ft: [0-9]+' "$root/build/fuzz/last-run.log" | tail -1) (exit $rc)")
fi

echo "==== summary ===="
printf '%s\n' "${summary[@]}"
[ $status = 0 ] && echo "ALL TESTS PASSED" || echo "SOME TESTS FAILED"
exit $status
