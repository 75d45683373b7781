#!/usr/bin/env bash
# The launcher's window behaviours under one window manager, on a private
# 1024 x 768 X server: the built program driven with xdotool as a user would,
# measured on the X server (geometry, window manager hints) and on the
# screen (which window shows at a point). mutter-wayland is GNOME's
# compositor as a Wayland desktop, where the program runs through XWayland.
# Usage: window_manager_test.sh <openbox|xfwm4|icewm|mutter|mutter-wayland> <build dir>
set -uo pipefail
export LC_ALL=C.UTF-8
wm=$1
build=$(cd "$2" && pwd)
movie="$build/server/www/soft/Playbox/Playshare/tancs.swf"
started=$SECONDS
# shellcheck source=../support/testlib.sh
source "$(dirname "$0")/../support/testlib.sh"
fail_tag=" [$wm]"
note() { echo "-- [$wm] $((SECONDS - started)) s: $*"; }

[ -x "$build/bin/quillet" ] || { echo "FAIL: no program in $build/bin"; exit 1; }
[ -f "$movie" ] || { echo "FAIL: no sample game at $movie"; exit 1; }
command -v "${wm%-wayland}" >/dev/null || { echo "FAIL: ${wm%-wayland} is not installed; run scripts/setup.sh"; exit 1; }

