#!/usr/bin/env bash
# The include check and the build both refuse an upward include: the check
# names the file and the line, and the compiler does not find the header.
set -uo pipefail
source_dir=$1
build_dir=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

bash "$source_dir/scripts/check-layers.sh" "$source_dir" || fail "the check failed on the tree"

# file of the copy, include planted as its second line, what the check must say
while IFS='|' read -r file include expected; do
  rm -rf "$work/tree" && mkdir "$work/tree" && cp -r "$source_dir/src" "$work/tree/"
  sed -i "1a #include \"$include\"" "$work/tree/$file"
  if bash "$source_dir/scripts/check-layers.sh" "$work/tree" 2>"$work/err"; then
    fail "the check passed with \"$include\" in $file"
  fi
  grep -qF "$file:2: $expected" "$work/err" || fail "the check did not name $file:2: $(cat "$work/err")"
done <<'ROWS'
src/launch/download.cpp|launcher/form1.h|launch may not include launcher
src/catalogue/catalogue.cpp|../launch/download.h|"../launch/download.h" climbs out of its folder
src/player/plugin/savestore.cpp|player/playersettings.h|player/plugin may not include player
src/uikit/fonts.cpp|notice/form4.h|uikit may not include notice
ROWS

# The compiler, with the launch layer's own flags, finds its own header but
# not the launcher's.
command=$(ninja -C "$build_dir" -t commands quillet_launch | grep -F "$source_dir/src/launch/download.cpp" |
  sed -E 's/ -(MD|c [^ ]+|o [^ ]+|MT [^ ]+|MF [^ ]+)//g')
[ -n "$command" ] || fail "no compile command for src/launch/download.cpp in $build_dir"
cp "$source_dir/src/launch/download.cpp" "$work/download.cpp"
(cd "$build_dir" && bash -c "$command -E -o /dev/null $work/download.cpp") || fail "the unchanged file does not compile"
sed -i '1a #include "launcher/form1.h"' "$work/download.cpp"
if (cd "$build_dir" && bash -c "$command -E -o /dev/null $work/download.cpp") 2>"$work/err"; then
  fail "the compiler found launcher/form1.h for the launch layer"
fi
grep -q 'launcher/form1.h: No such file' "$work/err" || fail "unexpected compiler error: $(cat "$work/err")"
echo "PASS"
