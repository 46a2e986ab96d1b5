# What the end-to-end scripts share, sourced after they set TAG (the name in
# their messages) and PREFIX (the wine prefix): wine's environment, the
# display check (no display: the test is skipped, exit 77), a work folder in
# $WORK that goes at the end, and the wine desktop of $DESK_PID ended then.
WINE64=${QLC_WINE64:-/usr/lib/wine/wine64}
export WINEPREFIX=$PREFIX WINEDEBUG=-all
export WINEDLLOVERRIDES="mshtml=d;winemenubuilder.exe=d;winedbg.exe=d"

if [ -z "${DISPLAY:-}" ] || ! xdotool getdisplaygeometry >/dev/null 2>&1; then
  echo "$TAG: no X display, skipped"
  exit 77
fi
command -v import >/dev/null || { echo "$TAG: ImageMagick's import is missing"; exit 1; }

WORK=$(mktemp -d)
DESK_PID=""
cleanup() {
  if [ -n "$DESK_PID" ] && kill -0 "$DESK_PID" 2>/dev/null; then
    kill "$DESK_PID" 2>/dev/null
  fi
  rm -rf "$WORK"
}
trap cleanup EXIT
