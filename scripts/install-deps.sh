#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, and generates the
# ja_JP.UTF-8 locale (without it Wine silently stays on code page 1252).
# Idempotent: a second run only checks.
set -euo pipefail

packages=(
  cmake make g++ clang libclang-rt-14-dev googletest
  g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev binutils-mingw-w64-x86-64
  wine wine64 xvfb xauth xdotool x11-utils imagemagick
  locales fonts-ipafont-gothic procps
  zlib1g-dev libz-mingw-w64-dev chromium
)
# Node.js and npm drive the browser in the page's tests; a machine that has
# them from elsewhere keeps its own.
command -v node >/dev/null && command -v npm >/dev/null || packages+=(nodejs npm)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

SUDO=
[ "$(id -u)" = 0 ] || SUDO=sudo
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  echo "generating the ja_JP.UTF-8 locale"
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null ||
    echo 'ja_JP.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  $SUDO locale-gen >/dev/null
fi
echo "dependencies ready"
