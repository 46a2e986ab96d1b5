#!/usr/bin/env bash
# Lets a wine prefix open text files: wineboot makes the "txtfile" class
# (Wine's Notepad) but no ".txt" extension for it, so the shell's "open" of a
# .txt file (Help > About > License... opens LICENSE.txt) finds no program.
#
#   scripts/wine-text-files.sh PREFIX
#
# Does nothing when the prefix already maps .txt to a class.
set -u

prefix=${1:?usage: wine-text-files.sh PREFIX}
WINE64=${QLC_WINE64:-/usr/lib/wine/wine64}
export WINEPREFIX=$prefix WINEDEBUG=-all

if "$WINE64" reg query 'HKLM\Software\Classes\.txt' /ve </dev/null 2>/dev/null | grep -q REG_SZ; then
  exit 0
fi
"$WINE64" reg add 'HKLM\Software\Classes\.txt' /ve /d txtfile /f </dev/null >/dev/null 2>&1 ||
  { echo "wine-text-files: could not register .txt in $prefix" >&2; exit 1; }
