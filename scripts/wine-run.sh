#!/usr/bin/env bash
# Runs one Windows program under Wine with the project's environment
# (code page 932, no debug output, the build's own prefix).
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
cataloom_wine_prefix
[ -t 1 ] && exec wine "$@"
# Read through a pipe (ctest): the output goes through files instead.  A
# program that opens a window starts Wine's desktop process, which inherits
# the program's output and outlives it by a second or two; holding the pipe,
# it would keep the reader waiting after every window test.
out=$(mktemp) err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
wine "$@" >"$out" 2>"$err" </dev/null
status=$?
cat "$out"
cat "$err" >&2
# A program that failed without a word never reached its test main (or lost
# its buffered output): say so, with what it ran against.
if [ "$status" != 0 ] && [ ! -s "$out" ] && [ ! -s "$err" ]; then
  echo "wine-run.sh: $1 ended with status $status and no output (DISPLAY=${DISPLAY:-unset})" >&2
fi
exit $status
