#!/usr/bin/env bash
# Quillet as a user meets it: the built program, nginx serving the sample
# games on 127.0.0.1:80, driven only by xdotool and checked by window queries
# and screenshots. Needs root (port 80 and /var/opt) and an X display with a
# window manager; scripts/test.sh provides one, otherwise a private one starts.
# Usage: e2e_test.sh <source dir> <build dir>
# Exit 77 (skipped) when the machine cannot host the test.
set -uo pipefail
export LC_ALL=C.UTF-8
src=$(cd "$1" && pwd)
build=$(cd "$2" && pwd)
program="$build/bin/quillet"
www="$build/server/www"
shots="$build/e2e"
shared=/var/opt/Playshare/pbox
common="$build/bin/Common"
# shellcheck source=../support/testlib.sh
source "$src/tests/support/testlib.sh"
note() { echo "-- $*"; }

if [ "$(id -u)" -ne 0 ]; then
  echo "skipped: needs root for port 80 and /var/opt"
  exit 77
fi
if (exec 3<>/dev/tcp/127.0.0.1/80) 2>/dev/null; then
  echo "skipped: something else already listens on 127.0.0.1:80"
  exit 77
fi
[ -x "$program" ] || { echo "FAIL: no program at $program"; exit 1; }
[ -f "$www/soft/Playbox/Playshare/tancs.swf" ] || { echo "FAIL: no server tree at $www"; exit 1; }

work=$(mktemp -d)
mkdir -p "$shots" "$work/bin" "$work/backup/shared" "$work/backup/common" "$work/data"

if [ -z "${DISPLAY:-}" ]; then
  # shellcheck source=../../scripts/xsession.sh
  source "$src/scripts/xsession.sh"
  quillet_start_x 1024x768
  own_x=1
fi

# The help item asks the browser through xdg-open: this one only records.
cat >"$work/bin/xdg-open" <<EOS
#!/bin/sh
printf '%s\n' "\$1" >>"$work/xdg-open.log"
EOS
chmod +x "$work/bin/xdg-open"

# --- what exists before the test, so that only the test's own traces go
stems=(tancs huard saol)
playshare_existed=0
pbox_existed=0
[ -d /var/opt/Playshare ] && playshare_existed=1
[ -d "$shared" ] && pbox_existed=1
for stem in "${stems[@]}"; do
  [ -e "$shared/$stem.swf" ] && mv "$shared/$stem.swf" "$work/backup/shared/"
  [ -e "$common/$stem.swf" ] && mv "$common/$stem.swf" "$work/backup/common/"
done
# Where a download lands: the shared folder if it exists or can be made,
# else the program's Common folder.
if [ "$playshare_existed" = 1 ] && [ "$pbox_existed" = 0 ]; then
  target="$common"
else
  target="$shared"
fi

server() { bash "$src/scripts/server.sh" "$@" --root "$www" --state "$work/nginx"; }

