#!/usr/bin/env bash
# Fails when a source file includes a header from a folder of a higher layer
# (or from another folder of its own layer).  The table is the layer list of
# docs/ARCHITECTURE.md, lowest first; every folder with sources must be in it.
set -euo pipefail
cd "$(dirname "$0")/.."

layers='
1 platform
2 core resources
3 settings cli
4 namespace
5 capture
6 view tools
7 library browser setup shell-tool
8 tests
9 bench fuzz
'

# Tracked files as they are in the working tree and new ones not yet added,
# without the ignored build trees.
git rev-parse --is-inside-work-tree >/dev/null
git ls-files -z --cached --others --exclude-standard -- '*.h' '*.hpp' '*.c' '*.cpp' '*.rc' | sort -zu |
  while IFS= read -r -d '' file; do if [ -f "$file" ]; then printf '%s\0' "$file"; fi; done |
  { xargs -0 -r grep -nH -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' || true; } |
  awk -v layers="$layers" '
    BEGIN {
      n = split(layers, rows, "\n")
      for (i = 1; i <= n; i++) {
        k = split(rows[i], f, " ")
        for (j = 2; j <= k; j++) rank[f[j]] = f[1] + 0
      }
    }
    {
      file = $0; sub(/:.*/, "", file)
      rest = substr($0, length(file) + 2)
      line = rest; sub(/:.*/, "", line)
      target = rest; sub(/^[^"]*"/, "", target); sub(/".*/, "", target)
      folder = file; sub(/\/.*/, "", folder)
      used = target; sub(/\/.*/, "", used)
      if (folder == file) next
      if (!(folder in rank)) {
        if (!(folder in unplaced)) print folder "/ is in no layer (scripts/check-layers.sh)"
        unplaced[folder] = 1; bad = 1; next
      }
      # Only paths from the top of the tree name a folder; others are local.
      if (used == target || !(used in rank) || used == folder) next
      if (rank[used] >= rank[folder]) {
        printf "%s:%s: includes %s: %s/ (layer %d) may not use %s/ (layer %d)\n", \
               file, line, target, folder, rank[folder], used, rank[used]
        bad = 1
      }
    }
    END {
      if (bad) exit 1
      print "layers: no include runs upwards"
    }'
