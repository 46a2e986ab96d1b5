#!/usr/bin/env bash
# Spell checking in the real program, driven by input events: a copy of the
# program's folder (with its English dictionary) runs in a wine virtual
# desktop on a copy of the sample notebook, with English as the spelling
# language. The keyboard opens the last top-level note, replaces its text
# with a sentence holding one misspelt word, checks the spelling with F7,
# types the correction into the Spelling dialog's "Change to" box and
# presses Change, closes "Spell Check Complete." and saves. The saved note,
# read back by the program's own core, must hold the corrected sentence.
#
#   SpellEndToEndTest.sh <program folder> <qlcnotecheck.exe> <wine prefix> <artifacts folder>
#
# Needs an X display ($DISPLAY), xdotool and ImageMagick's import; without a
# display the test is skipped (exit 77).
set -uo pipefail

BIN=$1 CHECK=$2 PREFIX=$3 ARTIFACTS=$4
TAG="spelling end-to-end"
NOTE="Welcome to Quillcrest"
TYPED="the cat will recieve it"
CORRECTED="the cat will receive it"
DESK="QlcSpelling$$"
FAIL_SHOT=$ARTIFACTS/spelling-failed.png
. "$(dirname "${BASH_SOURCE[0]}")/EndToEndSupport.sh"
mkdir -p "$ARTIFACTS"
resource_ids IDC_SPELL_WORD IDC_SPELL_REPLACEMENT
NOTE_VIEW='class=RichEdit20A'
SPELLING='title=Spelling'

copy_program quillapp.exe qlccrypt.dll textconv.dll lmBroker.dll lmEngine.dll Dictionaries
[ -e "$BIN/Dictionaries/English/Lexomo.dat" ] || fail "no English dictionary beside the program"
cp "$BIN/Sample.qlc" "$WORK/e2e.qlc" || fail "no sample notebook in $BIN"
cd "$WORK/program"

KEY='HKCU\Software\Varlosoft\Varlo Quillcrest\Settings'
fresh_settings
"$WINE64" reg add "$KEY" /v SpellLang /t REG_SZ /d English /f >/dev/null 2>&1

start_program '..\e2e.qlc'
wait_tree
# The last top-level note, then its text replaced.
xdotool key --delay 150 End Return
wait_window "the note open" "$MAIN" "title=e2e.qlc - $NOTE" "$NOTE_VIEW"
xdotool key --delay 150 Tab ctrl+a Delete
wait_focus "the note" 'RichEdit20A *' "$MAIN"
xdotool type --delay 60 "$TYPED"
wait_text "the typed sentence in the note" "$TYPED*" "$MAIN" "$NOTE_VIEW"
# F7: the Spelling dialog stops at the misspelt word.
xdotool key F7
wait_text "the Spelling dialog at the misspelt word" recieve "$SPELLING" "id=$IDC_SPELL_WORD"
import -window root "$ARTIFACTS/spelling-dialog.png" 2>/dev/null
# Alt+T moves to "Change to" (its text selected), the correction replaces
# it, Alt+C changes the word; Enter closes "Spell Check Complete.".
xdotool key alt+t
wait_focus "the Spelling dialog's Change to" "Edit $IDC_SPELL_REPLACEMENT *" "$SPELLING"
xdotool type --delay 60 "receive"
wait_text "the correction typed" receive "$SPELLING" "id=$IDC_SPELL_REPLACEMENT"
xdotool key alt+c
wait_window "the message Spell Check Complete." 'class=#32770' 'title=Spell Check Complete.'
import -window root "$ARTIFACTS/spelling-complete.png" 2>/dev/null
xdotool key Return
wait_gone "the message Spell Check Complete." 'class=#32770' 'title=Spell Check Complete.'
wait_gone "the Spelling dialog" "$SPELLING"
saved=$(file_sum ../e2e.qlc)
xdotool key ctrl+s
wait_file_changed "the notebook saved by Ctrl+S" ../e2e.qlc "$saved"
end_program

"$WINE64" "$CHECK" ../e2e.qlc "$NOTE" --text "$CORRECTED" </dev/null ||
  fail "the saved note does not hold the corrected word"
echo "$TAG: the corrected word was saved"
