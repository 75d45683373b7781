#!/usr/bin/env bash
# Starts, stops or reports the bundled game server (nginx on 127.0.0.1).
#
#   scripts/server.sh start|stop|status [--port N] [--root DIR] [--state DIR]
#
# --root   the document tree (default: build/server/www, made by the build)
# --port   the port on 127.0.0.1 (default 80, which needs root)
# --state  where nginx keeps its configuration, pid, logs and temporary files
#          (default: the folder beside the tree, e.g. build/server/nginx)
# The same --root/--state must be given to stop a server started with them.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
# shellcheck source=../tests/support/testlib.sh
source "$here/tests/support/testlib.sh"

usage() {
  echo "usage: $0 start|stop|status [--port N] [--root DIR] [--state DIR]" >&2
  exit 2
}

[ $# -ge 1 ] || usage
action=$1
shift
port=80
root="$here/build/server/www"
state=""
while [ $# -gt 0 ]; do
  case "$1" in
    --port) [ $# -ge 2 ] || usage; port=$2; shift 2 ;;
    --root) [ $# -ge 2 ] || usage; root=$2; shift 2 ;;
    --state) [ $# -ge 2 ] || usage; state=$2; shift 2 ;;
    *) usage ;;
  esac
done
case "$port" in
  '' | *[!0-9]*) echo "server: --port needs a number, not '$port'" >&2; exit 2 ;;
esac
if [ "$port" -lt 1 ] || [ "$port" -gt 65535 ]; then
  echo "server: port $port is out of range" >&2
  exit 2
fi
[ -n "$state" ] || state="$(dirname "$root")/nginx"
pidfile="$state/nginx.pid"

running_pid() {
  local pid
  [ -f "$pidfile" ] || return 1
  pid=$(cat "$pidfile" 2>/dev/null) || return 1
  [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null && echo "$pid"
}

# The master writes its pid once it listens; a port that answers is then ours.
serving() { running_pid >/dev/null && (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; }

case "$action" in
  start)
    if pid=$(running_pid); then
      echo "server: already running (pid $pid)"
      exit 0
    fi
    if [ ! -d "$root" ]; then
      echo "server: no document tree at $root (build the project first)" >&2
      exit 1
    fi
    root="$(cd "$root" && pwd)"
    mkdir -p "$state/tmp"
    state="$(cd "$state" && pwd)"
    pidfile="$state/nginx.pid"
    # The user directive only means something to a master running as root;
    # then the workers run as that same user, who can read the build tree.
    user_line=""
    [ "$(id -u)" -eq 0 ] && user_line="user $(id -un) $(id -gn);"
    sed -e "s|@PORT@|$port|g" -e "s|@ROOT@|$root|g" -e "s|@STATE@|$state|g" \
        -e "s|@USER_LINE@|$user_line|" "$here/server/nginx.conf.in" >"$state/nginx.conf"
    # -e: nginx reports start-up errors before it has read the configuration.
    if ! nginx -p "$state" -e "$state/error.log" -c "$state/nginx.conf" 2>"$state/start.log"; then
      echo "server: nginx did not start:" >&2
      cat "$state/start.log" >&2
      exit 1
    fi
    if ! wait_for 10 serving; then
      echo "server: nginx did not start:" >&2
      cat "$state/error.log" >&2 2>/dev/null || true
      exit 1
    fi
    pid=$(running_pid)
    echo "server: serving $root on http://127.0.0.1:$port/ (pid $pid)"
    ;;
  stop)
    if ! pid=$(running_pid); then
      echo "server: not running"
      exit 0
    fi
    kill -QUIT "$pid"
    if ! wait_exit 5 "$pid"; then
      kill -TERM "$pid" 2>/dev/null || true
      wait_exit 5 "$pid" || echo "server: nginx (pid $pid) does not stop" >&2
    fi
    rm -f "$pidfile"
    echo "server: stopped"
    ;;
  status)
    if pid=$(running_pid); then
      echo "server: running (pid $pid)"
    else
      echo "server: not running"
      exit 3
    fi
    ;;
  *) usage ;;
esac
