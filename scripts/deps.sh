#!/usr/bin/env bash
# Installs what the build needs on a Debian 12 machine, then builds the
# third-party libraries for the Windows targets into a cache outside the tree.
#
#   scripts/deps.sh [x86_64] [i686]   install missing apt packages, build the
#                                     libraries for the targets (default: both)
#   scripts/deps.sh --prefix TARGET   print the cache prefix of TARGET, do nothing
#   scripts/deps.sh --key             print what the cache is keyed by, do nothing
#   scripts/deps.sh --apt-only        only install missing apt packages
#   scripts/deps.sh --no-apt TARGET.. skip the apt step
#
# The cache is ${QLC_CACHE:-$HOME/.cache/quillcrest}/deps-<key>/<triplet>/
# {include,lib}; the key is a hash of the source versions below, the versions
# of the installed packages the libraries are compiled with (TOOLCHAIN), and
# this script (the recipe). A change of any of them builds a new cache; each
# cache holds key.txt, what it was built from. A prefix exists only once it
# is complete (it is built in a staging folder and renamed), so an existing
# prefix is reused as is.
#
# Libraries: Crypto++, libpng, libjpeg-turbo (6b API), libtiff (jpeg + zlib
# only), giflib, from Debian's source packages at exactly the versions in
# SOURCES (README.md names them too), built static with the mingw-w64 (posix)
# compilers and -fexceptions: C++ exceptions are thrown through the C
# libraries' callbacks. zlib is Debian's libz-mingw-w64-dev. A version the
# Debian mirrors no longer serve stops the build with a message; the fix is a
# served version here and in README.md.
#
# Runs as root, or as a user with sudo for the apt steps.
set -euo pipefail

SCRIPT=$(readlink -f "${BASH_SOURCE[0]}")
: "${HOME:=$(getent passwd "$(id -u)" | cut -d: -f6)}"
CACHE=${QLC_CACHE:-$HOME/.cache/quillcrest}
JOBS=${QLC_JOBS:-4}

APT_PACKAGES=(
  cmake ninja-build make g++ git dpkg-dev python3
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix mingw-w64-tools
  libz-mingw-w64-dev googletest
  wine64 xvfb xdotool x11-apps imagemagick fonts-liberation wamerican
  cups printer-driver-cups-pdf poppler-utils
  libpng-dev libjpeg62-turbo-dev libtiff-dev libgif-dev libcrypto++-dev
)
# Debian source package = exact version (with its epoch, as apt names it).
SOURCES=(
  libcrypto++=8.7.0+git220824-1
  libpng1.6=1.6.39-2+deb12u5
  libjpeg-turbo=1:2.1.5-2
  tiff=4.5.0-6+deb12u4
  giflib=5.2.1-2.5+deb12u1
)
# Installed packages whose versions change the libraries built: compilers,
# binutils, the mingw-w64 headers and runtime, zlib's headers and CMake.
TOOLCHAIN=(
  gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
  gcc-mingw-w64-i686-posix g++-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev
  mingw-w64-common libz-mingw-w64-dev cmake
)

trap 'echo "deps: error: failed at line $LINENO: $BASH_COMMAND" >&2' ERR

say() { echo "deps: $*" >&2; }
die() { echo "deps: error: $*" >&2; exit 1; }

triplet_of() {
  case "$1" in
    x86_64|x86_64-w64-mingw32) echo x86_64-w64-mingw32 ;;
    i686|i686-w64-mingw32) echo i686-w64-mingw32 ;;
    *) die "unknown target '$1' (x86_64 or i686)" ;;
  esac
}

# --- cache key ---------------------------------------------------------------

