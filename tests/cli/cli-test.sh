#!/usr/bin/env bash
# End-to-end checks of the cataloom tool: capture, info, ls, find, check and
# export on a tree with Japanese names, and the exit status and message of bad
# input.
# The second argument writes the catalogues the tool cannot capture (a nameless
# one and crafted ones).
set -uo pipefail
tool=$1
fixtures=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The names index of every data folder goes to this run's own cache folder.
export XDG_CACHE_HOME="$work/cache"
failures=0
expect() {  # expect NAME EXPECTED-STATUS COMMAND... ; output in $out, errors in $err
  local name=$1 status=$2; shift 2
  # Bounded: a command that blocks or runs for ever fails instead of hanging the run.
  out=$(timeout 60 "$@" 2>"$work/stderr"); local rc=$?
  err=$(cat "$work/stderr")
  if [ "$rc" != "$status" ]; then echo "FAIL $name: status $rc, expected $status"; cat "$work/stderr"; failures=$((failures+1)); fi
}
run() {  # run NAME EXPECTED-STATUS OUTFILE COMMAND... ; stdout byte for byte in OUTFILE, errors in $err
  local name=$1 status=$2 file=$3; shift 3
  timeout 60 "$@" >"$file" 2>"$work/stderr"; local rc=$?
  err=$(cat "$work/stderr")
  if [ "$rc" != "$status" ]; then echo "FAIL $name: status $rc, expected $status"; cat "$work/stderr"; failures=$((failures+1)); fi
}
same() {  # same NAME FILE EXPECTED-FILE: the two files are equal byte for byte
  if ! cmp -s "$2" "$3"; then echo "FAIL $1: $2 differs from $3:"; diff <(od -c "$3") <(od -c "$2") | head -20; failures=$((failures+1)); fi
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
contains names-information "3 names are stored in another code page 932 form and kept exactly beside it (-v shows which)"
expect names-ls 0 "$tool" ls names.vmf
is names-ls $'back/\nback\\x5cslash/\nSeason 1—2/\n第1話〜第3話/'
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
contains names-verbose-information "3 names are stored in another code page 932 form and kept exactly beside it"
contains names-verbose-which "  $work/t/第1話～第3話"
contains names-verbose-which "  $work/t/Season 1―2"
contains names-verbose-which "  $work/t/back_slash"
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
mkdir -p data/名無し crafted out
"$fixtures" crafted || { echo "FAIL: cli_fixtures"; exit 1; }
mv crafted/nameless.vmf data/名無し/
mkdir -p hostile longdata && mv crafted/hostile.vmf hostile/ && mv crafted/long.vmf longdata/
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

# Export: every entry of a catalogue with its catalogue, path, kind, size,
# UTC times and attributes, as CSV (RFC 4180: CR LF, quotes doubled, fields
# with commas, quotes or line breaks quoted), JSON or the file-list format.
t1=2014-11-14T11:41:59.3744385Z t2=2014-11-14T11:41:59.3744386Z
printf '%s\r\n' \
  'catalogue,catalogue_file,path,type,size,created,modified,attributes' \
  "\"Disc, one\",crafted/awkward.vmf,\"a,b.txt\",file,1,$t1,$t2,32" \
  '"Disc, one",crafted/awkward.vmf,line\x0abreak,file,3,,,32' \
  "\"Disc, one\",crafted/awkward.vmf,\"say \"\"hi\"\".txt\",file,2,$t1,$t2,32" \
  '"Disc, one",crafted/awkward.vmf,whole,file,4,1970-01-01T00:00:00Z,2000-02-29T12:34:56Z,35' \
  "\"Disc, one\",crafted/awkward.vmf,ソ,directory,10,$t1,$t2,16" \
  '"Disc, one",crafted/awkward.vmf,ソ/表.txt,file,10,1601-01-01T00:00:00.0000001Z,1601-01-01T00:00:00.0000002Z,128' \
  > awkward.expected.csv
run export-csv 0 awkward.csv "$tool" export crafted/awkward.vmf
same export-csv awkward.csv awkward.expected.csv
run export-csv-o 0 /dev/null "$tool" export crafted/awkward.vmf --format csv -o out/awkward.csv
same export-csv-o out/awkward.csv awkward.expected.csv
printf '%s\n' '[' \
  "{\"catalogue\":\"Disc, one\",\"catalogue_file\":\"crafted/awkward.vmf\",\"path\":\"a,b.txt\",\"type\":\"file\",\"size\":1,\"created\":\"$t1\",\"modified\":\"$t2\",\"attributes\":32}," \
  '{"catalogue":"Disc, one","catalogue_file":"crafted/awkward.vmf","path":"line\\x0abreak","type":"file","size":3,"created":null,"modified":null,"attributes":32},' \
  "{\"catalogue\":\"Disc, one\",\"catalogue_file\":\"crafted/awkward.vmf\",\"path\":\"say \\\"hi\\\".txt\",\"type\":\"file\",\"size\":2,\"created\":\"$t1\",\"modified\":\"$t2\",\"attributes\":32}," \
  '{"catalogue":"Disc, one","catalogue_file":"crafted/awkward.vmf","path":"whole","type":"file","size":4,"created":"1970-01-01T00:00:00Z","modified":"2000-02-29T12:34:56Z","attributes":35},' \
  "{\"catalogue\":\"Disc, one\",\"catalogue_file\":\"crafted/awkward.vmf\",\"path\":\"ソ\",\"type\":\"directory\",\"size\":10,\"created\":\"$t1\",\"modified\":\"$t2\",\"attributes\":16}," \
  '{"catalogue":"Disc, one","catalogue_file":"crafted/awkward.vmf","path":"ソ/表.txt","type":"file","size":10,"created":"1601-01-01T00:00:00.0000001Z","modified":"1601-01-01T00:00:00.0000002Z","attributes":128}' \
  ']' > awkward.expected.json
run export-json 0 awkward.json "$tool" export crafted/awkward.vmf --format json
same export-json awkward.json awkward.expected.json
printf '%s\r\n' 'Filename,Size,Date Modified,Date Created,Attributes' \
  '"crafted\awkward.vmf\a,b.txt",1,130604389193744386,130604389193744385,32' \
  '"crafted\awkward.vmf\say ""hi"".txt",2,130604389193744386,130604389193744385,32' \
  '"crafted\awkward.vmf\whole",4,125963012960000000,116444736000000000,35' \
  '"crafted\awkward.vmf\ソ",10,130604389193744386,130604389193744385,16' \
  '"crafted\awkward.vmf\ソ\表.txt",10,2,1,128' > awkward.expected.efu
# A damaged name ("line\nbreak") would show as "line\x0abreak", which the
# backslashes of this format would split: it is left out, with a warning.
run export-efu 1 awkward.efu "$tool" export crafted/awkward.vmf --format efu
same export-efu awkward.efu awkward.expected.efu
# A data folder: its catalogues in name order, each entry once; a damaged
# catalogue is skipped whole, with a warning and a failing status at the end.
mkdir -p exp/a exp/b
cp crafted/awkward.vmf exp/a/ && cp crafted/huge.vmf exp/b/ && cp data/名無し/nameless.vmf exp/b/
printf '%s\n' '[' \
  '{"catalogue":"Disc, one","catalogue_file":"a/awkward.vmf","path":"ソ/表.txt","type":"file","size":10,"created":"1601-01-01T00:00:00.0000001Z","modified":"1601-01-01T00:00:00.0000002Z","attributes":128},' \
  "{\"catalogue\":\"\",\"catalogue_file\":\"b/nameless.vmf\",\"path\":\"sub\",\"type\":\"directory\",\"size\":5,\"created\":\"$t1\",\"modified\":\"$t2\",\"attributes\":16}," \
  "{\"catalogue\":\"\",\"catalogue_file\":\"b/nameless.vmf\",\"path\":\"sub/deep\",\"type\":\"directory\",\"size\":3,\"created\":\"$t1\",\"modified\":\"$t2\",\"attributes\":16}," \
  "{\"catalogue\":\"\",\"catalogue_file\":\"b/nameless.vmf\",\"path\":\"sub/deep/leaf.txt\",\"type\":\"file\",\"size\":3,\"created\":\"$t1\",\"modified\":\"$t2\",\"attributes\":32}," \
  "{\"catalogue\":\"\",\"catalogue_file\":\"b/nameless.vmf\",\"path\":\"sub/inner.txt\",\"type\":\"file\",\"size\":2,\"created\":\"$t1\",\"modified\":\"$t2\",\"attributes\":32}," \
  "{\"catalogue\":\"\",\"catalogue_file\":\"b/nameless.vmf\",\"path\":\"top.txt\",\"type\":\"file\",\"size\":1,\"created\":\"$t1\",\"modified\":\"$t2\",\"attributes\":32}" \
  ']' > folder.expected.json
(head -6 awkward.expected.json && tail -n +2 folder.expected.json) | sed 's|crafted/awkward|a/awkward|' > folder.full.json
run export-folder 1 folder.json "$tool" export exp/ --format json -o out/folder.json
same export-folder out/folder.json folder.full.json
[ "$err" = "cataloom: warning: damaged catalogue skipped: exp/b/huge.vmf" ] || { echo "FAIL export-folder warning: $err"; failures=$((failures+1)); }
printf '%s\r\n' 'Filename,Size,Date Modified,Date Created,Attributes' \
  '"nameless.vmf\sub",5,130604389193744386,130604389193744385,16' \
  '"nameless.vmf\sub\deep",3,130604389193744386,130604389193744385,16' \
  '"nameless.vmf\sub\deep\leaf.txt",3,130604389193744386,130604389193744385,32' \
  '"nameless.vmf\sub\inner.txt",2,130604389193744386,130604389193744385,32' \
  '"nameless.vmf\top.txt",1,130604389193744386,130604389193744385,32' > folder-b.expected.efu
run export-folder-efu 1 folder-b.efu "$tool" export exp/b --format efu
same export-folder-efu folder-b.efu folder-b.expected.efu
printf '[]\n' > empty.expected.json
mkdir empty
run export-empty 0 empty.json "$tool" export empty --format json
same export-empty empty.json empty.expected.json
# Nothing is written for a damaged catalogue given alone: what -o names stays
# as it was, and no temporary file is left beside it.
for format in csv html; do
  printf 'keep' > out/kept.csv
  run export-damaged-$format 1 damaged.csv "$tool" export crafted/loop.vmf --format $format -o out/kept.csv
  [ "$(cat out/kept.csv)" = keep ] && [ ! -s damaged.csv ] || { echo "FAIL export-damaged-$format: output written"; failures=$((failures+1)); }
  complains export-damaged-message-$format "cataloom: damaged catalogue, nothing exported: crafted/loop.vmf"
done
# The page of a data folder with a damaged catalogue: written without it,
# with the warning and a failing status.
run export-folder-html 1 /dev/null "$tool" export exp --format html -o out/folder.html
[ "$err" = "cataloom: warning: damaged catalogue skipped: exp/b/huge.vmf" ] || { echo "FAIL export-folder-html warning: $err"; failures=$((failures+1)); }
grep -q '^<script id="data" type="application/octet-stream">[A-Za-z0-9+/=]*</script>$' out/folder.html ||
  { echo "FAIL export-folder-html: no data element"; failures=$((failures+1)); }
# An export never replaces a catalogue, nor goes where no file can be made.
run export-over-catalogue 2 /dev/null "$tool" export exp/a/awkward.vmf -o exp/a/awkward.vmf
cmp -s exp/a/awkward.vmf crafted/awkward.vmf || { echo "FAIL export-over-catalogue: catalogue changed"; failures=$((failures+1)); }
run export-nowhere 1 /dev/null "$tool" export exp/a/awkward.vmf -o no/such/folder/x.csv
complains export-nowhere-message "cataloom: cannot write no/such/folder/x.csv: no such folder"
# Write errors name their cause: a name the file system cannot hold, and a
# file size limit (as a full disk fails a write); the target is kept.
long=$(printf 'n%.0s' $(seq 1 245))
run export-long-name 1 /dev/null "$tool" export exp/a/awkward.vmf -o "out/$long"
complains export-long-name-message "cataloom: cannot write out/$long: the name is too long"
printf keep > out/full.csv
run export-full 1 /dev/null bash -c "trap '' XFSZ; ulimit -f 1; exec \"\$0\" export exp/a/awkward.vmf --format json -o out/full.csv" "$tool"
complains export-full-message "cataloom: writing out/full.csv failed: the disk is full"
[ "$(cat out/full.csv)" = keep ] || { echo "FAIL export-full: target changed"; failures=$((failures+1)); }
mkdir -p fullsrc && for i in $(seq 1 60); do : > "fullsrc/file$i"; done
run capture-full 1 /dev/null bash -c "trap '' XFSZ; ulimit -f 1; exec \"\$0\" capture fullsrc -o out/full.vmf" "$tool"
complains capture-full-message "cataloom: writing out/full.vmf failed: the disk is full; nothing was written"
run export-format 2 /dev/null "$tool" export exp --format xml
run export-missing 1 /dev/null "$tool" export missing.vmf
[ -z "$(ls out exp/a | grep -F .tmp)" ] || { echo "FAIL export: temporary files left: $(ls out)"; failures=$((failures+1)); }

# Diff: captures of a tree before and after known changes give exactly those
# changes, depth first and in byte order within a directory; paths match
# exactly, so a change of letter case is a removal and an addition.
mkdir -p dt/keep/sub dt/gone/deeper dt/same
printf 12345 > dt/grow.bin; printf abc > dt/touch.txt; printf x > dt/rename-me.txt; printf yy > dt/keep/sub/f
printf z > dt/gone/g1; printf zz > dt/gone/deeper/g2; printf s > dt/same/s; printf c > dt/Case.txt; printf k > dt/kind
stamp() { find dt -exec touch -d '2024-01-02 03:04:05 UTC' {} +; }
stamp
"$tool" capture dt -o before.vmf --name BEFORE >/dev/null || { echo "FAIL diff: capture"; failures=$((failures+1)); }
printf 1234567890 > dt/grow.bin
mv dt/rename-me.txt dt/renamed.txt; mv dt/Case.txt dt/case.txt; rm -r dt/gone dt/kind
mkdir -p dt/new/inner dt/kind; printf nnn > dt/new/inner/n; printf q > dt/keep/sub/added
stamp
touch -d '2024-05-06 07:08:09 UTC' dt/touch.txt
"$tool" capture dt -o after.vmf --name AFTER >/dev/null || { echo "FAIL diff: capture"; failures=$((failures+1)); }
printf '%s\n' '- Case.txt' '+ case.txt' '- gone/' '- gone/deeper/' '- gone/deeper/g2' '- gone/g1' \
  $'~ grow.bin\tsize 5 -> 10' $'~ keep/\ttotal 2 -> 3' $'~ keep/sub/\ttotal 2 -> 3' '+ keep/sub/added' \
  '- kind' '+ kind/' '+ new/' '+ new/inner/' '+ new/inner/n' '- rename-me.txt' '+ renamed.txt' \
  $'~ touch.txt\tmodified 2024-01-02T03:04:05Z -> 2024-05-06T07:08:09Z' \
  '7 added, 7 removed, 2 changed, 2 directory totals changed' > diff.expected
run diff-text 1 diff.out "$tool" diff before.vmf after.vmf
same diff-text diff.out diff.expected
m='"modified":"2024-01-02T03:04:05Z"'
printf '%s\n' '{"old":"before.vmf","new":"after.vmf","changes":[' \
  "{\"change\":\"removed\",\"path\":\"Case.txt\",\"type\":\"file\",\"old\":{\"size\":1,$m},\"new\":null}," \
  "{\"change\":\"added\",\"path\":\"case.txt\",\"type\":\"file\",\"old\":null,\"new\":{\"size\":1,$m}}," \
  "{\"change\":\"removed\",\"path\":\"gone\",\"type\":\"directory\",\"old\":{\"size\":3,$m},\"new\":null}," \
  "{\"change\":\"removed\",\"path\":\"gone/deeper\",\"type\":\"directory\",\"old\":{\"size\":2,$m},\"new\":null}," \
  "{\"change\":\"removed\",\"path\":\"gone/deeper/g2\",\"type\":\"file\",\"old\":{\"size\":2,$m},\"new\":null}," \
  "{\"change\":\"removed\",\"path\":\"gone/g1\",\"type\":\"file\",\"old\":{\"size\":1,$m},\"new\":null}," \
  "{\"change\":\"changed\",\"path\":\"grow.bin\",\"type\":\"file\",\"old\":{\"size\":5,$m},\"new\":{\"size\":10,$m}}," \
  "{\"change\":\"total\",\"path\":\"keep\",\"type\":\"directory\",\"old\":{\"size\":2,$m},\"new\":{\"size\":3,$m}}," \
  "{\"change\":\"total\",\"path\":\"keep/sub\",\"type\":\"directory\",\"old\":{\"size\":2,$m},\"new\":{\"size\":3,$m}}," \
  "{\"change\":\"added\",\"path\":\"keep/sub/added\",\"type\":\"file\",\"old\":null,\"new\":{\"size\":1,$m}}," \
  "{\"change\":\"removed\",\"path\":\"kind\",\"type\":\"file\",\"old\":{\"size\":1,$m},\"new\":null}," \
  "{\"change\":\"added\",\"path\":\"kind\",\"type\":\"directory\",\"old\":null,\"new\":{\"size\":0,$m}}," \
  "{\"change\":\"added\",\"path\":\"new\",\"type\":\"directory\",\"old\":null,\"new\":{\"size\":3,$m}}," \
  "{\"change\":\"added\",\"path\":\"new/inner\",\"type\":\"directory\",\"old\":null,\"new\":{\"size\":3,$m}}," \
  "{\"change\":\"added\",\"path\":\"new/inner/n\",\"type\":\"file\",\"old\":null,\"new\":{\"size\":3,$m}}," \
  "{\"change\":\"removed\",\"path\":\"rename-me.txt\",\"type\":\"file\",\"old\":{\"size\":1,$m},\"new\":null}," \
  "{\"change\":\"added\",\"path\":\"renamed.txt\",\"type\":\"file\",\"old\":null,\"new\":{\"size\":1,$m}}," \
  "{\"change\":\"changed\",\"path\":\"touch.txt\",\"type\":\"file\",\"old\":{\"size\":3,$m},\"new\":{\"size\":3,\"modified\":\"2024-05-06T07:08:09Z\"}}" \
  '],"summary":{"added":7,"removed":7,"changed":2,"totals_changed":2}}' > diff.expected.json
run diff-json 1 diff.json "$tool" diff before.vmf after.vmf --json
same diff-json diff.json diff.expected.json
run diff-same 0 diff-same.out "$tool" diff after.vmf after.vmf
[ "$(cat diff-same.out)" = "0 added, 0 removed, 0 changed, 0 directory totals changed" ] || { echo "FAIL diff-same: $(cat diff-same.out)"; failures=$((failures+1)); }
run diff-same-json 0 diff-same.json "$tool" diff after.vmf after.vmf --json
[ "$(cat diff-same.json)" = '{"old":"after.vmf","new":"after.vmf","changes":[],"summary":{"added":0,"removed":0,"changed":0,"totals_changed":0}}' ] ||
  { echo "FAIL diff-same-json: $(cat diff-same.json)"; failures=$((failures+1)); }
# Trouble is status 2, as diff(1) has it: a damaged or missing catalogue, bad arguments.
run diff-damaged 2 diff-damaged.out "$tool" diff before.vmf crafted/loop.vmf
complains diff-damaged-message "cataloom: damaged catalogue: crafted/loop.vmf"
[ ! -s diff-damaged.out ] || { echo "FAIL diff-damaged: output written"; failures=$((failures+1)); }
run diff-missing 2 /dev/null "$tool" diff before.vmf missing.vmf
run diff-usage 2 /dev/null "$tool" diff before.vmf

# Dups: files of equal name (letter case aside) and size across every
# catalogue of a data folder, largest waste first; empty files only when asked.
mkdir -p du/s1/a du/s2 du/data/棚 du/data/箱
printf 12345 > du/s1/京都.jpg; printf 12345 > du/s1/a/京都.JPG; printf 1234567890 > du/s1/big.iso
: > du/s1/empty; printf abc > du/s1/x.txt; printf 1234 > du/s1/ソ.txt; printf 123 > du/s1/a/ソ.txt
printf 12345 > du/s2/京都.jpg; printf 1234567890 > du/s2/big.iso; : > du/s2/empty; printf xyz > du/s2/y.txt; printf 1234 > du/s2/ソ.txt
"$tool" capture du/s1 -o du/data/棚/one.vmf --name ONE >/dev/null && "$tool" capture du/s2 -o du/data/箱/two.vmf --name TWO >/dev/null ||
  { echo "FAIL dups: capture"; failures=$((failures+1)); }
printf '%s\n' '2 files of 10 bytes, 10 bytes wasted: big.iso' $'\t棚/one.vmf\tONE\tbig.iso' $'\t箱/two.vmf\tTWO\tbig.iso' \
  '3 files of 5 bytes, 10 bytes wasted: 京都.JPG' $'\t棚/one.vmf\tONE\ta/京都.JPG' $'\t棚/one.vmf\tONE\t京都.jpg' \
  $'\t箱/two.vmf\tTWO\t京都.jpg' '2 files of 4 bytes, 4 bytes wasted: ソ.txt' $'\t棚/one.vmf\tONE\tソ.txt' \
  $'\t箱/two.vmf\tTWO\tソ.txt' '3 groups, 7 files, 24 bytes wasted' > dups.expected
run dups 0 dups.out "$tool" dups du/data
same dups dups.out dups.expected
printf '%s\n' '2 files of 10 bytes, 10 bytes wasted' $'\t棚/one.vmf\tONE\tbig.iso' $'\t箱/two.vmf\tTWO\tbig.iso' \
  '3 files of 5 bytes, 10 bytes wasted' $'\t棚/one.vmf\tONE\ta/京都.JPG' $'\t棚/one.vmf\tONE\t京都.jpg' $'\t箱/two.vmf\tTWO\t京都.jpg' \
  '3 files of 3 bytes, 6 bytes wasted' $'\t棚/one.vmf\tONE\ta/ソ.txt' $'\t棚/one.vmf\tONE\tx.txt' $'\t箱/two.vmf\tTWO\ty.txt' \
  '2 files of 4 bytes, 4 bytes wasted' $'\t棚/one.vmf\tONE\tソ.txt' $'\t箱/two.vmf\tTWO\tソ.txt' \
  '2 files of 0 bytes, 0 bytes wasted' $'\t棚/one.vmf\tONE\tempty' $'\t箱/two.vmf\tTWO\tempty' \
  '5 groups, 12 files, 30 bytes wasted' > dups-size.expected
run dups-size 0 dups-size.out "$tool" dups du/data --by size --min-size 0
same dups-size dups-size.out dups-size.expected
printf '%s\n' '{"by":"name+size","min_size":5,"groups":[' \
  '{"name":"big.iso","size":10,"count":2,"wasted":10,"members":[{"catalogue":"ONE","catalogue_file":"棚/one.vmf","path":"big.iso"},{"catalogue":"TWO","catalogue_file":"箱/two.vmf","path":"big.iso"}]},' \
  '{"name":"京都.JPG","size":5,"count":3,"wasted":10,"members":[{"catalogue":"ONE","catalogue_file":"棚/one.vmf","path":"a/京都.JPG"},{"catalogue":"ONE","catalogue_file":"棚/one.vmf","path":"京都.jpg"},{"catalogue":"TWO","catalogue_file":"箱/two.vmf","path":"京都.jpg"}]}' \
  '],"summary":{"groups":2,"files":5,"wasted":20}}' > dups.expected.json
run dups-json 0 dups.json "$tool" dups du/data --min-size 5 --json
same dups-json dups.json dups.expected.json
run dups-none 0 dups-none.json "$tool" dups du/data --min-size 11 --json
[ "$(cat dups-none.json)" = '{"by":"name+size","min_size":11,"groups":[],"summary":{"groups":0,"files":0,"wasted":0}}' ] ||
  { echo "FAIL dups-none: $(cat dups-none.json)"; failures=$((failures+1)); }
# Zero-size files ignored by default, counted with --min-size 0.
run dups-empty 0 dups-empty.out "$tool" dups du/data --min-size 0
out=$(cat dups-empty.out)
contains dups-empty-group "2 files of 0 bytes, 0 bytes wasted: empty"
# A damaged catalogue is skipped with a warning; the others still count.
cp crafted/loop30.vmf du/data/箱/
run dups-damaged 1 dups-damaged.out "$tool" dups du/data
same dups-damaged dups-damaged.out dups.expected
[ "$err" = "cataloom: warning: damaged catalogue skipped: du/data/箱/loop30.vmf" ] || { echo "FAIL dups-damaged warning: $err"; failures=$((failures+1)); }
run dups-usage 2 /dev/null "$tool" dups du/data --by colour
run dups-missing 1 /dev/null "$tool" dups nowhere

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

# Hostile names: no terminal escape, no second line, no formula, no path that
# names another entry.  Each name is written "\xHH" where it offends.
expect check-hostile 1 "$tool" check hostile/hostile.vmf
for line in 'damaged: entry list of "R", entry "C:\x5cWindows\x5csystem32\x5ccalc.exe": holds a path separator' \
    "damaged: entry list of \"R\", entry \"=cmd|' \\x2fC calc'!A0\": holds a path separator" \
    'damaged: entry list of "R", entry "\x2e\x2e": is "." or ".."' \
    'damaged: entry list of "R", entry "\x1b[2Jclear\x0anext": holds a control character' \
    'damaged: entry list of "R", entry "cut\x81": holds a cut double-byte character'; do
  grep -qxF -- "$line" <<<"$out" || { echo "FAIL check-hostile: no line \"$line\" in:"; echo "$out"; failures=$((failures+1)); }
done
expect ls-hostile 0 "$tool" ls hostile/hostile.vmf
is ls-hostile $'\\x1b[2Jclear\\x0anext\n+1\n\\x2e\\x2e/\n=cmd|\' \\x2fC calc\'!A0\n@sum\nC:\\x5cWindows\\x5csystem32\\x5ccalc.exe\ncut\\x81'
expect find-hostile 1 "$tool" find hostile ''
grep -q $'\x1b' <<<"$out" && { echo "FAIL find-hostile: an escape reached the terminal"; failures=$((failures+1)); }
contains find-hostile-dots $'hostile.vmf/\\x2e\\x2e/x\t7\t'
contains find-hostile-escape $'hostile.vmf/\\x1b[2Jclear\\x0anext\t3\t'
warns find-hostile-warning 'cataloom: warning: entry not listed, its name holds a path separator: hostile/hostile.vmf C:\x5cWindows\x5csystem32\x5ccalc.exe'
expect find-hostile-pattern 1 "$tool" find hostile calc
[ "$(wc -l <<<"$out")" = 1 ] && contains find-hostile-formula "hostile.vmf/=cmd|' \\x2fC calc'!A0" || { echo "FAIL find-hostile-pattern: $out"; failures=$((failures+1)); }
# A spreadsheet takes "=", "+", "-", "@", tab and CR for a formula: an apostrophe first, unless --raw-cells.
run export-hostile 1 hostile.csv "$tool" export hostile/hostile.vmf
cut -d, -f3 hostile.csv > hostile.paths
printf '%s\n' path '\x1b[2Jclear\x0anext' "'+1" '\x2e\x2e' '\x2e\x2e/x' "'=cmd|' \\x2fC calc'!A0" "'@sum" \
  > hostile.expected.paths
same export-hostile hostile.paths hostile.expected.paths
warns export-hostile-warning 'cataloom: warning: entry skipped, its name holds a path separator: hostile/hostile.vmf C:\x5cWindows\x5csystem32\x5ccalc.exe'
warns export-hostile-cut 'cataloom: warning: entry skipped, its name holds a cut double-byte character: hostile/hostile.vmf cut\x81'
run export-hostile-raw 1 hostile-raw.csv "$tool" export hostile/hostile.vmf --raw-cells
cut -d, -f3 hostile-raw.csv | grep -qxF "=cmd|' \\x2fC calc'!A0" || { echo "FAIL export-hostile-raw"; failures=$((failures+1)); }
run export-hostile-json 1 hostile.json "$tool" export hostile/hostile.vmf --format json
grep -qF '"path":"\\x1b[2Jclear\\x0anext"' hostile.json || { echo "FAIL export-hostile-json"; cat hostile.json; failures=$((failures+1)); }
run export-hostile-efu 1 hostile.efu "$tool" export hostile/hostile.vmf --format efu
grep -qF 'clear' hostile.efu && { echo "FAIL export-hostile-efu: a damaged name in a backslash-joined path"; failures=$((failures+1)); }
warns export-hostile-efu-warning 'cataloom: warning: entry skipped, the file-list format cannot write a damaged name: hostile/hostile.vmf \x2e\x2e/x'
# A pattern that is not text would be a run of "?" wildcards.
expect find-bad-pattern 2 "$tool" find hostile $'\xff\xfe'
complains find-bad-pattern-message "cataloom: the pattern is not text in this locale's encoding"
# No hit is dropped for its length: a 274-byte fifth level, a 259-byte name.
expect find-long 0 "$tool" find longdata '*'
[ "$(wc -l <<<"$out")" = 7 ] || { echo "FAIL find-long: $out"; failures=$((failures+1)); }
contains find-long-name "$(printf 'd%.0s' {1..54})5/$(printf 'n%.0s' {1..259})"$'\t8\t'
# -o replaces a regular file only; "-o -" is standard output.
mkfifo out/fifo && ln -s ../hostile.csv out/link && mkdir out/dir
for target in fifo link dir; do
  expect export-onto-$target 2 "$tool" export crafted/awkward.vmf -o out/$target
  complains export-onto-$target-message "cataloom: will not write the export to out/$target: it is "
done
[ -p out/fifo ] && [ -L out/link ] && [ -d out/dir ] || { echo "FAIL export-onto: a target was replaced"; failures=$((failures+1)); }
mkfifo out/fifo.vmf
expect capture-onto-fifo 2 "$tool" capture src -o out/fifo.vmf --name x
[ -p out/fifo.vmf ] || { echo "FAIL capture-onto-fifo: replaced"; failures=$((failures+1)); }
run export-dash 0 dash.csv "$tool" export crafted/awkward.vmf -o -
same export-dash dash.csv awkward.csv
[ -e ./- ] && { echo "FAIL export-dash: wrote a file named -"; failures=$((failures+1)); }
# Exact names: the table of names as files and as directories, captured and
# given back as on disk by check, info, ls, find and every export format.
long=$(printf 'a%.0s' $(seq 253))é
names=("Beyoncé.mp3" "Motörhead" $'cafe\xcc\x81' "café" "cafe" "第1話〜第3話" "第1話～第3話" "한국어" "中文简体" "🎵" "♪"
       "表示ソé" "$long")
mkdir -p exact/d exact-data
for n in "${names[@]}"; do printf 'z' > "exact/$n"; mkdir "exact/d/$n"; done
# The long name's directory passes the path limit: recorded without contents (status 3).
expect exact-capture 3 "$tool" capture exact -o exact-data/exact.vmf --name Beyoncé
contains exact-capture-counts "14 directories, 13 files"
expect exact-check 0 "$tool" check exact-data/exact.vmf
expect exact-info 0 "$tool" info exact-data/exact.vmf
contains exact-info-name "Name:         Beyoncé"
expect exact-ls 0 "$tool" ls exact-data/exact.vmf
[ "$(sort <<<"$out")" = "$( (printf '%s\n' "${names[@]}"; echo d/) | sort)" ] || { echo "FAIL exact-ls: $out"; failures=$((failures+1)); }
expect exact-ls-d 0 "$tool" ls exact-data/exact.vmf d
[ "$(sort <<<"$out")" = "$(printf '%s/\n' "${names[@]}" | sort)" ] || { echo "FAIL exact-ls-d: $out"; failures=$((failures+1)); }
for n in "${names[@]}"; do
  expect "exact-ls-$n" 0 "$tool" ls exact-data/exact.vmf "d/$n"
  expect "exact-find-$n" 0 "$tool" find exact-data "$n"
  contains "exact-find-$n" "exact.vmf/$n"$'\t1\t'
  contains "exact-find-dir-$n" "exact.vmf/d/$n"$'\t\t'
done
expect exact-find-fold 0 "$tool" find exact-data BEYONCÉ
contains exact-find-fold-hit "exact.vmf/Beyoncé.mp3"
expect exact-find-one-character 0 "$tool" find exact-data '?' 
contains exact-find-emoji "exact.vmf/🎵"$'\t1\t'
contains exact-find-note "exact.vmf/♪"$'\t1\t'
expect exact-find-wildcard 0 "$tool" find exact-data 'Beyonc?.mp3'
contains exact-find-wildcard-hit "exact.vmf/Beyoncé.mp3"
run exact-csv 0 exact.csv "$tool" export exact-data/exact.vmf
run exact-json 0 exact.json "$tool" export exact-data/exact.vmf --format json
run exact-efu 0 exact.efu "$tool" export exact-data/exact.vmf --format efu
for n in "${names[@]}"; do
  grep -qF "Beyoncé,exact-data/exact.vmf,$n,file,1," exact.csv || { echo "FAIL exact-csv: $n"; failures=$((failures+1)); }
  grep -qF "Beyoncé,exact-data/exact.vmf,d/$n,directory,0," exact.csv || { echo "FAIL exact-csv-d: $n"; failures=$((failures+1)); }
  grep -qF "\"path\":\"d/$n\",\"type\":\"directory\"" exact.json || { echo "FAIL exact-json: $n"; failures=$((failures+1)); }
  grep -qF "\"exact-data\\exact.vmf\\d\\$n\"," exact.efu || { echo "FAIL exact-efu: $n"; failures=$((failures+1)); }
done
# diff and dups by exact names: the same capture twice has no changes; the
# catalogue cut before its exact names (as older captures were) differs only
# in the names it could not hold.
expect exact-again 3 "$tool" capture exact -o exact-data/again.vmf --name Beyoncé
expect exact-diff-same 0 "$tool" diff exact-data/exact.vmf exact-data/again.vmf
contains exact-diff-same-counts "0 added, 0 removed, 0 changed, 0 directory totals changed"
expect exact-info-size 0 "$tool" info exact-data/exact.vmf
extension=$(sed -n 's/^Exact names: *[0-9]* (\([0-9]*\) bytes)$/\1/p' <<<"$out")
cp exact-data/exact.vmf exact-data/older.vmf && truncate -s "-$extension" exact-data/older.vmf
expect exact-older-check 0 "$tool" check exact-data/older.vmf
expect exact-diff-older 1 "$tool" diff exact-data/older.vmf exact-data/exact.vmf
contains exact-diff-older-added "+ Beyoncé.mp3"
contains exact-diff-older-added-dir "+ d/한국어/"
for n in cafe "第1話～第3話" "♪" "d/cafe/"; do
  ! grep -qxF -- "+ $n" <<<"$out" && ! grep -qxF -- "- $n" <<<"$out" || { echo "FAIL exact-diff-older: $n"; failures=$((failures+1)); }
done
expect exact-dups 0 "$tool" dups exact-data --min-size 1
contains exact-dups-name "Beyoncé.mp3"
[ "$(wc -l < exact.csv)" = 28 ] || { echo "FAIL exact-csv rows: $(wc -l < exact.csv)"; failures=$((failures+1)); }

# The names index: in the cache folder, never in the data folder, and find
# gives the same lines with it as without it.
expect index 0 "$tool" index data
contains index-figures "entries"
[ -z "$(find data -name '*.idx*')" ] && [ -n "$(ls "$XDG_CACHE_HOME"/cataloom/names/*.idx)" ] ||
  { echo "FAIL index: not in the cache folder only"; failures=$((failures+1)); }
for pattern in '' 京 '*.txt' 'V1'; do
  expect find-indexed 0 "$tool" find data "$pattern"
  indexed=$out
  expect find-walked 0 "$tool" find data "$pattern" --no-index
  [ "$out" = "$indexed" ] || { echo "FAIL find \"$pattern\": index and walk differ"; failures=$((failures+1)); }
done
# Filters: sizes at their bounds (京都.jpg 5 bytes, readme.TXT 3, notes.txt 1).
locations() { out=$(cut -f1 <<<"$out" | LC_ALL=C sort); }
expect find-min-size 0 "$tool" find data '' --min-size 5 --in 棚
locations; is find-min-size-lines "棚/disc.vmf/写真/旅行/京都.jpg"
expect find-max-size 0 "$tool" find data '' --max-size 3 --ext txt --in 棚
locations; is find-max-size-lines $'棚/disc.vmf/docs/readme.TXT\n棚/v1.2.vmf/notes.txt'
expect find-ext 0 "$tool" find data '' --ext .JPG,flac
locations; is find-ext-lines "棚/disc.vmf/写真/旅行/京都.jpg"
expect find-type-d 0 "$tool" find data 旅 --type d
locations; is find-type-d-lines "棚/disc.vmf/写真/旅行"
expect find-type-f 0 "$tool" find data 旅 --type f
is find-type-f-lines ""
expect find-newer 0 "$tool" find data '' --newer 2999-01-01
is find-newer-lines ""
expect find-older 0 "$tool" find data 京都 --older 2999
locations; is find-older-lines "棚/disc.vmf/写真/旅行/京都.jpg"
expect find-bad-size 2 "$tool" find data '' --min-size 5X
complains find-bad-size-message "cataloom: bad value for --min-size: 5X"
expect find-bad-date 2 "$tool" find data '' --newer 2021-02-29
complains find-bad-date-message "cataloom: bad value for --newer: 2021-02-29"
expect find-bad-type 2 "$tool" find data '' --type x
# A cache folder that cannot be written: the results stand, with a warning.
XDG_CACHE_HOME=/proc/nowhere expect find-no-cache 0 "$tool" find data 京
contains find-no-cache-hit "棚/disc.vmf/写真/旅行/京都.jpg"
complains find-no-cache-warning "cataloom: warning: the names index could not be written: /proc/nowhere/cataloom/names/"

[ "$failures" = 0 ] && echo "cli tests passed" || { echo "$failures cli test(s) failed"; exit 1; }
