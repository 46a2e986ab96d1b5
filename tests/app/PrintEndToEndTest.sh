#!/usr/bin/env bash
# Printing a picture in the real program to a real printer: a PDF printer
# (a CUPS daemon of the test's own with cups-pdf, scripts/pdf-printer.sh),
# which wine finds as its default printer. On a copy of the sample notebook
# the keyboard opens the picture, File > Print Preview shows it (photographed:
# the picture must be on the preview's page), Print... in the preview and OK
# in the Print dialog send it to the printer. The PDF that cups-pdf writes
# must hold one page with the sample's 320 x 200 picture in the middle of
# the page, its sun, roof, door and tree in their colours.
#
#   PrintEndToEndTest.sh <program folder> <qlcwinpos.exe> <wine prefix> <artifacts folder>
#
# Needs an X display ($DISPLAY), xdotool, ImageMagick, poppler's pdfinfo,
# pdfimages and pdftoppm, and the packages cups and printer-driver-cups-pdf
# (scripts/deps.sh installs them); without a display the test is skipped
# (exit 77).
set -uo pipefail

BIN=$1 WINPOS=$2 PREFIX=$3 ARTIFACTS=$4
SRC=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
TAG="print end-to-end"
DESK="QlcPrint$$"
NAME="printcheck$$"
. "$(dirname "${BASH_SOURCE[0]}")/EndToEndSupport.sh"
mkdir -p "$ARTIFACTS"

fail() {
  echo "$TAG: $*"
  import -window root "$ARTIFACTS/print-failed.png" 2>/dev/null
  exit 1
}
for tool in pdfinfo pdfimages pdftoppm; do
  command -v $tool >/dev/null || fail "$tool is missing (package poppler-utils)"
done

# The printer's state lives under /tmp: its filters run as another user.
PRINTER_DIR=$(mktemp -d "${TMPDIR:-/tmp}/qlc-printer.XXXXXX")
PDF_DIR=$(getent passwd "$(id -un)" | cut -d: -f6)/PDF
# Wine looks for printers once per session of its server, when a program
# first prints or asks for printers: this test runs a session of its own
# (it runs alone), and the tests after it get a session without the
# printer. The persistent session of scripts/test.sh is started again.
WINE_EXEC=$SRC/scripts/wine-exec.sh
PERSISTENT=0
pgrep -f -- "$PREFIX/qlc-desktop.exe" >/dev/null && PERSISTENT=1
finish() {
  "$WINE_EXEC" --prefix "$PREFIX" --stop
  [ $PERSISTENT = 1 ] && "$WINE_EXEC" --prefix "$PREFIX" --boot
  "$SRC/scripts/pdf-printer.sh" stop "$PRINTER_DIR"
  rm -rf "$PRINTER_DIR"
  rm -f "$PDF_DIR/$NAME"*.pdf
  cleanup
}
trap finish EXIT
"$WINE_EXEC" --prefix "$PREFIX" --stop
printer=$("$SRC/scripts/pdf-printer.sh" start "$PRINTER_DIR") || fail "the PDF printer did not start"
export "$printer"

# qlcwinpos must run in the program's desktop to see its windows.
"$WINE64" reg add 'HKCU\Software\Wine\AppDefaults\qlcwinpos.exe\Explorer' /v Desktop /d "$DESK" /f \
  </dev/null >/dev/null 2>&1 || fail "qlcwinpos cannot be put in the desktop $DESK"
# Waits (about 20 s at most) for a shown window with exactly this caption.
await_window() {
  local i
  for i in $(seq 40); do
    "$WINE64" "$WINPOS" "$1" </dev/null >/dev/null 2>&1 && return 0
    sleep 0.2
  done
  fail "no window \"$1\" appeared${2:+ ($2)}"
}

copy_program quillapp.exe qlccrypt.dll textconv.dll lmBroker.dll lmEngine.dll
cp "$BIN/Sample.qlc" "$WORK/$NAME.qlc" || fail "no sample notebook in $BIN"
cd "$WORK/program"
fresh_settings
start_program "..\\$NAME.qlc" || fail "the program did not start"