# What the cache is keyed by, one item a line. Taken after the apt step:
# a package not installed yet reads as "none".
key_text() {
  local s p v installed
  for s in "${SOURCES[@]}"; do echo "source $s"; done
  # One query for all (it fails for packages it does not know; the rest
  # are still listed).
  installed=$(dpkg-query -W -f='${Package} ${db:Status-Abbrev}${Version}\n' "${TOOLCHAIN[@]}" 2>/dev/null) || true
  for p in "${TOOLCHAIN[@]}"; do
    v=$(awk -v p="$p" '$1 == p && $2 ~ /^ii/ { print $3; exit }' <<<"$installed")
    echo "package $p=${v:-none}"
  done
  echo "recipe $(sha256sum "$SCRIPT" | cut -d' ' -f1)"
}

# Sets KEY and ROOT.
compute_root() {
  KEY=$(key_text | sha256sum | cut -c1-16)
  ROOT=$CACHE/deps-$KEY
}

# --- apt -----------------------------------------------------------------

SUDO=()
need_root() {
  if [ "$(id -u)" != 0 ]; then
    command -v sudo >/dev/null || die "not root and no sudo: cannot install packages"
    SUDO=(sudo)
  fi
}

apt_updated=0
apt_update() {
  if [ $apt_updated = 0 ]; then
    say "apt-get update"
    "${SUDO[@]}" apt-get update -q >/dev/null || die "apt-get update failed"
    apt_updated=1
  fi
}

