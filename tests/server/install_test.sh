#!/usr/bin/env bash
# `cmake --install` of the build tree, staged under a temporary DESTDIR: the
# program folder lands whole in /opt/quillet, /usr/bin/quillet reaches the
# executable, and the desktop entry, icon and metainfo are valid and agree.
# Usage: install_test.sh <source dir> <build dir>
set -uo pipefail
src=$1
build=$2
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
# shellcheck source=../support/testlib.sh
source "$(dirname "$0")/../support/testlib.sh"

app=org.quillet.Quillet
desktop="$src/dist/$app.desktop"
metainfo="$src/dist/$app.metainfo.xml"

# --- the files as written
desktop-file-validate "$desktop" || fail "desktop-file-validate rejects $desktop"
# Quillet has no web page to name, which AppStream 1.0 warns of; any other
# warning or error fails, and so does a deprecated tag.
out=$(appstreamcli validate --no-net "$metainfo" 2>&1)
status=$?
findings=$(grep -E '^[EW]: |^I: .*-deprecated$' <<<"$out" | grep -v ': url-homepage-missing$')
if [ -n "$findings" ] || { [ "$status" -ne 0 ] && ! grep -q ': url-homepage-missing$' <<<"$out"; }; then
  fail "appstreamcli rejects $metainfo: $out"
fi
grep -q "<launchable type=\"desktop-id\">$app.desktop</launchable>" "$metainfo" ||
  fail "the metainfo launches the desktop entry by its file name"
grep -q "<id>$app</id>" "$metainfo" || fail "the metainfo id is $app"
grep -qx "Exec=quillet" "$desktop" || fail "the desktop entry runs the linked command"
version=$(sed -n 's/^project(Quillet VERSION \([0-9.]*\).*/\1/p' "$src/CMakeLists.txt")
grep -q "<release version=\"$version\"" "$metainfo" || fail "the metainfo lists release $version"

# --- the install
if ! DESTDIR="$stage" cmake --install "$build" >"$stage.log" 2>&1; then
  cat "$stage.log"
  fail "cmake --install"
fi
rm -f "$stage.log"
opt="$stage/opt/quillet"
[ -d "$opt/Common" ] || fail "no Common/ in the program folder"
# Everything the build put in bin/ is installed, except tests.
(cd "$build/bin" && find . -mindepth 1 ! -name '*_test' ! -name '*_bench') | while read -r f; do
  [ -e "$opt/$f" ] || echo "FAIL: bin/$f is not installed"
done | tee "$stage/missing"
[ -s "$stage/missing" ] && failures=$((failures + 1))
rm -f "$stage/missing"
find "$opt" -name '*_test' | grep -q . && fail "test programs are installed"
[ -L "$stage/usr/bin/quillet" ] || fail "/usr/bin/quillet is not a link"
target=$(readlink "$stage/usr/bin/quillet")
[ "$(cd "$stage/usr/bin" && realpath -m "$target")" = "$(realpath -m "$opt/quillet")" ] ||
  fail "/usr/bin/quillet points to $target, not the program folder's executable"
if [ -e "$build/bin/quillet" ]; then
  [ -x "$opt/quillet" ] || fail "the installed program is not executable"
  [ -x "$stage/usr/bin/quillet" ] || fail "the link does not reach an executable"
  [ -f "$opt/ruffle/ruffle.js" ] || fail "Ruffle is not in the program folder"
else
  echo "note: the build has no bin/quillet yet; link checked by path only"
fi
cmp -s "$stage/usr/share/applications/$app.desktop" "$desktop" || fail "desktop entry not installed"
cmp -s "$stage/usr/share/metainfo/$app.metainfo.xml" "$metainfo" || fail "metainfo not installed"
pbox="$stage/var/opt/Playshare/pbox"
[ -d "$pbox" ] || fail "the shared game folder is not made"
[ "$(stat -c %a "$pbox" 2>/dev/null)" = 1777 ] || fail "the shared game folder is not open to every user, sticky"
[ "$(stat -c %a "$(dirname "$pbox")" 2>/dev/null)" = 755 ] || fail "others may write to the shared game folder's parent"

# --- the icon, in a size the icon theme looks in, under the desktop entry's name
icon=$(sed -n 's/^Icon=//p' "$desktop")
if [ -f "$build/share/quillet.png" ]; then
  found=$(find "$stage/usr/share/icons/hicolor" -path "*/apps/$icon.png")
  [ "$(echo "$found" | grep -c .)" = 1 ] || fail "one icon named $icon.png, found: $found"
  dir=$(basename "$(dirname "$(dirname "$found")")")
  size=$(file -b "$found" | sed -n 's/.*, \([0-9]*\) x \([0-9]*\),.*/\1x\2/p')
  [ "$dir" = "$size" ] || fail "icon of $size is in the $dir folder"
  grep -q "^Directories=.*$dir/apps" /usr/share/icons/hicolor/index.theme ||
    fail "the icon theme does not look in $dir"
else
  echo "note: the build drew no icon yet; icon not checked"
fi

finish "install: all checks passed"
