#!/usr/bin/env bash
# Configures and builds one target with CMake and Ninja.
#
#   scripts/build.sh [x86_64|i686|native] [options] [-- extra cmake arguments]
#
#   x86_64   64-bit Windows (default), in build/x86_64
#   i686     32-bit Windows, in build/i686 (compiled and linked; not run here)
#   native   the portable parts for Linux under ASan+UBSan, in build/native
#
# Options:
#   --dir DIR          build folder (default build/<target>)
#   --target NAME      build only this CMake target (repeatable)
#   --release          optimised build (default: Debug)
#   --no-deps          do not run scripts/deps.sh (packages and dependency cache)
#   --keep-going       build all that can be built after an error (still fails)
#   --configure-only   configure, do not build
#   -j N               parallel jobs (default ${QLC_JOBS:-4})
#
# For the Windows targets it first runs scripts/deps.sh for that target, which
# installs missing packages and builds the dependency cache when needed.
set -euo pipefail

HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
SRC=$(cd "$HERE/.." && pwd)

target=x86_64 dir="" build_type=Debug deps=1 keep_going=0 configure_only=0 jobs=${QLC_JOBS:-4}
targets=() extra=()
while [ $# -gt 0 ]; do
  case "$1" in
    x86_64|i686|native) target=$1 ;;
    --dir) dir=$2; shift ;;
    --target) targets+=("$2"); shift ;;
    --release) build_type=Release ;;
    --no-deps) deps=0 ;;
    --keep-going) keep_going=1 ;;
    --configure-only) configure_only=1 ;;
    -j) jobs=$2; shift ;;
    -j*) jobs=${1#-j} ;;
    --) shift; extra=("$@"); break ;;
    -h|--help) sed -n '2,/^set -euo/p' "${BASH_SOURCE[0]}" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
    *) echo "build: unknown argument '$1' (see --help)" >&2; exit 2 ;;
  esac
  shift
done
[ -n "$dir" ] || dir=$SRC/build/$target
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)

args=(-G Ninja -S "$SRC" -B "$dir" -DCMAKE_BUILD_TYPE="$build_type")
case $target in
  x86_64|i686)
    triplet=$target-w64-mingw32
    if [ $deps = 1 ]; then
      "$HERE/deps.sh" "$target"
    fi
    args+=(-DCMAKE_TOOLCHAIN_FILE="$SRC/cmake/toolchain-$triplet.cmake"
           -DQLC_DEPS_PREFIX="$("$HERE/deps.sh" --prefix "$target")")
    ;;
  native)
    [ $deps = 1 ] && "$HERE/deps.sh" --apt-only
    san="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
    args+=(-DQLC_NATIVE=ON -DCMAKE_C_COMPILER=gcc -DCMAKE_CXX_COMPILER=g++
           -DCMAKE_C_FLAGS="$san" -DCMAKE_CXX_FLAGS="$san"
           -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined"
           -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=address,undefined")
    ;;
esac

echo "build: configuring $target in $dir" >&2
cmake "${args[@]}" "${extra[@]}" >"$dir/configure.log" 2>&1 || {
  cat "$dir/configure.log" >&2
  echo "build: configuring $target failed" >&2
  exit 1
}
grep -A4 -E '^CMake (Warning|Deprecation)' "$dir/configure.log" >&2 || true
[ $configure_only = 1 ] && exit 0

build=(cmake --build "$dir" -j "$jobs")
for t in "${targets[@]}"; do build+=(--target "$t"); done
[ $keep_going = 1 ] && build+=(-- -k 0)
echo "build: building $target (-j$jobs)" >&2
"${build[@]}"
