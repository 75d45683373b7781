#!/usr/bin/env bash
# Retakes the README's screenshots: builds Quillet, runs the end-to-end test
# on a private 1024x768 X server with openbox, and copies the pictures it
# takes to docs/: the launcher at start (cut to the launcher's window, which
# the test has found at 832,0 184x556), a game playing under the rolled-up
# strip (the whole screen), and, enlarged to be looked at closely, the
# launcher's top strip, its highlighted category bar, the prompt, the notice
# and the About box (each dialog with its window manager's frame).
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
rm -f "$build"/e2e/{launcher,playing,prompt,notice,about}.png

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
# Enlarged by whole pixels, so that every pixel stays a sharp square.
convert "$build/e2e/launcher.png" -crop 184x30+832+0 +repage -scale 400% -strip \
  "$here/docs/top-strip.png"
# The start page's own bar, category 5's, at Top 86 of the page.
convert "$build/e2e/launcher.png" -crop 184x26+832+111 +repage -scale 400% -strip \
  "$here/docs/own-bar.png"
for dialog in prompt notice about; do
  [ -s "$build/e2e/$dialog.png" ] || { echo "screenshots: no $dialog.png" >&2; exit 1; }
  convert "$build/e2e/$dialog.png" -scale 200% -strip "$here/docs/$dialog.png"
done
echo "screenshots: docs/ updated"
