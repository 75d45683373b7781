#!/usr/bin/env bash
# Frames shown per second, processor and memory while a movie plays
# full-screen: the program against Chromium with the same Ruffle build and the
# same settings (scale "showAll", canvas renderer, no GPU), in alternating runs
# on the same X server, one X server (Xvfb with openbox) per screen size.
#
#   bench/frames/frames_bench.sh [--build DIR] [--program-dir DIR] [--baseline DIR] [--runs 3]
#       [--seconds 10] [--warmup 3] [--sizes "1024x768 1920x1080"] [--rates "30 60"]
#       [--detail] [--no-chromium] [--quillet-env "NAME=VALUE ..."] [--nice N]
#
# The program: a copy of the program folder (--program-dir, default the build's
# bin/) with the benchmark's movie as Common/jiyl.swf, started with fresh user
# folders and given a click on |记忆力| with xdotool, as a user starts a game
# (a game no test downloads into the shared game folder, which comes first).
# Chromium (Debian's chromium, installed by hand: it is no dependency of the
# project) shows the same movie in a kiosk window from a page on a local nginx.
# frameprobe reads the frame numbers off the screen and measures each process
# tree. --baseline measures a second program folder (another build, such as
# main's) in the same rotation, so that before and after meet the same load.
# --quillet-env adds variables to the program's environment, for trials.
# --nice runs the X server and both sides at that niceness (say -10, as root)
# so that other work on a shared machine disturbs the figures less.
set -uo pipefail
export LC_ALL=C.UTF-8
src=$(cd "$(dirname "$0")/../.." && pwd)
build="$src/build"
program_dir=""
baseline_dir=""
runs=3
seconds=10
warmup=3
sizes="1024x768 1920x1080"
rates="30 60"
detail=0
chromium=1
quillet_env=""
niceness=0
while [ $# -gt 0 ]; do
  case "$1" in
    --build) build=$(cd "$2" && pwd); shift 2 ;;
    --program-dir) program_dir=$(cd "$2" && pwd); shift 2 ;;
    --baseline) baseline_dir=$(cd "$2" && pwd); shift 2 ;;
    --runs) runs=$2; shift 2 ;;
    --seconds) seconds=$2; shift 2 ;;
    --warmup) warmup=$2; shift 2 ;;
    --sizes) sizes=$2; shift 2 ;;
    --rates) rates=$2; shift 2 ;;
    --detail) detail=1; shift ;;
    --no-chromium) chromium=0; shift ;;
    --quillet-env) quillet_env=$2; shift 2 ;;
    --nice) niceness=$2; shift 2 ;;
    *) awk 'NR > 1 && /^#/ { print; next } NR > 1 { exit }' "$0" >&2; exit 2 ;;
  esac
done
[ -n "$program_dir" ] || program_dir="$build/bin"
probe="$build/bench/frameprobe"
for need in "$program_dir/quillet" "$probe" "$build/bench/frames30.swf" "$build/bench/frames60.swf"; do
  [ -e "$need" ] || { echo "missing $need: build the targets quillet and frameprobe" >&2; exit 1; }
done
for tool in Xvfb openbox xdotool xdpyinfo import convert nginx; do
  command -v "$tool" >/dev/null || { echo "missing $tool: run scripts/setup.sh" >&2; exit 1; }
done
# Named through a variable: Chromium is no dependency the set-up installs.
browser=$(type -P chromium || true)
if [ "$chromium" = 1 ] && [ -z "$browser" ]; then
  echo "Chromium is not installed (apt-get install chromium): measuring the program alone"
  chromium=0
fi
# The shared game folder comes first when the program looks for a movie.
if [ -e /var/opt/Playshare/pbox/jiyl.swf ]; then
  echo "/var/opt/Playshare/pbox/jiyl.swf would be played instead of the benchmark's movie" >&2
  exit 1
fi

