# Sourced by the scripts that run Windows programs: the environment every Wine
# run uses, and a helper that makes the throw-away prefix on first use.
CATALOOM_ROOT=${CATALOOM_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
export LANG=ja_JP.UTF-8
export LC_ALL=ja_JP.UTF-8
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX=${WINEPREFIX:-$CATALOOM_ROOT/build/wineprefix}
export WINEARCH=win64

# Creates the prefix when it is missing (about 15 s); later calls return at once.
cataloom_wine_prefix() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w
  fi
}

# Starts a persistent wineserver and Wine's own background processes with
# their output detached.  Without the warm-up, the first program run inside a
# ctest pipe starts them, they inherit the pipe, and ctest waits for them
# until its time-out.
cataloom_wine_start() {
  cataloom_wine_prefix
  wineserver -p
  wine cmd.exe /c exit >/dev/null 2>&1 </dev/null || true
  cataloom_wine_unmanaged
}

# Without a window manager Wine waits about 2 s whenever a top-level window
# (a message box, a dialog) closes; unmanaged windows close at once.  Only
# timing changes.  Read by every Wine program that starts afterwards.
cataloom_wine_unmanaged() {
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 </dev/null || true
}

# Starts an Xvfb on the first free display from $1 (default 91) and exports
# DISPLAY; its process id goes to CATALOOM_XVFB_PID for cataloom_xvfb_stop.
# Up before the prefix's first Wine process: the display is fixed by
# whichever process starts the server.
# A display counts as ours only once our own server says it listens there
# (-displayfd writes the number when ready; a server whose display another
# run took first exits at once): runs that start together would otherwise
# both pick the same free number, one of them would test on the other's
# server and lose its display in the middle when that run stops it.
cataloom_xvfb_start() {
  local n ready
  ready=$(mktemp)
  for n in $(seq "${1:-91}" $((${1:-91} + 49))); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    : >"$ready"
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp -displayfd 3 3>"$ready" >/dev/null 2>&1 &
    CATALOOM_XVFB_PID=$!
    for _ in $(seq 200); do
      [ -s "$ready" ] && break
      kill -0 "$CATALOOM_XVFB_PID" 2>/dev/null || break
      sleep 0.05
    done
    if [ "$(cat "$ready")" = "$n" ]; then
      rm -f "$ready"
      export DISPLAY=":$n"
      return 0
    fi
    kill "$CATALOOM_XVFB_PID" 2>/dev/null; wait "$CATALOOM_XVFB_PID" 2>/dev/null
  done
  rm -f "$ready"
  CATALOOM_XVFB_PID=
  echo "no free X display" >&2
  return 1
}

cataloom_xvfb_stop() {
  [ -n "${CATALOOM_XVFB_PID:-}" ] && kill "$CATALOOM_XVFB_PID" 2>/dev/null && wait "$CATALOOM_XVFB_PID" 2>/dev/null
  CATALOOM_XVFB_PID=
}

# A display session for a script that shows windows: an Xvfb from display $1,
# the prefix's server started afresh on it (a server of an earlier run keeps
# that run's display), and both stopped when the script exits.
cataloom_display_session() {
  trap 'wineserver -k >/dev/null 2>&1; cataloom_xvfb_stop' EXIT
  cataloom_xvfb_start "${1:-141}" || return 1
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  cataloom_wine_start >/dev/null 2>&1 </dev/null
}

# Turns the screenshots (BMP) a test program wrote into $1 into PNG files.
cataloom_bmp_to_png() {
  local picture
  for picture in "$1"/*.bmp; do
    [ -e "$picture" ] || continue
    convert "$picture" "${picture%.bmp}.png" && rm "$picture"
  done
}
