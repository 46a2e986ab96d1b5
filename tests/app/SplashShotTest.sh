#!/usr/bin/env bash
# The real program's splash during start-up: quillapp.exe starts with the
# splash on, inside a wine virtual desktop; the splash window (an untitled
# window of the program) must show the picture on the screen in its place,
# pixel for pixel; the screen as it was then is kept in the build folder.
# The splash goes and the program runs on: its main window shows and ends
# with Alt+F4.
#
#   SplashShotTest.sh <bin folder> <wine prefix> <splash.bmp> <screenshot path>
#
# Needs an X display ($DISPLAY), xdotool and ImageMagick; without a
# display the test is skipped (exit 77).
set -uo pipefail

BIN=$1 PREFIX=$2 PICTURE=$3 SHOT=$4
TAG="splash"
DESK="QlcSplash$$"
FAIL_SHOT=${SHOT%.png}-missing.png
. "$(dirname "${BASH_SOURCE[0]}")/EndToEndSupport.sh"
for tool in convert identify; do
  command -v $tool >/dev/null || fail "$tool is missing (ImageMagick)"
done

cp "$BIN/quillapp.exe" "$WORK/" || fail "no quillapp.exe in $BIN"
cd "$WORK"

# Known settings: the splash on, nothing reloaded.
fresh_settings
"$WINE64" reg add 'HKCU\Software\Varlosoft\Varlo Quillcrest\Settings' /v ShowSplash /t REG_DWORD /d 1 /f >/dev/null 2>&1

identify "$PICTURE" >/dev/null 2>&1 || fail "the splash picture $PICTURE does not read"

# The splash: a shown, untitled window of the program's own classes whose
# place on the screen shows the picture, looked for from the start (the
# probe reads the screen every 50 ms: on a busy machine the splash may be up
# only for a moment). Then it goes.
SPLASH='class=Afx:*,title='
launch_program
probe_wait "the splash picture on the screen in an untitled window of the program" shows "$PICTURE" \
  --shot "$WORK/shown.bmp" "$SPLASH"
read -r SX SY <<<"$(tr -d '\r' <<<"$PROBED")"
convert "$WORK/shown.bmp" "$SHOT" || fail "the screenshot could not be kept in $SHOT"
echo "$TAG: shown at $SX,$SY; screenshot in $SHOT"
wait_gone "the splash window" "$SPLASH"

# The program runs on.
wait_window "the main window after the splash" "$MAIN"
bring_main_to_front
end_program
echo "$TAG: closed, the program ran on"
