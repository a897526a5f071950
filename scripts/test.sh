#!/usr/bin/env bash
# Installs the packages of the game and its tests, builds, and runs every test.
# Usage: scripts/test.sh [--sanitize]   (the second form builds under ASan and UBSan)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh --tests
build=build
extra=(-DGE_BUILD_TESTS=ON -DGE_BUILD_BENCH=ON)
if [ "${1:-}" = "--sanitize" ]; then
  build=build-sanitize
  extra=(-DGE_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug -DGE_BUILD_TESTS=ON -DGE_BUILD_BENCH=OFF)
fi
cmake -S . -B "$build" -G Ninja "${extra[@]}"
cmake --build "$build" -j "$(nproc)"
export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy
ctest --test-dir "$build" --output-on-failure -j "$(nproc)"
