# Sourced by the other scripts: starts a private X server (Xvfb) with openbox
# and points DISPLAY at it. Usage: quillet_start_x [WIDTHxHEIGHT]
# The server and window manager end with the calling shell (see quillet_stop_x).
# shellcheck source=../tests/support/testlib.sh
source "$(dirname "${BASH_SOURCE[0]}")/../tests/support/testlib.sh"

quillet_start_x() {
  local size=${1:-1024x768} number
  number=$(mktemp)
  # The server takes a free display itself and names it: two sessions that
  # start at once cannot pick the same one.
  Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -dpi 96 -noreset 3>"$number" >/dev/null 2>&1 &
  QUILLET_XVFB_PID=$!
  wait_for 20 test -s "$number" || { echo "xsession: Xvfb named no display" >&2; return 1; }
  export DISPLAY=":$(head -n1 "$number")"
  rm -f "$number"
  wait_for 20 x_answers || { echo "xsession: Xvfb does not answer on $DISPLAY" >&2; return 1; }
  openbox --sm-disable >/dev/null 2>&1 &
  QUILLET_WM_PID=$!
  wait_for 20 wm_running || { echo "xsession: openbox does not manage $DISPLAY" >&2; return 1; }
}

quillet_stop_x() {
  [ -n "${QUILLET_WM_PID:-}" ] && kill "$QUILLET_WM_PID" 2>/dev/null
  [ -n "${QUILLET_XVFB_PID:-}" ] && kill "$QUILLET_XVFB_PID" 2>/dev/null
  wait 2>/dev/null || true
}
