#!/usr/bin/env bash
# Fails when a tracked C++ file is not formatted by the project's
# .clang-format; prints what clang-format would change.
set -euo pipefail
cd "$(dirname "$0")/.."
# Tracked files as they are in the work tree (one deleted there is skipped).
mapfile -t files < <(git ls-files '*.cpp' '*.h' | while IFS= read -r f; do
  if [ -f "$f" ]; then echo "$f"; fi
done)
if ! clang-format --dry-run --Werror "${files[@]}"; then
  echo "check-format: run clang-format -i on the files above" >&2
  exit 1
fi
echo "check-format: ${#files[@]} files formatted"
