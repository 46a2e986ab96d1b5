#!/usr/bin/env bash
# The docking panes of the real program, driven by input events: quillapp.exe
# opens a notebook saved with its Tasks bar shown (made by qlctasknotebook)
# inside a wine virtual desktop; the notebook window must come up with the
# Tasks bar and the main frame with the Help Bar (a screenshot of both is
# kept). At exit the program stores the Tasks bar's sizes (one set for the
# program) and the Help Bar's visibility. A second run starts from sizes
# changed in the registry, hides the Help Bar with F1 and ends: the sizes it
# read must be the ones it stores again, and the Help Bar must be stored
# hidden. In every run the tree keeps a usable height over the Tasks bar,
# however small the notebook window is. A third run opens a second notebook, drags its Tasks bar taller by
# the bar's top edge and closes that window before the program ends with the
# first one still open: the height stored is the dragged one. A fourth tiles
# both windows (Window > Tile) and ends; the next start shows the notebook at
# that size with its Tasks bar, and the tree must keep a usable height (a
# screenshot is kept).
#
#   TasksEndToEndTest.sh <program folder> <qlctasknotebook.exe> <wine prefix> <screenshot path>
#
# Needs an X display ($DISPLAY), xdotool and ImageMagick's import; without a
# display the test is skipped (exit 77).
set -uo pipefail

BIN=$1 MAKER=$2 PREFIX=$3 SHOT=$4
TAG="panes end-to-end"
KEY='HKCU\Software\Varlosoft\Varlo Quillcrest'
DESK="QlcPanes$$"
FAIL_SHOT=${SHOT%.png}-failed.png
. "$(dirname "${BASH_SOURCE[0]}")/EndToEndSupport.sh"
resource_ids IDW_TASKS_BAR IDW_HELP_BAR
TASKS_BAR=("$MAIN" 'title=tasks.qlc*' "id=$IDW_TASKS_BAR" 'class=SysListView32')
SECOND_BAR=("$MAIN" 'title=second.qlc*' "id=$IDW_TASKS_BAR")
TREE=("$MAIN" 'title=tasks.qlc*' 'class=SysTreeView32')
HELP_BAR=("$MAIN" "id=$IDW_HELP_BAR")

cp "$BIN/quillapp.exe" "$WORK/" || fail "no quillapp.exe in $BIN"
cd "$WORK"
"$WINE64" "$MAKER" tasks.qlc || fail "the notebook was not made"
"$WINE64" "$MAKER" second.qlc || fail "the second notebook was not made"

# A registry value as a number ("" when missing).
reg_dword() {
  local hex
  hex=$("$WINE64" reg query "$KEY\\$1" /v "$2" 2>/dev/null | tr -d '\r' |
    awk -v v="$2" '$1 == v && $2 == "REG_DWORD" { print $3 }')
  [ -n "$hex" ] && echo $((hex))
}

# Succeeds when the window (SPEC... after the limit) is higher or lower
# than the limit; its height in RH.
higher_than() {
  local limit=$1
  shift
  locate "the window $*" "$@"
  [ "$RH" -gt "$limit" ]
}
lower_than() {
  local limit=$1
  shift
  locate "the window $*" "$@"
  [ "$RH" -lt "$limit" ]
}

# The tree of tasks.qlc's window keeps a usable height over its Tasks bar.
wait_tree_usable() {
  locate "the notebook window's Tasks bar" "${TASKS_BAR[@]:0:3}"
  wait_for "the tree of tasks.qlc to be usable (60 pixels high at least, over a Tasks bar of $RH)" \
    higher_than 59 "${TREE[@]}"
}

fresh_settings

# 1. Both panes show; the picture is kept.
start_program tasks.qlc
wait_window "the notebook window's Tasks bar with its list" "${TASKS_BAR[@]}"
wait_tree_usable
wait_window "the Help Bar" "${HELP_BAR[@]}"
import -window root "$SHOT" 2>/dev/null
[ -s "$SHOT" ] || fail "no screenshot"
end_program
cy=$(reg_dword TasksBar-SCBar-126 sizeHorzCY)
shown=$(reg_dword Settings ShowHelpBar)
[ "$cy" = 200 ] || fail "the Tasks bar's height was stored as '$cy', not 200"
[ "$shown" = 1 ] || fail "the Help Bar was stored as '$shown', not shown"