cleanup() {
  [ -n "${program_pid:-}" ] && kill "$program_pid" 2>/dev/null && wait "$program_pid" 2>/dev/null
  server stop >/dev/null 2>&1
  for stem in "${stems[@]}"; do
    rm -f "$shared/$stem.swf" "$common/$stem.swf"
    [ -e "$work/backup/shared/$stem.swf" ] && mv "$work/backup/shared/$stem.swf" "$shared/"
    [ -e "$work/backup/common/$stem.swf" ] && mv "$work/backup/common/$stem.swf" "$common/"
  done
  [ "$pbox_existed" = 0 ] && rmdir "$shared" 2>/dev/null
  [ "$playshare_existed" = 0 ] && rmdir /var/opt/Playshare 2>/dev/null
  [ -n "${own_x:-}" ] && quillet_stop_x
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' TERM INT

# --- window helpers
# shellcheck disable=SC2046
fits() { "$2" $(geometry "$1"); } # id test -> whether test(x, y, w, h) holds
wait_height() { wait_for "$3" fits "$1" "$2"; } # id test timeout
rolled_up() { [ "$4" -le 3 ] && [ "$2" -eq -1 ]; }
rolled_down() { [ "$4" -ge 555 ]; }

# --- dialogs: their exact captions, a caption bar with a close box only, and
# a frame centred on the screen
wm_name() {
  local check
  check=$(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | awk '{ print $NF }')
  xprop -id "$check" _NET_WM_NAME 2>/dev/null | sed -n 's/.* = "\(.*\)"$/\1/p'
}
check_dialog() { # id caption [picture]: with picture, a screenshot of the whole frame
  local id=$1 functions decorations actions
  # Managed and placed first: the manager then has said what it allows.
  wait_for 10 frame_centred "$id" ||
    fail "'$2' is not centred: twice its frame's centre is off by $(frame_offset "$id")"
  wait_for 10 closable "$id" || fail "'$2' has no close box: $(property "$id" _NET_WM_ALLOWED_ACTIONS)"
  [ "$(caption "$id")" = "$2" ] || fail "the caption reads '$(caption "$id")', not '$2'"
  read -r _ functions decorations _ < <(xprop -id "$id" _MOTIF_WM_HINTS 2>/dev/null |
    sed 's/.* = //; s/,//g')
  # Motif: no resize (0x2), minimize (0x8) or maximize (0x10); no resize
  # handles (0x4), minimize (0x20) or maximize (0x40) buttons.
  [ -n "$functions" ] && [ $((functions & 0x1a)) = 0 ] && [ $((decorations & 0x64)) = 0 ] ||
    fail "'$2' asks for more than a close box: Motif hints $functions $decorations"
  actions=$(xprop -id "$id" _NET_WM_ALLOWED_ACTIONS 2>/dev/null)
  case "$actions" in *MAXIMIZE* | *RESIZE*) fail "'$2' may be resized or maximized: $actions" ;; esac
  # openbox keeps minimize for every dialog whatever the hints say.
  if [ "$(wm_name)" != Openbox ]; then
    case "$actions" in *MINIMIZE*) fail "'$2' may be minimized: $actions" ;; esac
  fi
  if [ -n "${3:-}" ]; then
    : >"$3"
    wait_for 10 frame_drawn "$id" "$3" || fail "'$2' keeps changing on the screen"
  fi
}
frame_centred() { centred "$(frame_offset "$1")"; }
frame_drawn() { # id file -> whether the window with its frame shows as in file, which it updates
  local l r t b x y w h
  read -r x y w h <<<"$(geometry "$1")"
  read -r l r t b < <(xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | sed 's/.* = //; s/,//g')
  shot "$work/dialog.png"
  convert "$work/dialog.png" -crop "$((w + ${l:-0} + ${r:-0}))x$((h + ${t:-0} + ${b:-0}))+$((x - ${l:-0}))+$((y - ${t:-0}))" \
    +repage "$work/frame.png" 2>/dev/null
  [ "$(compare -metric AE "$2" "$work/frame.png" null: 2>&1)" = 0 ] && return 0
  cp "$work/frame.png" "$2"
  return 1
}

shot() { import -window root "$1" 2>/dev/null; }
# Takes screenshots into `after` for up to 5 s, until more than `min` pixels
# differ from `before`; leaves compare's count in $changed_pixels. A loaded
# machine may take a while to draw the effect of a key.
await_change() { wait_for 5 changed "$@"; } # before after min
changed() {
  shot "$2"
  changed_pixels=$(compare -metric AE "$1" "$2" null: 2>&1)
  [ "${changed_pixels%% *}" -gt "$3" ] 2>/dev/null
}

pixel() { # file x y -> "r g b"
  convert "$1" -crop "1x1+$2+$3" -depth 8 txt:- 2>/dev/null |
    sed -n 's/.*(\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1 \2 \3/p' | head -n1
}


