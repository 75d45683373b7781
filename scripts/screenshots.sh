#!/usr/bin/env bash
# Retakes the README's screenshots: builds Quillet, runs the end-to-end test
# on a private 1024x768 X server with openbox, and copies the two pictures it
# takes to docs/: the launcher at start (cut to the launcher's window, which
# the test has found at 832,0 184x556) and a game playing under the rolled-up
# strip (the whole screen).
#
#   scripts/screenshots.sh [--build-dir DIR]
#
# --build-dir  a configured build folder to use instead of the default
#              preset's (build/).
# Only what the test runs is built: the program and the game server's tree.
# Needs root: the test serves the games with nginx on port 80.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build=""
while [ $# -gt 0 ]; do
  case "$1" in
    --build-dir)
      [ $# -ge 2 ] || { echo "usage: $0 [--build-dir DIR]" >&2; exit 2; }
      build=$2
      shift 2
      ;;
    *) echo "usage: $0 [--build-dir DIR]" >&2; exit 2 ;;
  esac
done

cd "$here"
if [ -z "$build" ]; then
  [ -f build/CMakeCache.txt ] || cmake --preset default
  cmake --build --preset default --target quillet quillet_server_tree
  build="$here/build"
else
  cmake --build "$build" --target quillet quillet_server_tree
fi
build="$(cd "$build" && pwd)"

# Old pictures must not pass for new ones if the test fails early.
rm -f "$build/e2e/launcher.png" "$build/e2e/playing.png"

# shellcheck source=xsession.sh
source "$here/scripts/xsession.sh"
trap quillet_stop_x EXIT
unset DISPLAY
quillet_start_x 1024x768

status=0
PATH="/usr/sbin:/sbin:$PATH" bash "$here/tests/e2e/e2e_test.sh" "$here" "$build" || status=$?
if [ "$status" = 77 ]; then
  echo "screenshots: the end-to-end test could not run here (see above)" >&2
  exit 1
fi
if [ "$status" != 0 ]; then
  echo "screenshots: the end-to-end test failed; docs/ left as it was" >&2
  exit 1
fi

mkdir -p "$here/docs"
for picture in launcher playing; do
  size=$(identify -format '%wx%h' "$build/e2e/$picture.png")
  [ "$size" = 1024x768 ] || { echo "screenshots: $picture.png is $size, not 1024x768" >&2; exit 1; }
done
convert "$build/e2e/launcher.png" -crop 184x556+832+0 +repage -strip "$here/docs/launcher.png"
convert "$build/e2e/playing.png" -strip "$here/docs/playing.png"
echo "screenshots: docs/launcher.png and docs/playing.png updated"
