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
# What the windows are (titles, minimised or not, the active notebook, the
# windows the main window owns and whether they are in front) is read by
# qlcwinreport, run in the same desktop.
#
#   WindowsEndToEndTest.sh <program folder> <qlcwinreport.exe> <wine prefix> <splash.bmp> <artifacts folder>
#
# Needs an X display ($DISPLAY), xdotool, python3 and ImageMagick; without a
# display the test is skipped (exit 77).
set -uo pipefail

BIN=$1 REPORT=$2 PREFIX=$3 PICTURE=$4 ARTIFACTS=$5
TAG="windows end-to-end"
DESK="QlcWindows$$"
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
. "$HERE/EndToEndSupport.sh"
mkdir -p "$ARTIFACTS"
fail() {
  echo "$TAG: $*"
  import -window root "$ARTIFACTS/windows-failed.png" 2>/dev/null
  [ -f "$WORK/report.txt" ] && cat "$WORK/report.txt"
  exit 1
}
command -v python3 >/dev/null || fail "python3 is missing"

copy_program quillapp.exe qlccrypt.dll textconv.dll lmBroker.dll lmEngine.dll LICENSE.txt Dictionaries Help
cp "$BIN/Sample.qlc" "$WORK/first.qlc" && cp "$BIN/Sample.qlc" "$WORK/second.qlc" || fail "no sample notebook in $BIN"
cp "$REPORT" "$WORK/program/qlcwinreport.exe" || fail "no $REPORT"
convert "$PICTURE" "$WORK/picture.ppm" || fail "the splash picture $PICTURE cannot be read"
cd "$WORK/program"

# What the program's windows are now, in $WORK/report.txt.
report() {
  "$WINE64" qlcwinreport.exe "$DESK" 2>/dev/null </dev/null | tr -d '\r' >"$WORK/report.txt"
}
# Waits until the report has a line matching the pattern (grep -E), at
# most $2 seconds; fails naming what it waited for ($3).
await_report() {
  local i
  for i in $(seq $(($2 * 4))); do
    report && grep -Eq "$1" "$WORK/report.txt" && return 0
    sleep 0.25
  done
  fail "waited $2 s for $3"
}

# 1. The splash, in the desktop the run command uses.
fresh_settings
"$WINE64" reg add 'HKCU\Software\Varlosoft\Varlo Quillcrest\Settings' /v ShowSplash /t REG_DWORD /d 1 /f >/dev/null 2>&1
"$WINE64" explorer "/desktop=$DESK,1024x768" quillapp.exe '..\first.qlc' </dev/null >>"$WORK/wine.log" 2>&1 &
DESK_PID=$!
WIN=""
for i in $(seq 100); do
  WIN=$(xdotool search --name "$DESK" 2>/dev/null | head -1)
  [ -n "$WIN" ] && break
  sleep 0.2
done
[ -n "$WIN" ] || fail "the wine desktop did not appear"
python3 "$HERE/SplashWatch.py" "$WORK/picture.ppm" "$WORK/splash.ppm" 40 20 >"$WORK/splash.txt" 2>&1
seen=$(sed -n 's/^shown //p' "$WORK/splash.txt")
[ -f "$WORK/splash.ppm" ] && convert "$WORK/splash.ppm" "$ARTIFACTS/splash-in-desktop.png" 2>/dev/null
grep -q '^gone$' "$WORK/splash.txt" || fail "$(tail -1 "$WORK/splash.txt")"
await_report '^notebook normal active .* first\.qlc$' 30 "the first notebook's window"
echo "$TAG: the splash showed at $seen and went"

# 2. Two notebooks and the Window menu. The main window's title bar gets
# the keyboard first.
xdotool mousemove --window "$WIN" 300 10 click 1
sleep 0.5
xdotool key ctrl+o
await_report '^owned #32770 ' 15 "the Open dialog"
xdotool type --delay 40 '..\second.qlc'
xdotool key Return
await_report '^notebook normal active .* second\.qlc$' 20 "the second notebook's window"
xdotool key alt+w
sleep 1
import -window root "$ARTIFACTS/window-menu.png" 2>/dev/null
xdotool key Escape Escape
# The entries pick the notebooks they name.
xdotool key --delay 300 alt+w 1
await_report '^notebook normal active .* first\.qlc$' 10 "Window > 1 to activate first.qlc"
xdotool key --delay 300 alt+w 2
await_report '^notebook normal active .* second\.qlc$' 10 "Window > 2 to activate second.qlc"
# The active notebook minimised with its minimise button, then chosen again.
report
set -- $(awk '/^notebook .* second\.qlc$/ { print $4, $5, $6, $7 }' "$WORK/report.txt")
[ $# = 4 ] || fail "no place of second.qlc's window in the report"
xdotool mousemove --window "$WIN" $(($1 + $3 - 50)) $(($2 + 8)) click 1
await_report '^notebook minimised .* second\.qlc$' 10 "second.qlc to be minimised"
xdotool key --delay 300 alt+w 2
await_report '^notebook normal active .* second\.qlc$' 10 "Window > 2 to bring the minimised second.qlc back"
echo "$TAG: the Window menu picks both notebooks and brings a minimised one back"

# 3. The Help Bar floated by its caption, and a restart.
report
set -- $(awk '/^helpbar / { print $2, $3 }' "$WORK/report.txt")
[ $# = 2 ] || fail "the Help Bar is not shown"
xdotool mousemove --window "$WIN" $(($1 + 30)) $(($2 + 6)) mousedown 1
xdotool mousemove --window "$WIN" $(($1 + 60)) $(($2 + 60)) sleep 0.2 \
  mousemove --window "$WIN" 420 340 sleep 0.2 mousemove --window "$WIN" 450 360 sleep 0.2 mouseup 1
await_report '^owned .* front$' 10 "the Help Bar floating in front of the main window"
grep -q '^notebook ' "$WORK/report.txt" || fail "the notebooks went"
xdotool mousemove --window "$WIN" 300 10 click 1
sleep 0.5
end_program || fail "the program did not end after Alt+F4"

"$WINE64" reg add 'HKCU\Software\Varlosoft\Varlo Quillcrest\Settings' /v ShowSplash /t REG_DWORD /d 0 /f >/dev/null 2>&1
"$WINE64" explorer "/desktop=$DESK,1024x768" quillapp.exe '..\first.qlc' </dev/null >>"$WORK/wine.log" 2>&1 &
DESK_PID=$!
await_report '^notebook .* first\.qlc$' 30 "the program to start again"
await_report '^owned .* front$' 10 "the floating Help Bar in front of the main window after the restart"
grep -q '^helpbar ' "$WORK/report.txt" || fail "the Help Bar is not shown after the restart"
import -window root "$ARTIFACTS/help-bar-floating.png" 2>/dev/null
WIN=$(xdotool search --name "$DESK" 2>/dev/null | head -1)
xdotool mousemove --window "$WIN" 300 10 click 1
sleep 0.5
end_program || fail "the program did not end after Alt+F4"
echo "$TAG: passed"
