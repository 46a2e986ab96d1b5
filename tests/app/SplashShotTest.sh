#!/usr/bin/env bash
# The real program's splash during start-up: quillapp.exe starts with the
# splash on; screenshots are taken until the splash picture shows on the
# screen, pixel for pixel; that screenshot is kept in the build folder. Then
# the splash must go once its 2 s are over, while the program runs on.
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
for tool in import convert python3; do
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

convert "$PICTURE" "$WORK/picture.ppm" || exit 1

# Where the picture shows on a screenshot ("x y"), or nothing: its top row
# found whole in a row of the screen, then every pixel compared.
find_picture() {
  convert "$1" "$WORK/screen.ppm" 2>/dev/null || return
  python3 - "$WORK/screen.ppm" "$WORK/picture.ppm" <<'PY'
import sys

def ppm(path):
    data = open(path, 'rb').read()
    fields, pos = [], 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    w, h = int(fields[1]), int(fields[2])
    return w, h, data[pos + 1:pos + 1 + w * h * 3]

sw, sh, screen = ppm(sys.argv[1])
pw, ph, picture = ppm(sys.argv[2])
top = picture[:pw * 3]
for y in range(sh - ph + 1):
    row = screen[y * sw * 3:(y + 1) * sw * 3]
    at = row.find(top)
    while at >= 0:
        if at % 3 == 0:
            x = at // 3
            bad = 0
            for py in range(ph):
                s = screen[((y + py) * sw + x) * 3:((y + py) * sw + x + pw) * 3]
                p = picture[py * pw * 3:(py + 1) * pw * 3]
                if s != p:
                    bad += sum(1 for i in range(0, pw * 3, 3) if s[i:i + 3] != p[i:i + 3])
            if bad * 100 <= pw * ph:
                print(x, y)
                sys.exit(0)
        at = row.find(top, at + 1)
PY
}

"$WINE64" quillapp.exe </dev/null >"$WORK/wine.log" 2>&1 &
APP_PID=$!

seen=""
for i in $(seq 120); do
  import -window root "$WORK/shot.png" 2>/dev/null || { sleep 0.1; continue; }
  seen=$(find_picture "$WORK/shot.png")
  if [ -n "$seen" ]; then
    cp "$WORK/shot.png" "$SHOT"
    break
  fi
  kill -0 "$APP_PID" 2>/dev/null || break
  sleep 0.1
done
if [ -z "$seen" ]; then
  echo "splash: the splash picture never showed"
  cp "$WORK/shot.png" "${SHOT%.png}-missing.png" 2>/dev/null
  cat "$WORK/wine.log"
  exit 1
fi
echo "splash: shown at $seen; screenshot in $SHOT"

# It goes after its 2 s; the program is still running then.
gone=0
for i in $(seq 40); do
  sleep 0.25
  import -window root "$WORK/after.png" 2>/dev/null || continue
  if [ -z "$(find_picture "$WORK/after.png")" ]; then
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
