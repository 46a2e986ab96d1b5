#!/usr/bin/env bash
# Builds everything and runs all tests.
#
#   scripts/test.sh [options] [-- extra ctest arguments]
#
# 1. installs what is missing (apt packages, the dependency cache: scripts/deps.sh)
# 2. builds 64-bit Windows (build/x86_64) and runs its tests under wine64,
#    with one Xvfb display and one booted wine prefix for the whole run
# 3. builds the portable parts for Linux under ASan+UBSan (build/native) and
#    runs their tests
# 4. builds 32-bit Windows (build/i686): compiled and linked only, as 32-bit
#    programs cannot run on this kind of machine
#
# Options:
#   --no-native    skip step 3
#   --no-i686      skip step 4
#   --no-deps      skip the package and dependency-cache check
#   -j N           parallel build jobs (default 4); tests run 4 at a time
#
# The exit status is non-zero if any step failed.
set -uo pipefail

HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
SRC=$(cd "$HERE/.." && pwd)

native=1 i686=1 deps=1 jobs=${QLC_JOBS:-4}
ctest_extra=()
while [ $# -gt 0 ]; do
  case "$1" in
    --no-native) native=0 ;;
    --no-i686) i686=0 ;;
    --no-deps) deps=0 ;;
    -j) jobs=$2; shift ;;
    -j*) jobs=${1#-j} ;;
    --) shift; ctest_extra=("$@"); break ;;
    -h|--help) sed -n '2,/^set -uo/p' "${BASH_SOURCE[0]}" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
    *) echo "test: unknown argument '$1' (see --help)" >&2; exit 2 ;;
  esac
  shift
done

say() { echo "== test: $*"; }
results=()
failed=0
passed_total=0 failed_total=0
note() {  # note <step> <status> <seconds>
  results+=("$(printf '%-24s %-8s %4ss' "$1" "$2" "$3")")
  [ "$2" = passed ] || [ "$2" = built ] || [ "$2" = skipped ] || failed=1
}

# --- cleanup of what this run starts ----------------------------------------
XVFB_PID="" OLD_DISPLAY=""
WINE_PREFIX_DIR=$SRC/build/x86_64/wine
wine_up=0
cleanup() {
  if [ $wine_up = 1 ]; then
    "$HERE/wine-exec.sh" --prefix "$WINE_PREFIX_DIR" --stop
    wine_up=0
  fi
  if [ -n "$XVFB_PID" ]; then
    kill "$XVFB_PID" 2>/dev/null
    wait "$XVFB_PID" 2>/dev/null
    XVFB_PID=""
    if [ -n "$OLD_DISPLAY" ]; then export DISPLAY=$OLD_DISPLAY; else unset DISPLAY; fi
  fi
}
trap cleanup EXIT
trap 'cleanup; exit 130' INT TERM

start_xvfb() {
  local n start log=$SRC/build/x86_64/xvfb.log i
  start=$((100 + $$ % 100))
  for n in $(seq "$start" 299); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp </dev/null >"$log" 2>&1 &
    XVFB_PID=$!
    for i in $(seq 50); do
      [ -e "/tmp/.X11-unix/X$n" ] && break
      kill -0 "$XVFB_PID" 2>/dev/null || break
      sleep 0.1
    done
    if [ -e "/tmp/.X11-unix/X$n" ] && kill -0 "$XVFB_PID" 2>/dev/null; then
      OLD_DISPLAY=${DISPLAY-}
      export DISPLAY=:$n
      return 0
    fi
    kill "$XVFB_PID" 2>/dev/null; wait "$XVFB_PID" 2>/dev/null; XVFB_PID=""
  done
  return 1
}