# Width in pixels of the dark text in a rectangle of the screen.
text_span() { # file x y w h
  convert "$1" -crop "$4x$5+$2+$3" +repage -colorspace gray -threshold 55% -negate \
    -scale "$4x1!" -depth 8 txt:- 2>/dev/null |
    awk -F'[,:( ]+' 'NR > 1 && $3 + 0 > 0 { if (first == "") first = $1; last = $1 }
      END { if (first == "") print 0; else print last - first + 1 }'
}

# --- the game server and the program
server start --port 80 >/dev/null || { echo "FAIL: nginx did not start on port 80"; exit 1; }
note "nginx serves $www on port 80"

PATH="$work/bin:$PATH" XDG_DATA_HOME="$work/data" XDG_CACHE_HOME="$work/data/cache" \
  XDG_CONFIG_HOME="$work/data/config" "$program" >"$work/program.log" 2>&1 &
program_pid=$!

launcher=$(await_window '^Quilletta' 60) || { cat "$work/program.log"; echo "FAIL: no launcher window"; exit 1; }
screen_w=$(xdpyinfo | awk '/dimensions:/ { split($2, d, "x"); print d[1]; exit }')
screen_h=$(xdpyinfo | awk '/dimensions:/ { split($2, d, "x"); print d[2]; exit }')
expected_left=$((screen_w - 192))
placed() { [ "$(geometry "$launcher")" = "$expected_left 0 184 556" ]; }
wait_for 10 placed
read -r lx ly lw lh <<<"$(geometry "$launcher")"
[ "$lx $ly $lw $lh" = "$expected_left 0 184 556" ] ||
  fail "launcher at $lx,$ly size ${lw}x$lh, expected $expected_left,0 184x556"

# Find the page's origin from the category bars' dark-blue border, so the
# clicks hit the names wherever the page's client area starts.
bars_drawn() {
  shot "$shots/launcher.png"
  column=$(convert "$shots/launcher.png" -crop "1x556+$((lx + 90))+$ly" -depth 8 txt:- 2>/dev/null |
    awk -F'[,:]' '/#003C74/ { print $2; exit }')
  [ -n "$column" ]
}
wait_for 10 bars_drawn
# As a hand would, click once the player started with the program has come and gone.
wait_for 60 player_warm || fail "the player did not start"
if [ -z "$column" ]; then
  fail "no category bar border (RGB 0, 60, 116) found on the launcher"
  column=28
fi
page_y=$((column - 2)) # category 1's bar stands at Top 2 of every page
row=$(convert "$shots/launcher.png" -crop "184x1+$lx+$((ly + column + 10))" -depth 8 txt:- 2>/dev/null |
  awk -F'[,:]' '/#003C74/ { print $1; exit }')
page_x=$(( ${row:-1} - 3 )) # and at Left 3
note "page origin in the launcher: $page_x,$page_y"

click_at() { click_here "$((lx + $1))" "$((ly + $2))"; } # window-relative x y
click_name() { click_at "$((page_x + $1 + 12))" "$((page_y + $2 + 7))"; }
# Category 4's bar on page 5 (the page shown at start) stands at Top 65;
# category 5's bar then stands at Top 454 of page 4.
click_at "$((page_x + 3 + 85))" "$((page_y + 65 + 10))"
page4_shown() {
  shot "$work/page.png"
  near "$(pixel "$work/page.png" "$((lx + page_x + 88))" "$((ly + page_y + 454))")" 003C74 24
}
wait_for 10 page4_shown || fail "the fourth category's page did not show"

download() { # page-x page-y -> answers the prompt with Enter; leaves $notice
  local prompt
  click_name "$1" "$2"
  if ! prompt=$(await_window '^Confirm' 10); then
    fail "no Confirm prompt after clicking the name at $1,$2"
    return 1
  fi
  check_dialog "$prompt" Confirm "$shots/prompt.png"
  xdotool key Return
  notice=$(await_window '^提示' 30) || { fail "no notice after the download"; return 1; }
  notice_at=$SECONDS
  notice_shown_at=${EPOCHREALTIME/[.,]/}
  wait_for 10 notice_written || fail "the notice shows no text"
}
notice_written() { [ "$(notice_span)" -gt 0 ]; }

