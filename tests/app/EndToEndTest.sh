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
WORD="Zebrafish$$"
FOUND="Things"
REPLACED="Marmot$$"
TAG="end-to-end"
DESK="QlcEndToEnd$$"
FAIL_SHOT=$ARTIFACTS/end-to-end-failed.png
. "$(dirname "${BASH_SOURCE[0]}")/EndToEndSupport.sh"
mkdir -p "$ARTIFACTS"
resource_ids ID_FORMAT_FONTSIZE
NOTEBOOK='title=e2e.qlc*'
NOTE_VIEW='class=RichEdit20A'
SIZE_FIELD=("id=$ID_FORMAT_FONTSIZE" 'class=Edit')

# The program's folder as the build placed it: the program and everything it
# loads, and the licence the About box opens.
copy_program quillapp.exe qlccrypt.dll textconv.dll lmBroker.dll lmEngine.dll LICENSE.txt Dictionaries Help
cmp -s "$SRC/LICENSE" "$BIN/LICENSE.txt" || fail "LICENSE.txt beside the program is not the repository's LICENSE"
cp "$BIN/Sample.qlc" "$WORK/e2e.qlc" || fail "no sample notebook in $BIN"
cd "$WORK/program"

# A start from known settings: no splash, no reloading, default windows.
fresh_settings

# The program shows, a click on the main window's title bar brings the
# keyboard to it; the tree of the notebook window has the focus from then on.
start_program '..\e2e.qlc'
wait_tree

# File > Send To Tray: the window goes; a double click on its icon in the
# desktop's taskbar (found by the icon's tip) brings it back active, with the
# tree still holding the keyboard.
xdotool key --delay 200 alt+f t
wait_gone "the main window (sent to the tray)" "$MAIN"
locate_row "the tray icon" 'Varlo Quillcrest*' --hidden 'class=tooltips_class32'
xdotool mousemove --window "$WIN" "$X" "$Y" click --repeat 2 --delay 80 1
wait_state "the main window back from the tray" '*foreground*' "$MAIN"
wait_tree

# The sample's picture and web page, the two items above the last two
# notes: each opens in the content pane (the notebook window's title names
# it), the tree keeping the keyboard.
xdotool key --delay 150 End Up Up Return
wait_window "the picture's node open" "$MAIN" 'title=e2e.qlc - Garden sketch'
wait_pixels "the sample's picture (its sun) on the screen" '#FFD73C' 100 "$ARTIFACTS/image-view.png"
xdotool key --delay 150 Up Return
wait_window "the web page open" "$MAIN" 'title=e2e.qlc - Garden page' 'class=Shell Embedding'
import -window root "$ARTIFACTS/html-view.png" 2>/dev/null

xdotool key --delay 150 End Return
wait_window "the note open" "$MAIN" "title=e2e.qlc - $NOTE" "$NOTE_VIEW"
import -window root "$ARTIFACTS/end-to-end-notebook.png" 2>/dev/null
xdotool key --delay 150 Tab ctrl+End
wait_focus "the note" 'RichEdit20A *' "$MAIN"
xdotool type --delay 60 " $WORD"
wait_text "the typed word in the note" "* $WORD*" "$MAIN" "$NOTE_VIEW"
xdotool key --delay 150 ctrl+shift+Left ctrl+b
# The word made 15 points through the Formatting bar: still selected, the size
# typed into the size field and entered (the note has the keyboard again
# after Enter); the bar then shows the selection's size.
click "the Formatting bar's size field" "$MAIN" "${SIZE_FIELD[@]}"
wait_focus "the size field" "Edit $ID_FORMAT_FONTSIZE *" "$MAIN"
xdotool key --delay 100 Home shift+End
xdotool type --delay 100 "15"
xdotool key Return
wait_focus "the note after the size" 'RichEdit20A *' "$MAIN"
wait_text "the size field showing the word's size" 15 "$MAIN" "${SIZE_FIELD[@]}"
import -window root "$ARTIFACTS/end-to-end-formatting.png" 2>/dev/null
# The Format menu with the word selected, for the record.
xdotool key alt+o
wait_window "the Format menu" 'class=#32768'
import -window root "$ARTIFACTS/format-menu.png" 2>/dev/null
xdotool key --delay 150 Escape Escape
wait_gone "the Format menu" 'class=#32768'

# Find from the top, Enter, Escape, and the found word typed over.
xdotool key --delay 150 ctrl+Home ctrl+f
wait_focus "the Find dialog" 'Edit *' 'title=Find'
xdotool type --delay 60 "$FOUND"
wait_text "the word to find" "$FOUND" 'title=Find' 'class=Edit'
xdotool key --delay 300 Return Escape
wait_gone "the Find dialog" 'title=Find'
wait_focus "the note after Find" 'RichEdit20A *' "$MAIN"
xdotool type --delay 60 "$REPLACED"
wait_text "the found word typed over" "*$REPLACED to try*" "$MAIN" "$NOTE_VIEW"
# The Edit menu opened from the keyboard, then closed again.
xdotool key alt+e
wait_window "the Edit menu" 'class=#32768'
import -window root "$ARTIFACTS/end-to-end-menu.png" 2>/dev/null
xdotool key Escape Escape
wait_gone "the Edit menu" 'class=#32768'
saved=$(file_sum ../e2e.qlc)
xdotool key ctrl+s
wait_file_changed "the notebook saved by Ctrl+S" ../e2e.qlc "$saved"
end_program

# The word, bold and in the size given in the Formatting bar (15 points are
# 30 half points).
"$WINE64" "$CHECK" ../e2e.qlc "$NOTE" --text "$WORD" --bold "$WORD" --size "$WORD=30" --text "$REPLACED to try" </dev/null ||
  fail "the saved note is not as typed"
