#!/usr/bin/env bash
# Runs a Windows program under wine64 in a wine prefix of the build's own.
# CTest uses it as the emulator of the Windows builds.
#
#   scripts/wine-exec.sh --prefix DIR PROGRAM.exe [ARGS...]   run a program
#   scripts/wine-exec.sh --prefix DIR --boot                  start a persistent
#       wineserver for DIR and boot the prefix, detached from our output
#   scripts/wine-exec.sh --prefix DIR --stop                  stop DIR's wineserver
#       and every wine process in it
#
# Wine's background processes (the server, services.exe and the like) keep the
# standard streams of the process that started them. Started from a test they
# would hold CTest's output pipe open and CTest would wait forever, so they are
# always started here with their streams pointing elsewhere, before the
# program runs. scripts/test.sh boots with a server that stays until --stop;
# when a program is run with no server up (plain `ctest`), the server started
# here goes away by itself two minutes after the last program ends.
#
# WINEPREFIX may be given in the environment instead of --prefix.
set -u

HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
WINE64=${QLC_WINE64:-/usr/lib/wine/wine64}
WINESERVER=${QLC_WINESERVER:-/usr/lib/wine/wineserver}
export WINEDEBUG=${QLC_WINEDEBUG:--all}
# No crash debugger: it would wait for someone to close its window.
export WINEDLLOVERRIDES="mshtml=d;winemenubuilder.exe=d;winedbg.exe=d"
export WINEARCH=win64

die() { echo "wine-exec: $*" >&2; exit 125; }

action=run
while [ $# -gt 0 ]; do
  case "$1" in
    --prefix) [ $# -ge 2 ] || die "--prefix needs a folder"; export WINEPREFIX=$2; shift 2 ;;
    --boot) action=boot; shift ;;
    --stop) action=stop; shift ;;
    --) shift; break ;;
    *) break ;;
  esac
done
[ -n "${WINEPREFIX:-}" ] || die "no wine prefix: pass --prefix DIR or set WINEPREFIX"
[ -x "$WINE64" ] || die "$WINE64 not found (install wine64: scripts/deps.sh)"
case "$WINEPREFIX" in /*) ;; *) WINEPREFIX=$PWD/$WINEPREFIX ;; esac

# start_server <persist>: starts the prefix's server if none is running and
# boots the prefix (first use) or starts its services (every new server).
start_server() {
  mkdir -p "$WINEPREFIX" || die "cannot create $WINEPREFIX"
  (
    flock 9
    # fd 9 holds the lock: the server and wine's background processes must
    # not inherit it, or the lock is never released.
    "$WINESERVER" "$1" 9>&-
    started=$?               # 0: started now; 2: one was running already
    if [ ! -f "$WINEPREFIX/.qlc-ready" ]; then
      # Unmanaged windows: Xvfb has no window manager, and wine waits 2 s
      # for one to unmap each managed window it destroys.
      "$WINE64" wineboot 9>&- &&
        "$WINE64" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f 9>&- &&
        "$HERE/wine-fonts.sh" "$WINEPREFIX" &&
        touch "$WINEPREFIX/.qlc-ready"
    elif [ $started = 0 ]; then
      "$WINE64" wineboot 9>&-
      # A prefix made before the fonts were copied in gets them now.
      "$HERE/wine-fonts.sh" "$WINEPREFIX"
    fi
  ) 9>"$WINEPREFIX/.lock" </dev/null >/dev/null 2>&1
}

# start_desktop: starts wine's desktop process from a holder with no output
# streams (see wine-desktop.c); --stop ends it with the server.
start_desktop() {
  local holder=$WINEPREFIX/qlc-desktop.exe
  if [ ! -f "$holder" ] || [ "$HERE/wine-desktop.c" -nt "$holder" ]; then
    x86_64-w64-mingw32-gcc -O2 -mwindows -o "$holder" "$HERE/wine-desktop.c" ||
      die "cannot build the desktop holder (x86_64-w64-mingw32-gcc)"
  fi
  local ready=$WINEPREFIX/.qlc-desktop-up
  rm -f "$ready"
  setsid "$WINE64" "$holder" 'Z:'"${ready//\//\\}" </dev/null >/dev/null 2>&1 &
  # Wait for the desktop so the first test finds it running.
  for _ in $(seq 100); do
    [ -f "$ready" ] && return 0
    sleep 0.1
  done
  echo "wine-exec: the desktop holder did not start" >&2
}

case $action in
  boot)
    start_server -p
    [ -f "$WINEPREFIX/.qlc-ready" ] || die "booting the wine prefix $WINEPREFIX failed"
    start_desktop
    ;;
  stop)
    "$WINESERVER" -k </dev/null >/dev/null 2>&1
    exit 0
    ;;
  run)
    [ $# -ge 1 ] || die "no program given"
    start_server -p120
    exec "$WINE64" "$@"
    ;;
esac
