#!/usr/bin/env bash
# Files and folders in the real program, driven by input events:
#   - a notebook named on the command line by its Linux path (as Wine takes
#     it, "/tmp/.../damaged.qlc") opens, and tells at once which node of it
#     is damaged;
#   - that node, a note whose stored bytes run past the end of the file
#     (made by qlcdamagednotebook, beside notes with other damage), opened
#     from the tree: the load warning shows and no note view does; another
#     note is edited and the notebook saved with Ctrl+S; every damaged note
#     must still hold its stored bytes (qlcdamagednotebook --check) and the
#     edit must be saved (qlcnotecheck);
#   - a notebook on the command line that is not there: "Failed to open
#     file", and the program ends after OK;
#   - Tree > Batch Export: a folder that is not there, typed into the folder
#     browser's edit box, is refused with a message and the browser stays
#     with the path as typed; the folder typed next gets the notes, and
#     nothing lands on the Desktop the browser had selected.
# Screenshots of the messages and the browser are kept in the artifacts.
#
#   FilesEndToEndTest.sh <program folder> <qlcdamagednotebook.exe> <qlcnotecheck.exe> <wine prefix> <artifacts folder>
#
# Needs an X display ($DISPLAY), xdotool and ImageMagick's import; without a
# display the test is skipped (exit 77).
set -uo pipefail

BIN=$1 MAKER=$2 CHECK=$3 PREFIX=$4 ARTIFACTS=$5
TAG="files end-to-end"
DESK="QlcFiles$$"
FAIL_SHOT=$ARTIFACTS/files-end-to-end-failed.png
. "$(dirname "${BASH_SOURCE[0]}")/EndToEndSupport.sh"
mkdir -p "$ARTIFACTS"
TREE='class=SysTreeView32'
NOTE_VIEW='class=RichEdit20A'
BOX='class=#32770'
BROWSER='title=Browse for Folder'

# The browser starts on the Desktop: it must be a folder of the prefix, never
# the home folder a prefix links it to (the fault wrote the notes there).
for desktop in "$PREFIX"/drive_c/users/*/Desktop; do
  if [ -L "$desktop" ]; then
    rm -f "$desktop" && mkdir -p "$desktop" || fail "the prefix's Desktop could not be made a folder of its own"
  fi
done
desktop_entries() { ls -A "$PREFIX"/drive_c/users/*/Desktop 2>/dev/null | wc -l; }

copy_program quillapp.exe qlccrypt.dll
cp "$BIN/Sample.qlc" "$WORK/sample.qlc" || fail "no sample notebook in $BIN"
cd "$WORK"
"$WINE64" "$MAKER" damaged.qlc </dev/null >/dev/null || fail "the damaged notebook was not made"
cd "$WORK/program"
fresh_settings

# --- A notebook named by its Linux path, and its damaged note --------------------
launch_program "$WORK/damaged.qlc"
wait_window "the word that a node of the notebook is damaged" "$BOX" \
  'title=1 node of this notebook is damaged*Past the end*'
import -window root "$ARTIFACTS/damaged-notebook-told.png" 2>/dev/null
xdotool key Return
wait_gone "the word that a node is damaged" "$BOX" 'title=1 node of this notebook is damaged*'
wait_window "the main window" "$MAIN"
bring_main_to_front
wait_window "the damaged notebook's window" "$MAIN" 'title=damaged.qlc'
wait_tree

locate_row "the note Past the end in the tree" "Past the end" "$MAIN" "$TREE"
xdotool mousemove --window "$WIN" "$X" "$Y" click --repeat 2 --delay 80 1
wait_window "the load warning" "$BOX" 'title=Warning: Could not load node data.'
import -window root "$ARTIFACTS/damaged-note-warning.png" 2>/dev/null
xdotool key Return
wait_gone "the load warning" "$BOX" 'title=Warning: Could not load node data.'
probe gone "$MAIN" "$NOTE_VIEW" >/dev/null 2>&1 || fail "a note view shows for the damaged note"

