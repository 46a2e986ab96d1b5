# What the end-to-end scripts share, sourced after they set TAG (the name in
# their messages), PREFIX (the wine prefix) and DESK (the name of the wine
# desktop the program runs in), and optionally FAIL_SHOT (where a failure's
# screenshot goes): wine's environment, the display check (no display: the
# test is skipped, exit 77), a work folder in $WORK that goes at the end, the
# wine desktop of $DESK_PID ended then, and the waits.
#
# No step waits a fixed time: each wait looks again until what the next step
# needs is there, for at most $DEADLINE seconds (QLC_E2E_DEADLINE, 120 by
# default: on a loaded machine the program takes 10-20 s to show), and then
# fails naming what it waited for. Windows are found, and their places read,
# by the window probe in $QLC_WINPROBE (tests/app/WindowProbe.cpp), which
# looks into the desktop $DESK: a window is named by one argument per level,
# the top-level window first, then windows anywhere below it, each with terms
# title=, class=, id= joined by commas (patterns take * and ?). $MAIN names
# the program's main window. WHAT, first in every wait, says in words what
# is waited for.
#
#   wait_window WHAT SPEC...            the window is shown
#   wait_gone WHAT SPEC...              no such window is shown
#   wait_focus WHAT PATTERN SPEC...     the keyboard focus in the window's
#                                       thread is on a window described as
#                                       'CLASS ID "TITLE"' matching PATTERN
#   wait_text WHAT PATTERN SPEC...      the window's text matches PATTERN
#   wait_state WHAT PATTERN SPEC...     its state matches (words: visible,
#                                       enabled, foreground, focus, checked...)
#   locate WHAT SPEC...                 sets RX RY RW RH (its rectangle in
#                                       the desktop) and X Y (its centre)
#   locate_row WHAT TEXT SPEC...        the same for the row TEXT of a tree
#                                       or list box
#   locate_caption WHAT SPEC...         sets X Y to a point on its title bar
#   click WHAT SPEC...                  a left click on its centre
#   wait_file_changed WHAT FILE SUM     until FILE's file_sum is not SUM
#   wait_pixels WHAT COLOUR COUNT SHOT  screenshots into SHOT until one has
#                                       COUNT pixels of COLOUR (#RRGGBB)
#   wait_for WHAT COMMAND...            until COMMAND succeeds
#   probe COMMAND ARGS...               the probe itself, once
#   resource_ids NAME...                sets shell variables of the names to
#                                       the program's ids (app/res, the
#                                       framework's), e.g. for id=
#
# Points are in the desktop's coordinates: xdotool mousemove --window "$WIN".
WINE64=${QLC_WINE64:-/usr/lib/wine/wine64}
export WINEPREFIX=$PREFIX WINEDEBUG=-all
export WINEDLLOVERRIDES="mshtml=d;winemenubuilder.exe=d;winedbg.exe=d"
DEADLINE=${QLC_E2E_DEADLINE:-120}
PROBE=${QLC_WINPROBE:-}
QLC_SOURCE=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
MAIN='title=Varlo Quillcrest*'

if [ -z "${DISPLAY:-}" ] || ! xdotool getdisplaygeometry >/dev/null 2>&1; then
  echo "$TAG: no X display, skipped"
  exit 77
fi
command -v import >/dev/null || { echo "$TAG: ImageMagick's import is missing"; exit 1; }
[ -n "$PROBE" ] && [ -f "$PROBE" ] || { echo "$TAG: no window probe in QLC_WINPROBE ('$PROBE')"; exit 1; }

WORK=$(mktemp -d)
DESK_PID=""
cleanup() {
  if [ -n "$DESK_PID" ] && kill -0 "$DESK_PID" 2>/dev/null; then
    kill "$DESK_PID" 2>/dev/null
  fi
  rm -rf "$WORK"
}
trap cleanup EXIT

# Says what went wrong with the visible windows of the desktop at that
# moment, keeps a screenshot in $FAIL_SHOT (when set) and ends the script.
fail() {
  echo "$TAG: $*"
  [ -n "${FAIL_SHOT:-}" ] && import -window root "$FAIL_SHOT" 2>/dev/null
  if [ -n "$DESK_PID" ]; then
    echo "$TAG: the windows shown then:"
    probe dump 2>&1 | grep -v ' hidden$' | head -100
  fi
  exit 1
}

probe() {
  "$WINE64" "$PROBE" "$DESK" "$@" </dev/null
}

# The probe waiting for the command to succeed; its output in PROBED.
probe_wait() {
  local what=$1
  shift
  PROBED=$(probe "$@" --wait "$DEADLINE" 2>"$WORK/probe.err") && return 0
  fail "waited ${DEADLINE} s for $what: $(tr -d '\r' <"$WORK/probe.err")"
}

wait_window() {
  local what=$1
  shift
  probe_wait "$what" find "$@"
}

wait_gone() {
  local what=$1
  shift
  probe_wait "$what to go" gone "$@"
}

wait_focus() {
  local what=$1 pattern=$2
  shift 2
  probe_wait "the keyboard in $what" focus --is "$pattern" "$@"
}

wait_text() {
  local what=$1 pattern=$2
  shift 2
  probe_wait "$what" text --is "$pattern" "$@"
}

