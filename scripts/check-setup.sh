#!/usr/bin/env bash
# Fails, naming the package, when the build or the tests rely on a Debian
# package that scripts/setup.sh does not install, neither by name nor as a
# dependency of a package it names. A machine that already has the package
# builds fine; a fresh one would not, so this is checked on every test run.
#
#   scripts/check-setup.sh [--setup FILE] [--build DIR]
#
# What counts as relied on:
#  - every CMake file that configuring the project reads (package searches),
#    and every file outside the project that a build command names (the
#    libraries linked, the programs run);
#  - with --build, every header the last build compiled against;
#  - every program the scripts and tests start (a command word in a shell
#    script, or a C++ string literal that is exactly a command's name).
# Each is mapped to its package through dpkg's file lists, and compared with
# the set-up list's closure under Depends and PreDepends (apt-cache). Packages
# every Debian system has (Essential or of required priority) always pass.
set -euo pipefail
trap 'echo "check-setup: stopped at line $LINENO" >&2' ERR
cd "$(dirname "$0")/.."
root=$PWD
setup=scripts/setup.sh
build=
while [ $# -gt 0 ]; do
  case $1 in
    --setup) setup=$2; shift 2 ;;
    --build) build=$2; shift 2 ;;
    *) echo "usage: $0 [--setup FILE] [--build DIR]" >&2; exit 2 ;;
  esac
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# What set-up installs, with everything it depends on.
bash "$setup" --list | sort -u >"$work/listed"
closure() {
  xargs apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts \
    --no-breaks --no-replaces --no-enhances <"$work/listed" 2>/dev/null |
    grep -v '^ ' | tr -d '<>' | sed 's/:.*//' | sort -u >"$work/closure"
}
if ! closure; then
  # The package lists are gone; set-up fetches them the same way.
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -q >/dev/null
  closure
fi
dpkg-query -W -f='${Package} ${Essential} ${Priority}\n' |
  awk '$2 == "yes" || $3 == "required" { print $1 }' | sort -u >"$work/base"
cat "$work/closure" "$work/base" | sort -u >"$work/covered"

# Files the configuration reads, traced in a scratch build tree.
if ! cmake -S "$root" -B "$work/build" -G Ninja --trace-expand --trace-format=json-v1 \
  --trace-redirect="$work/trace.json" >"$work/configure.log" 2>&1; then
  cat "$work/configure.log" >&2
  echo "check-setup: the project does not configure; run scripts/setup.sh first" >&2
  exit 1
fi
{
  grep -o '"file":"[^"]*"' "$work/trace.json" | sed 's/^"file":"//; s/"$//'
  ninja -C "$work/build" -t commands | grep -oE "(^|[ =])/[^ ;'\"]+" | sed 's/^[ =]//' |
    sort -u | while IFS= read -r path; do if [ -f "$path" ]; then echo "$path"; fi; done
  if [ -n "$build" ] && [ -f "$build/build.ninja" ]; then
    ninja -C "$build" -t deps 2>/dev/null | sed -n 's/^    \(\/.*\)$/\1/p'
  fi
} | sort -u >"$work/files"

# Programs the scripts and tests start.
command_words() {
  # Shell: the first word of each simple command, after assignments and the
  # wrappers that run another command.
  git ls-files '*.sh' | xargs sed -e 's/^[[:space:]]*#.*$//; s/[[:space:]]#.*$//' |
    sed -e 's/\$((\([^)]*\)))//g; s/\$(/\n/g; s/[;|&(){}`]/\n/g' |
    awk '{
      i = 1
      while (i <= NF && ($i ~ /^[A-Za-z_][A-Za-z0-9_]*=/ || $i ~ /^(if|then|else|elif|do|while|until|!|exec|command|-v|env|setsid|nohup|timeout|time|sudo|xargs|-[a-z]|[0-9.]+[smh]?)$/))
        i++
      if (i <= NF) print $i
    }'
  # C++: a string literal that is nothing but a command's name.
  git ls-files 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' |
    xargs grep -ohE '"[a-z][a-z0-9_.+-]*"' | tr -d '"'
}
command_words | grep -E '^[A-Za-z][A-Za-z0-9_.+-]*$' | sort -u | while read -r word; do
  path=$(type -P "$word" 2>/dev/null) || continue
  echo "$path"
done >"$work/programs"
cat "$work/programs" >>"$work/files"

# dpkg's own index, "path<TAB>package" per line, read once.
awk -v OFS='\t' '{ p = FILENAME; sub(/.*\//, "", p); sub(/\.list$/, "", p); sub(/:.*/, "", p)
                    print $0, p }' /var/lib/dpkg/info/*.list >"$work/index"

# Owners of each file outside the project: the path itself, its other
# spelling across the merged /usr, then the file it links to.
grep -v -e "^$root/" -e "^$work/" "$work/files" | while IFS= read -r path; do
  real=$(readlink -f "$path" 2>/dev/null || echo "$path")
  for candidate in "$path" "${path#/usr}" "/usr$path" "$real" "${real#/usr}"; do
    printf '%s\t%s\n' "$path" "$candidate"
  done
done >"$work/candidates"
awk -F '\t' 'NR == FNR { owner[$1] = $2; next }
     !($1 in found) && ($2 in owner) { found[$1] = 1; print owner[$2] "\t" $1 }' \
  "$work/index" "$work/candidates" | sort -u -t "$(printf '\t')" -k1,1 >"$work/owners"

missing=$(awk -F '\t' 'NR == FNR { covered[$1] = 1; next } !($1 in covered) { print }' \
  "$work/covered" "$work/owners")
if [ -n "$missing" ]; then
  while IFS=$'\t' read -r package file; do
    echo "check-setup: the build relies on the Debian package $package ($file)," \
      "which $setup does not install" >&2
  done <<<"$missing"
  exit 1
fi
echo "check-setup: every package the build relies on is installed by $setup" \
  "($(wc -l <"$work/owners") packages, $(wc -l <"$work/files") files checked)"
