#!/usr/bin/env bash
# Installs what is missing, builds, and starts Ardenca. Without a display it runs the
# command-line program on the default set-up instead and prints the result.
set -euo pipefail
cd "$(dirname "$0")"

scripts/ensure_packages.sh

cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc 2>/dev/null || echo 2)"

gui=build/release/src/app/qt/ardenca
if [ -x "$gui" ] && { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; }; then
  exec "$gui" "$@"
fi
echo "No display: running ardenca-cli on the default set-up (\"Calculate from Known  Z in\")."
exec build/release/src/cli/ardenca-cli calculate