wait_state() {
  local what=$1 pattern=$2
  shift 2
  probe_wait "$what" state --is "$pattern" "$@"
}

locate() {
  local what=$1
  shift
  probe_wait "$what" rect "$@"
  read -r RX RY RW RH <<<"$(tr -d '\r' <<<"$PROBED")"
  X=$((RX + RW / 2)) Y=$((RY + RH / 2))
}

locate_row() {
  local what=$1 row=$2
  shift 2
  probe_wait "$what" item "$row" "$@"
  read -r RX RY RW RH <<<"$(tr -d '\r' <<<"$PROBED")"
  X=$((RX + RW / 2)) Y=$((RY + RH / 2))
}

locate_caption() {
  local what=$1
  shift
  probe_wait "the title bar of $what" caption "$@"
  read -r X Y <<<"$(tr -d '\r' <<<"$PROBED")"
}

click() {
  locate "$@"
  xdotool mousemove --window "$WIN" "$X" "$Y" click 1
}

wait_for() {
  local what=$1 end=$((SECONDS + DEADLINE))
  shift
  until "$@"; do
    [ $SECONDS -lt $end ] || fail "waited ${DEADLINE} s for $what"
    sleep 0.1
  done
}

# A file's checksum, "missing" when there is none.
file_sum() {
  if [ -f "$1" ]; then md5sum <"$1" | cut -d' ' -f1; else echo missing; fi
}

wait_file_changed() {
  local what=$1 file=$2 sum=$3 end=$((SECONDS + DEADLINE))
  until [ "$(file_sum "$file")" != "$sum" ]; do
    [ $SECONDS -lt $end ] || fail "waited ${DEADLINE} s for $what ($file unchanged)"
    sleep 0.1
  done
}

wait_pixels() {
  local what=$1 colour=$2 count=$3 shot=$4 n=0 end=$((SECONDS + DEADLINE))
  while :; do
    if import -window root "$shot" 2>/dev/null; then
      n=$(convert "$shot" -depth 8 txt:- 2>/dev/null | grep -ci "$colour")
      [ "${n:-0}" -ge "$count" ] && return 0
    fi
    [ $SECONDS -lt $end ] || fail "waited ${DEADLINE} s for $what ($count pixels of $colour, the last screenshot had ${n:-0})"
    sleep 0.2
  done
}

resource_ids() {
  local name value
  for name in "$@"; do
    value=$(awk -v n="$name" '$1 == "#define" && $2 == n { print $3; exit }' \
      "$QLC_SOURCE"/app/res/*.h "$QLC_SOURCE"/framework/res/*.h)
    [ -n "$value" ] || fail "no id $name in app/res or framework/res"
    printf -v "$name" '%s' "$value"
  done
}

# Copies the named files of the program folder $BIN into $WORK/program.
# Fails when one is missing.
copy_program() {
  local f
  mkdir -p "$WORK/program"
  for f in "$@"; do
    [ -e "$BIN/$f" ] || fail "$f is missing from the program folder $BIN"
    cp -r "$BIN/$f" "$WORK/program/" || fail "$f could not be copied"
  done
}

# The program's settings as at its first start, without the splash.
fresh_settings() {
  "$WINE64" reg delete 'HKCU\Software\Varlosoft' /f >/dev/null 2>&1
  "$WINE64" reg add 'HKCU\Software\Varlosoft\Varlo Quillcrest\Settings' /v ShowSplash /t REG_DWORD /d 0 /f >/dev/null 2>&1
}

# The X window of the desktop $DESK, in WIN.
find_desktop_window() {
  WIN=$(xdotool search --name "$DESK" 2>/dev/null | head -1)
  [ -n "$WIN" ]
}

# Starts quillapp.exe of the current folder with the arguments (a notebook)
# inside a wine virtual desktop named $DESK; sets DESK_PID and WIN (the
# desktop's X window) once the desktop shows.
launch_program() {
  "$WINE64" explorer "/desktop=$DESK,1024x768" quillapp.exe "$@" </dev/null >>"$WORK/wine.log" 2>&1 &
  DESK_PID=$!
  wait_for "the wine desktop $DESK" find_desktop_window
}

# Launches the program, waits for its main window and brings the keyboard to
# it.
start_program() {
  launch_program "$@"
  wait_window "the main window" "$MAIN"
  bring_main_to_front
}

# A click on the main window's title bar: it comes to the front with the
# keyboard.
bring_main_to_front() {
  locate_caption "the main window" "$MAIN"
  xdotool mousemove --window "$WIN" "$X" "$Y" click 1
  wait_state "the main window in front" '*foreground*' "$MAIN"
}

# The notebook window's tree holding the keyboard (after start-up with a
# notebook, or after leaving another control).
wait_tree() {
  wait_focus "the notebook's tree" 'SysTreeView32 *' "$MAIN"
}

# Ends the program with Alt+F4 wherever the keyboard is (the drag test
# leaves it in the tree) and waits for it.
end_program() {
  xdotool key alt+F4
  await_end
}

program_running() {
  kill -0 "$DESK_PID" 2>/dev/null
}

# Waits for the desktop of $DESK_PID to end (after Alt+F4).
await_end() {
  wait_for "the program to end after Alt+F4 (a question left open?)" eval '! program_running'
  DESK_PID=""
}
