#!/usr/bin/env bash
# The shell tests' waits: each gives up or holds by its stated time, and
# reports what it saw.
set -uo pipefail
# shellcheck source=testlib.sh
source "$(dirname "$0")/testlib.sh"

elapsed() { echo $(((${EPOCHREALTIME/[.,]/} - start) / 100000)); } # tenths of a second
check() { # name expected-status min-tenths max-tenths command...
  local name=$1 want=$2 min=$3 max=$4 got took
  shift 4
  start=${EPOCHREALTIME/[.,]/}
  "$@" 2>/dev/null
  got=$? took=$(elapsed)
  [ "$got" = "$want" ] && [ "$took" -ge "$min" ] && [ "$took" -le "$max" ] ||
    fail "$name: status $got after $took tenths, not $want within $min to $max"
}
calls=0
third_call() { calls=$((calls + 1)) && [ "$calls" -ge 3 ]; }
check "wait_for polls until the condition holds" 0 1 15 wait_for 5 third_call
check "wait_for gives up" 1 7 20 wait_for 0.7 false
check "holds_for keeps a true condition" 0 7 20 holds_for 0.7 true
calls=0
check "holds_for sees it end" 1 1 15 holds_for 5 eval '! third_call'
false &
check "wait_exit takes the exit code" 0 0 15 wait_exit 5 $!
[ "${exit_code:-}" = 1 ] || fail "wait_exit left exit code '${exit_code:-}', not 1"
check "wait_exit gives up on a running process" 1 4 20 wait_exit 0.5 $$
(failures=0 && finish "x" >/dev/null) || fail "finish fails with no failures"
(failures=2 && finish "x" >/dev/null) && fail "finish passes with failures"
finish "testlib: all checks passed"