notice_span() { # -> width of the notice's text
  local nx ny nw nh
  read -r nx ny nw nh <<<"$(geometry "$notice")"
  shot "$work/notice.png"
  text_span "$work/notice.png" "$((nx + 4))" "$((ny + 12))" 252 24
}

close_notice() {
  xdotool windowactivate --sync "$notice" 2>/dev/null
  xdotool key Return
  await_gone '^提示' 5 || fail "the notice's default button does not close it"
}

# --- 1. download a sample game
note "download |贪吃蛇|"
if download 6 133; then
  check_dialog "$notice" 提示 "$shots/notice.png"
  success_span=$(notice_span)
  [ -f "$target/tancs.swf" ] || fail "tancs.swf is not in $target"
  cmp -s "$target/tancs.swf" "$www/soft/Playbox/Playshare/tancs.swf" ||
    fail "the downloaded tancs.swf differs from the server's"
  left=$((notice_shown_at + 2000000 - ${EPOCHREALTIME/[.,]/}))
  [ "$left" -gt 0 ] || left=0
  holds_for "$((left / 1000000)).$(printf %06d $((left % 1000000)))" viewable "$notice" ||
    fail "the success notice closed before 2 s"
  await_gone '^提示' 5 || fail "the success notice is still open 6 s later"
  took=$((SECONDS - notice_at))
  [ "$took" -ge 3 ] && [ "$took" -le 6 ] || fail "the success notice closed after ${took} s, not 4"
fi

backdrop_shown() {
  shot "$work/a.png"
  near "$(pixel "$work/a.png" 10 300)" 1B2631 10
}
still_for() { # seconds -> whether the screen keeps the picture in b.png that long
  shot "$work/a.png"
  holds_for "$1" unchanged
}
unchanged() {
  shot "$work/b.png"
  changed=$(compare -metric AE "$work/a.png" "$work/b.png" null: 2>&1)
  [ "$changed" = 0 ]
}

# --- 2. play it
note "play |贪吃蛇|"
click_name 6 133
player=$(await_window '^小游戏' 20) || fail "no player window"
if [ -n "${player:-}" ]; then
  wait_height "$launcher" rolled_up 5 || fail "launcher not rolled up: $(geometry "$launcher")"
  read -r px py pw ph <<<"$(geometry "$player")"
  [ "$px $py $pw $ph" = "0 0 $screen_w $screen_h" ] ||
    fail "the player covers $px,$py ${pw}x$ph, not the screen"
  # The snake's start screen: its own backdrop, and nothing moves until a key.
  wait_for 30 backdrop_shown || fail "the game's backdrop is not on the screen: $(pixel "$work/a.png" 10 300)"
  # On a loaded machine the first frames may still be coming in: wait, for a
  # bounded time, for the picture to stay the same for half a second. A start
  # screen that keeps changing never gets there.
  wait_for 10 still_for 0.5 || fail "the start screen changes before any key ($changed pixels in 0.5 s)"
  xdotool key space
  await_change "$work/b.png" "$work/c.png" 1000 ||
    fail "the start screen did not go on a key ($changed_pixels)"
  xdotool key Down
  shot "$work/c.png"
  await_change "$work/c.png" "$shots/playing.png" 100 ||
    fail "the game does not move after keys (changed pixels: $changed_pixels)"

  # --- 3. quit it with Esc, Enter
  note "quit with Esc"
  xdotool key Escape
  if await_window '^Confirm' 10 >/dev/null; then
    xdotool key Return
    await_gone '^小游戏' 10 || fail "the player is still shown after Esc, Enter"
  else
    fail "no prompt after Esc in the game"
  fi
  rolled_up $(geometry "$launcher") || fail "the strip did not stay after the quit: $(geometry "$launcher")"
fi

# --- 4. the mouse at the top edge rolls the launcher down
note "roll down"
roll_down() { move_to "$((lx + 60))" 300 "$((lx + 60))" 0 "$((lx + 70))" 0; }
roll_down
wait_height "$launcher" rolled_down 5 || fail "launcher not rolled down: $(geometry "$launcher")"
read -r lx ly lw lh <<<"$(geometry "$launcher")"

