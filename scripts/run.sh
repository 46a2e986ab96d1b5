#!/usr/bin/env bash
# Builds the program for 64-bit Windows and starts it under wine.
#
#   scripts/run.sh [program arguments]
#
# Installs what is missing first (apt packages, the dependency cache: see
# scripts/deps.sh), builds the program and everything it loads into
# build/x86_64/bin (the encryption library qlccrypt.dll, the text converter
# textconv.dll, the spell broker lmBroker.dll and its engine lmEngine.dll with
# the English dictionary, the licence, and the sample notebook Sample.qlc),
# registers the text converter in a wine prefix of its own
# (build/x86_64/wine-app), starts a PDF printer for it (a CUPS daemon of its
# own with cups-pdf, scripts/pdf-printer.sh: the files go to ~/PDF), and runs
# bin/quillapp.exe with wine64 in that prefix, inside a wine virtual desktop
# so its windows have frames. Without arguments it opens the sample
# notebook; arguments go to the program instead. The window opens on your X
# display when $DISPLAY works; otherwise on a virtual one (Xvfb), and this
# script says how to look at it. Ctrl-C ends the program.
set -uo pipefail

HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
SRC=$(cd "$HERE/.." && pwd)
BUILD=$SRC/build/x86_64
export WINEPREFIX=$BUILD/wine-app
export WINEDEBUG=${QLC_WINEDEBUG:--all}
export WINEDLLOVERRIDES="mshtml=d;winemenubuilder.exe=d;winedbg.exe=d"
WINE64=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver

"$HERE/build.sh" x86_64 --target qlc_program || exit 1
for f in quillapp.exe qlccrypt.dll textconv.dll lmBroker.dll lmEngine.dll LICENSE.txt; do
  if [ ! -f "$BUILD/bin/$f" ]; then
    echo "run: $BUILD/bin/$f was not built; see the build output above." >&2
    exit 1
  fi
done
if [ $# -eq 0 ]; then
  if [ ! -f "$BUILD/bin/Sample.qlc" ]; then
    echo "run: the sample notebook was not made; see the build output above." >&2
    exit 1
  fi
  set -- Sample.qlc
  echo "run: opening the sample notebook $BUILD/bin/Sample.qlc"
fi

XVFB_PID=""
PRINTER_DIR=""
cleanup() {
  "$WINESERVER" -k >/dev/null 2>&1
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
  if [ -n "$PRINTER_DIR" ]; then
    "$HERE/pdf-printer.sh" stop "$PRINTER_DIR"
    rm -rf "$PRINTER_DIR"
  fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

DISPLAY_WAS=${DISPLAY:-}
if [ -n "${DISPLAY:-}" ] && xdotool getdisplaygeometry >/dev/null 2>&1; then
  echo "run: starting quillapp.exe on display $DISPLAY"
else
  for n in $(seq 100 299); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
    XVFB_PID=$!
    for i in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
    if [ -e "/tmp/.X11-unix/X$n" ] && kill -0 "$XVFB_PID" 2>/dev/null; then break; fi
    kill "$XVFB_PID" 2>/dev/null; XVFB_PID=""
  done
  [ -n "$XVFB_PID" ] || { echo "run: no usable display and Xvfb did not start" >&2; exit 1; }
  export DISPLAY=:$n
  echo "run: no usable X display (DISPLAY='$DISPLAY_WAS'): running on the virtual display $DISPLAY (Xvfb)."
  echo "run: to see it: xwd -root -display $DISPLAY | convert xwd:- screen.png"
fi

# A PDF printer (CUPS with cups-pdf, a daemon of this run's own), so that
# File > Print and Print Preview have a printer.
PRINTER_DIR=$(mktemp -d "${TMPDIR:-/tmp}/quillcrest-printer.XXXXXX")
if printer=$("$HERE/pdf-printer.sh" start "$PRINTER_DIR"); then
  export "$printer"
  echo "run: printer Quillcrest_PDF prints to PDF files in ~/PDF"
else
  echo "run: warning: no PDF printer; the program will have no printer" >&2
fi

# First start: create the prefix quietly, its output kept away from ours.
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "run: preparing the wine prefix $WINEPREFIX (first start only)"
  mkdir -p "$WINEPREFIX"
  "$WINE64" wineboot -i </dev/null >/dev/null 2>&1
fi
# Wine's own fonts (Marlett for the caption buttons, Tahoma for the bars).
"$HERE/wine-fonts.sh" "$WINEPREFIX"
# Text files open in Notepad (the licence, from Help > About).
"$HERE/wine-text-files.sh" "$WINEPREFIX"

# The program finds text converters through the registry: the Markdown
# converter built beside it, for import and export.
CONVERTER=$("$WINE64" winepath -w "$BUILD/bin/textconv.dll" 2>/dev/null </dev/null)
if [ -n "$CONVERTER" ]; then
  KEY='HKLM\Software\Microsoft\Shared Tools\Text Converters'
  for dir in Import Export; do
    ext="md markdown"; [ $dir = Export ] && ext="md"
    sub="$KEY\\$dir\\Quillcrest Markdown"
    for value in "Name=Markdown" "Extensions=$ext" "Path=$CONVERTER"; do
      "$WINE64" reg add "$sub" /v "${value%%=*}" /d "${value#*=}" /f </dev/null >/dev/null 2>&1
    done
  done
else
  echo "run: warning: the text converter could not be registered" >&2
fi
cd "$BUILD/bin" && "$WINE64" explorer /desktop=Quillcrest,1024x768 quillapp.exe "$@"