locate_row "the note Intact in the tree" Intact "$MAIN" "$TREE"
xdotool mousemove --window "$WIN" "$X" "$Y" click --repeat 2 --delay 80 1
wait_window "the note Intact open" "$MAIN" 'title=damaged.qlc - Intact' "$NOTE_VIEW"
locate "the note's text" "$MAIN" "$NOTE_VIEW"
xdotool mousemove --window "$WIN" $((RX + 3)) $((RY + 8)) click 1
wait_focus "the note" "RichEdit20A *" "$MAIN"
xdotool key ctrl+Home
xdotool type --delay 60 "Edited "
wait_text "the edit in the note" 'Edited This note*' "$MAIN" "$NOTE_VIEW"
saved=$(file_sum ../damaged.qlc)
xdotool key ctrl+s
wait_file_changed "the notebook saved by Ctrl+S" ../damaged.qlc "$saved"
end_program
"$WINE64" "$MAKER" --check ../damaged.qlc </dev/null || fail "a damaged note lost its stored bytes in the save"
"$WINE64" "$CHECK" ../damaged.qlc Intact --text "Edited This note reads as it was written." </dev/null ||
  fail "the edit of the note Intact was not saved"

# --- A notebook that is not there ---------------------------------------------------
launch_program "$WORK/not-there.qlc"
wait_window "the word that the notebook cannot be opened" "$BOX" 'title=Failed to open file'
import -window root "$ARTIFACTS/missing-notebook-told.png" 2>/dev/null
xdotool key Return
await_end

# --- Batch export into a typed folder -------------------------------------------------
mkdir -p "$WORK/export"
EXPORT_PATH=$("$WINE64" winepath -w "$WORK/export" 2>/dev/null </dev/null | tr -d '\r')
MISSING_PATH=$("$WINE64" winepath -w "$WORK/never made" 2>/dev/null </dev/null | tr -d '\r')
[ -n "$EXPORT_PATH" ] && [ -n "$MISSING_PATH" ] || fail "wine cannot name the export folders"
desktop_before=$(desktop_entries)
start_program "$WORK/sample.qlc"
wait_tree
xdotool key alt+r
wait_window "the Tree menu" 'class=#32768'
xdotool key b
wait_window "the folder browser" "$BROWSER"
click "the browser's edit box" "$BROWSER" 'class=Edit'
wait_focus "the browser's edit box" 'Edit *' "$BROWSER"
xdotool key End shift+Home
xdotool type --delay 40 "$MISSING_PATH"
wait_text "the missing folder typed whole" "$MISSING_PATH" "$BROWSER" 'class=Edit'
import -window root "$ARTIFACTS/export-folder-typed.png" 2>/dev/null
xdotool key Return
wait_window "the word that the typed folder is not there" "$BOX" 'title=*is not an existing folder*'
import -window root "$ARTIFACTS/export-folder-refused.png" 2>/dev/null
xdotool key Return
wait_gone "the word that the typed folder is not there" "$BOX" 'title=*is not an existing folder*'
wait_window "the folder browser, still open" "$BROWSER"
wait_text "the refused path still in the edit box" "$MISSING_PATH" "$BROWSER" 'class=Edit'
wait_focus "the browser's edit box" 'Edit *' "$BROWSER"
xdotool key End shift+Home
xdotool type --delay 40 "$EXPORT_PATH"
wait_text "the export folder typed" "$EXPORT_PATH" "$BROWSER" 'class=Edit'
xdotool key Return
wait_gone "the folder browser" "$BROWSER"
wait_for "the notes in the typed folder" test -f "$WORK/export/Welcome to Quillcrest.rtf"
wait_for "the folder Home in the typed folder" test -d "$WORK/export/Home"
wait_state "the main window in front again (the export done)" '*foreground*' "$MAIN"
[ -e "$WORK/never made" ] && fail "the refused folder was made"
[ "$(desktop_entries)" = "$desktop_before" ] || fail "the batch export wrote onto the Desktop"
end_program
echo "$TAG: passed"
