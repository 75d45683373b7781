# Sourced by the other scripts: starts a private X server (Xvfb) with openbox
# and points DISPLAY at it. Usage: quillet_start_x [WIDTHxHEIGHT]
# The server and window manager end with the calling shell (see quillet_stop_x).

quillet_start_x() {
  local size=${1:-1024x768} number
  number=$(mktemp)
  # The server takes a free display itself and names it: two sessions that
  # start at once cannot pick the same one.
  Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -dpi 96 3>"$number" >/dev/null 2>&1 &
  QUILLET_XVFB_PID=$!
  for _ in $(seq 100); do
    [ -s "$number" ] && break
    sleep 0.1
  done
  export DISPLAY=":$(head -n1 "$number")"
  rm -f "$number"
  for _ in $(seq 100); do
    xdpyinfo >/dev/null 2>&1 && break
    sleep 0.1
  done
  openbox --sm-disable >/dev/null 2>&1 &
  QUILLET_WM_PID=$!
  # openbox announces itself on the root window once it manages windows.
  for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
  done
}

quillet_stop_x() {
  [ -n "${QUILLET_WM_PID:-}" ] && kill "$QUILLET_WM_PID" 2>/dev/null
  [ -n "${QUILLET_XVFB_PID:-}" ] && kill "$QUILLET_XVFB_PID" 2>/dev/null
  wait 2>/dev/null || true
}
