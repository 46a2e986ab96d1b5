#!/usr/bin/env bash
# An import and Find in Nodes on one notebook at the same time, in the real
# program: quillapp.exe opens a notebook of 1,000 notes (made by
# qlcimportcheck, with 300 files of 10 bytes to 1 MB beside it); Find in
# Nodes is opened and moved aside; a right click on the tree's first folder,
# Import > Foreign Data and the whole folder of files selected start the
# import; while its processing dialog is up, Find Now searches the notes'
# text again and again, its worker served by the interface thread that also
# serves the import. Ctrl+S saves, Alt+F4 ends the program, and the saved
# file, read back by the program's own core, must hold every file byte for
# byte and every note as it was.
#
#   ImportFindEndToEndTest.sh <program folder> <qlcimportcheck.exe> <wine prefix> <artifacts folder>
#
# Needs an X display ($DISPLAY), xdotool and ImageMagick's import; without a
# display the test is skipped (exit 77).
set -uo pipefail

BIN=$1 CHECK=$2 PREFIX=$3 ARTIFACTS=$4
TAG="import and find end-to-end"
DESK="QlcImport$$"
FAIL_SHOT=$ARTIFACTS/import-find-end-to-end-failed.png
. "$(dirname "${BASH_SOURCE[0]}")/EndToEndSupport.sh"
mkdir -p "$ARTIFACTS"
TREE='class=SysTreeView32'
FIND='title=Find in Nodes'
PICK='title=Add Foreign Data File(s)'
resource_ids IDC_FIND_QUERY IDC_FIND_NOW IDC_FIND_STOP IDC_FIND_CONTENT IDC_FIND_STATUS
NOTES=1000

cp "$BIN/quillapp.exe" "$WORK/" || fail "no quillapp.exe in $BIN"
cd "$WORK"
"$WINE64" "$CHECK" make orchard.qlc files $NOTES 300 </dev/null || fail "the notebook and its files were not made"
FILES=$("$WINE64" winepath -w "$WORK/files" 2>/dev/null | tr -d '\r')
[ -n "$FILES" ] || fail "no windows path for $WORK/files"

fresh_settings
start_program orchard.qlc
wait_tree

# Tree > Find in Nodes.
xdotool key alt+r
wait_window "the Tree menu" 'class=#32768'
xdotool key n
wait_window "the Find in Nodes window" "$FIND"
wait_state "Content searched" '*checked*' "$FIND" "id=$IDC_FIND_CONTENT"
click "the query box" "$FIND" "id=$IDC_FIND_QUERY"
xdotool type apple
# Aside, so that the tree stays in sight.
locate_caption "the Find in Nodes window" "$FIND"
xdotool mousemove --window "$WIN" "$X" "$Y" mousedown 1 mousemove --window "$WIN" $((X + 300)) $((Y + 330)) mouseup 1
wait_state "the Find in Nodes window moved aside" '*visible*' "$FIND"

# Tree > right click > Import > Foreign Data, the folder, every file in it.
locate_row "the first folder in the tree" "Row 0" "$MAIN" "$TREE"
xdotool mousemove --window "$WIN" "$X" "$Y" click 3
wait_window "the tree's menu" 'class=#32768'
xdotool key i
wait_for "the Import submenu" eval '[ "$(probe dump 2>/dev/null | grep -v hidden | grep -c "^#32768")" -ge 2 ]'
xdotool key f
wait_window "the file dialog" "$PICK"
wait_focus "the file dialog's name box" 'Edit *' "$PICK"
xdotool type --delay 20 "$FILES"
xdotool key Return
wait_for "the files of the folder in the file dialog" eval \
  'probe dump 2>/dev/null | grep -q "SysListView32" && [ "$(probe text "$PICK" "id=1148" 2>/dev/null | tr -d "\r")" = "" ]'
locate "the file list" "$PICK" 'class=SysListView32'
xdotool mousemove --window "$WIN" $((RX + 40)) $((RY + 9)) click 1
xdotool key Home shift+End
wait_text "all 300 files chosen" '*"part299.bin"*' "$PICK" 'id=1148'
xdotool key Return

# The import runs under its processing dialog (no title): searches go on
# meanwhile, each seen running.
PROCESSING='title=,class=#32770'
wait_gone "the file dialog" "$PICK"
wait_window "the processing dialog of the import" "$PROCESSING"
import -window root "$ARTIFACTS/import-find-during.png" 2>/dev/null
searches=0
while probe find "$PROCESSING" >/dev/null 2>&1; do
  if probe state --is '*disabled*' "$FIND" "id=$IDC_FIND_STOP" >/dev/null 2>&1; then
    click "Find Now" "$FIND" "id=$IDC_FIND_NOW"
    if probe state --is '*enabled*' --wait 10 "$FIND" "id=$IDC_FIND_STOP" >/dev/null 2>&1; then
      searches=$((searches + 1))
    fi
  fi
done
echo "$TAG: $searches searches ran while the files were imported"
[ "$searches" -ge 1 ] || fail "no search ran while the import's processing dialog was up"
wait_state "the last search ended" '*disabled*' "$FIND" "id=$IDC_FIND_STOP"
wait_text "the search ready" 'Ready' "$FIND" "id=$IDC_FIND_STATUS"
import -window root "$ARTIFACTS/import-find-after.png" 2>/dev/null

# Saved from the main window, then checked by the project's own core.
bring_main_to_front
saved=$(file_sum orchard.qlc)
xdotool key ctrl+s
wait_file_changed "the notebook saved by Ctrl+S" orchard.qlc "$saved"
end_program

"$WINE64" "$CHECK" check orchard.qlc files $NOTES </dev/null || fail "the saved notebook does not hold every file and note"
echo "$TAG: passed"