work=$(mktemp -d)
pid=""
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  bash "$src/scripts/server.sh" stop --root "$work/www" --state "$work/nginx" >/dev/null 2>&1
  stop_x
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' TERM INT
# An X server of its own with openbox. Xvfb picks a free display itself: on a
# shared machine another process may pick the same number in the same moment.
x_pid=""
wm_pid=""
start_x() { # WIDTHxHEIGHT
  rm -f "$work/display"
  Xvfb -displayfd 1 -screen 0 "${1}x24" -nolisten tcp -dpi 96 -noreset >"$work/display" 2>"$work/xvfb.log" &
  x_pid=$!
  for _ in $(seq 300); do
    [ -s "$work/display" ] && break
    sleep 0.1
  done
  [ -s "$work/display" ] || return 1
  export DISPLAY=":$(head -n1 "$work/display")"
  openbox --sm-disable >/dev/null 2>&1 &
  wm_pid=$!
  for _ in $(seq 300); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep 'window id' >/dev/null && return 0
    sleep 0.1
  done
  return 1
}
stop_x() {
  [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null && wait "$wm_pid" 2>/dev/null
  [ -n "$x_pid" ] && kill "$x_pid" 2>/dev/null && wait "$x_pid" 2>/dev/null
  wm_pid=""
  x_pid=""
}

# --- the program's folder, and the reference page with the same Ruffle
mkdir -p "$work/program" "$work/www" "$work/results"
cp -a "$program_dir/." "$work/program/"
if [ -n "$baseline_dir" ]; then
  mkdir -p "$work/baseline"
  cp -a "$baseline_dir/." "$work/baseline/"
fi
cp -a "$program_dir/ruffle" "$work/www/ruffle"
cp "$build/bench/frames30.swf" "$build/bench/frames60.swf" "$work/www/"
cat >"$work/www/index.html" <<'EOF'
<!DOCTYPE html>
<html>
<head>
<meta charset="utf-8">
<style>
  html, body { margin: 0; padding: 0; width: 100%; height: 100%; overflow: hidden; background: #000; }
  ruffle-player { display: block; width: 100%; height: 100%; }
</style>
<script>
  window.RufflePlayer = { config: {
    publicPath: "ruffle/", autoplay: "on", quality: "high", scale: "showAll", letterbox: "off",
    wmode: "window", contextMenu: "off", menu: false, splashScreen: false, preloader: false,
    unmuteOverlay: "hidden", warnOnUnsupportedContent: false, allowFullscreen: false,
    polyfills: false, preferredRenderer: "canvas", logLevel: "error" } };
</script>
<script src="ruffle/ruffle.js"></script>
</head>
<body>
<script>
  const player = window.RufflePlayer.newest().createPlayer();
  document.body.appendChild(player);
  player.ruffle().load({ url: new URLSearchParams(location.search).get("movie") });
</script>
</body>
</html>
EOF
if [ "$chromium" = 1 ]; then
  port=$((20000 + $$ % 20000))
  while (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; do port=$((port + 1)); done
  bash "$src/scripts/server.sh" start --port "$port" --root "$work/www" --state "$work/nginx" \
    >/dev/null || { echo "nginx did not start on port $port" >&2; exit 1; }
fi

# --- one run of each side; each prints the probe's line
visible() { xdotool search --all --onlyvisible --pid "$1" --name "$2" 2>/dev/null | head -n1; }
wait_visible() { # pid regex seconds
  local end=$((SECONDS + $3)) id
  while [ $SECONDS -le "$end" ]; do
    id=$(visible "$1" "$2")
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.2
  done
  return 1
}

finish() { # stops the measured tree
  kill "$pid" 2>/dev/null
  for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -9 "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  pid=""
  sleep 1
}

measure() { # rate
  nice -n "$niceness" "$probe" --pid "$pid" --stage 640x480 --wait 60 --warmup "$warmup" --seconds "$seconds" \
    --detail "$detail"
}

run_baseline() { run_quillet "$1" baseline; }

run_quillet() { # rate [folder]
  local folder="$work/${2:-program}"
  cp "$build/bench/frames$1.swf" "$folder/Common/jiyl.swf"
  rm -rf "$work/data"
  mkdir -p "$work/data"
  # shellcheck disable=SC2086 # the trial's variables are words on purpose
  nice -n "$niceness" env $quillet_env XDG_DATA_HOME="$work/data" XDG_CACHE_HOME="$work/data/cache" \
    XDG_CONFIG_HOME="$work/data/config" "$folder/quillet" >"$work/quillet.log" 2>&1 &
  pid=$!
  local launcher lx ly
  launcher=$(wait_visible "$pid" '^Quilletta' 60) || {
    echo "error=no-launcher"
    tail -n5 "$work/quillet.log"
    finish
    return
  }
  sleep 1
  read -r lx ly <<<"$(xwininfo -id "$launcher" | awk '/Absolute upper-left X/ { x = $NF }
    /Absolute upper-left Y/ { y = $NF } END { print x, y }')"
  # The page's origin, from the category bars' dark-blue border (as the
  # end-to-end test finds it).
  import -window root "$work/launcher.png"
  local column row page_x page_y
  column=$(convert "$work/launcher.png" -crop "1x556+$((lx + 90))+$ly" -depth 8 txt:- |
    awk -F'[,:]' '/#003C74/ { print $2; exit }')
  row=$(convert "$work/launcher.png" -crop "184x1+$lx+$((ly + ${column:-28} + 10))" -depth 8 \
    txt:- | awk -F'[,:]' '/#003C74/ { print $1; exit }')
  page_x=$((lx + ${row:-1} - 3))
  page_y=$((ly + ${column:-28} - 2))
  # Category 4, then |记忆力| on its page; then the pointer leaves the movie.
  # A click lost on a busy machine is given again.
  for _ in 1 2 3; do
    xdotool mousemove "$((page_x + 88))" "$((page_y + 75))" sleep 0.2 click 1 sleep 0.5
    xdotool mousemove "$((page_x + 18))" "$((page_y + 160))" sleep 0.2 click 1 sleep 0.3
    wait_visible "$pid" '^小游戏' 15 >/dev/null && break
  done
  xdotool mousemove 0 "$((screen_h - 1))"
  measure "$1" || tail -n5 "$work/quillet.log"
  finish
}

run_chromium() { # rate
  local flags=(--disable-gpu --disable-quic --no-first-run --disable-background-networking
    --disable-component-update --disable-sync --no-default-browser-check
    --autoplay-policy=no-user-gesture-required --password-store=basic --kiosk
    --user-data-dir="$work/chromium")
  [ "$(id -u)" = 0 ] && flags+=(--no-sandbox)
  rm -rf "$work/chromium"
  nice -n "$niceness" "$browser" "${flags[@]}" "http://127.0.0.1:$port/index.html?movie=frames$1.swf" \
    >"$work/chromium.log" 2>&1 &
  pid=$!
  xdotool mousemove 0 "$((screen_h - 1))"
  measure "$1"
  finish
}

value() { sed -n "s/.*\<$1=\([0-9.]*\).*/\1/p" <<<"$2"; }

median() { sort -g | awk '{ v[NR] = $1 } END { if (NR == 0) print "-"; else if (NR % 2) print v[(NR + 1) / 2];
  else printf "%.1f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

[ "$chromium" = 1 ] && echo "reference: $("$browser" --version 2>/dev/null | head -n1)"
echo "quillet: $program_dir ${quillet_env:+(with $quillet_env)}"
[ -n "$baseline_dir" ] && echo "baseline: $baseline_dir"
echo "$runs runs of ${seconds}s after ${warmup}s; niceness $niceness"
sides=(quillet)
[ "$chromium" = 1 ] && sides+=("chromium")
[ -n "$baseline_dir" ] && sides+=(baseline)
for size in $sizes; do
  for _ in 1 2 3; do
    start_x "$size" && break
    stop_x
  done
  [ -n "$x_pid" ] || { echo "no X server of $size could be started:" >&2; tail -n3 "$work/xvfb.log" >&2; exit 1; }
  renice -n "$niceness" -p "$x_pid" "$wm_pid" >/dev/null
  screen_h=${size#*x}
  echo "== $size on $DISPLAY; load: $(uptime | sed 's/.*load average/load average/')"
  for rate in $rates; do
    for run in $(seq "$runs"); do
      # Rotate which side goes first, so that none always meets a warmer machine.
      order=("${sides[@]:$(((run - 1) % ${#sides[@]}))}" "${sides[@]:0:$(((run - 1) % ${#sides[@]}))}")
      for side in "${order[@]}"; do
        "run_$side" "$rate" >"$work/line"
        echo "$rate fps $size run $run $side (load $(cut -d' ' -f1 /proc/loadavg)): $(cat "$work/line")"
        grep -m1 shown_fps "$work/line" >>"$work/results/$size-$rate-$side"
      done
    done
  done
  echo "   load after: $(uptime | sed 's/.*load average/load average/')"
  stop_x
done

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b + 0 > 0 && a != "-") printf "%.2f", a / b; else print "-" }'; }
echo
echo "Medians of $runs runs (processor: whole process tree, % of one core; memory: PSS of the"
echo "tree; the ratios are to Chromium's)"
printf '%-7s %-10s %-9s %8s %10s %6s %8s %6s\n' "Movie" "Screen" "Side" "Shown/s" "Processor" "Ratio" \
  "PSS MiB" "Ratio"
for size in $sizes; do
  for rate in $rates; do
    declare -A m=()
    for side in quillet chromium baseline; do
      file="$work/results/$size-$rate-$side"
      for key in shown_fps cpu_pct pss_mib; do
        m[$side-$key]="-"
        [ -f "$file" ] && m[$side-$key]=$(while read -r l; do value "$key" "$l"; done <"$file" | median)
      done
    done
    for side in "${sides[@]}"; do
      printf '%-7s %-10s %-9s %8s %10s %6s %8s %6s\n' "$rate fps" "$size" "$side" \
        "${m[$side-shown_fps]}" "${m[$side-cpu_pct]}" "$(ratio "${m[$side-cpu_pct]}" "${m[chromium-cpu_pct]}")" \
        "${m[$side-pss_mib]}" "$(ratio "${m[$side-pss_mib]}" "${m[chromium-pss_mib]}")"
    done
    unset m
  done
done
