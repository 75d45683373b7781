#!/usr/bin/env bash
# Installs what is missing, checks the formatting, builds everything, checks
# that the set-up installs every package the build relies on, and runs every
# test. Tests that need a display run on a private Xvfb with openbox.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
bash scripts/check-format.sh
bash scripts/check-layers.sh
cmake --preset default
cmake --build --preset default
bash scripts/check-setup.sh --build build

source scripts/xsession.sh
trap quillet_stop_x EXIT
quillet_start_x 1024x768
ctest --preset default "$@"
