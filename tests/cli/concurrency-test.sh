#!/usr/bin/env bash
# Readers while another process replaces a catalogue by renames, each part
# bounded by a run count: export and find.  Prints each part's runs and
# failures; any failure fails the test.
# Usage: concurrency-test.sh TOOL [TRIALS]
set -uo pipefail
tool=$1
trials=${2:-40}
work=$(mktemp -d)
replacer=
trap '[ -n "$replacer" ] && kill "$replacer" 2>/dev/null; rm -rf "$work"' EXIT
cd "$work"
total=0

report() {  # report PART RUNS FAILURES
  echo "$1: $2 runs, $3 failures"
  total=$((total + $3))
}

# Two versions of one catalogue with different names and different entries;
# another process keeps putting one or the other in place by a rename.
mkdir -p v1/one v2/two/deeper
for i in $(seq 1 200); do printf x > "v1/one/p$i"; printf yz > "v2/two/deeper/q$i"; done
"$tool" capture v1 -o one.vmf --name ONE >/dev/null && "$tool" capture v2 -o two.vmf --name TWO >/dev/null ||
  { echo "FAIL: capture of the versions"; exit 1; }
mkdir -p lib
cp one.vmf lib/disc.vmf
(
  while :; do
    cp one.vmf lib/.next && mv lib/.next lib/disc.vmf
    cp two.vmf lib/.next && mv lib/.next lib/disc.vmf
  done
) & replacer=$!

# Every row of an export comes from the version whose name labels it, and a
# catalogue sound in every version is never reported damaged.
failed=0
runs=$((trials * 5))
for t in $(seq 1 "$runs"); do
  # The data folder and the catalogue itself, in turn.
  source=lib
  [ $((t % 2)) = 0 ] && source=lib/disc.vmf
  timeout 60 "$tool" export "$source" >rows.csv 2>export.err; rc=$?
  mixed=$(grep -c -e '^ONE,[^,]*,two/' -e '^TWO,[^,]*,one/' rows.csv)
  if [ "$rc" != 0 ] || [ -s export.err ] || [ "$mixed" != 0 ]; then
    failed=$((failed + 1))
    [ "$failed" = 1 ] && echo "first failure: status $rc, $mixed mixed rows: $(cat export.err)"
  fi
done
report "export during replacement" "$runs" "$failed"

failed=0
for t in $(seq 1 "$runs"); do
  timeout 60 "$tool" find lib 'p1*' >hits.txt 2>find.err; rc=$?
  if [ "$rc" != 0 ] || [ -s find.err ]; then
    failed=$((failed + 1))
    [ "$failed" = 1 ] && echo "first failure: status $rc: $(cat find.err)"
  fi
done
report "find during replacement" "$runs" "$failed"

kill "$replacer" 2>/dev/null
wait "$replacer" 2>/dev/null
replacer=
[ "$total" = 0 ] && echo "all passed" || echo "$total failures"
[ "$total" = 0 ]
