#!/usr/bin/env bash
# The real program's splash during start-up: quillapp.exe starts with the
# splash on, inside a wine virtual desktop; once the splash window shows (an
# untitled window of the program the size of the picture) and has gone, one
# of the screenshots taken since the start must show the picture in its
# place, pixel for pixel, and is kept in the build folder. The program runs
# on: its main window shows and ends with Alt+F4.
#
#   SplashShotTest.sh <bin folder> <wine prefix> <splash.bmp> <screenshot path>
#
# Needs an X display ($DISPLAY), xdotool, xwd and ImageMagick; without a
# display the test is skipped (exit 77).
set -uo pipefail

BIN=$1 PREFIX=$2 PICTURE=$3 SHOT=$4
TAG="splash"
DESK="QlcSplash$$"
FAIL_SHOT=${SHOT%.png}-missing.png
. "$(dirname "${BASH_SOURCE[0]}")/EndToEndSupport.sh"
for tool in convert compare identify xwd; do
  command -v $tool >/dev/null || fail "$tool is missing (ImageMagick, x11-apps)"
done

cp "$BIN/quillapp.exe" "$WORK/" || fail "no quillapp.exe in $BIN"
cd "$WORK"

# Known settings: the splash on, nothing reloaded.
fresh_settings
"$WINE64" reg add 'HKCU\Software\Varlosoft\Varlo Quillcrest\Settings' /v ShowSplash /t REG_DWORD /d 1 /f >/dev/null 2>&1

convert "$PICTURE" "$WORK/picture.ppm" || fail "the splash picture $PICTURE does not read"
read -r PW PH <<<"$(identify -format '%w %h' "$WORK/picture.ppm")"

# Screenshots of the desktop from its start until the splash has gone, the
# last 25 kept (xwd: fast even on a busy machine, where the splash may be in
# front only for a moment). They end with the work folder, too.
launch_program
mkdir -p "$WORK/shots"
(
  n=0
  while [ -d "$WORK/shots" ] && [ ! -e "$WORK/shots/stop" ]; do
    xwd -id "$WIN" -silent >"$WORK/shots/$((n % 25)).xwd" 2>/dev/null && echo $((n += 1)) >"$WORK/shots/count"
    sleep 0.05
  done
) &
SHOOTER_PID=$!
stop_shooting() {
  touch "$WORK/shots/stop"
  wait "$SHOOTER_PID"
}

# The splash: a shown, untitled window of the program's own classes, with
# the picture's size; then it goes.
wait_window "the splash window" --is "* \"\" * * $PW $PH visible" 'class=Afx:*,title='
read -r SPLASH_CLASS _ <<<"$PROBED"
read -r SX SY _ <<<"${PROBED##*\" }"
wait_gone "the splash window" "class=$SPLASH_CLASS"
stop_shooting

# The first screenshot with the picture in the window's place (at most one
# pixel in a hundred differing) is kept.
shots=$(cat "$WORK/shots/count" 2>/dev/null || echo 0)
first=$((shots > 25 ? shots - 25 : 0))
shown=""
for ((i = first; i < shots; i++)); do
  convert "$WORK/shots/$((i % 25)).xwd" -crop "${PW}x$PH+$SX+$SY" +repage "$WORK/place.ppm" 2>/dev/null || continue
  differing=$(compare -metric AE "$WORK/picture.ppm" "$WORK/place.ppm" null: 2>&1)
  if awk -v d="$differing" -v most=$((PW * PH / 100)) 'BEGIN { exit !(d ~ /^[0-9.e+]+$/ && d + 0 <= most) }'; then
    shown=$i
    break
  fi
done
if [ -z "$shown" ]; then
  [ $shots -gt 0 ] && convert "$WORK/shots/$(((shots - 1) % 25)).xwd" "${SHOT%.png}-covered.png" 2>/dev/null
  fail "the splash window was up at $SX,$SY, but none of the last $((shots - first)) screenshots before it went" \
    "showed its picture there (the last: ${SHOT%.png}-covered.png)"
fi
convert "$WORK/shots/$((shown % 25)).xwd" "$SHOT" || fail "the screenshot could not be kept in $SHOT"
echo "$TAG: shown at $SX,$SY (screenshot $((shown + 1)) of $shots); screenshot in $SHOT"

# The program runs on.
wait_window "the main window after the splash" "$MAIN"
bring_main_to_front
end_program
echo "$TAG: closed, the program ran on"
