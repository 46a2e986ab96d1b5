#!/usr/bin/env bash
# The dependency cache's key: every pinned source version, the toolchain's
# package versions and the recipe each change it (so a change builds a new
# cache instead of reusing one made from something else), the README names
# the versions the script pins, and a version the mirrors do not serve stops
# the build before anything is fetched. Runs copies of scripts/deps.sh on a
# cache of its own; nothing is downloaded.
set -uo pipefail

HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
SRC=$(cd "$HERE/../.." && pwd)
DEPS=$SRC/scripts/deps.sh
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
export QLC_CACHE=$WORK/cache

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# A copy of deps.sh with one whole line replaced (or one added at the end
# when the old line is empty).
variant() {  # <name> <old line> <new line>
  mkdir -p "$WORK/$1"
  awk -v old="$2" -v new="$3" '$0 == old && old != "" { $0 = new } { print } END { if (old == "") print new }' \
    "$DEPS" >"$WORK/$1/deps.sh"
  echo "$WORK/$1/deps.sh"
  ! cmp -s "$DEPS" "$WORK/$1/deps.sh"
}
prefix_of() { bash "$1" --prefix x86_64; }

original=$(prefix_of "$DEPS")
[ -n "$original" ] || fail "deps.sh --prefix printed nothing"
case $original in
  "$QLC_CACHE"/deps-*/x86_64-w64-mingw32) ;;
  *) fail "prefix $original is not under \$QLC_CACHE/deps-<key>/x86_64-w64-mingw32" ;;
esac

# The same script elsewhere: the same cache.
mkdir -p "$WORK/copy" && cp "$DEPS" "$WORK/copy/deps.sh"
[ "$(prefix_of "$WORK/copy/deps.sh")" = "$original" ] || fail "a copy of the same script names another cache"

# The pinned versions, as the script reports them.
mapfile -t pinned < <(bash "$DEPS" --key | sed -n 's/^source //p')
[ ${#pinned[@]} = 5 ] || fail "expected 5 pinned sources, the key names ${#pinned[@]}: ${pinned[*]}"
for want in libcrypto++ libpng1.6 libjpeg-turbo tiff giflib; do
  printf '%s\n' "${pinned[@]}" | grep -q "^$want=." || fail "no pinned version of $want"
done

# Each version changed on its own: each a cache of its own.
seen=("$original")
for entry in "${pinned[@]}"; do
  pkg=${entry%%=*}
  ver=${entry#*=}
  script=$(variant "v-$pkg" "  $entry" "  $pkg=${ver}9") || fail "no line '  $entry' in deps.sh"
  p=$(prefix_of "$script")
  for other in "${seen[@]}"; do
    [ "$p" != "$other" ] || fail "changing $pkg $ver to ${ver}9 kept the cache $p"
  done
  seen+=("$p")
done

# The recipe: any edit of the script.
script=$(variant recipe "" "# a changed build step") || fail "could not add a line to deps.sh"
[ "$(prefix_of "$script")" != "$original" ] || fail "an edited deps.sh kept the cache"

# The toolchain: another compiler version reported by dpkg.
mkdir -p "$WORK/bin"
cat >"$WORK/bin/dpkg-query" <<'EOF'
#!/usr/bin/env bash
/usr/bin/dpkg-query "$@" | sed 's/^g++-mingw-w64-x86-64-posix ii .*/g++-mingw-w64-x86-64-posix ii 99.0-1/'
EOF
chmod +x "$WORK/bin/dpkg-query"
[ "$(PATH=$WORK/bin:$PATH prefix_of "$DEPS")" != "$original" ] || fail "another compiler version kept the cache"
key=$(PATH=$WORK/bin:$PATH bash "$DEPS" --key)
grep -qxF 'package g++-mingw-w64-x86-64-posix=99.0-1' <<<"$key" || fail "the key does not name the C++ compiler's version: $key"

# The README names exactly the pinned versions.
mapfile -t documented < <(sed -n 's/^| [^|]* | `\([^`]*\)` | `\([^`]*\)` |$/\1=\2/p' "$SRC/README.md")
[ "$(printf '%s\n' "${documented[@]}" | sort)" = "$(printf '%s\n' "${pinned[@]}" | sort)" ] ||
  fail "README.md names '${documented[*]}', deps.sh pins '${pinned[*]}'"

# A complete cache of the key is taken as it is: nothing fetched or built.
mkdir -p "$original"
out=$(bash "$DEPS" --no-apt x86_64 2>&1) || fail "deps.sh with a complete cache failed: $out"
grep -q "x86_64-w64-mingw32: $original" <<<"$out" || fail "deps.sh did not report the cache: $out"
[ ! -e "$(dirname "$original")/src" ] || fail "deps.sh fetched sources although its cache was complete"

# A version the mirrors do not serve, on the same cache: the complete cache
# of the other key is not taken; the build stops before fetching, naming it.
if apt-cache showsrc --only-source giflib 2>/dev/null | grep -q '^Version:'; then
  giflib=$(printf '%s\n' "${pinned[@]}" | grep '^giflib=')
  script=$(variant unserved "  $giflib" "  giflib=0.0.1-0") || fail "no line '  $giflib' in deps.sh"
  out=$(bash "$script" --no-apt x86_64 2>&1)
  rc=$?
  [ $rc != 0 ] || fail "an unserved version did not stop the build: $out"
  grep -q "giflib 0.0.1-0 is no longer served by the Debian mirrors" <<<"$out" ||
    fail "no message naming the unserved version: $out"
  newroot=$(dirname "$(prefix_of "$script")")
  [ "$newroot" != "$(dirname "$original")" ] || fail "the unserved version names the complete cache"
  [ ! -e "$newroot/src" ] || fail "sources were fetched before the versions were checked"
else
  fail "apt has no source lists (deb-src): run scripts/deps.sh once, which enables them"
fi

if [ $failures != 0 ]; then
  echo "$failures check(s) failed" >&2
  exit 1
fi
echo "dependency cache key: all checks passed"
