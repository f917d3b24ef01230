#!/usr/bin/env bash
# `trubkom --version` and `--help` answer on the terminal without a display (over ssh, in a
# script), where the window could not open.
#   arguments_without_display_test.sh PROGRAM VERSION
set -uo pipefail
program=$1
version=$2
run() { env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$program" "$@"; }
out=$(run --version 2>&1) || { echo "--version ended with $?: $out"; exit 1; }
[ "$out" = "Trubkom $version" ] || { echo "--version said: $out"; exit 1; }
out=$(run --help 2>&1) || { echo "--help ended with $?: $out"; exit 1; }
grep -q "каталог" <<<"$out" || { echo "--help said: $out"; exit 1; }
echo "--version and --help answer without a display"
