#!/usr/bin/env bash
# Runs the high-DPI tests on a private 3840 x 2160 X server at 200 %, with
# openbox: Qt's logical screen is then 1920 pixels wide.
# Usage: hidpi_test.sh <source folder> <test binary>
set -u
source "$1/scripts/xsession.sh"
trap quillet_stop_x EXIT
quillet_start_x 3840x2160
QT_SCALE_FACTOR=2 "$2"
