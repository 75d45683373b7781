#!/usr/bin/env bash
# Fails, naming the file and the line, when a source file includes a folder
# that src/layers.txt does not allow its own folder to use.
#
#   scripts/check-layers.sh [ROOT]    (default: this repository)
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"
mapfile -t files < <(find src -name '*.h' -o -name '*.cpp' | sort)
awk '
  # A path is in the longest table folder it starts with.
  function layer_of(path,   best, l) {
    best = ""
    for (l in layers)
      if (index(path, l "/") == 1 && length(l) > length(best))
        best = l
    return best
  }
  function fail(why) {
    printf "check-layers: %s:%d: %s\n", FILENAME, FNR, why > "/dev/stderr"
    bad = 1
  }
  FNR == NR {
    if ($0 !~ /^[[:space:]]*(#|$)/) {
      layers[$1] = 1
      for (i = 2; i <= NF; i++) allowed[$1, $i] = 1
    }
    next
  }
  FNR == 1 {
    own = layer_of(substr(FILENAME, 5))
    if (own == "") fail("its folder is not in src/layers.txt")
  }
  /^[[:space:]]*#[[:space:]]*include[[:space:]]*"/ {
    name = $0
    sub(/^[^"]*"/, "", name)
    sub(/".*/, "", name)
    if (name !~ /\//) next  # beside the including file
    if (name ~ /(^|\/)\.\.(\/|$)/) { fail("\"" name "\" climbs out of its folder"); next }
    to = layer_of(name)
    if (to == "") fail("\"" name "\" is in no folder of src/layers.txt")
    else if (own != "" && to != own && !((own, to) in allowed))
      fail(own " may not include " to " (\"" name "\")")
  }
  END { exit bad }
' src/layers.txt "${files[@]}" || {
  echo "check-layers: a file includes a folder its own may not use (src/layers.txt)" >&2
  exit 1
}
echo "check-layers: ${#files[@]} files include only what src/layers.txt allows"
