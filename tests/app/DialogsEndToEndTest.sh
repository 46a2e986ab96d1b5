#!/usr/bin/env bash
# The Options sheet, the Spelling dialog and the About box in the real
# program, driven by input events, on a copy of the sample notebook in a
# wine virtual desktop:
#   - Tools > Options, Ctrl+Tab to the Editor page, "Change..." for the editor
#     font and OK in the Font dialog without touching it, OK in the sheet
#     (both photographed); a new note then typed and saved must be in the
#     stored default font (Arial, 12 points);
#   - a misspelt word checked with F7: one click on a suggestion, which must
#     then stand in "Change to", then Change (the dialog photographed); the
#     saved note must hold that suggestion;
#   - Help > About, License...: the licence must open in Notepad (the prefix
#     prepared as the run command prepares its own).
#
#   DialogsEndToEndTest.sh <program folder> <qlcnotecheck.exe> <wine prefix> <artifacts folder>
#
# Needs an X display ($DISPLAY), xdotool and ImageMagick's import; without a
# display the test is skipped (exit 77).
set -uo pipefail

BIN=$1 CHECK=$2 PREFIX=$3 ARTIFACTS=$4
SRC=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
TAG="dialogs end-to-end"
DESK="QlcDialogs$$"
FAIL_SHOT=$ARTIFACTS/dialogs-failed.png
FONT_NOTE="Font check $$"
FONT_WORD="Fontword$$"
SPELL_NOTE="Welcome to Quillcrest"
TYPED="the cat will recieve it"
SUGGESTION="relieve"
CLICKED="the cat will relieve it"
. "$(dirname "${BASH_SOURCE[0]}")/EndToEndSupport.sh"
mkdir -p "$ARTIFACTS"
resource_ids IDC_OPT_CHANGE_EDITOR_FONT IDC_SPELL_WORD IDC_SPELL_REPLACEMENT IDC_SPELL_SUGGESTIONS IDC_SPELL_CHANGE
OPTIONS='title=Options'
FONT_DIALOG=('class=#32770,title=Font')
SPELLING='title=Spelling'
SPELL_DONE=('class=#32770' 'title=Spell Check Complete.')
ABOUT='title=About Varlo Quillcrest'
NOTEPAD='title=LICENSE.txt - Notepad'
TREE='class=SysTreeView32'
NOTE_VIEW='class=RichEdit20A'
MENU='class=#32768'

shot() { import -window root "$ARTIFACTS/$1.png" 2>/dev/null; }
setting() {
  "$WINE64" reg query 'HKCU\Software\Varlosoft\Varlo Quillcrest\Settings' /v "$1" </dev/null 2>/dev/null |
    tr -d '\r' | awk -v v="$1" '$1 == v { $1 = ""; $2 = ""; sub(/^ +/, ""); print }'
}

copy_program quillapp.exe qlccrypt.dll textconv.dll lmBroker.dll lmEngine.dll LICENSE.txt Dictionaries Help
cp "$BIN/Sample.qlc" "$WORK/e2e.qlc" || fail "no sample notebook in $BIN"
cd "$WORK/program"

fresh_settings
"$WINE64" reg add 'HKCU\Software\Varlosoft\Varlo Quillcrest\Settings' /v SpellLang /t REG_SZ /d English /f \
  </dev/null >/dev/null 2>&1
"$SRC/scripts/wine-text-files.sh" "$PREFIX" || fail "the prefix cannot be set to open text files"
start_program '..\e2e.qlc'
wait_tree

# --- The editor font, confirmed untouched ---------------------------------------
xdotool key alt+t
wait_window "the Tools menu" "$MENU"
xdotool key o
wait_window "the Options sheet (Tools > Options)" "$OPTIONS"
wait_state "the Options sheet in front" '*foreground*' "$OPTIONS"
xdotool key ctrl+Tab
wait_window "the Editor page (Ctrl+Tab in Options)" "$OPTIONS" "id=$IDC_OPT_CHANGE_EDITOR_FONT"
xdotool key alt+h
wait_window "the Font dialog (the editor font's Change...)" "${FONT_DIALOG[@]}"
wait_state "the Font dialog in front" '*foreground*' "${FONT_DIALOG[@]}"
shot options-font-dialog
xdotool key Return
wait_gone "the Font dialog (OK)" "${FONT_DIALOG[@]}"
wait_state "the Options sheet in front again" '*foreground*' "$OPTIONS"
shot options-editor-page
xdotool key Return
wait_gone "the Options sheet (OK)" "$OPTIONS"

