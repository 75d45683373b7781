#!/usr/bin/env bash
# Installs everything Quillet needs to build, run and test on Debian 12 or 13:
# the Debian packages and the pinned npm packages. Skips what is already
# there, so that a second run takes a few seconds.
# With --list it only prints the Debian packages it installs, one per line
# (scripts/check-setup.sh compares them with what the build uses).
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  build-essential cmake ninja-build pkg-config clang-format-19
  qt6-base-dev chromium
  libcurl4-openssl-dev zlib1g-dev liblzma-dev libfontconfig-dev libgtest-dev libgmock-dev libxcb1-dev
  haxe nodejs npm
  nginx-light
  xvfb openbox xfwm4 icewm mutter xwayland dbus xdotool x11-utils imagemagick
  fonts-arphic-gbsn00lp fonts-arphic-uming fonts-urw-base35
  appstream desktop-file-utils dpkg-dev file curl ca-certificates git debootstrap
)

if [ "${1:-}" = --list ]; then
  printf '%s\n' "${packages[@]}"
  exit 0
fi

missing=()
for p in "${packages[@]}"; do
  # A package counts as present only when dpkg says it is fully installed.
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
# Node.js may come from outside Debian on some machines; then it is fine as it is.
if command -v node >/dev/null && command -v npm >/dev/null; then
  missing=("${missing[@]/nodejs/}")
  missing=("${missing[@]/npm/}")
fi
read -r -a missing <<<"${missing[*]}"

if [ "${#missing[@]}" -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# Ruffle's web build, pinned by package-lock.json.
stamp=node_modules/.quillet-lock
if [ ! -f node_modules/@ruffle-rs/ruffle/ruffle.js ] || ! cmp -s package-lock.json "$stamp"; then
  npm ci --no-audit --no-fund --loglevel=error
  cp package-lock.json "$stamp"
fi
echo "setup: done"