# run_ctest <name> <build dir> [env...]: runs the tests, adds up the counts.
run_ctest() {
  local name=$1 dir=$2 log rc line p f; shift 2
  log=$dir/ctest.log
  env "$@" ctest --test-dir "$dir" --output-on-failure --no-tests=ignore -j 4 \
    "${ctest_extra[@]}" </dev/null 2>&1 | tee "$log"
  rc=${PIPESTATUS[0]}
  # "100% tests passed, 0 tests failed out of 5"
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n1)
  if [ -n "$line" ]; then
    f=$(sed -E 's/.*passed, ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$line")
    p=$(( $(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line") - f ))
    passed_total=$((passed_total + p)); failed_total=$((failed_total + f))
  elif [ $rc != 0 ]; then
    failed_total=$((failed_total + 1))
  fi
  return $rc
}

t_all=$SECONDS

# --- 1. packages and dependency cache ---------------------------------------
if [ $deps = 1 ]; then
  t=$SECONDS
  say "packages and dependencies"
  # i686's libraries are built in step 4, after the x86_64 results are in.
  if "$HERE/deps.sh" x86_64; then
    note "dependencies" passed $((SECONDS - t))
  else
    note "dependencies" FAILED $((SECONDS - t))
    printf '%s\n' "${results[@]}"
    exit 1
  fi
fi

# --- 2. Windows x86_64 under wine -------------------------------------------
# A failed build still runs the tests that did build (the others fail in CTest).
t=$SECONDS
say "building x86_64"
if "$HERE/build.sh" x86_64 --no-deps --keep-going -j "$jobs"; then
  note "build x86_64" built $((SECONDS - t))
else
  note "build x86_64" FAILED $((SECONDS - t))
fi
if [ -f "$SRC/build/x86_64/CTestTestfile.cmake" ]; then
  t=$SECONDS
  if ! start_xvfb; then
    note "tests x86_64" FAILED 0
    echo "test: could not start Xvfb" >&2
  else
    say "Xvfb on $DISPLAY; booting the wine prefix $WINE_PREFIX_DIR"
    tb=$SECONDS
    wine_up=1
    if ! "$HERE/wine-exec.sh" --prefix "$WINE_PREFIX_DIR" --boot; then
      note "tests x86_64 (wine)" FAILED $((SECONDS - t))
    else
      say "wine ready in $((SECONDS - tb)) s; running the x86_64 tests"
      if run_ctest x86_64 "$SRC/build/x86_64" DISPLAY="$DISPLAY"; then
        note "tests x86_64 (wine)" passed $((SECONDS - t))
      else
        note "tests x86_64 (wine)" FAILED $((SECONDS - t))
      fi
    fi
    cleanup
  fi
fi

# --- 3. native, sanitizers ----------------------------------------------------
if [ $native = 1 ]; then
  t=$SECONDS
  say "building native (ASan+UBSan)"
  if "$HERE/build.sh" native --no-deps --keep-going -j "$jobs"; then
    note "build native" built $((SECONDS - t))
  else
    note "build native" FAILED $((SECONDS - t))
  fi
  if [ -f "$SRC/build/native/CTestTestfile.cmake" ]; then
    t=$SECONDS
    say "running the native tests"
    if run_ctest native "$SRC/build/native" \
         ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1 \
         UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1; then
      note "tests native (asan)" passed $((SECONDS - t))
    else
      note "tests native (asan)" FAILED $((SECONDS - t))
    fi
  fi
else
  note "native" skipped 0
fi

# --- 4. Windows i686, build only ----------------------------------------------
if [ $i686 = 1 ]; then
  t=$SECONDS
  say "building i686 (compile and link only)"
  i686_deps=()
  [ $deps = 1 ] || i686_deps=(--no-deps)
  if "$HERE/build.sh" i686 "${i686_deps[@]}" --keep-going -j "$jobs"; then
    note "build i686" built $((SECONDS - t))
  else
    note "build i686" FAILED $((SECONDS - t))
  fi
else
  note "i686" skipped 0
fi

echo
say "summary ($((SECONDS - t_all)) s)"
printf '  %s\n' "${results[@]}"
echo "tests: $passed_total passed, $failed_total failed"
exit $failed
