#!/usr/bin/env bash
# The Debian package CPack makes from the build tree: its control data and
# the files it would put on a machine.
# Usage: package_test.sh <build dir>
set -uo pipefail
build=$(cd "$1" && pwd)
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
# shellcheck source=../support/testlib.sh
source "$(dirname "$0")/../support/testlib.sh"

if ! cpack --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1; then
  cat "$out/cpack.log"
  echo "FAIL: cpack"
  exit 1
fi
deb=$(find "$out" -maxdepth 1 -name 'quillet_*.deb' | head -n1)
[ -n "$deb" ] || { echo "FAIL: no quillet_*.deb"; exit 1; }

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = quillet ] || fail "package name $(field Package)"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ "$(field Version)" = "$version" ] || fail "version $(field Version), project $version"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "architecture $(field Architecture)"
[ -n "$(field Maintainer)" ] || fail "no maintainer"
depends=$(field Depends)
for need in qt6-qpa-plugins chromium fonts-arphic-uming; do
  grep -q "$need" <<<"$depends" || fail "Depends lacks $need: $depends"
done
if [ -e "$build/bin/quillet" ]; then
  # dpkg-shlibdeps found the Qt libraries the program links.
  for lib in libqt6widgets6 libqt6core6 libcurl4 libc6; do
    grep -q "$lib" <<<"$depends" || fail "Depends lacks $lib: $depends"
  done
fi
grep -q libqt6webengine <<<"$depends" && fail "Depends still names Qt WebEngine: $depends"

# Removing the package must leave the system's /var/opt in place.
dpkg-deb --ctrl-tarfile "$deb" | tar -xO ./postrm 2>/dev/null | grep -q 'mkdir -m 755 /var/opt' ||
  fail "no postrm that keeps /var/opt"

# A shared game folder made before the package gets the package's owner and mode.
postinst=$(dpkg-deb --ctrl-tarfile "$deb" | tar -xO ./postinst 2>/dev/null)
grep -q 'chmod 1777 /var/opt/Playshare/pbox' <<<"$postinst" &&
  grep -q 'chown root:root /var/opt/Playshare/pbox' <<<"$postinst" ||
  fail "no postinst that makes the shared game folder root's and sticky"

dpkg-deb -c "$deb" >"$out/contents"
has() { grep -qE "$1" "$out/contents" || fail "the package lacks $2"; }
has ' \./opt/quillet/Common/$' "the Common folder"
has ' \./usr/bin/quillet -> \.\./\.\./opt/quillet/quillet$' "the /usr/bin link"
has ' \./usr/share/applications/org\.quillet\.Quillet\.desktop$' "the desktop entry"
has ' \./usr/share/metainfo/org\.quillet\.Quillet\.metainfo\.xml$' "the metainfo"
has '^drwxrwxrwt root/root .* \./var/opt/Playshare/pbox/$' "the shared game folder open to all, and sticky"
has '^drwxr-xr-x root/root .* \./var/opt/Playshare/$' "a parent of the shared game folder that is root's alone"
[ -e "$build/bin/quillet" ] && has '^-rwxr-xr-x .* \./opt/quillet/quillet$' "the executable"
[ -e "$build/bin/ruffle/ruffle.js" ] && has ' \./opt/quillet/ruffle/ruffle\.js$' "Ruffle"
grep -q '\./usr/local' "$out/contents" && fail "the package has files under /usr/local"
grep -qE '_test$' "$out/contents" && fail "the package holds test programs"

finish "package: $(basename "$deb") passes; Depends: $depends"
