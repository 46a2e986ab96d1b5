#!/usr/bin/env bash
# The Options sheet, the Spelling dialog and the About box in the real
# program, driven by input events, on a copy of the sample notebook in a
# wine virtual desktop:
#   - Tools > Options, Ctrl+Tab to the Editor page, "Change..." for the editor
#     font and OK in the Font dialog without touching it, OK in the sheet
#     (both photographed); a new note then typed and saved must be in the
#     stored default font (Arial, 12 points);
#   - a misspelt word checked with F7: one click on the second suggestion,
#     then Change (the dialog photographed); the saved note must hold that
#     suggestion;
#   - Help > About, License...: the licence must open in Notepad (the prefix
#     prepared as the run command prepares its own).
#
#   DialogsEndToEndTest.sh <program folder> <qlcnotecheck.exe> <qlcwinpos.exe> <wine prefix> <artifacts folder>
#
# Needs an X display ($DISPLAY), xdotool and ImageMagick's import; without a
# display the test is skipped (exit 77).
set -uo pipefail

BIN=$1 CHECK=$2 WINPOS=$3 PREFIX=$4 ARTIFACTS=$5
SRC=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
TAG="dialogs end-to-end"
DESK="QlcDialogs$$"
FONT_NOTE="Font check $$"
FONT_WORD="Fontword$$"
SPELL_NOTE="Welcome to Quillcrest"
TYPED="the cat will recieve it"
CLICKED="the cat will relieve it"
. "$(dirname "${BASH_SOURCE[0]}")/EndToEndSupport.sh"
mkdir -p "$ARTIFACTS"

fail() {
  echo "$TAG: $*"
  import -window root "$ARTIFACTS/dialogs-failed.png" 2>/dev/null
  exit 1
}
shot() { import -window root "$ARTIFACTS/$1.png" 2>/dev/null; }

# qlcwinpos must run in the program's desktop to see its windows.
"$WINE64" reg add 'HKCU\Software\Wine\AppDefaults\qlcwinpos.exe\Explorer' /v Desktop /d "$DESK" /f \
  </dev/null >/dev/null 2>&1 || fail "qlcwinpos cannot be put in the desktop $DESK"
# Waits (about 20 s at most) for a shown window with exactly this caption.
await_window() {
  local i
  for i in $(seq 40); do
    "$WINE64" "$WINPOS" "$1" </dev/null >/dev/null 2>&1 && return 0
    sleep 0.2
  done
  fail "no window \"$1\" appeared${2:+ ($2)}"
}
# Waits (about 20 s at most) until no window with this caption is shown.
await_gone() {
  local i
  for i in $(seq 40); do
    "$WINE64" "$WINPOS" "$1" </dev/null >/dev/null 2>&1 || return 0
    sleep 0.2
  done
  fail "the window \"$1\" stayed open${2:+ ($2)}"
}
# Clicks the middle of a window, control or list item (qlcwinpos arguments).
click_on() {
  local pos
  pos=$("$WINE64" "$WINPOS" "$@" </dev/null 2>/dev/null | tr -d '\r') || fail "nothing to click at: $*"
  # shellcheck disable=SC2086
  xdotool mousemove --window "$WIN" $pos click 1
}
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
start_program '..\e2e.qlc' || fail "the program did not start"

# --- The editor font, confirmed untouched ---------------------------------------
xdotool key --delay 200 alt+t o
await_window "Options" "Tools > Options"
xdotool key ctrl+Tab
sleep 0.5
xdotool key alt+h
await_window "Font" "the editor font's Change..."
shot options-font-dialog
xdotool key Return
await_gone "Font"
shot options-editor-page
xdotool key Return
await_gone "Options"

# --- A suggestion clicked once, then Change --------------------------------------
# The last top-level note (the tree has the keyboard again), opened, its
# text replaced.
xdotool key --delay 150 End Return
sleep 1.5
xdotool key --delay 150 Tab ctrl+a Delete
xdotool type --delay 50 "$TYPED"
xdotool key F7
await_window "Spelling" "F7 on a misspelt word"
click_on "Spelling" 1005 1
sleep 0.5
shot spelling-suggestion-clicked
click_on "Spelling" 1008
# The check's closing message has the dialog's caption but no list.
for i in $(seq 30); do
  "$WINE64" "$WINPOS" "Spelling" </dev/null >/dev/null 2>&1 &&
    ! "$WINE64" "$WINPOS" "Spelling" 1005 </dev/null >/dev/null 2>&1 && break
  [ "$i" = 30 ] && fail "the check did not end after Change"
  sleep 0.2
done
shot spelling-complete
xdotool key Return
await_gone "Spelling"

# --- A new note in the default font -----------------------------------------------
# After the last top-level node, from the tree's menu (Alt+1 gives the tree
# the keyboard): named, opened, typed into.
xdotool key alt+1
sleep 1
xdotool key End
sleep 0.5
xdotool key shift+F10
sleep 1
xdotool key n
sleep 0.5
xdotool key n
sleep 1
xdotool type --delay 50 "$FONT_NOTE"
sleep 0.3
xdotool key Return
sleep 1
xdotool key Return
sleep 1.5
xdotool key Tab
sleep 0.5
xdotool type --delay 50 "$FONT_WORD"
xdotool key ctrl+s
sleep 2

# --- The licence -------------------------------------------------------------------
xdotool key --delay 200 alt+h a
await_window "About Varlo Quillcrest" "Help > About"
xdotool key alt+l
await_window "LICENSE.txt - Notepad" "License... in the About box"
shot license-in-notepad
xdotool key alt+F4
await_gone "LICENSE.txt - Notepad"
click_on "About Varlo Quillcrest" 1
await_gone "About Varlo Quillcrest"

end_program || fail "the program did not end"

[ "$(setting DefaultFontName)" = "Arial" ] || fail "the editor font became \"$(setting DefaultFontName)\""
[ "$(setting DefaultFontSize)" = "0xc" ] || fail "the editor font size became $(setting DefaultFontSize)"
"$WINE64" "$CHECK" ../e2e.qlc "$FONT_NOTE" --face "$FONT_WORD=Arial" --size "$FONT_WORD=24" </dev/null ||
  fail "the new note is not in the stored default font"
"$WINE64" "$CHECK" ../e2e.qlc "$SPELL_NOTE" --text "$CLICKED" </dev/null ||
  fail "Change did not write the suggestion clicked"
echo "$TAG: the font was kept, the clicked suggestion saved and the licence shown"
