# shellcheck shell=bash
# Sourced by the shell tests: what the X server says of a window, and
# colours read off the screen.

# The shown windows of the program the test started ($program_pid, set by
# the caller) and of its player process, whatever else runs on the display.
# shellcheck disable=SC2154
shown_window() { # title regex -> id
  local pid
  for pid in "$program_pid" $(pgrep -P "$program_pid"); do
    xdotool search --all --onlyvisible --pid "$pid" --name "$1" 2>/dev/null
  done | head -n1
}
await_window() { # title regex timeout-seconds -> id
  local end=$((SECONDS + $2)) id
  while [ $SECONDS -le "$end" ]; do
    id=$(shown_window "$1")
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.2
  done
  return 1
}
await_gone() { # title regex timeout-seconds
  local end=$((SECONDS + $2))
  while [ $SECONDS -le "$end" ]; do
    [ -z "$(shown_window "$1")" ] && return 0
    sleep 0.2
  done
  return 1
}

geometry() { # id -> "x y w h" of the window itself (its client area) on the screen
  xwininfo -id "$1" 2>/dev/null | awk '
    /Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
    /^  Width/ { w = $NF } /^  Height/ { h = $NF } END { print x, y, w, h }'
}

near() { # "r g b" rrggbb tolerance
  local r g b
  read -r r g b <<<"$1"
  local er=$((16#${2:0:2})) eg=$((16#${2:2:2})) eb=$((16#${2:4:2}))
  [ -n "$r" ] && [ $((r > er ? r - er : er - r)) -le "$3" ] &&
    [ $((g > eg ? g - eg : eg - g)) -le "$3" ] && [ $((b > eb ? b - eb : eb - b)) -le "$3" ]
}

frame_offset() { # id -> "dx dy": twice the frame's centre less the screen's size
  local x y w h l r t b width height
  read -r x y w h <<<"$(geometry "$1")"
  read -r l r t b < <(xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | sed 's/.* = //; s/,//g')
  read -r width height < <(xdpyinfo | awk '/dimensions:/ { split($2, d, "x"); print d[1], d[2]; exit }')
  echo "$((2 * (x - ${l:-0}) + w + ${l:-0} + ${r:-0} - width))" \
    "$((2 * (y - ${t:-0}) + h + ${t:-0} + ${b:-0} - height))"
}

centred() { # "dx dy" from frame_offset -> whether the frame is centred (within a pixel)
  local dx dy
  read -r dx dy <<<"$1"
  [ "${dx#-}" -le 2 ] && [ "${dy#-}" -le 2 ]
}

stacked_above() { # id id -> "above" when the first's top level (frame or itself) is above the second's
  local tops=() id parent
  for id in "$1" "$2"; do
    while parent=$(xwininfo -children -id "$id" 2>/dev/null | awk '/Parent window id:/ && $5 != "(the" { print $4 }') &&
      [ -n "$parent" ]; do id=$parent; done
    tops+=("$(printf '0x%x' "$((id))")")
  done
  xwininfo -root -children | awk -v a="${tops[0]}" -v b="${tops[1]}" '$1 == a { print "above" } $1 == a || $1 == b { exit }'
}
