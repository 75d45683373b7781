# shellcheck shell=bash
# Sourced through testlib.sh: what the X server says of a window, and
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
shows() { # title regex -> whether such a window shows; its id in $found
  found=$(shown_window "$1")
  [ -n "$found" ]
}
await_window() { # title regex timeout-seconds -> id
  wait_for "$2" shows "$1" && echo "$found"
}
gone() { ! shows "$1"; }
await_gone() { # title regex timeout-seconds
  wait_for "$2" gone "$1"
}
window_of_class() { # class name -> the id of a shown window of that class
  xdotool search --onlyvisible --classname "$1" 2>/dev/null | head -n1
}
# The program's pop-up menu: an override-redirect window that names its owner.
menu_open() {
  local id
  for id in $(xdotool search --all --onlyvisible --pid "$program_pid" 2>/dev/null); do
    [[ $(property "$id" WM_TRANSIENT_FOR) == *'window id'* ]] &&
      [[ $(xwininfo -id "$id" 2>/dev/null) == *'Override Redirect State: yes'* ]] && return 0
  done
  return 1
}

pointer_at() { [[ $(xdotool getmouselocation 2>/dev/null) == "x:$1 y:$2 "* ]]; } # x y
# Moves the pointer through the points, each once the X server has it at the
# last: xdotool's own --sync waits for ever when the pointer is there already.
move_to() { # x y [x y ...]
  while [ $# -ge 2 ]; do
    xdotool mousemove "$1" "$2" && wait_for 5 pointer_at "$1" "$2" || return 1
    shift 2
  done
}

# The player's browser shows its window full-screen as it starts, until the
# program finds and withdraws it. A click meanwhile lands on it, so a hand
# waits for the flash to pass.
player_windows() { # [xdotool search options] -> ids of the program's browser windows
  local pid
  for pid in $(pgrep -P "${program_pid:-0}"); do
    xdotool search --all --pid "$pid" "$@" 2>/dev/null
  done
}
player_settled() { # no window of the browser shows but the player
  local id
  for id in $(player_windows --onlyvisible); do
    [ "$(xdotool getwindowname "$id" 2>/dev/null)" = 小游戏 ] || return 1
  done
}
# Found and withdrawn: the player is warm, and no flash is to come.
player_warm() { [ -n "$(player_windows --name '^小游戏$')" ] && player_settled; }
# Two clicks on one spot within the double-click interval (400 ms) are a
# double click, which a name takes as one: a hand's next click comes later.
click_here() { # x y [button]
  local rest
  move_to "$1" "$2" || return 1
  wait_for 10 player_settled
  if [ "${last_click:-}" = "$1 $2" ]; then
    rest=$((last_click_ms + 500 - $(date +%s%3N)))
    [ "$rest" -gt 0 ] && holds_for "$(printf '%d.%03d' $((rest / 1000)) $((rest % 1000)))" pointer_at "$1" "$2"
  fi
  xdotool click "${3:-1}"
  last_click="$1 $2" last_click_ms=$(date +%s%3N)
}

x_answers() { xdpyinfo >/dev/null 2>&1; }
# A window manager announces itself on the root window once it manages windows.
wm_running() { [[ $(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null) == *'window id'* ]]; }

property() { xprop -id "$1" "$2" 2>/dev/null; } # id name
caption() { property "$1" _NET_WM_NAME | sed -n 's/.*= "\(.*\)"$/\1/p'; }
state_of() { property "$1" WM_STATE | sed -n 's/.*window state: *//p'; } # Normal, Iconic
active() { xprop -root _NET_ACTIVE_WINDOW | sed -n 's/.*# \(0x[0-9a-f]*\).*/\1/p'; }
focus() { xdotool getwindowfocus -f 2>/dev/null; }
viewable() { [[ $(xwininfo -id "$1" 2>/dev/null) == *'Map State: IsViewable'* ]]; } # id
# The manager lists what a window allows once it manages it.
closable() { [[ $(property "$1" _NET_WM_ALLOWED_ACTIONS) == *_NET_WM_ACTION_CLOSE* ]]; }

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
