#!/usr/bin/env bash
# Runs the README's test command (scripts/test.sh) in a clean Debian 13 root
# made by debootstrap from Debian's packages, on a fresh clone of this
# repository's committed tree. The root is kept in a cache folder between
# runs and brought up to date; from nothing it is made anew.
#
#   scripts/test-debian13.sh [ctest arguments]
#
# Environment: QUILLET_ROOT_CACHE (default /var/cache/quillet-ci).
#
# The root runs in mount and process namespaces of its own, so every mount
# and process it has ends with the run, whichever way it ends. Packages are
# installed with the network; the tests then run in a network namespace of
# their own, where X displays (abstract sockets) and port 80 are private.
set -euo pipefail
cd "$(dirname "$0")/.."
suite=trixie
cache=${QUILLET_ROOT_CACHE:-/var/cache/quillet-ci}
root=$cache/$suite

if [ "$(id -u)" -ne 0 ]; then
  exec sudo --preserve-env=CI,QUILLET_ROOT_CACHE bash "$0" "$@"
fi

# Inside the namespaces: mount what the root shares, then install and test.
if [ "${1:-}" = --inside ]; then
  shift
  mount -t proc proc "$root/proc"
  mount --rbind /sys "$root/sys"
  mount --rbind /dev "$root/dev"
  # Chromium needs a real /dev/shm; this one is the root's alone.
  mount -t tmpfs -o mode=1777,nosuid,nodev shm "$root/dev/shm"
  mount -t tmpfs -o mode=1777 tmp "$root/tmp"
  trap 'umount -R "$root/tmp" "$root/dev" "$root/sys" "$root/proc" 2>/dev/null || true' EXIT
  cp /etc/resolv.conf "$root/etc/resolv.conf"
  # The machine's certificate authorities: its way to the registries may
  # need one that Debian does not carry.
  local_cas=$root/usr/local/share/ca-certificates
  mkdir -p "$local_cas"
  rm -f "$local_cas"/machine-*.crt
  if [ -f /etc/ssl/certs/ca-certificates.crt ]; then
    awk -v dir="$local_cas" '/BEGIN CERTIFICATE/ { n++ } n { print >(dir "/machine-" n ".crt") }' \
      /etc/ssl/certs/ca-certificates.crt
  fi

  in_root() {
    chroot "$root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 TERM=dumb CI="${CI:-true}" \
      PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
      DEBIAN_FRONTEND=noninteractive "$@"
  }
  echo "test-debian13: bringing the root up to date"
  in_root apt-get update -q
  in_root apt-get dist-upgrade -y -q --no-install-recommends
  in_root apt-get install -y -q --no-install-recommends git ca-certificates iproute2
  in_root apt-get clean
  in_root update-ca-certificates >/dev/null
  # The clone is made fresh each run, from what is committed here.
  rm -rf "$root/root/quillet"
  git clone -q --no-hardlinks "$PWD" "$root/root/quillet"
  # Set-up needs the network (Debian packages, npm); it is a no-op later.
  in_root bash -c 'cd /root/quillet && bash scripts/setup.sh'

  echo "test-debian13: root up to date and set up in $SECONDS s; testing in a network namespace of its own"
  args=$(printf ' %q' "$@")
  unshare --net chroot "$root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 TERM=dumb \
    CI="${CI:-true}" PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    bash -c "ip link set lo up && cd /root/quillet && bash scripts/test.sh$args"
  exit
fi

if ! command -v debootstrap >/dev/null; then
  apt-get update -q
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends debootstrap
fi

# The machine's own Debian mirror, from its apt sources.
mirror() {
  local codename
  codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
  {
    cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null |
      sed 's/\[[^]]*\]//' | awk -v c="$codename" '$1 == "deb" && $3 == c { print $2 }'
    cat /etc/apt/sources.list.d/*.sources 2>/dev/null |
      awk -v RS= -v c="$codename" '$0 ~ "(^|\n)Suites:[^\n]*[ \t]" c "([ \t\n]|$)" {
        if (match($0, /(^|\n)URIs:[ \t]*[^ \t\n]+/)) {
          u = substr($0, RSTART, RLENGTH); sub(/^\n?URIs:[ \t]*/, "", u); print u } }'
  } | head -n1
}
archive=$(mirror)
archive=${archive:-http://deb.debian.org/debian}
security=${archive%/debian}/debian-security

mkdir -p "$cache"
exec 9>"$cache/lock"
flock 9
if [ ! -f "$root/.quillet-root" ]; then
  echo "test-debian13: making a Debian 13 root from $archive"
  rm -rf "$root.new"
  debootstrap --variant=minbase --include=git,ca-certificates,iproute2 \
    "$suite" "$root.new" "$archive"
  cat >"$root.new/etc/apt/sources.list" <<EOF
deb $archive $suite main
deb $archive $suite-updates main
deb $security $suite-security main
EOF
  rm -rf "$root"
  mv "$root.new" "$root"
  touch "$root/.quillet-root"
  echo "test-debian13: root made in $SECONDS s"
fi

start=$SECONDS
status=0
unshare --mount --propagation private --pid --fork --kill-child \
  bash "$0" --inside "$@" || status=$?
echo "test-debian13: $((SECONDS - start)) s in the root, exit $status"
exit "$status"
