#!/usr/bin/env bash
# The docking panes of the real program, driven by input events: quillapp.exe
# opens a notebook saved with its Tasks bar shown (made by qlctasknotebook)
# inside a wine virtual desktop; the notebook window must come up with the
# Tasks bar and the main frame with the Help Bar (a screenshot of both is
# kept). At exit the program stores the Tasks bar's sizes (one set for the
# program) and the Help Bar's visibility. A second run starts from sizes
# changed in the registry, hides the Help Bar with F1 and ends: the sizes it
# read must be the ones it stores again, and the Help Bar must be stored
# hidden.
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
HELP_BAR=("$MAIN" "id=$IDW_HELP_BAR")

cp "$BIN/quillapp.exe" "$WORK/" || fail "no quillapp.exe in $BIN"
cd "$WORK"
"$WINE64" "$MAKER" tasks.qlc || fail "the notebook was not made"

# A registry value as a number ("" when missing).
reg_dword() {
  local hex
  hex=$("$WINE64" reg query "$KEY\\$1" /v "$2" 2>/dev/null | tr -d '\r' |
    awk -v v="$2" '$1 == v && $2 == "REG_DWORD" { print $3 }')
  [ -n "$hex" ] && echo $((hex))
}

fresh_settings

# 1. Both panes show; the picture is kept.
start_program tasks.qlc
wait_window "the notebook window's Tasks bar with its list" "${TASKS_BAR[@]}"
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
echo "$TAG: passed"
