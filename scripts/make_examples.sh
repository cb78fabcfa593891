#!/usr/bin/env bash
# Writes the ground data files in examples/ with ardenca-cli itself, so they are
# exactly what File, Save writes. Usage: scripts/make_examples.sh [path/to/ardenca-cli]
set -euo pipefail
cd "$(dirname "$0")/.."
cli=${1:-build/dev/src/cli/ardenca-cli}

# Every field at its default, "None" selected.
"$cli" save=examples/default.gnd >/dev/null
# The default ground (0.01 S/m, 30) as the meter reads it through the 75 ohm,
# 9.77 degree matching section.
"$cli" --option matching --set Text23=49.5094 --set Text24=-53.5552 \
  save=examples/matching-section.gnd >/dev/null
# A lossy ground: conductivity 1 S/m, dielectric constant 80.
"$cli" --set Text23=4.533605 --set Text24=4.418232 save=examples/lossy-ground.gnd >/dev/null
# A 1.2 m probe at 30 MHz reading 20 - j10 ohm: four grounds fit it.
"$cli" --set Text3=1.2 --set Text8=30 --set Text23=20 --set Text24=-10 \
  save=examples/long-probe.gnd >/dev/null
