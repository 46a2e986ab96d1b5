#!/usr/bin/env bash
# Copies Wine's own fonts (package fonts-wine) into a wine prefix's Fonts
# folder. wineboot leaves that folder empty, and then Wine does not find its
# Marlett (caption buttons drawn as "0 1 r") nor its Tahoma.
#
#   scripts/wine-fonts.sh PREFIX
#
# Does nothing when the prefix already has them; installs the package when
# it is missing.
set -eu

prefix=${1:?usage: wine-fonts.sh PREFIX}
src=${QLC_WINE_FONTS:-/usr/share/wine/fonts}
dst=$prefix/drive_c/windows/Fonts

if [ ! -f "$src/marlett.ttf" ] && [ -z "${QLC_WINE_FONTS:-}" ]; then
  # Installed here rather than in deps.sh's list, whose every change
  # rebuilds the dependency cache.
  sudo=(); [ "$(id -u)" = 0 ] || sudo=(sudo)
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q fonts-wine >/dev/null 2>&1 ||
    { "${sudo[@]}" apt-get update -q >/dev/null 2>&1 &&
      "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q fonts-wine >/dev/null 2>&1; } || true
fi
[ -f "$src/marlett.ttf" ] && [ -f "$src/tahoma.ttf" ] ||
  { echo "wine-fonts: no Wine fonts in $src (install fonts-wine)" >&2; exit 1; }
[ -f "$dst/marlett.ttf" ] && [ -f "$dst/tahoma.ttf" ] && exit 0
mkdir -p "$dst"
cp -f "$src"/* "$dst"/
