#!/usr/bin/env bash
# The built program where the player cannot be created: in a program folder
# without Ruffle's files, and (as root, in a mount namespace of its own) on a
# machine without Chromium. Start-up stops with an "Application Error" box
# after the launcher has shown, and the process ends with code 1 once it is
# closed, leaving no player process behind. And the working program ended
# by SIGTERM, SIGINT or SIGHUP: it exits as after a quit, with code 0, its
# player ended and the player's profile folder removed.
# Usage: startup_failure_test.sh <program folder of the build>
set -u
bin=$1
work=$(mktemp -d)
pid=""
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# Windows are polled for rather than waited on with xdotool's --sync, which
# ends with an X error when a window goes while it reads it.
# shellcheck source=../support/testlib.sh
source "$(dirname "$0")/../support/testlib.sh"

check() { # name, then the command that starts the program
  local name=$1 fail_tag=" ($1)"
  shift
  "$@" >"$work/log" 2>&1 &
  pid=$!
  program_pid=$pid
  launcher=$(await_window '^Quilletta$' 60)
  [ -n "$launcher" ] || { fail "the launcher never showed"; cat "$work/log"; return 1; }
  box=$(await_window '^Application Error$' 60)
  [ -n "$box" ] || { fail "no Application Error box"; cat "$work/log"; return 1; }
  xdotool windowactivate --sync "$box" key Return
  if ! wait_exit 10 "$pid"; then
    fail "the program went on after the Application Error box"
    return 1
  fi
  pid=""
  [ "$exit_code" -eq 1 ] || { fail "exit code $exit_code, not 1"; cat "$work/log"; return 1; }
  echo "start-up failure ($name): Application Error shown, exit code 1"
}

mkdir -p "$work/program/Common" "$work/data" "$work/empty" "$work/path"
cp "$bin/quillet" "$work/program/"
for tool in xdotool; do ln -s "$(command -v $tool)" "$work/path/"; done
export XDG_DATA_HOME="$work/data"
check "no Ruffle" "$work/program/quillet"

if [ "$(id -u)" -eq 0 ] && command -v unshare >/dev/null; then
  cp -r "$bin/ruffle" "$work/program/"
  # An empty folder over Chromium's, and a PATH without it; the same process
  # id runs the program, so the windows are found by it.
  # In a chroot "/" is no mount point, so its propagation cannot be made
  # private; a chroot's mounts are then expected to be private already.
  propagation=private
  unshare -m --propagation private true 2>/dev/null || propagation=unchanged
  check "no Chromium" unshare -m --propagation "$propagation" sh -c \
    'mount --bind "$1" /usr/lib/chromium && PATH="$2" exec "$3"' sh \
    "$work/empty" "$work/path" "$work/program/quillet"
else
  echo "no Chromium case skipped: needs root and unshare"
fi
player_of() { # program pid -> its player's pid, if it has started
  player=$(pgrep -P "$1" -f -- "--user-data-dir=$work/tmp/")
  [ -n "$player" ]
}
player_gone() { # player pid
  ! pgrep -f -- "$work/tmp/" >/dev/null && ! pgrep -g "$1" >/dev/null
}
quit_by_signal() { # signal
  local fail_tag=" ($1)"
  mkdir -p "$work/tmp"
  # A background job of this shell would start with SIGINT ignored.
  env --default-signal TMPDIR="$work/tmp" "$work/program/quillet" >"$work/log" 2>&1 &
  pid=$!
  program_pid=$pid
  [ -n "$(await_window '^Quilletta$' 60)" ] || { fail "no launcher"; return 1; }
  wait_for 60 player_of "$pid" || { fail "the player never started"; cat "$work/log"; return 1; }
  kill "-$1" "$pid"
  wait_exit 10 "$pid" || { fail "the program went on"; return 1; }
  pid=""
  [ "$exit_code" -eq 0 ] || { fail "exit code $exit_code, not 0"; cat "$work/log"; return 1; }
  # The player and its helpers (of its process group) take a moment to go.
  if ! wait_for 5 player_gone "$player"; then
    pgrep -a -f -- "$work/tmp/"
    pgrep -a -g "$player"
    fail "a player process outlived the program"
    return 1
  fi
  left=$(find "$work/tmp" -mindepth 1 -maxdepth 1 -name 'quillet-player-*' -o -name 'org.chromium.*')
  [ -z "$left" ] || { fail "the player left $left"; return 1; }
  echo "SIG$1: the program ended with code 0, its player and profile folder gone"
}
[ -d "$work/program/ruffle" ] || cp -r "$bin/ruffle" "$work/program/"
for signal in TERM INT HUP; do
  quit_by_signal "$signal"
done
finish "start-up failure: all checks passed"