# --- A suggestion clicked once, then Change --------------------------------------
# The last top-level note (the tree has the keyboard again), opened, its
# text replaced.
wait_tree
xdotool key --delay 150 End Return
wait_window "the note open" "$MAIN" "title=e2e.qlc - $SPELL_NOTE" "$NOTE_VIEW"
xdotool key --delay 150 Tab ctrl+a Delete
wait_focus "the note" 'RichEdit20A *' "$MAIN"
xdotool type --delay 50 "$TYPED"
wait_text "the typed sentence in the note" "$TYPED*" "$MAIN" "$NOTE_VIEW"
xdotool key F7
wait_text "the Spelling dialog at the misspelt word (F7)" recieve "$SPELLING" "id=$IDC_SPELL_WORD"
locate_row "the suggestion $SUGGESTION" "$SUGGESTION" "$SPELLING" "id=$IDC_SPELL_SUGGESTIONS"
xdotool mousemove --window "$WIN" "$X" "$Y" click 1
wait_text "the suggestion clicked once in Change to" "$SUGGESTION" "$SPELLING" "id=$IDC_SPELL_REPLACEMENT"
shot spelling-suggestion-clicked
click "the Spelling dialog's Change" "$SPELLING" "id=$IDC_SPELL_CHANGE"
wait_window "the message Spell Check Complete. after Change" "${SPELL_DONE[@]}"
shot spelling-complete
xdotool key Return
wait_gone "the message Spell Check Complete." "${SPELL_DONE[@]}"
wait_gone "the Spelling dialog" "$SPELLING"

# --- A new note in the default font -----------------------------------------------
# After the last top-level node, from the tree's menu (Alt+1 gives the tree
# the keyboard): named in place, opened, typed into.
xdotool key alt+1
wait_tree
xdotool key End shift+F10
wait_window "the tree's menu (Shift+F10)" "$MENU"
xdotool key n
wait_submenu "the tree menu's New submenu"
xdotool key n
wait_focus "the new note's name in the tree" 'Edit *' "$MAIN"
xdotool type --delay 50 "$FONT_NOTE"
wait_text "the new note's name typed" "$FONT_NOTE" "$MAIN" "$TREE" 'class=Edit'
xdotool key Return
wait_tree
locate_row "the new note in the tree" "$FONT_NOTE" "$MAIN" "$TREE"
xdotool key Return
wait_window "the new note open" "$MAIN" "title=e2e.qlc - $FONT_NOTE" "$NOTE_VIEW"
xdotool key Tab
wait_focus "the new note" 'RichEdit20A *' "$MAIN"
xdotool type --delay 50 "$FONT_WORD"
wait_text "the word typed into the new note" "*$FONT_WORD*" "$MAIN" "$NOTE_VIEW"
saved=$(file_sum ../e2e.qlc)
xdotool key ctrl+s
wait_file_changed "the notebook saved by Ctrl+S" ../e2e.qlc "$saved"

# --- The licence -------------------------------------------------------------------
xdotool key alt+h
wait_window "the Help menu" "$MENU"
xdotool key a
wait_window "the About box (Help > About)" "$ABOUT"
wait_state "the About box in front" '*foreground*' "$ABOUT"
xdotool key alt+l
wait_window "Notepad with the licence (License... in the About box)" "$NOTEPAD"
wait_state "Notepad in front" '*foreground*' "$NOTEPAD"
shot license-in-notepad
xdotool key alt+F4
wait_gone "Notepad (Alt+F4)" "$NOTEPAD"
click "the About box's OK" "$ABOUT" 'id=1'
wait_gone "the About box (OK)" "$ABOUT"

end_program

[ "$(setting DefaultFontName)" = "Arial" ] || fail "the editor font became \"$(setting DefaultFontName)\""
[ "$(setting DefaultFontSize)" = "0xc" ] || fail "the editor font size became $(setting DefaultFontSize)"
"$WINE64" "$CHECK" ../e2e.qlc "$FONT_NOTE" --face "$FONT_WORD=Arial" --size "$FONT_WORD=24" </dev/null ||
  fail "the new note is not in the stored default font"
"$WINE64" "$CHECK" ../e2e.qlc "$SPELL_NOTE" --text "$CLICKED" </dev/null ||
  fail "Change did not write the suggestion clicked"
echo "$TAG: the font was kept, the clicked suggestion saved and the licence shown"
