#!/usr/bin/env bash
# The set-up guard fails, naming the package, when the set-up list lacks a
# package the build relies on (liblzma's development files, whose library the
# movie check links and which no other listed package pulls in), and passes
# on the real list.
set -uo pipefail
source_dir=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# shellcheck source=../support/testlib.sh
source "$(dirname "$0")/../support/testlib.sh"

sed 's/ liblzma-dev\b//' "$source_dir/scripts/setup.sh" >"$work/setup.sh"
grep -q liblzma-dev "$work/setup.sh" && fail "could not take the package out of the copy"
if bash "$source_dir/scripts/check-setup.sh" --setup "$work/setup.sh" 2>"$work/err"; then
  fail "the guard passed without liblzma-dev in the set-up"
fi
grep -q 'package liblzma-dev ' "$work/err" || fail "the guard did not name the package: $(cat "$work/err")"

bash "$source_dir/scripts/check-setup.sh" || fail "the guard failed on the real set-up list"
finish "PASS"
