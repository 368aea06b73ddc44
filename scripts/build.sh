#!/usr/bin/env bash
# Configures and builds both trees: build/host (native, sanitizers) and
# build/win64 (mingw-w64 cross build).  Pass "host" or "win64" to build one.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
which=${1:-all}
# A compiler cache, when the machine has one, makes rebuilds of other
# checkouts of the tree cheap; the build does not need it.
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)

if [ "$which" = all ] || [ "$which" = host ]; then
  cmake -S "$root" -B "$root/build/host" -DCMAKE_BUILD_TYPE=Debug -DCATALOOM_SANITIZE=ON "${launcher[@]}" >/dev/null
  cmake --build "$root/build/host" -j "$jobs"
fi
if [ "$which" = all ] || [ "$which" = win64 ]; then
  cmake -S "$root" -B "$root/build/win64" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
  cmake --build "$root/build/win64" -j "$jobs"
fi
if [ "$which" = all ] || [ "$which" = fuzz ]; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$root/build/fuzz" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCATALOOM_FUZZ=ON -DBUILD_TESTING=OFF >/dev/null
  cmake --build "$root/build/fuzz" -j "$jobs" --target fuzz_catalog fuzz_seeds fuzz_names_index
fi
