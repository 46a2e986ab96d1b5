#!/usr/bin/env bash
# The real program driven by input events. A copy of the program's folder
# (everything the build placed beside quillapp.exe) runs in a work folder of
# its own, inside a wine virtual desktop (so its windows have frames and the
# tray has a place), on a copy of the sample notebook. The keyboard and the
# mouse:
#   - send the window to the tray and bring it back with a double click on
#     the tray icon; the keys that follow must reach it;
#   - open the sample's picture and its web page from the tree (each
#     photographed; the picture's sun must be on the screen);
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
NOTE="Welcome to Quillcrest"
# The size field of the Formatting bar (second row of bars) in the desktop.
SIZE_X=236 SIZE_Y=87
WORD="Zebrafish$$"
FOUND="Things"
REPLACED="Marmot$$"
TAG="end-to-end"
DESK="QlcEndToEnd$$"
. "$(dirname "${BASH_SOURCE[0]}")/EndToEndSupport.sh"
mkdir -p "$ARTIFACTS"
fail() {
  echo "end-to-end: $*"
  import -window root "$ARTIFACTS/end-to-end-failed.png" 2>/dev/null
  exit 1
}

# The program's folder as the build placed it: the program and everything it
# loads, and the licence the About box opens.
copy_program quillapp.exe qlccrypt.dll textconv.dll lmBroker.dll lmEngine.dll LICENSE.txt Dictionaries Help
cmp -s "$SRC/LICENSE" "$BIN/LICENSE.txt" || fail "LICENSE.txt beside the program is not the repository's LICENSE"
cp "$BIN/Sample.qlc" "$WORK/e2e.qlc" || fail "no sample notebook in $BIN"
cd "$WORK/program"

# A start from known settings: no splash, no reloading, default windows.
fresh_settings

# The desktop's window appears, the program draws into it, and a click on
# the main window's title bar brings the keyboard to it; the tree of the
# notebook window has the focus from then on.
start_program '..\e2e.qlc' || fail "the program did not start"

# File > Send To Tray, then a double click on the tray icon at the right end
# of the desktop's taskbar: the window must come back active, with the tree
# still holding the keyboard.
xdotool key --delay 200 alt+f t
sleep 1.5
xdotool mousemove --window "$WIN" 1013 757 click --repeat 2 --delay 80 1
sleep 2

# The sample's picture and web page, the two items above the last two
# notes: each opens in the content pane, the tree keeping the keyboard.
xdotool key --delay 150 End Up Up Return
sleep 2
import -window root "$ARTIFACTS/image-view.png" 2>/dev/null
SUN=$(convert "$ARTIFACTS/image-view.png" -depth 8 txt:- 2>/dev/null | grep -c '#FFD73C')
[ "${SUN:-0}" -gt 100 ] || fail "the sample's picture is not on the screen (sun pixels: ${SUN:-none})"
xdotool key --delay 150 Up Return
sleep 2
import -window root "$ARTIFACTS/html-view.png" 2>/dev/null

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
await_end || fail "the program did not end after Alt+F4 (a question left open?)"

# The word, bold and in the size given in the Formatting bar (15 points are
# 30 half points).
"$WINE64" "$CHECK" ../e2e.qlc "$NOTE" --text "$WORD" --bold "$WORD" --size "$WORD=30" --text "$REPLACED to try" </dev/null ||
  fail "the saved note is not as typed"
