#!/usr/bin/env bash
# End-to-end checks of the cataloom tool: capture, info, ls, find and check on
# a tree with Japanese names, and the exit status and message of bad input.
# The second argument writes the catalogues the tool cannot capture (a nameless
# one and crafted ones).
set -uo pipefail
tool=$1
fixtures=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
expect() {  # expect NAME EXPECTED-STATUS COMMAND... ; output in $out, errors in $err
  local name=$1 status=$2; shift 2
  # Bounded: a command that blocks or runs for ever fails instead of hanging the run.
  out=$(timeout 60 "$@" 2>"$work/stderr"); local rc=$?
  err=$(cat "$work/stderr")
  if [ "$rc" != "$status" ]; then echo "FAIL $name: status $rc, expected $status"; cat "$work/stderr"; failures=$((failures+1)); fi
}
contains() {  # contains NAME TEXT: $out must hold TEXT
  if ! grep -qF -- "$2" <<<"$out"; then echo "FAIL $1: no \"$2\" in:"; echo "$out"; failures=$((failures+1)); fi
}
warns() {  # warns NAME LINE: the last command's stderr must hold LINE as a whole line
  if ! grep -qxF -- "$2" "$work/stderr"; then echo "FAIL $1: no line \"$2\" in:"; cat "$work/stderr"; failures=$((failures+1)); fi
}
is() {  # is NAME EXPECTED: $out must be EXPECTED exactly
  [ "$out" = "$2" ] || { echo "FAIL $1: got \"$out\""; failures=$((failures+1)); }
}
complains() {  # complains NAME TEXT: $err must hold TEXT
  if ! grep -qF -- "$2" <<<"$err"; then echo "FAIL $1: no \"$2\" in:"; echo "$err"; failures=$((failures+1)); fi
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
# Names code page 932 cannot hold as they are keep their contents, and a
# backslash in a Linux name is no separator: each directory lists its own.
mkdir -p "t/第1話〜第3話" "t/Season 1—2" 't/back\slash' t/back/slash
printf 'a' > "t/第1話〜第3話/a.txt"; printf 'bb' > "t/Season 1—2/b.txt"
printf 'ccc' > 't/back\slash/own.txt'; printf 'dddd' > t/back/slash/other.txt
expect names 0 "$tool" capture t -o names.vmf
contains names-counts "5 directories, 4 files"
warns names-warning "cataloom: warning: 3 names were changed to fit code page 932 (-v shows which)"
expect names-ls 0 "$tool" ls names.vmf
is names-ls $'back/\nback_slash/\nSeason 1―2/\n第1話～第3話/'
expect names-wave 0 "$tool" ls names.vmf 第1話～第3話
is names-wave a.txt
expect names-dash 0 "$tool" ls names.vmf 'Season 1―2'
is names-dash b.txt
expect names-backslash 0 "$tool" ls names.vmf back_slash
is names-backslash own.txt
expect names-slash 0 "$tool" ls names.vmf back/slash
is names-slash other.txt
expect names-check 0 "$tool" check names.vmf
contains names-sound "sound, 5 directories, 4 files"
expect names-verbose 0 "$tool" capture t -o names.vmf -v
warns names-verbose-warning "cataloom: warning: 3 names were changed to fit code page 932"
warns names-verbose-which "cataloom:   $work/t/第1話～第3話"
warns names-verbose-which "cataloom:   $work/t/Season 1―2"
warns names-verbose-which "cataloom:   $work/t/back_slash"
# A directory that cannot be read: the catalogue is written, a warning says
# so, and the status is 3.  Root reads every directory; it is run without
# the capabilities that allow it.
mkdir -p u/locked/inner u/open
printf 'x' > u/open/f; printf 'y' > u/locked/g
chmod 000 u/locked
as_user=()
[ "$(id -u)" = 0 ] && as_user=(setpriv --inh-caps=-dac_override,-dac_read_search --bounding-set=-dac_override,-dac_read_search)
if [ "$(id -u)" = 0 ] && ! command -v setpriv >/dev/null; then
  echo "SKIP unread: running as root without setpriv"
else
  expect unread 3 "${as_user[@]}" "$tool" capture u -o unread.vmf
  contains unread-counts "2 directories, 1 files"
  warns unread-warning "cataloom: warning: 1 directory could not be read and is recorded without contents (-v shows which)"
  expect unread-verbose 3 "${as_user[@]}" "$tool" capture u -o unread.vmf -v
  warns unread-which "cataloom:   $work/u/locked"
  expect unread-ls 0 "$tool" ls unread.vmf locked
  is unread-ls ""
fi
chmod 755 u/locked
expect help 0 "$tool" --help
contains help-status "3 catalogue written but some directories could not be read"

# A location that does not exist is an error, inside a catalogue too.
expect find-in-missing 1 "$tool" find data '' --in 棚/disc.vmf/nothing
complains find-in-missing-message "cataloom: no such location in the data folder: 棚/disc.vmf/nothing"
expect find-in-file 1 "$tool" find data '' --in 棚/disc.vmf/docs/readme.TXT
expect find-in-above 1 "$tool" find data '' --in ../data

# A catalogue without a name (captured from an unlabelled volume).
mkdir -p data/名無し crafted
"$fixtures" crafted || { echo "FAIL: cli_fixtures"; exit 1; }
mv crafted/nameless.vmf data/名無し/
expect ls-nameless 0 "$tool" ls data/名無し/nameless.vmf
[ "$out" = $'sub/\ntop.txt' ] || { echo "FAIL ls-nameless: $out"; failures=$((failures+1)); }
expect ls-nameless-sub 0 "$tool" ls data/名無し/nameless.vmf sub
[ "$out" = $'deep/\ninner.txt' ] || { echo "FAIL ls-nameless-sub: $out"; failures=$((failures+1)); }
expect ls-nameless-deep 0 "$tool" ls data/名無し/nameless.vmf /sub/deep
[ "$out" = 'leaf.txt' ] || { echo "FAIL ls-nameless-deep: $out"; failures=$((failures+1)); }
expect find-nameless 0 "$tool" find data leaf
contains find-nameless $'名無し/nameless.vmf/sub/deep/leaf.txt\t3\t'
[ "$(wc -l <<<"$out")" = 1 ] || { echo "FAIL find-nameless: $out"; failures=$((failures+1)); }
expect find-in-nameless 0 "$tool" find data txt --in 名無し/nameless.vmf/sub
[ "$(cut -f1 <<<"$out")" = $'名無し/nameless.vmf/sub/deep/leaf.txt\n名無し/nameless.vmf/sub/inner.txt' ] ||
  { echo "FAIL find-in-nameless: $out"; failures=$((failures+1)); }
expect find-in-nameless-missing 1 "$tool" find data '' --in 名無し/nameless.vmf/nothing

# Crafted catalogues: a list declared 4 GiB long in a 564-byte file, and
# tables whose records lead back to the same directories.  Each is reported
# and skipped; the search ends, and says so in its status.
[ "$(stat -c %s crafted/huge.vmf)" = 564 ] || { echo "FAIL: huge.vmf is not 564 bytes"; failures=$((failures+1)); }
expect find-crafted 1 "$tool" find crafted ''
for f in huge loop loop30; do
  complains find-crafted-$f "cataloom: warning: damaged catalogue not fully searched: crafted/$f.vmf"
done
[ "$(grep -c '^loop30.vmf/' <<<"$out")" = 122 ] || { echo "FAIL find-crafted: $(grep -c '^loop30.vmf/' <<<"$out") hits in loop30.vmf"; failures=$((failures+1)); }
expect find-in-crafted 1 "$tool" find crafted '' --in huge.vmf
[ -z "$out" ] || { echo "FAIL find-in-crafted: $out"; failures=$((failures+1)); }

# Anything but a regular file named like a catalogue is refused without
# waiting for it: here a FIFO that nobody writes to.
mkfifo data/棚/fifo.vmf
expect info-fifo 1 "$tool" info data/棚/fifo.vmf
complains info-fifo-message "cataloom: not a catalogue (no regular file with a \"!vmf\" header): data/棚/fifo.vmf"
expect ls-fifo 1 "$tool" ls data/棚/fifo.vmf
expect check-fifo 1 "$tool" check data/棚/fifo.vmf
expect find-fifo 0 "$tool" find data 京
contains find-fifo-hit $'棚/disc.vmf/写真/旅行/京都.jpg\t5\t'
expect find-in-fifo 1 "$tool" find data '' --in 棚/fifo.vmf
rm data/棚/fifo.vmf

# A name with dots is still a catalogue: it ends in ".vmf", which is always added.
mkdir v1.2
printf 'x' > v1.2/notes.txt
expect capture-dots 0 "$tool" capture v1.2 --name v1.2 -o data/棚/v1.2
[ -f data/棚/v1.2.vmf ] || { echo "FAIL capture-dots: no v1.2.vmf"; ls data/棚; failures=$((failures+1)); }
expect find-dots 0 "$tool" find data notes
contains find-dots-hit "棚/v1.2.vmf/notes.txt"

[ "$failures" = 0 ] && echo "cli tests passed" || { echo "$failures cli test(s) failed"; exit 1; }
