#!/usr/bin/env bash
# Writes the main window's pictures in docs/ with the program itself, under Xvfb on a
# 1280 x 1024 screen: after start-up, after opening an example, and at the scale
# factors 1.5 and 2 of dense screens. docs/main-window-before.png is kept as it is: it
# shows the window before its current look.
# Usage: scripts/make_screenshots.sh [path/to/ardenca]
set -euo pipefail
cd "$(dirname "$0")/.."
ardenca=${1:-build/dev/src/app/qt/ardenca}
shoot() {
  local scale=$1 out=$2
  shift 2
  QT_SCALE_FACTOR=$scale xvfb-run -a -s "-screen 0 1280x1024x24" "$ardenca" --screenshot "$out" "$@"
}
shoot 1 docs/main-window-after.png
shoot 1 docs/screenshot.png examples/matching-section.gnd
shoot 1.5 docs/main-window-scale-1.5.png examples/matching-section.gnd
shoot 2 docs/main-window-scale-2.png examples/matching-section.gnd
