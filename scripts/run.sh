#!/usr/bin/env bash
# Installs the packages the game needs, builds it with its content, and runs it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
# A first configure leaves the tests and benchmarks out (their packages come with
# scripts/test.sh); a build folder that has them keeps them. Either way only the game,
# its tools and its content are built here.
options=(-DCMAKE_BUILD_TYPE=Release)
[ -f build/CMakeCache.txt ] || options+=(-DGE_BUILD_TESTS=OFF -DGE_BUILD_BENCH=OFF)
cmake -S . -B build -G Ninja "${options[@]}"
cmake --build build -j "$(nproc)" --target zavavedovari content
exec ./build/bin/zavavedovari --data_path build/content "$@"