work=$(mktemp -d)
pids=()
cleanup() {
  # The program first, then what it runs on, newest first.
  [ -n "${program_pid:-}" ] && kill "$program_pid" 2>/dev/null && wait "$program_pid" 2>/dev/null
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    kill "${pids[i]}" 2>/dev/null
    wait "${pids[i]}" 2>/dev/null
  done
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' TERM INT

# Nothing of the user's or the machine's settings: a fresh home, no
# accessibility bus (GTK-based managers would start one).
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share"
export XDG_CACHE_HOME="$work/home/.cache" XDG_RUNTIME_DIR="$work/runtime" NO_AT_BRIDGE=1
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
unset WAYLAND_DISPLAY QT_QPA_PLATFORM XAUTHORITY

# A session bus of the test's own, for the GTK-based managers.
dbus-daemon --session --nofork --nopidfile --print-address=3 3>"$work/bus" >/dev/null 2>&1 &
pids+=($!)
wait_for 10 test -s "$work/bus"
export DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$work/bus")

# --- a private X server on a free display, and the window manager. Under
# mutter-wayland that server only shows the compositor's output and takes
# the input; the program and the queries go to XWayland inside it.
start_x() { # size -> $display, $screen
  : >"$work/display"
  Xvfb -displayfd 3 -screen 0 "${1}x24" -nolisten tcp -dpi 96 -noreset 3>"$work/display" >"$work/x.log" 2>&1 &
  pids+=($!)
  wait_for 10 test -s "$work/display"
  display=":$(head -n1 "$work/display")"
  screen=$display
  DISPLAY=$display wait_for 10 x_answers && return 0
  why="the X server does not answer"
  return 1
}
xwayland_started() { # mutter's pid -> its display in $xwayland
  xwayland=$(pgrep -a -P "$1" -x Xwayland | awk '{ print $3 }')
  [ -n "$xwayland" ]
}
running_or_ended() { wm_running || ended "$1"; }
start_manager() {
  if [ "$wm" = mutter-wayland ]; then
    start_x 1280x1024 || return 1
    DISPLAY=$screen MUTTER_DEBUG_DUMMY_MODE_SPECS=1024x768 \
      mutter --nested --wayland --wayland-display=quillet-test >"$work/wm.log" 2>&1 &
    pids+=($!)
    # XWayland's display, from the command line mutter starts it with.
    xwayland=
    wait_for 30 xwayland_started "${pids[-1]}"
    export DISPLAY=$xwayland XAUTHORITY=$(ls "$XDG_RUNTIME_DIR"/.mutter-Xwaylandauth.* 2>/dev/null | head -n1)
    export WAYLAND_DISPLAY=quillet-test
    # As on a desktop that asks Qt for Wayland: the program still takes X11.
    export QT_QPA_PLATFORM=wayland
  else
    start_x 1024x768 || return 1
    export DISPLAY=$display
    case $wm in
      openbox) manager=(openbox --sm-disable) ;;
      xfwm4) manager=(xfwm4 --compositor=off --sm-client-disable) ;;
      icewm) manager=(icewm) ;;
      mutter) manager=(mutter --x11 --replace --sm-disable) ;;
      *) echo "FAIL: unknown window manager $wm"; exit 1 ;;
    esac
    "${manager[@]}" >"$work/wm.log" 2>&1 &
    pids+=($!)
  fi
  wait_for 30 running_or_ended "${pids[-1]}"
  ended "${pids[-1]}" && { why="it ended"; return 1; }
  wm_running && return 0
  why="it does not manage the screen"
  return 1
}
# Another program on the machine may take the display a server was given;
# a fresh server and manager then get another.
for attempt in 1 2 3; do
  before=${#pids[@]}
  start_manager && break
  echo "-- $wm did not start on $display (attempt $attempt): $why"
  cat "$work/x.log" "$work/wm.log" 2>/dev/null | tail -n 5
  [ "$attempt" = 3 ] && { echo "FAIL: $wm did not start"; exit 1; }
  for ((i = ${#pids[@]} - 1; i >= before; i--)); do
    kill "${pids[i]}" 2>/dev/null
    wait "${pids[i]}" 2>/dev/null
  done
  pids=("${pids[@]:0:before}")
done
note "$wm manages $DISPLAY"

# What the user does and sees, on the screen's X server.
input() { DISPLAY=$screen XAUTHORITY= xdotool "$@"; }
pointer() { DISPLAY=$screen XAUTHORITY= move_to "$@"; }
# A nested compositor follows the pointer from where it entered its window
# (1200, 1000 is outside it, and outside the screen elsewhere).
[ "$wm" = mutter-wayland ] && pointer 1200 1000
pointer 20 700

# --- reading the X server
pixel() { # x y -> "r g b" on the screen
  DISPLAY=$screen XAUTHORITY= import -window root -crop "1x1+$1+$2" -depth 8 txt:- 2>/dev/null |
    sed -n 's/.*(\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1 \2 \3/p' | head -n1
}

# Waits until `test` holds for what `probe` reads, five times in a row, so
# that a window manager still at work cannot pass it; leaves the last
# reading in $seen.
await() { # timeout probe test
  held=0
  wait_for "$1" steady "$2" "$3"
}
steady() { # probe test
  seen=$($1)
  if $2 "$seen"; then held=$((held + 1)); else held=0; fi
  [ "$held" -ge 5 ]
}

launcher_geometry() { geometry "$launcher"; }
placed() { [ "$1" = "832 0 184 556" ]; }
strip() { [ "$1" = "832 -1 184 2" ]; }
# Rolled down, Top stays -1 where the manager lets a window it manages reach
# above the screen, and is 0 where it keeps it within.
rolled_down() { [ "$1" = "832 -1 184 556" ] || [ "$1" = "832 0 184 556" ]; }
covers_screen() { [ "$1" = "0 0 1024 768" ]; }
brought_back() { # id name command...: minimized where the manager lets it, shown again, restored and active
  local id=$1 name=$2
  shift 2
  xdotool windowminimize "$id" 2>/dev/null
  if [[ $(property "$id" _NET_WM_ALLOWED_ACTIONS) == *MINIMIZE* ]]; then
    await 5 "state_of $id" iconic || fail "$name did not minimize: $seen"
  fi
  "$@"
  await 10 "state_of $id" normal || fail "$name shown again stays $seen"
  await 10 active "is $id" || fail "$name shown again is not active ($seen is)"
}
is() { [ "$(($2))" = "$(($1))" ]; }
above() { [ "$1" = above ]; }
closing() { [[ $1 == *_NET_WM_ACTION_CLOSE* ]]; }

# What shows on the screen. The strip's second row is light blue (its first
# is dark navy); the launcher's band above the bottom strip is sky blue; the
# sample game's backdrop is dark slate.
light_strip() { near "$1" e8f1fd 40; }
sky_blue() { near "$1" a6caf0 6; }
backdrop() { near "$1" 1b2631 12; }
bar_border() { near "$1" 003c74 24; }
band() { pixel 852 $(($(launcher_geometry | cut -d' ' -f2) + 531)); }

# --- the program, from a copy of its folder with the sample game in Common/
mkdir -p "$work/program/Common"
cp "$build/bin/quillet" "$work/program/"
ln -s "$build/bin/plugins" "$work/program/plugins"
ln -s "$build/bin/ruffle" "$work/program/ruffle"
cp "$movie" "$work/program/Common/"
"$work/program/quillet" >"$work/program.log" 2>&1 &
program_pid=$!

launcher=$(await_window '^Quilletta' 60) || { cat "$work/program.log"; echo "FAIL: no launcher"; exit 1; }
await 20 launcher_geometry placed || fail "placed at $seen, not 832 0 184 556"
note "placed at $seen"
wait_for 60 player_warm || fail "the player did not start"

# --- above a large ordinary window opened over it and activated
xmessage -geometry 1000x700+0+30 -name ordinary "an ordinary window" >/dev/null 2>&1 &
pids+=($!)
ordinary_shows() { ordinary=$(window_of_class '^ordinary$') && [ -n "$ordinary" ]; }
wait_for 10 ordinary_shows || fail "the ordinary window did not show"
xdotool windowactivate "$ordinary" 2>/dev/null
await 10 band sky_blue || fail "the launcher is not above an ordinary window: $seen at its band"
property "$launcher" _NET_WM_STATE | grep -q _NET_WM_STATE_ABOVE || fail "no _NET_WM_STATE_ABOVE"
note "above an ordinary window"

# --- minimized, it has an entry in the task bar and comes back from it
click() { DISPLAY=$screen XAUTHORITY= click_here "$@"; }
click $((832 + 155)) 15 # Image5
wm_state() { state_of "$launcher"; }
iconic() { [ "$1" = Iconic ]; }
normal() { [ "$1" = Normal ]; }
await 10 wm_state iconic || fail "minimize leaves WM_STATE $seen"
xprop -root _NET_CLIENT_LIST | grep -qi "$(printf '0x%x' "$launcher")" ||
  fail "the minimized launcher is not in _NET_CLIENT_LIST"
property "$launcher" _NET_WM_STATE | grep -q _NET_WM_STATE_SKIP_TASKBAR &&
  fail "the launcher skips the task bar"
icon_name=$(property "$launcher" _NET_WM_ICON_NAME | sed -n 's/.*= "\(.*\)"$/\1/p')
[ "$icon_name" = Quillet ] || fail "the task bar entry is named '$icon_name', not Quillet"
# Read whole first: grep -q would stop xprop mid-picture, and pipefail fail it.
icons=$(property "$launcher" _NET_WM_ICON)
grep -q 'Icon (38 x 38)' <<<"$icons" || fail "no 38 x 38 program icon"
note "minimized: $(property "$launcher" _NET_WM_VISIBLE_ICON_NAME) $(property "$launcher" _NET_WM_STATE)"
xdotool windowactivate "$launcher" 2>/dev/null # as a task bar asks
await 10 wm_state normal || fail "the task bar's request leaves WM_STATE $seen"
await 10 launcher_geometry placed || fail "back from the task bar at $seen"
note "back from the task bar"

# --- a dialog: its own caption, a close box only (openbox offers minimize
# for every dialog whatever it is told), its frame centred on the screen
about_from_menu() {
  click 900 300 3
  wait_for 10 menu_open && input key a
}
about_from_menu
if about=$(await_window '^关于' 10); then
  caption=$(caption "$about")
  [ "$caption" = "关于..." ] || fail "the About box's caption reads '$caption'"
  actions() { property "$about" _NET_WM_ALLOWED_ACTIONS; }
  await 10 actions closing || fail "the About box has no close box: $seen"
  case "$seen" in *MAXIMIZE* | *RESIZE*) fail "the About box may be resized: $seen" ;; esac
  if [ "$wm" != openbox ]; then
    case "$seen" in *MINIMIZE*) fail "the About box may be minimized: $seen" ;; esac
  fi
  await 10 "frame_offset $about" centred || fail "the About box's frame is off the centre by $seen (twice)"
  brought_back "$about" "the About box" about_from_menu
  input key Return
  await_gone '^关于' 5 || fail "Enter did not close the About box"
  note "the About box: $caption, centred"
else
  fail "no About box from the menu"
fi

# --- the hide button rolls it up to the strip at Top -1
click $((832 + 130)) 544 # Image4
await 10 launcher_geometry strip || fail "rolled up to $seen, not 832 -1 184 2"
await 10 "pixel 952 0" light_strip || fail "the screen's first row shows $seen, not the strip's second row"
note "rolled up"

# --- the mouse at the top edge rolls it down, above the ordinary window
roll_down() {
  pointer 952 300 952 0 953 0
  await 10 launcher_geometry rolled_down || fail "$1: rolled down to $seen"
  await 10 band sky_blue || fail "$1: rolled down under another window ($seen at its band)"
}
roll_down "over the ordinary window"
note "rolled down to $(launcher_geometry)"

# --- a game: full screen, task bars and panels included, under the strip
play() {
  # The puzzle category's bar on the first page; its page shows the next
  # category's bar at the bottom, at Top 454 of the page (which starts at
  # 3, 28 in the launcher); then |贪吃蛇| on that page.
  local top
  top=$(launcher_geometry | cut -d' ' -f2)
  click $((832 + 91)) $((top + 28 + 65 + 10))
  await 10 "pixel 923 $((top + 28 + 454))" bar_border || fail "$1: the puzzle page did not show"
  click $((832 + 21)) $((top + 28 + 133 + 7))
  player=$(await_window '^小游戏' 30) || { fail "$1: no player window"; return 1; }
  await 10 launcher_geometry strip || fail "$1: the launcher is at $seen, not the strip"
  await 10 "geometry $player" covers_screen || fail "$1: the player covers $seen"
  property "$player" _NET_WM_STATE | grep -q _NET_WM_STATE_FULLSCREEN || fail "$1: not full-screen"
  await 60 "pixel 5 765" backdrop || fail "$1: the game does not show at the bottom left ($seen)"
  await 10 "pixel 1018 765" backdrop || fail "$1: the game does not show at the bottom right ($seen)"
  await 10 "pixel 952 0" light_strip || fail "$1: the strip is not above the game ($seen)"
  note "$1 covers the screen under the strip"
}
prompt_above() { # the question stands above the game; answer_yes reports it missing
  local prompt
  prompt=$(await_window '^Confirm' 10) || return 0
  await 10 "stacked_above $prompt $player" above || fail "$1: the question is under the game"
}
answer_yes() {
  await_window '^Confirm' 10 >/dev/null || { fail "$1: no question"; return 1; }
  input key Return
  await_gone '^小游戏' 10 || fail "$1: the player still shows after Yes"
}

if play "first game"; then
  # The user presses Esc once the game has the keyboard.
  await 10 focus "is $player" || fail "the game did not take the keyboard ($seen has it)"
  input key Escape
  prompt_above "Esc in the game"
  answer_yes "Esc in the game"
  await 10 launcher_geometry strip || fail "after the game the launcher is at $seen"
  note "quit by Esc in the game"
fi

# --- Esc in the launcher rolled down over a game
roll_down "over the desktop"
if play "second game"; then
  roll_down "over the game"
  await 10 focus "is $launcher" || fail "the rolled-down launcher does not have the keyboard ($seen has)"
  # A click in the game gives it the keyboard, not the place above the launcher.
  click 400 400
  await 10 focus "is $player" || fail "the click in the game left the keyboard with $seen"
  await 10 "stacked_above $launcher $player" above || fail "after a click in the game the launcher is under it"
  pointer 952 300 952 12 953 12
  await 10 focus "is $launcher" || fail "the mouse over the launcher left the keyboard with $seen"
  input key Escape
  prompt_above "Esc in the launcher"
  answer_yes "Esc in the launcher"
  await 10 wm_state normal || fail "after the game the launcher is not managed again ($seen)"
  # Some managers place a window they take on anew by their own rules first.
  await 10 launcher_geometry rolled_down || fail "after the game the launcher is at $seen"
  note "quit by Esc in the launcher"
fi

# --- the failure notice, minimized, comes back with the next one
notice_again() {
  click $((832 + 77)) $(($(launcher_geometry | cut -d' ' -f2) + 168)) # |华容道|: no server here
  await_window '^Confirm' 10 >/dev/null && input key Return
  notice=$(await_window '^提示' 30) || fail "no notice after a download"
}
notice_again && brought_back "$notice" "the notice" notice_again

finish --log "$work/program.log" 20 "[$wm] all checks passed in $((SECONDS - started)) s" \
  "[$wm] $failures check(s) failed in $((SECONDS - started)) s"
