#!/usr/bin/env bash
# Builds the benchmarks in Release and prints every figure with its ratio to the
# baseline measured in the same run (ratio = baseline time / engine time, so above 1
# the engine is faster). Usage: scripts/bench.sh [build folder]   (default: build-bench)
# Extra Google Benchmark flags can be passed in BENCH_FLAGS.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build-bench}"
bash scripts/setup.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DGE_BUILD_BENCH=ON > /dev/null
cmake --build "$build" -j "$(nproc)" --target bench_psd bench_archive bench_sprites bench_startup content
export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy
out="$build/bench_results"
mkdir -p "$out"
# Three repetitions each; the summary takes their medians, as this machine is shared.
for b in psd archive sprites startup; do
  echo "== $b" >&2
  "$build/bin/bench_$b" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
    --benchmark_out="$out/$b.json" --benchmark_out_format=json ${BENCH_FLAGS:-} > /dev/null
done
/usr/bin/python3 - "$out" <<'PY'
import json, os, sys
out = sys.argv[1]
# (file, what the ratio must reach, how the goal reads)
goals = {"psd": (5.0, "decode >= 5x faster than convert"),
         "archive": (1.0, "archive no slower than loose files"),
         "sprites": (0.8, "engine fps >= 0.8 x baseline fps"),
         "startup": (None, "first presented frame < 300 ms")}
print(f"{'benchmark':44} {'engine':>11} {'baseline':>11} {'ratio':>7}  goal")
for name in ("psd", "archive", "sprites", "startup"):
    path = os.path.join(out, name + ".json")
    if not os.path.exists(path):
        print(f"{name}: no results"); continue
    for b in json.load(open(path))["benchmarks"]:
        if b.get("aggregate_name") != "median":
            continue
        engine, baseline, ratio = b.get("engine_ms"), b.get("baseline_ms"), b.get("ratio")
        if engine is None:
            print(f"{b['run_name']:44} failed: {b.get('error_message', '')}"); continue
        need, text = goals[name]
        met = ratio >= need if need is not None else engine < 300.0
        label = b["run_name"].replace("/manual_time", "").replace("/min_time:2.000", "")
        print(f"{label:44} {engine:9.3f}ms {baseline:9.3f}ms {ratio:7.2f}  {'met' if met else 'NOT met'}: {text}")
        if name == "sprites":
            print(f"{'':44} {1000/engine:9.1f}fps {1000/baseline:8.1f}fps")
        if name == "startup":
            for key in sorted(k for k in b if k.startswith("s") and k.endswith("_ms") and k[1].isdigit()):
                print(f"    {key[:-3]:40} {b[key]:9.2f}ms")
PY
