#!/usr/bin/env bash
# Fails when a tracked C++ file is not formatted by the project's
# .clang-format; prints what clang-format would change. One version on every
# release (Debian 12 and 13 both package 19), so the verdict is the same.
set -euo pipefail
cd "$(dirname "$0")/.."
# Tracked files as they are in the work tree (one deleted there is skipped).
mapfile -t files < <(git ls-files '*.cpp' '*.h' | while IFS= read -r f; do
  if [ -f "$f" ]; then echo "$f"; fi
done)
if ! clang-format-19 --dry-run --Werror "${files[@]}"; then
  echo "check-format: run clang-format-19 -i on the files above" >&2
  exit 1
fi
echo "check-format: ${#files[@]} files formatted"
