#!/usr/bin/env bash
# Installs the dependencies, builds, and runs the game on its generated content.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release
cmake --build build -j "$(nproc)"
exec ./build/bin/zavavedovari --data_path build/content "$@"
