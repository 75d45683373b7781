#!/usr/bin/env bash
# Installs what is missing, builds, starts the bundled game server and then
# Quillet. With no display it runs Quillet on a private Xvfb with openbox and
# writes a screenshot every few seconds to build/screen.png.
# Stopping this script (Ctrl+C) stops the server it started.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake --preset default
# Only what runs: the program (with its player plugin and Ruffle) and the
# game server's tree with the sample games; the tests wait for scripts/test.sh.
cmake --build --preset default --target quillet quillet_server_tree

# Runs once, at the exit; a signal exits first. Nothing in it may end it
# early: Quillet killed here makes `wait` fail, and errexit would then leave
# the server running.
cleanup() {
  trap - EXIT
  set +e
  if [ -n "${QUILLET_PID:-}" ]; then
    kill "$QUILLET_PID" 2>/dev/null
    wait "$QUILLET_PID" 2>/dev/null
  fi
  [ -x scripts/server.sh ] && bash scripts/server.sh stop
  [ -n "${QUILLET_XVFB_PID:-}" ] && quillet_stop_x
  true
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

if [ -x scripts/server.sh ]; then
  bash scripts/server.sh start
fi

source scripts/xsession.sh
if [ -z "${DISPLAY:-}" ]; then
  quillet_start_x 1024x768
  echo "run: no display; Quillet runs on Xvfb ${DISPLAY}. Screenshot: build/screen.png"
  build/bin/quillet &
  QUILLET_PID=$!
  while kill -0 "$QUILLET_PID" 2>/dev/null; do
    sleep 3
    import -window root build/screen.png 2>/dev/null || true
  done
else
  build/bin/quillet &
  QUILLET_PID=$!
  wait "$QUILLET_PID"
fi
