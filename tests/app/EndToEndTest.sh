#!/usr/bin/env bash
# The real program driven by input events. A copy of the program's folder
# (everything the build placed beside quillapp.exe) runs in a work folder of
# its own, inside a wine virtual desktop (so its windows have frames and the
# tray has a place), on a copy of the sample notebook. The keyboard and the
# mouse:
#   - send the window to the tray and bring it back with a double click on
#     the tray icon; the keys that follow must reach it;
#   - pick the last top-level note and open it, move into it, type a word,
#     make it bold with Ctrl+B and 15 points in the Formatting bar's size field
#     (the bar and the Format menu are photographed then, with the word
#     selected);
#   - find a word with Ctrl+F, the word and Enter, close Find with Escape and
#     type over what was found;
#   - open the Edit menu (owner-drawn, with the toolbar pictures) for a
#     screenshot and close it;
#   - save with Ctrl+S and end with Alt+F4.
# The saved file, read back by the program's own core, must hold the typed
# words, the bold range in its size and the replaced word in that note.
#
#   EndToEndTest.sh <program folder> <qlcnotecheck.exe> <wine prefix> <artifacts folder>
#
# Needs an X display ($DISPLAY), xdotool and ImageMagick's import; without a
# display the test is skipped (exit 77).
set -uo pipefail

BIN=$1 CHECK=$2 PREFIX=$3 ARTIFACTS=$4
SRC=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
WINE64=${QLC_WINE64:-/usr/lib/wine/wine64}
export WINEPREFIX=$PREFIX WINEDEBUG=-all
export WINEDLLOVERRIDES="mshtml=d;winemenubuilder.exe=d;winedbg.exe=d"
NOTE="Welcome to Quillcrest"
# The size field of the Formatting bar (second row of bars) in the desktop.
SIZE_X=236 SIZE_Y=87
WORD="Zebrafish$$"
FOUND="Things"
REPLACED="Marmot$$"
DESK="QlcEndToEnd$$"

if [ -z "${DISPLAY:-}" ] || ! xdotool getdisplaygeometry >/dev/null 2>&1; then
  echo "end-to-end: no X display, skipped"
  exit 77
fi
command -v import >/dev/null || { echo "end-to-end: ImageMagick's import is missing"; exit 1; }
mkdir -p "$ARTIFACTS"

WORK=$(mktemp -d)
DESK_PID=""
cleanup() {
  if [ -n "$DESK_PID" ] && kill -0 "$DESK_PID" 2>/dev/null; then
    kill "$DESK_PID" 2>/dev/null
  fi
  rm -rf "$WORK"
}
trap cleanup EXIT
fail() {
  echo "end-to-end: $*"
  import -window root "$ARTIFACTS/end-to-end-failed.png" 2>/dev/null
  exit 1
}

# The program's folder as the build placed it: the program and everything it
# loads, and the licence the About box opens.
mkdir -p "$WORK/program"
for f in quillapp.exe qlccrypt.dll textconv.dll lmBroker.dll lmEngine.dll LICENSE.txt Dictionaries Help; do
  [ -e "$BIN/$f" ] || fail "$f is missing from the program folder $BIN"
  cp -r "$BIN/$f" "$WORK/program/" || exit 1
done
cmp -s "$SRC/LICENSE" "$BIN/LICENSE.txt" || fail "LICENSE.txt beside the program is not the repository's LICENSE"
cp "$BIN/Sample.qlc" "$WORK/e2e.qlc" || fail "no sample notebook in $BIN"
cd "$WORK/program"

# A start from known settings: no splash, no reloading, default windows.
"$WINE64" reg delete 'HKCU\Software\Varlosoft' /f >/dev/null 2>&1
"$WINE64" reg add 'HKCU\Software\Varlosoft\Varlo Quillcrest\Settings' /v ShowSplash /t REG_DWORD /d 0 /f >/dev/null 2>&1

"$WINE64" explorer "/desktop=$DESK,1024x768" quillapp.exe '..\e2e.qlc' </dev/null >"$WORK/wine.log" 2>&1 &
DESK_PID=$!

# The desktop's window appears, then the program draws into it.
WIN=""
for i in $(seq 100); do
  WIN=$(xdotool search --name "$DESK" 2>/dev/null | head -1)
  [ -n "$WIN" ] && break
  sleep 0.2
done
[ -n "$WIN" ] || { cat "$WORK/wine.log"; fail "the wine desktop did not appear"; }
sleep 8

# A click on the main window's title bar brings the keyboard to it; the tree
# of the notebook window has the focus from then on.
xdotool mousemove --window "$WIN" 300 10 click 1
sleep 1

# File > Send To Tray, then a double click on the tray icon at the right end
# of the desktop's taskbar: the window must come back active, with the tree
# still holding the keyboard.
xdotool key --delay 200 alt+f t
sleep 1.5
xdotool mousemove --window "$WIN" 1013 757 click --repeat 2 --delay 80 1
sleep 2

xdotool key --delay 150 End Return
sleep 2
import -window root "$ARTIFACTS/end-to-end-notebook.png" 2>/dev/null
xdotool key --delay 150 Tab ctrl+End
xdotool type --delay 60 " $WORD"
xdotool key --delay 150 ctrl+shift+Left ctrl+b
sleep 0.5
# The word made 15 points through the Formatting bar: still selected, the size
# typed into the size field and entered (the note has the keyboard again
# after Enter); the bar then shows the selection's size.
xdotool mousemove --window "$WIN" "$SIZE_X" "$SIZE_Y" click 1
sleep 0.5
xdotool key --delay 100 Home shift+End
xdotool type --delay 100 "15"
xdotool key Return
sleep 1.5
import -window root "$ARTIFACTS/end-to-end-formatting.png" 2>/dev/null
# The Format menu with the word selected, for the record.
xdotool key alt+o
sleep 1
import -window root "$ARTIFACTS/format-menu.png" 2>/dev/null
xdotool key --delay 150 Escape Escape

# Find from the top, Enter, Escape, and the found word typed over.
xdotool key --delay 150 ctrl+Home ctrl+f
sleep 1
xdotool type --delay 60 "$FOUND"
xdotool key --delay 300 Return Escape
sleep 0.5
xdotool type --delay 60 "$REPLACED"
sleep 0.5
# The Edit menu opened from the keyboard, then closed again.
xdotool key alt+e
sleep 1.5
import -window root "$ARTIFACTS/end-to-end-menu.png" 2>/dev/null
xdotool key Escape Escape
sleep 0.5
xdotool key ctrl+s
sleep 3
xdotool key alt+F4

for i in $(seq 100); do
  kill -0 "$DESK_PID" 2>/dev/null || break
  sleep 0.2
done
if kill -0 "$DESK_PID" 2>/dev/null; then
  fail "the program did not end after Alt+F4 (a question left open?)"
fi

# The word, bold and in the size given in the Formatting bar (15 points are
# 30 half points).
"$WINE64" "$CHECK" ../e2e.qlc "$NOTE" --text "$WORD" --bold "$WORD" --size "$WORD=30" --text "$REPLACED to try" </dev/null ||
  fail "the saved note is not as typed"
