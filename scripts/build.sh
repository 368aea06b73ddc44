#!/usr/bin/env bash
# Configures and builds both trees: build/host (native, sanitizers) and
# build/win64 (mingw-w64 cross build).  Pass "host" or "win64" to build one.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
which=${1:-all}

if [ "$which" = all ] || [ "$which" = host ]; then
  cmake -S "$root" -B "$root/build/host" -DCMAKE_BUILD_TYPE=Debug -DCATALOOM_SANITIZE=ON >/dev/null
  cmake --build "$root/build/host" -j "$jobs"
fi
if [ "$which" = all ] || [ "$which" = win64 ]; then
  cmake -S "$root" -B "$root/build/win64" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
  cmake --build "$root/build/win64" -j "$jobs"
fi
if [ "$which" = all ] || [ "$which" = fuzz ]; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$root/build/fuzz" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCATALOOM_FUZZ=ON -DBUILD_TESTING=OFF >/dev/null
  cmake --build "$root/build/fuzz" -j "$jobs" --target fuzz_catalog fuzz_seeds
fi
