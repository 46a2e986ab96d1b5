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
FAIL_SHOT=$ARTIFACTS/drag-end-to-end-failed.png
. "$(dirname "${BASH_SOURCE[0]}")/EndToEndSupport.sh"
mkdir -p "$ARTIFACTS"
TREE='class=SysTreeView32'

cp "$BIN/quillapp.exe" "$WORK/" || fail "no quillapp.exe in $BIN"
cd "$WORK"
"$WINE64" "$MAKER" drag.qlc </dev/null || fail "the notebook was not made"

fresh_settings

start_program drag.qlc
wait_tree
# The rows where the tree shows them (folders first): "Filed", then "Letter".
locate_row "the folder Filed in the tree" Filed "$MAIN" "$TREE"
FOLDER_X=$X FOLDER_Y=$Y
locate_row "the note Letter in the tree" Letter "$MAIN" "$TREE"
NOTE_X=$X NOTE_Y=$Y
import -window root "$ARTIFACTS/drag-before.png" 2>/dev/null

# Press on the note, move off it in steps until the tree holds the mouse (a
# drag started), onto the folder, and let go there.
xdotool mousemove --window "$WIN" "$NOTE_X" "$NOTE_Y" mousedown 1
for d in 4 8 12 16 20 24; do
  xdotool mousemove --window "$WIN" $((NOTE_X + d)) $((NOTE_Y + d))
done
wait_state "the drag under way (the tree holding the mouse)" '*capture*' "$MAIN" "$TREE"
for step in 1 2 3 4; do
  xdotool mousemove --window "$WIN" "$FOLDER_X" $((FOLDER_Y + 4 - step))
done
xdotool mouseup 1
# The note goes into the folder: it is no longer a row of its own at the top
# of the tree.
letter_filed() {
  local rows
  rows=$(probe items "$MAIN" "$TREE" 2>/dev/null | tr -d '\r') || return 1
  [[ $rows == *Filed* && $rows != Letter* && $rows != *$'\n'Letter* ]]
}
wait_for "the note Letter moved into the folder Filed in the tree" letter_filed
import -window root "$ARTIFACTS/drag-after.png" 2>/dev/null

saved=$(file_sum drag.qlc)
xdotool key ctrl+s
wait_file_changed "the notebook saved by Ctrl+S" drag.qlc "$saved"
end_program

"$WINE64" "$CHECK" drag.qlc Letter --in Filed --text "A letter to be filed away." </dev/null ||
  fail "the note was not saved inside the folder"
"$WINE64" "$CHECK" drag.qlc Memo --text "A letter to be filed away." </dev/null || fail "the other note is gone"
echo "$TAG: passed"
