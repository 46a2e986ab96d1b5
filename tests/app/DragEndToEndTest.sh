#!/usr/bin/env bash
# A drag in the node tree of the real program, by the mouse: quillapp.exe
# opens a notebook of a folder and two notes (made by qlcdragnotebook) inside
# a wine virtual desktop; the left button is pressed on the note "Letter",
# the mouse moved onto the folder "Filed" and let go there; Ctrl+S saves and
# Alt+F4 ends the program. The saved file, read back by the program's own
# core, must hold the note inside the folder with its text.
#
#   DragEndToEndTest.sh <program folder> <qlcdragnotebook.exe> <qlcnotecheck.exe> <wine prefix> <artifacts folder>
#
# Needs an X display ($DISPLAY), xdotool and ImageMagick's import; without a
# display the test is skipped (exit 77).
set -uo pipefail

BIN=$1 MAKER=$2 CHECK=$3 PREFIX=$4 ARTIFACTS=$5
TAG="drag end-to-end"
DESK="QlcDrag$$"
# The tree's rows in the desktop (folders first): "Filed", then "Letter".
FOLDER_X=${QLC_DRAG_FOLDER_X:-258} FOLDER_Y=${QLC_DRAG_FOLDER_Y:-167}
NOTE_X=${QLC_DRAG_NOTE_X:-262} NOTE_Y=${QLC_DRAG_NOTE_Y:-183}
. "$(dirname "${BASH_SOURCE[0]}")/EndToEndSupport.sh"
mkdir -p "$ARTIFACTS"
fail() {
  echo "$TAG: $*"
  import -window root "$ARTIFACTS/drag-end-to-end-failed.png" 2>/dev/null
  exit 1
}

cp "$BIN/quillapp.exe" "$WORK/" || exit 1
cd "$WORK"
"$WINE64" "$MAKER" drag.qlc </dev/null || fail "the notebook was not made"

fresh_settings

start_program drag.qlc || fail "the program did not start"
import -window root "$ARTIFACTS/drag-before.png" 2>/dev/null

# Press on the note, move off it in steps (the control sees a drag start),
# onto the folder, and let go there.
xdotool mousemove --window "$WIN" "$NOTE_X" "$NOTE_Y"
sleep 0.5
xdotool mousedown 1
sleep 0.3
for dy in 4 8 12 16 20 24; do
  xdotool mousemove --window "$WIN" $((NOTE_X + dy)) $((NOTE_Y + dy))
  sleep 0.1
done
for step in 1 2 3 4; do
  xdotool mousemove --window "$WIN" "$FOLDER_X" $((FOLDER_Y + 4 - step))
  sleep 0.2
done
xdotool mouseup 1
sleep 1
import -window root "$ARTIFACTS/drag-after.png" 2>/dev/null

xdotool key ctrl+s
sleep 2
end_program || fail "the program did not end"

"$WINE64" "$CHECK" drag.qlc Letter --in Filed --text "A letter to be filed away." </dev/null ||
  fail "the note was not saved inside the folder"
"$WINE64" "$CHECK" drag.qlc Memo --text "A letter to be filed away." </dev/null || fail "the other note is gone"
echo "$TAG: passed"
