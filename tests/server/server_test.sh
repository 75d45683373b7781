#!/usr/bin/env bash
# The bundled game server as scripts/server.sh runs it: nginx on a free
# loopback port serving the built tree with the right types, and nothing else.
# Usage: server_test.sh <source dir> <server document root>
set -uo pipefail
src=$1
www=$2
state=$(mktemp -d)
# shellcheck source=../support/testlib.sh
source "$(dirname "$0")/../support/testlib.sh"

server() { bash "$src/scripts/server.sh" "$@" --root "$www" --state "$state"; }

cleanup() {
  server stop >/dev/null 2>&1
  rm -rf "$state"
}
trap cleanup EXIT

# GET over bash's own TCP, so the test needs no HTTP client.
# Leaves the status line and headers in $state/head, the body in $state/body.
get() {
  local path=$1
  exec 3<>"/dev/tcp/127.0.0.1/$port" || return 1
  printf 'GET %s HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n' "$path" >&3
  cat <&3 >"$state/response"
  exec 3<&-
  # Split at the first blank line (CRLF CRLF).
  local split
  split=$(grep -abo $'\r$' "$state/response" | awk -F: 'prev + 2 == $1 { print $1; exit } { prev = $1 }')
  if [ -z "$split" ]; then
    cp "$state/response" "$state/head"
    : >"$state/body"
    return 0
  fi
  head -c "$split" "$state/response" | tr -d '\r' >"$state/head"
  tail -c +"$((split + 3))" "$state/response" >"$state/body"
}

status_of() { head -n1 "$state/head" | awk '{ print $2 }'; }
header() { grep -i "^$1:" "$state/head" | head -n1 | cut -d: -f2- | sed 's/^ *//'; }

listening() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }

# A free port: one that nobody answers on.
port=""
for candidate in $(shuf -i 20000-60000 -n 40); do
  if ! listening "$candidate"; then
    port=$candidate
    break
  fi
done
[ -n "$port" ] || { echo "no free port"; exit 1; }

# --- argument checks need no server
bash "$src/scripts/server.sh" start --port eighty --root "$www" --state "$state" >/dev/null 2>&1
[ $? -eq 2 ] || fail "a non-numeric port is refused with exit code 2"
bash "$src/scripts/server.sh" start --port 70000 --root "$www" --state "$state" >/dev/null 2>&1
[ $? -eq 2 ] || fail "a port above 65535 is refused"
bash "$src/scripts/server.sh" restart >/dev/null 2>&1
[ $? -eq 2 ] || fail "an unknown action is refused"
bash "$src/scripts/server.sh" start --port "$port" --root "$state/no-such-tree" --state "$state" >/dev/null 2>&1
[ $? -eq 1 ] || fail "a missing tree is reported as a failure"
listening "$port" && fail "nothing listens after a refused start"
server status >/dev/null
[ $? -eq 3 ] || fail "status says not running before the start"

# --- start
if ! server start --port "$port"; then
  fail "server.sh start"
  exit 1
fi
server status >/dev/null || fail "status says running after the start"
pid=$(cat "$state/nginx.pid")
server start --port "$port" >/dev/null || fail "a second start is harmless"
[ "$(cat "$state/nginx.pid")" = "$pid" ] || fail "a second start keeps the first server"
for f in nginx.conf access.log error.log; do
  [ -f "$state/$f" ] || fail "$f is kept in the state folder"
done
grep -q "listen 127.0.0.1:$port;" "$state/nginx.conf" || fail "listens on loopback only"

# --- the sample games
for stem in tancs saol dals; do
  get "/soft/Playbox/Playshare/$stem.swf" || fail "connect for $stem"
  [ "$(status_of)" = 200 ] || fail "$stem.swf: status $(status_of)"
  [ "$(header Content-Type)" = "application/x-shockwave-flash" ] ||
    fail "$stem.swf: type '$(header Content-Type)'"
  [ "$(header Cache-Control)" = "no-store" ] || fail "$stem.swf: not kept out of caches"
  cmp -s "$state/body" "$www/soft/Playbox/Playshare/$stem.swf" ||
    fail "$stem.swf: body differs from the built movie"
done

# --- the help page
get "/soft/Playbox/help.htm"
[ "$(status_of)" = 200 ] || fail "help.htm: status $(status_of)"
[ "$(header Content-Type)" = "text/html; charset=utf-8" ] || fail "help.htm: type '$(header Content-Type)'"
grep -q '<meta charset="utf-8">' "$state/body" || fail "help.htm declares utf-8"
iconv -f UTF-8 -t UTF-8 "$state/body" >/dev/null 2>&1 || fail "help.htm is valid UTF-8"
for text in "射击类小游戏" "综合类小游戏" "Confirm" "下载完成，现在可以开始玩了！" "无法连接网络，请检查是否已上网！" \
  "确定要退出游戏吗？" "Esc" "退出 当前游戏" "关闭 Quillet" "帮助" "关于" "收起" "全屏"; do
  grep -q "$text" "$state/body" || fail "help.htm explains '$text'"
done

# --- everything else is absent
for path in /soft/Playbox/Playshare/xiaofg.swf /soft/Playbox/Playshare/dadj.swf \
  /soft/Playbox/Playshare/TANCS.swf /soft/Playbox/Playshare/tancs.swf.bak \
  /soft/Playbox/Playshare/ /soft/Playbox/ /soft/Playbox/Playshare/../../../nginx.conf; do
  get "$path"
  case "$(status_of)" in
    404 | 400 | 403) ;;
    *) fail "$path: status $(status_of), expected absent" ;;
  esac
  grep -q "Index of" "$state/body" && fail "$path: lists a folder"
done

# --- stop
server stop >/dev/null || fail "server.sh stop"
kill -0 "$pid" 2>/dev/null && fail "nginx still runs after stop"
listening "$port" && fail "the port is still open after stop"
server status >/dev/null
[ $? -eq 3 ] || fail "status says not running after stop"
server stop >/dev/null || fail "a second stop is harmless"

finish "server: all checks passed"
