#!/usr/bin/env bash
# The main job: builds both trees, then shows the system at work: a capture
# with the command-line tool, the COM server registered in a Wine prefix, the
# namespace walked as the shell walks it, and pictures of the folder view in
# build/screenshots.  Each step runs once its part of the system exists.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/build.sh" host
"$root/scripts/build.sh" win64

echo "==== built ===="
( cd "$root/build" && ls -1 host/cli/cataloom win64/cli/cataloom.exe win64/library/Cataloom.dll \
    2>/dev/null || true )

ran=0
for demo in demo-capture.sh demo-register.sh demo-shell.sh screenshots.sh; do
  if [ -x "$root/scripts/$demo" ]; then
    echo "==== $demo ===="
    "$root/scripts/$demo"
    ran=1
  fi
done
[ $ran = 1 ] || echo "(no demonstration available yet: the core library and its tests are built)"
