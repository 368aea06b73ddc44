#!/usr/bin/env bash
# End-to-end checks of the cataloom tool: capture, info, ls, find and check on
# a tree with Japanese names, and the exit status and message of bad input.
set -uo pipefail
tool=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
expect() {  # expect NAME EXPECTED-STATUS COMMAND... ; output in $out
  local name=$1 status=$2; shift 2
  out=$("$@" 2>"$work/stderr"); local rc=$?
  if [ "$rc" != "$status" ]; then echo "FAIL $name: status $rc, expected $status"; cat "$work/stderr"; failures=$((failures+1)); fi
}
contains() {  # contains NAME TEXT: $out must hold TEXT
  if ! grep -qF -- "$2" <<<"$out"; then echo "FAIL $1: no \"$2\" in:"; echo "$out"; failures=$((failures+1)); fi
}

mkdir -p "$work/src/写真/旅行" "$work/src/docs" "$work/data/棚"
printf '12345' > "$work/src/写真/旅行/京都.jpg"
printf 'abc' > "$work/src/docs/readme.TXT"
cd "$work"

expect capture 0 "$tool" capture src -o data/棚/disc.vmf --name ディスク
contains capture "3 directories, 2 files"
expect info 0 "$tool" info data/棚/disc.vmf
contains info-name "ディスク"
contains info-dirs "Directories:  3"
contains info-files "Files:        2"
expect ls 0 "$tool" ls data/棚/disc.vmf
[ "$out" = $'docs/\n写真/' ] || { echo "FAIL ls: $out"; failures=$((failures+1)); }
expect ls-long 0 "$tool" ls data/棚/disc.vmf 写真 -l
contains ls-long-total "               5  "
expect find 0 "$tool" find data 京
contains find-hit $'棚/disc.vmf/写真/旅行/京都.jpg\t5\t'
expect find-wild 0 "$tool" find data '*.txt'
contains find-wild-hit "棚/disc.vmf/docs/readme.TXT"
expect find-case 0 "$tool" find data '*.txt' --case
[ -z "$out" ] || { echo "FAIL find --case: $out"; failures=$((failures+1)); }
expect find-in 0 "$tool" find data '' --in 棚/disc.vmf/写真
[ "$(wc -l <<<"$out")" = 2 ] || { echo "FAIL find --in: $out"; failures=$((failures+1)); }
expect check 0 "$tool" check data/棚/disc.vmf
contains check-sound "sound, 3 directories, 2 files"
# A name is required where none can be chosen, and refused when invalid.
expect no-name 2 "$tool" capture /
expect bad-name 2 "$tool" capture src --name 'a?b'
ls *.vmf >/dev/null 2>&1 && { echo "FAIL: a catalogue was written for a refused name"; failures=$((failures+1)); }
# Damaged and missing files: a message and a non-zero status.
head -c 600 data/棚/disc.vmf > short.vmf
expect check-damaged 1 "$tool" check short.vmf
contains check-damaged-where "damaged: header: directory table size"
expect ls-damaged 1 "$tool" ls short.vmf
expect info-missing 1 "$tool" info missing.vmf
expect ls-missing-dir 1 "$tool" ls data/棚/disc.vmf nothing
expect usage 2 "$tool" ls
expect unknown 2 "$tool" frobnicate
[ "$failures" = 0 ] && echo "cli tests passed" || { echo "$failures cli test(s) failed"; exit 1; }
