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
