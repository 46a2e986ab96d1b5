#!/usr/bin/env bash
# The node tree's menus and F2 around drags in the real program, by the mouse
# and the keyboard, on a notebook of a folder and two notes (qlcdragnotebook):
#   - a right drag of "Memo" let go over the empty space of the tree offers
#     the drag menu (Move Here, Copy Here, Cancel);
#   - one let go off the tree, over the note pane, opens the tree's context
#     menu there;
#   - one cancelled with Escape before the button goes up opens no menu at
#     all: F2 right after reaches the tree and renames;
#   - F2 while a drag is under way renames nothing: Escape then ends the drag.
# The tree must be unchanged at the end. Screenshots of both menus are kept.
#
#   TreeMenusEndToEndTest.sh <program folder> <qlcdragnotebook.exe> <wine prefix> <artifacts folder>
#
# Needs an X display ($DISPLAY), xdotool and ImageMagick's import; without a
# display the test is skipped (exit 77).
set -uo pipefail

BIN=$1 MAKER=$2 PREFIX=$3 ARTIFACTS=$4
TAG="tree menus end-to-end"
DESK="QlcTreeMenus$$"
FAIL_SHOT=$ARTIFACTS/tree-menus-end-to-end-failed.png
. "$(dirname "${BASH_SOURCE[0]}")/EndToEndSupport.sh"
mkdir -p "$ARTIFACTS"
TREE='class=SysTreeView32'
MENU='class=#32768'

cp "$BIN/quillapp.exe" "$WORK/" || fail "no quillapp.exe in $BIN"
cd "$WORK"
"$WINE64" "$MAKER" menus.qlc </dev/null || fail "the notebook was not made"
fresh_settings

start_program menus.qlc
wait_tree
rows_before=$(probe items "$MAIN" "$TREE" | tr -d '\r')
locate_row "the note Memo in the tree" Memo "$MAIN" "$TREE"
MEMO_X=$X MEMO_Y=$Y
locate "the tree" "$MAIN" "$TREE"
# Low in the tree below its rows, and as low in the note pane beside it.
EMPTY_X=$((RX + 20)) EMPTY_Y=$((RY + RH - 15))
PANE_X=$((RX + RW + 60)) PANE_Y=$EMPTY_Y

dragging() { probe state --is '*capture*' "$MAIN" "$TREE" >/dev/null 2>&1; }

# Presses the right (or left) button on Memo and moves off it in steps until
# the tree holds the mouse: a drag is under way.
start_drag() {
  local button=$1 d
  xdotool mousemove --window "$WIN" "$MEMO_X" "$MEMO_Y" mousedown "$button"
  for d in 4 8 12 16 20 24; do
    xdotool mousemove --window "$WIN" $((MEMO_X + d)) $((MEMO_Y + d))
  done
  wait_state "a drag of Memo under way (the tree holding the mouse)" '*capture*' "$MAIN" "$TREE"
}

# Over the tree's empty space: the drag menu.
start_drag 3
xdotool mousemove --window "$WIN" $((MEMO_X + 10)) $((EMPTY_Y - 10)) mousemove --window "$WIN" "$EMPTY_X" "$EMPTY_Y"
xdotool mouseup 3
wait_window "the drag menu over the empty space" "$MENU"
import -window root "$ARTIFACTS/tree-drag-menu-empty-space.png" 2>/dev/null
xdotool key Escape
wait_gone "the drag menu" "$MENU"

# Off the tree, over the note pane: the context menu of the tree.
start_drag 3
xdotool mousemove --window "$WIN" $((MEMO_X + 60)) $((MEMO_Y + 30)) mousemove --window "$WIN" "$PANE_X" "$PANE_Y"
xdotool mouseup 3
wait_window "the context menu off the tree" "$MENU"
import -window root "$ARTIFACTS/tree-context-menu-off-tree.png" 2>/dev/null
xdotool key Escape
wait_gone "the context menu" "$MENU"

# Cancelled with Escape, then let go: no menu; F2 renames the caret item.
start_drag 3
xdotool key Escape
wait_for "the drag cancelled by Escape (the mouse free)" eval '! dragging'
xdotool mouseup 3
xdotool key F2
wait_window "the label being edited after F2" "$MAIN" "$TREE" 'class=Edit'
probe gone "$MENU" >/dev/null 2>&1 || fail "a menu came after the cancelled drag"
xdotool key Escape
wait_gone "the label edit" "$MAIN" "$TREE" 'class=Edit'

# F2 during a drag renames nothing; Escape then ends the drag.
start_drag 1
xdotool key F2 Escape
wait_for "the drag ended by Escape" eval '! dragging'
probe gone "$MAIN" "$TREE" 'class=Edit' >/dev/null 2>&1 || fail "F2 began renaming during the drag"
xdotool mouseup 1

[ "$(probe items "$MAIN" "$TREE" | tr -d '\r')" = "$rows_before" ] || fail "the tree changed"
end_program
echo "$TAG: passed"
