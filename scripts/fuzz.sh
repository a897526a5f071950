#!/usr/bin/env bash
# Builds every libFuzzer target with clang-14 and runs each on a copy of its seed
# corpus for a bounded time (fixed seed, bounded runs: the same work every time),
# so a regression that crashes on a known input fails.
# Usage: scripts/fuzz.sh [SECONDS_PER_TARGET]   (default 5)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-5}"
bash scripts/setup.sh --tests
CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -G Ninja -DGE_FUZZ=ON -DGE_BUILD_TESTS=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
targets=$(sed -n 's/^ge_add_fuzzer(\(fuzz_[a-z0-9_]*\).*/\1/p' fuzz/CMakeLists.txt)
# shellcheck disable=SC2086
cmake --build build-fuzz -j "$(nproc)" --target $targets
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
passed=0
for target in $targets; do
  corpus="fuzz/corpus/${target#fuzz_}"
  mkdir -p "$work/$target"
  [ -d "$corpus" ] && cp -r "$corpus/." "$work/$target/"
  if LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp build-fuzz/bin/"$target" -seed=1 -runs=50000 -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
       -print_final_stats=1 -artifact_prefix="$work/$target-" "$work/$target" > "$work/$target.log" 2>&1; then
    echo "fuzz: $target ok ($(grep -o 'stat::number_of_executed_units: *[0-9]*' "$work/$target.log" | grep -o '[0-9]*$' || true) runs)"
    passed=$((passed + 1))
  else
    echo "fuzz: $target FAILED"
    tail -40 "$work/$target.log"
    failed=$((failed + 1))
  fi
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
