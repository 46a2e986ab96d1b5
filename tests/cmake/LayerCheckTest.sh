#!/usr/bin/env bash
# The check that keeps the notebook core free of the widget kit: it passes
# on the tree, and fails, naming the file, on a copy of the core that
# includes a widgets/ header (also from its resources) or links the widget
# library.
#   LayerCheckTest.sh <cmake>
set -uo pipefail

CMAKE=${1:-cmake}
SRC=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
CHECK=$SRC/cmake/QlcLayerCheck.cmake
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
check() { "$CMAKE" -DQLC_SOURCE_DIR="$1" -P "$CHECK" 2>&1; }

out=$(check "$SRC") || fail "the tree itself breaks the layer: $out"

# A copy of the core with one file changed.
copy() {  # <name>
  rm -rf "$WORK/$1" && mkdir -p "$WORK/$1" && cp -a "$SRC/core" "$WORK/$1/core"
  echo "$WORK/$1"
}

tree=$(copy source)
echo '#include "widgets/CProgressBar.h"' >>"$tree/core/CQlcStatus.cpp"
out=$(check "$tree") && fail "a core source including widgets/ passed"
grep -q 'core/CQlcStatus.cpp: #include "widgets/CProgressBar.h"' <<<"$out" || fail "the breach is not named: $out"

tree=$(copy header)
printf '#pragma once\n#  include <widgets/GlyphMenu.h>\n' >"$tree/core/IQlcNew.h"
out=$(check "$tree") && fail "a core header including <widgets/...> passed"
grep -q 'core/IQlcNew.h' <<<"$out" || fail "the header is not named: $out"

tree=$(copy resource)
echo '#include "../../widgets/res/WidgetsRes.h"' >>"$tree/core/res/Core.rc"
out=$(check "$tree") && fail "a core resource including widgets/ passed"
grep -q 'core/res/Core.rc' <<<"$out" || fail "the resource file is not named: $out"

tree=$(copy link)
sed -i 's/^target_link_libraries(qlc_core PUBLIC /&qlc_widgets /' "$tree/core/CMakeLists.txt"
grep -q qlc_widgets "$tree/core/CMakeLists.txt" || fail "could not plant the link"
out=$(check "$tree") && fail "a core linking qlc_widgets passed"
grep -q 'names qlc_widgets' <<<"$out" || fail "the link is not named: $out"

if [ $failures != 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "core layer check: all checks passed"
