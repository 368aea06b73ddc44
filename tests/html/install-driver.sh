#!/usr/bin/env bash
# Installs the browser driver (puppeteer-core, at the version
# package-lock.json pins) into DEST/node_modules, again only when the lock
# file changed.  It never downloads a browser: the tests and the benchmark
# drive the system's Chromium.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
dest=$1
if ! cmp -s "$here/package-lock.json" "$dest/package-lock.json"; then
  rm -rf "$dest" && mkdir -p "$dest"
  cp "$here/package.json" "$here/package-lock.json" "$dest/"
  (cd "$dest" && npm ci --no-audit --no-fund --ignore-scripts --loglevel=error)
fi
