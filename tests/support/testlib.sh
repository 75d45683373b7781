# shellcheck shell=bash
# Sourced by the shell tests and the scripts they run: the failure count and
# the summary, waits for a condition, and (from xqueries.sh) window queries.

# Sourced twice (a test and the scripts it sources), the count stays.
failures=${failures:-0}
# Set by a test to tag its lines, e.g. " [openbox]" gives "FAIL [openbox]: ...".
fail_tag=${fail_tag:-}

fail() {
  echo "FAIL$fail_tag: $*"
  failures=$((failures + 1))
}

# The test's last command: the first message and status 0, or the second (by
# default the count) and 1, after the tail of the program's log if given.
finish() { # [--log file lines] passed-message [failed-message]
  local log="" lines=0
  if [ "${1:-}" = --log ]; then
    log=$2 lines=$3
    shift 3
  fi
  if [ "$failures" -gt 0 ]; then
    if [ -n "$log" ]; then
      echo "--- program output"
      tail -n "$lines" "$log"
    fi
    echo "${2:-$failures check(s) failed}"
    return 1
  fi
  echo "$1"
}

testlib_deadline() { # seconds, a fraction allowed -> that long from now, in microseconds
  local whole=${1%%.*} fraction=000000
  [[ $1 == *.* ]] && fraction="${1#*.}000000"
  echo $((${EPOCHREALTIME/[.,]/} + ${whole:-0} * 1000000 + 10#${fraction:0:6}))
}
# Polls until the command succeeds; 1 once the clock has passed the deadline.
testlib_poll() { # deadline command...
  local end=$1
  shift
  until "$@"; do
    [ "${EPOCHREALTIME/[.,]/}" -ge "$end" ] && return 1
    sleep 0.1
  done
}
testlib_fails() { ! "$@"; }

# Polls until the command succeeds; after `timeout` seconds gives up, naming
# the command, and returns 1.
wait_for() { # timeout command...
  testlib_poll "$(testlib_deadline "$1")" "${@:2}" && return 0
  echo "-- gave up waiting for: ${*:2}" >&2
  return 1
}

# Whether the command keeps succeeding for the stated seconds: the one wait
# of a stated length, for checks that nothing happens.
holds_for() { # seconds command...
  ! testlib_poll "$(testlib_deadline "$1")" testlib_fails "${@:2}"
}

ended() { ! kill -0 "$1" 2>/dev/null; }

# Waits for a process to end; for a child of this shell, leaves its exit
# code in $exit_code.
# shellcheck disable=SC2034
wait_exit() { # timeout pid
  wait_for "$1" ended "$2" || return 1
  exit_code=0
  wait "$2" 2>/dev/null || exit_code=$?
}

# shellcheck source=xqueries.sh
source "$(dirname "${BASH_SOURCE[0]}")/xqueries.sh"