# 2. Sizes from the registry come back and are stored again; F1 hides the Help Bar.
"$WINE64" reg add "$KEY\\TasksBar-SCBar-126" /v sizeHorzCY /t REG_DWORD /d 260 /f >/dev/null 2>&1
"$WINE64" reg add "$KEY\\Toolbars-SCBar-127" /v sizeVertCX /t REG_DWORD /d 240 /f >/dev/null 2>&1
start_program tasks.qlc
wait_window "the notebook window's Tasks bar with its list" "${TASKS_BAR[@]}"
wait_tree_usable
wait_window "the Help Bar" "${HELP_BAR[@]}"
xdotool key F1
wait_gone "the Help Bar (hidden by F1)" "${HELP_BAR[@]}"
import -window root "${SHOT%.png}-second.png" 2>/dev/null
end_program
cy=$(reg_dword TasksBar-SCBar-126 sizeHorzCY)
cx=$(reg_dword Toolbars-SCBar-127 sizeVertCX)
shown=$(reg_dword Settings ShowHelpBar)
[ "$cy" = 260 ] || fail "the Tasks bar's height did not survive the restart ('$cy')"
[ "$cx" = 240 ] || fail "the Help Bar's width did not survive the restart ('$cx')"
[ "$shown" = 0 ] || fail "F1 did not hide the Help Bar for the next run ('$shown')"

# Opens second.qlc with File > Open (Ctrl+O) and waits for its Tasks bar.
open_second() {
  xdotool key ctrl+o
  wait_window "the Open dialog" 'title=Open,class=#32770'
  xdotool type --delay 20 "Z:${WORK//\//\\}\\second.qlc"
  xdotool key Return
  wait_window "the second notebook's Tasks bar" "${SECOND_BAR[@]}" 'class=SysListView32'
}

# 3. Two notebooks: the one whose bar the user changed closes first.
start_program tasks.qlc
wait_window "the notebook window's Tasks bar with its list" "${TASKS_BAR[@]}"
open_second
wait_for "the second notebook's tree to be usable (60 pixels high at least)" \
  higher_than 59 "$MAIN" 'title=second.qlc*' 'class=SysTreeView32'
locate "the second notebook's Tasks bar" "${SECOND_BAR[@]}"
before=$RH
x=$X y=$((RY + 2))
xdotool mousemove --sync --window "$WIN" "$x" "$y" mousedown 1
wait_state "the Tasks bar's top edge taking the mouse" '*capture*' "${SECOND_BAR[@]}"
for step in 10 20 30 40 50; do
  xdotool mousemove --sync --window "$WIN" "$x" $((y - step))
done
xdotool mouseup 1
wait_for "the second notebook's Tasks bar to grow from $before pixels" higher_than "$before" "${SECOND_BAR[@]}"
dragged=$RH
xdotool key ctrl+F4
wait_gone "the second notebook's window (closed by Ctrl+F4)" "$MAIN" 'title=second.qlc*'
end_program
cy=$(reg_dword TasksBar-SCBar-126 sizeHorzCY)
[ "$cy" = "$dragged" ] || fail "the Tasks bar's height dragged to $dragged was stored as '$cy'"

# 4. Both windows tiled, closed at exit; the next start shows the notebook
# at its tiled size, the tree still usable above the Tasks bar.
start_program tasks.qlc
wait_window "the notebook window's Tasks bar with its list" "${TASKS_BAR[@]}"
open_second
locate "the notebook window" "$MAIN" 'title=tasks.qlc*'
tall=$RH
xdotool key alt+w t
wait_for "Window > Tile to make the notebook window lower than $tall pixels" lower_than "$tall" "$MAIN" 'title=tasks.qlc*'
tiled=$RH
end_program
[ "$(reg_dword TasksBar-SCBar-126 sizeHorzCY)" = "$dragged" ] || fail "tiling changed the stored Tasks bar height"
start_program tasks.qlc
wait_window "the notebook window's Tasks bar with its list" "${TASKS_BAR[@]}"
restored=$((tiled > 240 ? tiled : 240))
wait_for "the notebook window to come back at its tiled height ($tiled pixels, 240 at least)" \
  lower_than $((restored + 1)) "$MAIN" 'title=tasks.qlc*'
wait_tree_usable
import -window root "${SHOT%.png}-restored-small.png" 2>/dev/null
locate "the notebook window's Tasks bar" "${TASKS_BAR[@]:0:3}"
[ "$RH" -ge 32 ] || fail "the restored window's Tasks bar is $RH pixels high"
end_program
[ "$(reg_dword TasksBar-SCBar-126 sizeHorzCY)" = "$dragged" ] || fail "the lowered Tasks bar replaced the height chosen"
echo "$TAG: passed"
