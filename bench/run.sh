#!/usr/bin/env bash
# Builds the benchmark (optimised) and runs it under wine64 with a virtual
# display, as the tests run.
#
#   bench/run.sh [--no-build] [--build-dir DIR] [-- qlcbench arguments]
#
#   --no-build        run what is built already
#   --build-dir DIR   build folder (default build/release)
#
# Arguments after -- go to qlcbench.exe, for example:
#   bench/run.sh -- --notes 2500,5000,10000 --nodes 25000,50000,100000 --cap 300
#   bench/run.sh -- --smoke
# The notebooks are made on the first run (a few minutes and about 450 MB in
# <build>/bench/bench-data) and kept for later runs.
set -uo pipefail

HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
SRC=$(cd "$HERE/.." && pwd)

build=1 dir=$SRC/build/release
args=()
while [ $# -gt 0 ]; do
  case "$1" in
    --no-build) build=0 ;;
    --build-dir) dir=$2; shift ;;
    --) shift; args=("$@"); break ;;
    -h|--help) sed -n '2,/^set -uo/p' "${BASH_SOURCE[0]}" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
    *) echo "bench: unknown argument '$1' (see --help)" >&2; exit 2 ;;
  esac
  shift
done

if [ $build = 1 ]; then
  "$SRC/scripts/build.sh" x86_64 --release --dir "$dir" --target qlcbench || exit 1
fi
[ -f "$dir/bench/qlcbench.exe" ] || { echo "bench: $dir/bench/qlcbench.exe is not built" >&2; exit 1; }
dir=$(cd "$dir" && pwd)

# One virtual display and one booted wine prefix for the whole run.
export QLC_BENCH_DIR=$dir QLC_BENCH_SRC=$SRC
exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" bash -c '
  prefix=$QLC_BENCH_DIR/wine
  trap "\"$QLC_BENCH_SRC/scripts/wine-exec.sh\" --prefix \"$prefix\" --stop" EXIT
  "$QLC_BENCH_SRC/scripts/wine-exec.sh" --prefix "$prefix" --boot || exit 1
  cd "$QLC_BENCH_DIR/bench" && "$QLC_BENCH_SRC/scripts/wine-exec.sh" --prefix "$prefix" ./qlcbench.exe "$@"
' qlcbench "${args[@]}"
