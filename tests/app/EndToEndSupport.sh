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

# Copies the named files of the program folder $BIN into $WORK/program.
# Fails (through the script's fail) when one is missing.
copy_program() {
  local f
  mkdir -p "$WORK/program"
  for f in "$@"; do
    [ -e "$BIN/$f" ] || fail "$f is missing from the program folder $BIN"
    cp -r "$BIN/$f" "$WORK/program/" || fail "$f could not be copied"
  done
}

# The program's settings as at its first start, without the splash.
fresh_settings() {
  "$WINE64" reg delete 'HKCU\Software\Varlosoft' /f >/dev/null 2>&1
  "$WINE64" reg add 'HKCU\Software\Varlosoft\Varlo Quillcrest\Settings' /v ShowSplash /t REG_DWORD /d 0 /f >/dev/null 2>&1
}

# Starts quillapp.exe of the current folder with the arguments (a notebook)
# inside a wine virtual desktop named $DESK; sets DESK_PID and WIN (the
# desktop's window), waits for the program to draw and gives the main window
# the keyboard. Fails when the desktop never shows.
start_program() {
  local i
  "$WINE64" explorer "/desktop=$DESK,1024x768" quillapp.exe "$@" </dev/null >>"$WORK/wine.log" 2>&1 &
  DESK_PID=$!
  WIN=""
  for i in $(seq 100); do
    WIN=$(xdotool search --name "$DESK" 2>/dev/null | head -1)
    [ -n "$WIN" ] && break
    sleep 0.2
  done
  [ -n "$WIN" ] || { echo "$TAG: the wine desktop did not appear"; cat "$WORK/wine.log"; return 1; }
  sleep 8
  xdotool mousemove --window "$WIN" 300 10 click 1
  sleep 1
}

# Ends the program with Alt+F4 wherever the keyboard is (the drag test
# leaves it in the tree) and waits for it. Fails when it does not end.
end_program() {
  xdotool key alt+F4
  await_end
}

# Waits for the desktop of $DESK_PID to end (after Alt+F4). Fails when it is
# still running 20 seconds later.
await_end() {
  local i
  for i in $(seq 100); do
    kill -0 "$DESK_PID" 2>/dev/null || break
    sleep 0.2
  done
  if kill -0 "$DESK_PID" 2>/dev/null; then
    echo "$TAG: the program did not end after Alt+F4 (a question left open?)"
    return 1
  fi
  DESK_PID=""
}
