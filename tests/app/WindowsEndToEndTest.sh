#!/usr/bin/env bash
# The real program's windows, bars and menus, driven by input events inside a
# wine virtual desktop, from a copy of the program's folder:
#   1. started with the splash on, the splash picture shows on the screen
#      while the program starts, then goes, and the program runs on;
#   2. a second notebook opened with Ctrl+O: the Window menu (kept as a
#      screenshot) picks each notebook by its number, and choosing a
#      minimised notebook's entry brings that window back;
#   3. the Help Bar dragged off its dock by its caption floats in front of
#      the main window; after Alt+F4 and a new start it floats there again,
#      in front (kept as a screenshot).
# What the windows are (titles, minimised or not, the active notebook, what
# is in front) is read by the window probe.
#
#   WindowsEndToEndTest.sh <program folder> <wine prefix> <splash.bmp> <artifacts folder>
#
# Needs an X display ($DISPLAY), xdotool and ImageMagick; without a display
# the test is skipped (exit 77).
set -uo pipefail

BIN=$1 PREFIX=$2 PICTURE=$3 ARTIFACTS=$4
TAG="windows end-to-end"
DESK="QlcWindows$$"
FAIL_SHOT=$ARTIFACTS/windows-failed.png
. "$(dirname "${BASH_SOURCE[0]}")/EndToEndSupport.sh"
mkdir -p "$ARTIFACTS"
MENU='class=#32768'
OPEN='class=#32770,title=Open'
# Docked, the Help Bar is a child of the main window; floating, it is in a
# frame of its own that takes its title.
DOCKED_HELP=("$MAIN" 'title=Help Bar')
FLOATING_HELP=('title=Help Bar' 'title=Help Bar')

copy_program quillapp.exe qlccrypt.dll textconv.dll lmBroker.dll lmEngine.dll LICENSE.txt Dictionaries Help
cp "$BIN/Sample.qlc" "$WORK/first.qlc" && cp "$BIN/Sample.qlc" "$WORK/second.qlc" || fail "no sample notebook in $BIN"
identify "$PICTURE" >/dev/null 2>&1 || fail "the splash picture $PICTURE cannot be read"
cd "$WORK/program"

# The notebook window NAME active in the main window and not minimised.
notebook_active() {
  local state
  state=$(probe state "$MAIN" "title=$1*" 2>/dev/null | tr -d '\r') || return 1
  [[ " $state " == *" active "* && " $state " != *" minimized "* ]]
}
wait_notebook() {
  wait_for "the notebook window $1 active and not minimised ($2)" notebook_active "$1"
}

# 1. The splash, in the desktop the run command uses: a shown, untitled
# window of the program's own classes whose place on the screen shows the
# picture, looked for from the start (it may be up only for a moment); then
# it goes.
SPLASH='class=Afx:*,title='
fresh_settings
"$WINE64" reg add 'HKCU\Software\Varlosoft\Varlo Quillcrest\Settings' /v ShowSplash /t REG_DWORD /d 1 /f >/dev/null 2>&1
launch_program '..\first.qlc'
probe_wait "the splash picture on the screen in an untitled window of the program" shows "$PICTURE" \
  --shot "$WORK/splash.bmp" "$SPLASH"
seen=$(tr -d '\r' <<<"$PROBED")
convert "$WORK/splash.bmp" "$ARTIFACTS/splash-in-desktop.png" 2>/dev/null
wait_gone "the splash window" "$SPLASH"
wait_window "the main window" "$MAIN"
wait_notebook first.qlc "opened at the start"
echo "$TAG: the splash showed at $seen and went"

# 2. Two notebooks and the Window menu. The main window's title bar gets
# the keyboard first.
bring_main_to_front
xdotool key ctrl+o
wait_window "the Open dialog (Ctrl+O)" "$OPEN"
wait_focus "the Open dialog's name box" 'Edit *' "$OPEN"
xdotool type --delay 40 '..\second.qlc'
wait_text "the second notebook's name typed" '..\second.qlc' "$OPEN" 'class=Edit'
xdotool key Return
wait_gone "the Open dialog" "$OPEN"
wait_notebook second.qlc "opened with Ctrl+O"
xdotool key alt+w
wait_window "the Window menu" "$MENU"
import -window root "$ARTIFACTS/window-menu.png" 2>/dev/null
xdotool key Escape Escape
wait_gone "the Window menu" "$MENU"
# The entries pick the notebooks they name.
xdotool key alt+w
wait_window "the Window menu" "$MENU"
xdotool key 1
wait_notebook first.qlc "Window > 1"
xdotool key alt+w
wait_window "the Window menu" "$MENU"
xdotool key 2
wait_notebook second.qlc "Window > 2"
# The active notebook minimised with its minimise button, then chosen again.
probe_wait "the minimise button of second.qlc's window" button min "$MAIN" 'title=second.qlc*'
read -r X Y <<<"$(tr -d '\r' <<<"$PROBED")"
xdotool mousemove --window "$WIN" "$X" "$Y" click 1
wait_state "second.qlc's window minimised (its minimise button)" '* minimized*' "$MAIN" 'title=second.qlc*'
xdotool key alt+w
wait_window "the Window menu" "$MENU"
xdotool key 2
wait_notebook second.qlc "Window > 2 on the minimised window"
echo "$TAG: the Window menu picks both notebooks and brings a minimised one back"

# 3. The Help Bar floated by its caption: pressed there, moved until the bar
# holds the mouse (a drag started), then let go over the middle of the
# notebooks' area.
locate "the docked Help Bar" "${DOCKED_HELP[@]}"
GRIP_X=$((RX + 30)) GRIP_Y=$((RY + 6))
locate "the notebooks' area" "$MAIN" 'class=MDIClient'
xdotool mousemove --window "$WIN" "$GRIP_X" "$GRIP_Y" mousedown 1
for d in 5 10 20 30; do
  xdotool mousemove --window "$WIN" $((GRIP_X + d)) $((GRIP_Y + d))
done
wait_state "the Help Bar dragged (holding the mouse)" '*capture*' "${DOCKED_HELP[@]}"
for step in 4 3 2 1 0; do
  xdotool mousemove --window "$WIN" $((X + 10 * step)) $((Y + 10 * step))
done
xdotool mouseup 1
wait_state "the Help Bar floating in front of the main window" '* front*' "${FLOATING_HELP[@]}"
wait_window "first.qlc's window after the drag" "$MAIN" 'title=first.qlc*'
wait_window "second.qlc's window after the drag" "$MAIN" 'title=second.qlc*'
bring_main_to_front
end_program

"$WINE64" reg add 'HKCU\Software\Varlosoft\Varlo Quillcrest\Settings' /v ShowSplash /t REG_DWORD /d 0 /f >/dev/null 2>&1
launch_program '..\first.qlc'
wait_window "the main window after the restart" "$MAIN"
wait_window "first.qlc's window after the restart" "$MAIN" 'title=first.qlc*'
wait_state "the floating Help Bar in front of the main window after the restart" '* front*' "${FLOATING_HELP[@]}"
import -window root "$ARTIFACTS/help-bar-floating.png" 2>/dev/null
bring_main_to_front
end_program
echo "$TAG: passed"
