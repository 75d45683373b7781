#!/usr/bin/env bash
# The built program in a program folder without Ruffle's files: the player
# cannot be created, so start-up stops with an "Application Error" box after
# the launcher has shown, and the process ends with code 1 once it is closed.
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

mkdir -p "$work/program/Common" "$work/data"
cp "$bin/quillet" "$work/program/"
cp -r "$bin/plugins" "$work/program/"

XDG_DATA_HOME="$work/data" "$work/program/quillet" >"$work/log" 2>&1 &
pid=$!

# Polled rather than xdotool's --sync, which ends with an X error when a
# window goes while it reads it, as windows do during start-up.
# shellcheck source=../support/xqueries.sh
source "$(dirname "$0")/../support/xqueries.sh"
program_pid=$pid
launcher=$(await_window '^Quilletta$' 60)
[ -n "$launcher" ] || { echo "FAIL: the launcher never showed"; cat "$work/log"; exit 1; }
box=$(await_window '^Application Error$' 60)
[ -n "$box" ] || { echo "FAIL: no Application Error box"; cat "$work/log"; exit 1; }

xdotool windowactivate --sync "$box" key Return
for _ in $(seq 100); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
  echo "FAIL: the program went on after the Application Error box"
  exit 1
fi
wait "$pid"
rc=$?
pid=""
[ "$rc" -eq 1 ] || { echo "FAIL: exit code $rc, not 1"; cat "$work/log"; exit 1; }
echo "start-up failure: Application Error shown, exit code 1"
