#!/usr/bin/env bash
# The long soak: builds the soak program and plays the game for 30 minutes of game time
# with seeded random clicks (wall time depends on the machine: one run on a loaded
# machine took 51 minutes); it fails on a crash, an error line in the log, or resident
# memory growing more than 5 % after the first level.
# Usage: scripts/soak.sh [build folder]   (default: build-soak)
# GE_SOAK_MINUTES sets the game time in minutes (30); GE_SOAK_SEED the clicks' seed.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build-soak}"
bash scripts/setup.sh --tests
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build "$build" -j "$(nproc)" --target soak_tests
export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy
cd "$build"
exec bin/soak_tests
