#!/usr/bin/env bash
# The real program's splash during start-up: quillapp.exe starts with the
# splash on, inside a wine virtual desktop; once the splash window shows (an
# untitled window of the program the size of the picture), screenshots are
# taken until it goes; one of them must show the picture in its place, pixel
# for pixel, and is kept in the build folder. The program runs on: its main
# window shows and ends with Alt+F4.
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

launch_program

# The splash: a shown, untitled window of the program's own classes, with
# the picture's size.
wait_window "the splash window" --is "* \"\" * * $PW $PH visible" 'class=Afx:*,title='
read -r SPLASH_CLASS _ <<<"$PROBED"
read -r SX SY _ <<<"${PROBED##*\" }"

# Screenshots of the desktop (xwd: fast even on a loaded machine) for as
# long as the splash is up; its window going ends them.
probe gone --wait "$DEADLINE" "class=$SPLASH_CLASS" >/dev/null 2>"$WORK/gone.err" &
GONE_PID=$!
shots=0
while kill -0 "$GONE_PID" 2>/dev/null; do
  if [ $shots -lt 40 ] && xwd -id "$WIN" -silent >"$WORK/shot$shots.xwd" 2>/dev/null; then
    shots=$((shots + 1))
  fi
  sleep 0.05
done
wait "$GONE_PID" || fail "the splash window did not go: $(tr -d '\r' <"$WORK/gone.err")"

# The first screenshot with the picture in the window's place (at most one
# pixel in a hundred differing) is kept.
shown=""
for ((i = 0; i < shots; i++)); do
  convert "$WORK/shot$i.xwd" -crop "${PW}x$PH+$SX+$SY" +repage "$WORK/place.ppm" 2>/dev/null || continue
  differing=$(compare -metric AE "$WORK/picture.ppm" "$WORK/place.ppm" null: 2>&1)
  if awk -v d="$differing" -v most=$((PW * PH / 100)) 'BEGIN { exit !(d ~ /^[0-9.e+]+$/ && d + 0 <= most) }'; then
    shown=$i
    break
  fi
done
if [ -z "$shown" ]; then
  [ $shots -gt 0 ] && convert "$WORK/shot$((shots - 1)).xwd" "${SHOT%.png}-covered.png" 2>/dev/null
  fail "the splash window was up at $SX,$SY, but none of the $shots screenshots taken while it was showed" \
    "its picture there (the last: ${SHOT%.png}-covered.png)"
fi
convert "$WORK/shot$shown.xwd" "$SHOT" || fail "the screenshot could not be kept in $SHOT"
echo "$TAG: shown at $SX,$SY (screenshot $((shown + 1)) of $shots); screenshot in $SHOT"

# The program runs on.
wait_window "the main window after the splash" "$MAIN"
bring_main_to_front
end_program
echo "$TAG: closed, the program ran on"