install_packages() {
  local missing=() p
  for p in "${APT_PACKAGES[@]}"; do
    dpkg-query -W -f='${db:Status-Abbrev}' "$p" 2>/dev/null | grep -q '^ii' || missing+=("$p")
  done
  [ ${#missing[@]} = 0 ] && return 0
  need_root
  say "installing missing packages: ${missing[*]}"
  apt_update
  # With recommends: wine needs its fonts and X extensions to draw windows.
  "${SUDO[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q \
    "${missing[@]}" >/dev/null || die "apt-get install failed"
}

codename() { . /etc/os-release && echo "${VERSION_CODENAME:-bookworm}"; }

# Adds deb-src for the distribution's own suites (not for third-party repos).
enable_deb_src() {
  if apt-get indextargets --no-release-info --format '$(CREATED_BY)' 2>/dev/null | grep -qx Sources; then
    return 0
  fi
  need_root
  local cn f tmp changed=0
  cn=$(codename)
  say "enabling deb-src for $cn"
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    tmp=$(mktemp)
    # deb822: one stanza per paragraph; add deb-src where a suite is ours.
    awk -v cn="$cn" '
      function flush(   i, ours, n, t) {
        if (nl == 0) return
        ours = 0
        for (i = 1; i <= nl; i++) if (tolower(L[i]) ~ /^suites:/) {
          n = split(L[i], t, /[ \t]+/)
          for (j = 2; j <= n; j++) if (t[j] == cn || index(t[j], cn "-") == 1) ours = 1
        }
        for (i = 1; i <= nl; i++) {
          if (ours && tolower(L[i]) ~ /^types:/ && L[i] !~ /deb-src/) L[i] = L[i] " deb-src"
          print L[i]
        }
        nl = 0
      }
      /^[ \t]*$/ { flush(); print; next }
      { L[++nl] = $0 }
      END { flush() }' "$f" >"$tmp"
    if ! cmp -s "$f" "$tmp"; then
      "${SUDO[@]}" cp "$tmp" "$f"
      changed=1
    fi
    rm -f "$tmp"
  done
  if [ $changed = 0 ]; then
    # One-line format: mirror the distribution's deb lines as deb-src.
    tmp=$(mktemp)
    { cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null || true; } |
      awk -v cn="$cn" '$1 == "deb" { for (i = 2; i <= NF; i++) if ($i == cn || index($i, cn "-") == 1) { sub(/^deb /, "deb-src "); print; next } }' >"$tmp"
    [ -s "$tmp" ] || die "found no apt source for $cn to add deb-src to"
    "${SUDO[@]}" cp "$tmp" /etc/apt/sources.list.d/quillcrest-deb-src.list
    "${SUDO[@]}" chmod 644 /etc/apt/sources.list.d/quillcrest-deb-src.list
    rm -f "$tmp"
  fi
  apt_updated=0
  apt_update
}

ensure_source_lists() {
  enable_deb_src
  if ! apt-cache showsrc giflib 2>/dev/null | grep -q '^Package:'; then
    need_root
    apt_update
  fi
}

# --- sources ---------------------------------------------------------------

# Before anything is downloaded: every pinned version is in apt's source
# lists, or the build stops naming each one that is not.
check_sources_served() {
  local s pkg ver served missing=0
  for s in "${SOURCES[@]}"; do
    pkg=${s%%=*} ver=${s#*=}
    served=$(apt-cache showsrc --only-source "$pkg" 2>/dev/null | sed -n 's/^Version: //p' | sort -u)
    if [ -z "$served" ]; then
      say "apt's source lists hold no $pkg (deb-src not enabled? run without --no-apt)"
      missing=1
    elif ! grep -qxF -- "$ver" <<<"$served"; then
      say "$pkg $ver is no longer served by the Debian mirrors (they serve: $(echo $served))"
      missing=1
    fi
  done
  [ $missing = 0 ] ||
    die "pinned source versions are not available; put served ones into SOURCES in scripts/deps.sh and into README.md (that builds a new cache)"
}

# src/<pkg>/<unpacked dir> of the pinned version, fetched once per cache key.
fetch_source() {
  local pkg=${1%%=*} ver=${1#*=} dir
  dir=$ROOT/src/$pkg
  if [ -f "$dir/.done" ]; then return 0; fi
  rm -rf "$dir" && mkdir -p "$dir"
  say "fetching source of $pkg $ver"
  (cd "$dir" && apt-get source -q --only-source "$pkg=$ver" >"$dir.log" 2>&1) ||
    { tail -n 20 "$dir.log" >&2; die "apt-get source $pkg=$ver failed: listed, but not fetched (log: $dir.log)"; }
  grep -qxF "Version: $ver" "$dir"/*.dsc || die "the source fetched for $pkg is not version $ver (log: $dir.log)"
  touch "$dir/.done"
}

source_dir() {
  local d
  d=$(find "$ROOT/src/$1" -mindepth 1 -maxdepth 1 -type d | head -n1)
  [ -n "$d" ] || die "no unpacked source for $1"
  echo "$d"
}

# --- builds ------------------------------------------------------------------

CFLAGS_COMMON="-O2 -fexceptions"

write_toolchain() {
  local triplet=$1 stage=$2 file=$3
  cat >"$file" <<EOF
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${triplet%%-*})
set(CMAKE_C_COMPILER ${triplet}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triplet}-g++-posix)
set(CMAKE_RC_COMPILER ${triplet}-windres)
set(CMAKE_FIND_ROOT_PATH ${stage} /usr/${triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
EOF
}

# run_logged <log> <command...>: quiet unless it fails.
run_logged() {
  local log=$1; shift
  if ! "$@" >>"$log" 2>&1; then
    tail -n 40 "$log" >&2
    die "failed: $* (log: $log)"
  fi
}

cmake_build() {  # <src> <build> <log> <cmake args...>
  local src=$1 bld=$2 log=$3; shift 3
  mkdir -p "$bld" && cd "$bld"
  run_logged "$log" cmake -G Ninja -S "$src" -B "$bld" \
    -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_C_FLAGS="-fexceptions" -DCMAKE_CXX_FLAGS="-fexceptions" \
    -DCMAKE_INSTALL_PREFIX="$STAGE" -DCMAKE_INSTALL_LIBDIR="$STAGE/lib" -DCMAKE_INSTALL_INCLUDEDIR="$STAGE/include" -DBUILD_SHARED_LIBS=OFF "$@"
  run_logged "$log" cmake --build "$bld" -j "$JOBS"
  run_logged "$log" cmake --install "$bld"
}

build_cryptopp() {
  local b=$BUILD/cryptopp log=$BUILD/cryptopp.log
  rm -rf "$b" && cp -a "$(source_dir libcrypto++)" "$b"
  run_logged "$log" make -C "$b" -f GNUmakefile -j "$JOBS" static \
    CXX="$TRIPLET-g++-posix" AR="$TRIPLET-ar" RANLIB="$TRIPLET-ranlib" \
    CXXFLAGS="-DNDEBUG $CFLAGS_COMMON"
  mkdir -p "$STAGE/include/cryptopp" "$STAGE/lib"
  cp "$b"/*.h "$STAGE/include/cryptopp/"
  # Debian's packaging names the archive libcrypto++.a; upstream, libcryptopp.a.
  if [ -f "$b/libcrypto++.a" ]; then
    cp "$b/libcrypto++.a" "$STAGE/lib/libcryptopp.a"
  else
    cp "$b/libcryptopp.a" "$STAGE/lib/"
  fi
}

build_png() {
  local s
  s=$(source_dir libpng1.6)
  cmake_build "$s" "$BUILD/png" "$BUILD/png.log" \
    -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF -DPNG_EXECUTABLES=OFF \
    -DSKIP_INSTALL_PROGRAMS=ON -DSKIP_INSTALL_EXECUTABLES=ON \
    -DZLIB_INCLUDE_DIR="/usr/$TRIPLET/include" -DZLIB_LIBRARY="/usr/$TRIPLET/lib/libz.a"
}

build_jpeg() {
  local s
  s=$(source_dir libjpeg-turbo)
  cmake_build "$s" "$BUILD/jpeg" "$BUILD/jpeg.log" \
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_TURBOJPEG=OFF -DWITH_JAVA=OFF \
    -DWITH_JPEG7=OFF -DWITH_JPEG8=OFF -DWITH_SIMD=OFF
}

build_tiff() {
  local s
  s=$(source_dir tiff)
  cmake_build "$s" "$BUILD/tiff" "$BUILD/tiff.log" \
    -Dtiff-tools=OFF -Dtiff-tests=OFF -Dtiff-contrib=OFF -Dtiff-docs=OFF -Dcxx=OFF \
    -Djpeg=ON -Dzlib=ON -Dold-jpeg=ON -Djpeg12=OFF -Dpixarlog=ON \
    -Dwebp=OFF -Dzstd=OFF -Dlzma=OFF -Djbig=OFF -Dlerc=OFF -Dlibdeflate=OFF \
    -DCMAKE_DISABLE_FIND_PACKAGE_WebP=ON -DCMAKE_DISABLE_FIND_PACKAGE_ZSTD=ON \
    -DCMAKE_DISABLE_FIND_PACKAGE_LibLZMA=ON -DCMAKE_DISABLE_FIND_PACKAGE_JBIG=ON \
    -DCMAKE_DISABLE_FIND_PACKAGE_LERC=ON -DCMAKE_DISABLE_FIND_PACKAGE_Deflate=ON \
    -DCMAKE_DISABLE_FIND_PACKAGE_OpenGL=ON -DCMAKE_DISABLE_FIND_PACKAGE_GLUT=ON \
    -DJPEG_INCLUDE_DIR="$STAGE/include" -DJPEG_LIBRARY="$STAGE/lib/libjpeg.a" \
    -DZLIB_INCLUDE_DIR="/usr/$TRIPLET/include" -DZLIB_LIBRARY="/usr/$TRIPLET/lib/libz.a"
}

build_gif() {
  local s b=$BUILD/gif log=$BUILD/gif.log f objs=()
  s=$(source_dir giflib)
  rm -rf "$b" && mkdir -p "$b"
  # The library is a handful of C files; its makefile is for Unix hosts.
  for f in dgif_lib egif_lib gifalloc gif_err gif_font gif_hash openbsd-reallocarray quantize; do
    [ -f "$s/$f.c" ] || continue
    run_logged "$log" "$TRIPLET-gcc-posix" $CFLAGS_COMMON -DNDEBUG -c "$s/$f.c" -o "$b/$f.o"
    objs+=("$b/$f.o")
  done
  run_logged "$log" "$TRIPLET-ar" rcs "$b/libgif.a" "${objs[@]}"
  mkdir -p "$STAGE/include" "$STAGE/lib"
  cp "$s/gif_lib.h" "$STAGE/include/"
  cp "$b/libgif.a" "$STAGE/lib/"
}

build_target() {
  TRIPLET=$(triplet_of "$1")
  local final=$ROOT/$TRIPLET t0 step
  if [ -d "$final" ]; then return 0; fi
  command -v "$TRIPLET-g++-posix" >/dev/null || die "$TRIPLET-g++-posix not found (run without --no-apt)"
  STAGE=$ROOT/stage-$TRIPLET
  BUILD=$ROOT/build/$TRIPLET
  TOOLCHAIN=$BUILD/toolchain.cmake
  rm -rf "$STAGE" "$BUILD"
  mkdir -p "$STAGE/include" "$STAGE/lib" "$BUILD"
  write_toolchain "$TRIPLET" "$STAGE" "$TOOLCHAIN"
  for step in cryptopp png jpeg tiff gif; do
    t0=$SECONDS
    say "building $step for $TRIPLET"
    "build_$step"
    say "  $step done in $((SECONDS - t0)) s"
  done
  # Only headers and static libraries: tools, docs and package files would
  # name the staging folder.
  rm -rf "$STAGE/bin" "$STAGE/share" "$STAGE/lib/pkgconfig" "$STAGE/lib/cmake" "$STAGE/lib/libpng"
  for f in libcryptopp.a libpng16.a libjpeg.a libtiff.a libgif.a; do
    [ -f "$STAGE/lib/$f" ] || die "$f missing after the build of $TRIPLET"
  done
  mv "$STAGE" "$final"
  rm -rf "$BUILD"
}

# --- main ------------------------------------------------------------------

do_apt=1
targets=()
while [ $# -gt 0 ]; do
  case "$1" in
    --prefix) [ $# -ge 2 ] || die "--prefix needs a target"; compute_root; echo "$ROOT/$(triplet_of "$2")"; exit 0 ;;
    --key) key_text; exit 0 ;;
    --apt-only) install_packages; exit 0 ;;
    --no-apt) do_apt=0 ;;
    -h|--help) sed -n '2,/^set -euo/p' "$SCRIPT" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
    -*) die "unknown option $1" ;;
    *) targets+=("$(triplet_of "$1")") ;;
  esac
  shift
done
[ ${#targets[@]} -gt 0 ] || targets=(x86_64-w64-mingw32 i686-w64-mingw32)

[ $do_apt = 1 ] && install_packages
# After the apt step: the key holds the versions of what it installed.
compute_root

todo=()
for t in "${targets[@]}"; do [ -d "$ROOT/$t" ] || todo+=("$t"); done
if [ ${#todo[@]} -gt 0 ]; then
  mkdir -p "$ROOT"
  exec 9>"$ROOT/.lock"
  if ! flock -n 9; then
    say "another deps.sh is building into $ROOT; waiting"
    flock 9
  fi
  todo=()
  for t in "${targets[@]}"; do [ -d "$ROOT/$t" ] || todo+=("$t"); done
fi
if [ ${#todo[@]} -gt 0 ]; then
  say "building into $ROOT (-j$JOBS)"
  key_text >"$ROOT/key.txt"
  [ $do_apt = 1 ] && ensure_source_lists
  check_sources_served
  for s in "${SOURCES[@]}"; do fetch_source "$s"; done
  for t in "${todo[@]}"; do
    t0=$SECONDS
    build_target "$t"
    say "$t ready in $((SECONDS - t0)) s"
  done
fi
for t in "${targets[@]}"; do say "$t: $ROOT/$t"; done
