#!/usr/bin/env bash
# The real program's splash during start-up: quillapp.exe starts with the
# splash on, inside a wine virtual desktop; once the splash window shows (an
# untitled window of the program the size of the picture), screenshots are
# taken until the picture is on the screen in its place, pixel for pixel;
# that screenshot is kept in the build folder. Then the splash must go while
# the program runs on: its main window shows and ends with Alt+F4.
#
#   SplashShotTest.sh <bin folder> <wine prefix> <splash.bmp> <screenshot path>
#
# Needs an X display ($DISPLAY), xdotool and ImageMagick; without a display
# the test is skipped (exit 77).
set -uo pipefail

BIN=$1 PREFIX=$2 PICTURE=$3 SHOT=$4
TAG="splash"
DESK="QlcSplash$$"
FAIL_SHOT=${SHOT%.png}-missing.png
. "$(dirname "${BASH_SOURCE[0]}")/EndToEndSupport.sh"
for tool in convert compare identify; do
  command -v $tool >/dev/null || fail "ImageMagick's $tool is missing"
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

# The picture in the window's place on a screenshot of the desktop: at most
# one pixel in a hundred differs.
splash_on_screen() {
  local differing
  import -window "$WIN" "$WORK/shot.png" 2>/dev/null || return 1
  convert "$WORK/shot.png" -crop "${PW}x$PH+$SX+$SY" +repage "$WORK/place.ppm" 2>/dev/null || return 1
  differing=$(compare -metric AE "$WORK/picture.ppm" "$WORK/place.ppm" null: 2>&1)
  awk -v d="$differing" -v most=$((PW * PH / 100)) 'BEGIN { exit !(d ~ /^[0-9.e+]+$/ && d + 0 <= most) }'
}
wait_for "the splash picture on the screen at $SX,$SY" splash_on_screen
cp "$WORK/shot.png" "$SHOT"
echo "$TAG: shown at $SX,$SY; screenshot in $SHOT"

# It goes, and the program runs on.
wait_gone "the splash window" "class=$SPLASH_CLASS"
wait_window "the main window after the splash" "$MAIN"
bring_main_to_front
end_program
echo "$TAG: closed, the program ran on"
