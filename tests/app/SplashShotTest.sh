#!/usr/bin/env bash
# The real program's splash during start-up: quillapp.exe starts with the
# splash on (no virtual desktop, so the screen is the work area); screenshots
# are taken until the splash picture shows, centred on the screen, pixel for
# pixel; that screenshot is kept in the build folder. Then the splash must go
# once its 2 s are over, while the program runs on.
#
#   SplashShotTest.sh <bin folder> <wine prefix> <splash.bmp> <screenshot path>
#
# Needs an X display ($DISPLAY) and ImageMagick; without a display the test
# is skipped (exit 77).
set -uo pipefail

BIN=$1 PREFIX=$2 PICTURE=$3 SHOT=$4
WINE64=${QLC_WINE64:-/usr/lib/wine/wine64}
export WINEPREFIX=$PREFIX WINEDEBUG=-all
export WINEDLLOVERRIDES="mshtml=d;winemenubuilder.exe=d;winedbg.exe=d"

if [ -z "${DISPLAY:-}" ] || ! xdotool getdisplaygeometry >/dev/null 2>&1; then
  echo "splash: no X display, skipped"
  exit 77
fi
for tool in import convert compare identify; do
  command -v $tool >/dev/null || { echo "splash: ImageMagick's $tool is missing"; exit 1; }
done

WORK=$(mktemp -d)
APP_PID=""
cleanup() {
  if [ -n "$APP_PID" ] && kill -0 "$APP_PID" 2>/dev/null; then
    kill "$APP_PID" 2>/dev/null
    wait "$APP_PID" 2>/dev/null
  fi
  rm -rf "$WORK"
}
trap cleanup EXIT

cp "$BIN/quillapp.exe" "$WORK/" || exit 1
cd "$WORK"

# Known settings: the splash on, nothing reloaded.
"$WINE64" reg delete 'HKCU\Software\Varlosoft' /f >/dev/null 2>&1
"$WINE64" reg add 'HKCU\Software\Varlosoft\Varlo Quillcrest\Settings' /v ShowSplash /t REG_DWORD /d 1 /f >/dev/null 2>&1

read -r SW SH < <(xdotool getdisplaygeometry)
read -r PW PH < <(identify -format '%w %h' "$PICTURE")
X=$(( (SW - PW) / 2 )) Y=$(( (SH - PH) / 2 ))
convert "$PICTURE" "$WORK/picture.png"

# Differing pixels between the screen's centre and the picture.
centre_diff() {
  convert "$1" -crop "${PW}x${PH}+${X}+${Y}" +repage "$WORK/centre.png" 2>/dev/null || { echo 999999; return; }
  compare -metric AE -fuzz 2% "$WORK/centre.png" "$WORK/picture.png" null: 2>&1 | sed 's/[^0-9.].*//'
}

"$WINE64" quillapp.exe </dev/null >"$WORK/wine.log" 2>&1 &
APP_PID=$!

limit=$(( PW * PH / 100 ))
seen=0
for i in $(seq 120); do
  import -window root "$WORK/shot.png" 2>/dev/null || { sleep 0.2; continue; }
  d=$(centre_diff "$WORK/shot.png")
  if [ -n "$d" ] && [ "${d%.*}" -le "$limit" ]; then
    cp "$WORK/shot.png" "$SHOT"
    seen=1
    break
  fi
  kill -0 "$APP_PID" 2>/dev/null || break
  sleep 0.2
done
if [ $seen = 0 ]; then
  echo "splash: the splash picture never showed at the centre of the screen"
  cp "$WORK/shot.png" "${SHOT%.png}-missing.png" 2>/dev/null
  cat "$WORK/wine.log"
  exit 1
fi
echo "splash: shown (${d%.*} of $((PW * PH)) pixels differ); screenshot in $SHOT"

# It goes after its 2 s; the program is still running then.
gone=0
for i in $(seq 40); do
  sleep 0.25
  import -window root "$WORK/after.png" 2>/dev/null || continue
  d=$(centre_diff "$WORK/after.png")
  if [ -n "$d" ] && [ "${d%.*}" -gt "$limit" ]; then
    gone=1
    break
  fi
done
if [ $gone = 0 ]; then
  echo "splash: still up 10 s after it showed"
  exit 1
fi
kill -0 "$APP_PID" 2>/dev/null || { echo "splash: the program ended during start-up"; cat "$WORK/wine.log"; exit 1; }
echo "splash: closed, the program runs on"
exit 0
