#!/usr/bin/env bash
# Installs what is missing, builds, starts the bundled game server and then
# Quillet. With no display it runs Quillet on a private Xvfb with openbox and
# writes a screenshot every few seconds to build/screen.png.
# Stopping this script (Ctrl+C) stops the server it started. Run through
# sudo, it starts Quillet as the user who called sudo: browsers refuse to run
# as root, so the help page would never open.
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

# Through sudo, Quillet runs as the calling user, with the display and its
# authority. That user cannot create the shared game folder under /var/opt,
# so it is made here as the package makes it: root's, sticky, open to all.
AS_USER=()
if [ "$(id -u)" = 0 ] && [ -n "${SUDO_USER:-}" ] && [ "$SUDO_USER" != root ]; then
  install -d -o root -g root -m 755 /var/opt/Playshare
  install -d -o root -g root -m 1777 /var/opt/Playshare/pbox
  AS_USER=(runuser -u "$SUDO_USER" -- env)
  if ! "${AS_USER[@]}" test -x "$PWD/build/bin/quillet"; then
    echo "run: $SUDO_USER cannot run $PWD/build/bin/quillet; Quillet runs as root" >&2
    AS_USER=()
  fi
fi
start_quillet() {
  if [ ${#AS_USER[@]} -gt 0 ]; then
    # No XAUTHORITY: the user's own default file, or a server without one.
    "${AS_USER[@]}" "DISPLAY=$DISPLAY" ${XAUTHORITY:+"XAUTHORITY=$XAUTHORITY"} "$PWD/build/bin/quillet" &
  else
    build/bin/quillet &
  fi
  QUILLET_PID=$!
}

source scripts/xsession.sh
if [ -z "${DISPLAY:-}" ]; then
  quillet_start_x 1024x768
  echo "run: no display; Quillet runs on Xvfb ${DISPLAY}. Screenshot: build/screen.png"
  start_quillet
  while holds_for 3 kill -0 "$QUILLET_PID" 2>/dev/null; do
    import -window root build/screen.png 2>/dev/null || true
  done
else
  start_quillet
  wait "$QUILLET_PID"
fi