# The picture, two items above the last two notes.
xdotool key --delay 150 End Up Up Return
sleep 2
xdotool key --delay 200 alt+f v
await_window "Print Preview" "File > Print Preview"
sleep 1
import -window root "$ARTIFACTS/print-preview.png" 2>/dev/null
# The picture's sky on the preview's page: light blue, nowhere else on the
# screen (the desktop's blue is darker).
SKY=$(convert "$ARTIFACTS/print-preview.png" -depth 8 txt:- 2>/dev/null |
  awk -F'[(),]' 'NR > 1 && $3 >= 80 && $3 <= 200 && $4 >= 140 && $5 >= 225 { n++ } END { print n + 0 }')
[ "$SKY" -gt 20 ] || fail "the preview shows no picture (sky pixels: $SKY)"

# Print... in the preview's bar, OK in the Print dialog.
POS=$("$WINE64" "$WINPOS" "Print Preview" 22060 </dev/null 2>/dev/null | tr -d '\r') ||
  fail "the preview has no Print... button"
# shellcheck disable=SC2086
xdotool mousemove --window "$WIN" $POS click 1
await_window "Print" "Print... in the preview"
xdotool key Return

PDF=""
for i in $(seq 150); do
  PDF=$(ls "$PDF_DIR/$NAME"*.pdf 2>/dev/null | head -1)
  [ -n "$PDF" ] && [ -s "$PDF" ] && pdfinfo "$PDF" >/dev/null 2>&1 && break
  PDF=""
  sleep 0.2
done
[ -n "$PDF" ] || fail "no PDF of $NAME came out in $PDF_DIR (printer log: $(tail -3 "$PRINTER_DIR/log/error_log" 2>/dev/null))"
cp "$PDF" "$ARTIFACTS/printed-picture.pdf"
end_program || fail "the program did not end"

PAGES=$(pdfinfo "$PDF" | awk '/^Pages:/ { print $2 }')
[ "$PAGES" = 1 ] || fail "the PDF has $PAGES pages, not 1"
# The picture is the page's one image; drawn at the image's own resolution
# it is its 320 x 200 pixels, in the middle of the page.
read -r W H PPI < <(pdfimages -list "$PDF" | awk 'NR > 2 { print $4, $5, $13; exit }')
[ "$W" = 320 ] && [ "$H" = 200 ] || fail "the printed image is ${W}x${H}, not 320x200"
pdftoppm -r "$PPI" -png -singlefile "$PDF" "$WORK/page" || fail "the PDF cannot be drawn"
cp "$WORK/page.png" "$ARTIFACTS/printed-page.png"
read -r PW PH < <(identify -format '%w %h' "$WORK/page.png")
read -r BW BH BX BY < <(convert "$WORK/page.png" -trim -format '%w %h %X %Y' info: | tr -d '+')
[ $((BW - 320)) -le 2 ] && [ $((320 - BW)) -le 2 ] && [ $((BH - 200)) -le 2 ] && [ $((200 - BH)) -le 2 ] ||
  fail "the printed picture covers ${BW}x${BH} pixels"
CX=$(( (PW - 320) / 2 )) CY=$(( (PH - 200) / 2 ))
[ $((BX - CX)) -le 3 ] && [ $((CX - BX)) -le 3 ] && [ $((BY - CY)) -le 3 ] && [ $((CY - BY)) -le 3 ] ||
  fail "the picture is at $BX,$BY, not in the middle of the page ($CX,$CY)"
# Points of the sample's drawing (x y red green blue): sun, roof, door,
# the tree's crown, the sky's top left.
while read -r x y r g b what; do
  read -r pr pg pb < <(convert "$WORK/page.png" -format "%[fx:int(255*p{$((BX + x)),$((BY + y))}.r)] %[fx:int(255*p{$((BX + x)),$((BY + y))}.g)] %[fx:int(255*p{$((BX + x)),$((BY + y))}.b)]" info:)
  for d in $((pr - r)) $((pg - g)) $((pb - b)); do
    [ "${d#-}" -le 8 ] || fail "the $what at $x,$y is $pr,$pg,$pb, not $r,$g,$b"
  done
done <<'EOF'
260 40 255 215 60 sun
105 80 170 50 40 roof
105 135 110 70 40 door
232 95 40 120 40 crown
3 3 91 151 235 sky
EOF
echo "$TAG: the picture was previewed and printed to $PDF"