# --- 5. a game the server lacks
note "download |华容道|, absent from the server"
if download 62 133; then
  missing_span=$(notice_span)
  holds_for 6 viewable "$notice" || fail "the failure notice closed by itself"
  close_notice
  [ -e "$target/huard.swf" ] && fail "a failed download left huard.swf"
  [ -e "$common/huard.swf" ] && fail "a failed download left huard.swf in Common"
  # The failure text is two characters longer than the success text.
  diff=$((missing_span - ${success_span:-0}))
  [ "${success_span:-0}" -gt 120 ] && [ "$diff" -ge 16 ] && [ "$diff" -le 40 ] ||
    fail "notice texts of ${success_span:-?} and $missing_span px: not the success and failure texts"
fi

# --- 6. no server at all
note "download |扫雷| with nginx stopped"
server stop >/dev/null
if download 89 213; then
  offline_span=$(notice_span)
  [ "$offline_span" = "$missing_span" ] || fail "offline notice text ($offline_span px) differs from the missing game's ($missing_span px)"
  close_notice
  [ -e "$target/saol.swf" ] && fail "a failed download left saol.swf"
fi
server start --port 80 >/dev/null

# --- 7. help asks the browser for the help page
note "help"
click_at 65 544 # the menu button
wait_for 10 menu_open || fail "no menu from the menu button"
xdotool key h
wait_for 5 test -s "$work/xdg-open.log"
asked=$(cat "$work/xdg-open.log" 2>/dev/null)
[ "$asked" = "http://127.0.0.1/soft/Playbox/help.htm" ] || fail "help asked xdg-open for '$asked'"

# --- 8. the About box
note "About"
click_at 65 544 # the menu button
wait_for 10 menu_open || fail "no menu from the menu button"
xdotool key a
if about=$(await_window '^关于' 10); then
  check_dialog "$about" 关于... "$shots/about.png"
  xdotool windowactivate --sync "$about" 2>/dev/null
  xdotool key Return
  await_gone '^关于' 5 || fail "the About box's default button does not close it"
else
  fail "no About box from the menu"
fi

# --- 9. closing the launcher during a game ends the program with 0
note "close during a game"
click_name 6 133
if await_window '^小游戏' 20 >/dev/null; then
  # The launcher has rolled up and the game shows before the mouse goes up.
  if ! wait_height "$launcher" rolled_up 10 || ! wait_for 20 backdrop_shown; then
    fail "the game did not start under the strip: $(geometry "$launcher")"
  fi
  roll_down
  wait_height "$launcher" rolled_down 5 || fail "launcher not rolled down during the game"
  click_at 175 15 # the close picture
  if ! wait_exit 10 "$program_pid"; then
    fail "the program still runs after closing the launcher"
  else
    program_pid=""
    [ "$exit_code" = 0 ] || fail "the program ended with code $exit_code"
  fi
else
  fail "the downloaded game does not play on a second start"
fi

# --- 10. a quiet console: nothing but the notices that, as root, the sandbox
# is off and the help page may not open
root_help="quillet: help page http://127.0.0.1/soft/Playbox/help.htm may not open: web browsers refuse to run as root; start Quillet as your own user"
if [ "$(id -u)" = 0 ]; then
  grep -q -x -F "$root_help" "$work/program.log" || fail "no console line on the help page as root"
fi
# The two downloads made to fail say why; no other may.
chatter=$(grep -v -x -F -e "quillet: running as root, so Chromium's sandbox is off" -e "$root_help" "$work/program.log" |
  grep -v -E '^quillet: download of http://127\.0\.0\.1/soft/Playbox/Playshare/(huard|saol)\.swf failed: .')
[ -z "$chatter" ] || fail "the program wrote to its console: $(head -c 600 <<<"$chatter")"

finish --log "$work/program.log" 30 "e2e: all checks passed; screenshots in $shots" \
  "$failures check(s) failed; screenshots in $shots"
