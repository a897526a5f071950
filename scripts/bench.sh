#!/usr/bin/env bash
# Builds the benchmarks in Release and prints every figure with its ratio to the
# baseline measured beside it in the same run. Each ratio is the median of the ratios
# of the single repetitions (engine and baseline timed side by side in each), never a
# ratio of medians taken separately. A benchmark that fails prints the error that
# stopped it, and the others still run. Each benchmark runs in per-user and runtime
# folders of its own, so a copy of the program running meanwhile does not disturb it.
# Usage: scripts/bench.sh [build folder]   (default: build-bench)
# Extra Google Benchmark flags can be passed in BENCH_FLAGS; BENCH_REPETITIONS (5).
set -uo pipefail
cd "$(dirname "$0")/.."
build="${1:-build-bench}"
bash scripts/setup.sh --tests || exit 1
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DGE_BUILD_BENCH=ON > /dev/null || exit 1
out="$build/bench_results"
mkdir -p "$out"
families="psd archive sprites startup menu_startup level"
# A target that does not build is reported with its family; the others still run.
for b in $families; do
  rm -f "$out/$b.json" "$out/$b.err"
  if ! cmake --build "$build" -j "$(nproc)" --target "bench_$b" > "$out/$b.build" 2>&1; then
    { echo "build failed:"; grep -E "error|FAILED" "$out/$b.build" | head -3; } > "$out/$b.err"
  fi
done
cmake --build "$build" -j "$(nproc)" --target content > /dev/null 2>&1 || echo "content: build failed" >&2
export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy
for b in $families; do
  [ -s "$out/$b.err" ] && continue
  echo "== $b" >&2
  "$build/bin/bench_$b" --benchmark_repetitions="${BENCH_REPETITIONS:-5}" \
    --benchmark_out="$out/$b.json" --benchmark_out_format=json ${BENCH_FLAGS:-} > /dev/null 2> "$out/$b.stderr"
  status=$?
  if [ $status -ne 0 ]; then
    { echo "exited with status $status:"; tail -n 3 "$out/$b.stderr"; } > "$out/$b.err"
  fi
done
/usr/bin/python3 - "$out" $families <<'PY'
import json, os, statistics, sys
out, families = sys.argv[1], sys.argv[2:]

def median(values):
    return statistics.median(values) if values else float("nan")

# (counter, what the ratio must reach, at least or at most, how the goal reads)
goals = {
    "psd": [("ratio", 5.0, ">=", "decode >= 5x faster than convert")],
    "archive": [("ratio", 1.0, ">=", "archive no slower than loose files")],
    "sprites": [("ratio", 0.9, ">=", "engine fps >= 0.9 x baseline fps"),
                ("cpu_ratio", 1.1, "<=", "main-thread CPU per frame <= 1.1 x baseline"),
                ("bytes_ratio", 1.5, "<=", "bytes uploaded per frame <= 1.5 x baseline")],
    "startup": [],
    "menu_startup": [],
    "level": [],
}
# Level play from 100 to 1,000 units stays close to linear: the per-unit cost (and
# the cost of each added unit) at 1,000 at most this many times that at 100.
level_growth_limit = 1.5
level_figures = {}
units = {"engine_ms": "ms", "engine_cpu_ms": "ms", "engine_bytes": "B"}
print(f"{'benchmark':34} {'engine':>12} {'baseline':>12} {'ratio':>7}  goal")
for name in families:
    err = os.path.join(out, name + ".err")
    if os.path.exists(err) and os.path.getsize(err) > 0:
        print(f"{name}: FAILED: " + " | ".join(l.strip() for l in open(err) if l.strip()))
    path = os.path.join(out, name + ".json")
    if not os.path.exists(path):
        if not os.path.exists(err):
            print(f"{name}: no results")
        continue
    try:
        runs = json.load(open(path))["benchmarks"]
    except (ValueError, KeyError) as e:
        print(f"{name}: unreadable results: {e}")
        continue
    groups = {}
    for b in runs:
        if b.get("run_type", "iteration") != "iteration":
            continue
        label = b.get("run_name", b["name"]).replace("/manual_time", "").replace("/min_time:2.000", "")
        groups.setdefault(label, []).append(b)
    if not groups:
        print(f"{name}: no runs in the results")
    for label, reps in groups.items():
        failed = [b for b in reps if b.get("error_occurred") or "engine_ms" not in b]
        if failed:
            print(f"{label:34} FAILED: {failed[0].get('error_message', 'no figures reported')}")
            continue
        m = lambda key: median([b[key] for b in reps if key in b])
        print(f"{label:34} {m('engine_ms'):10.3f}ms {m('baseline_ms'):10.3f}ms {m('ratio'):7.2f}"
              f"  ({len(reps)} repetitions)")
        rows = [("time per iteration", "engine_ms", "baseline_ms", "ratio", "ms")]
        if name == "level":
            rows = [("level frame vs sprite baseline", "engine_ms", "baseline_ms", "ratio", "ms")]
            for key, what in (("update_ms", "update"), ("update_cpu_ms", "update (thread CPU)"), ("record_ms", "draw recording"), ("replay_ms", "replay"),
                              ("empty_ms", "empty frame"), ("empty_ratio", "level frame / empty frame"),
                              ("sprites", "quads drawn"), ("bullets", "bullets in flight"),
                              ("effects", "effects in the world"), ("hurt_units", "units showing health")):
                print(f"    {what:30} {m(key):10.3f}")
            level_figures[int(label.rsplit("/", 1)[-1])] = {
                k: m(k) for k in ("engine_ms", "update_ms", "update_cpu_ms", "record_ms", "replay_ms")}
        if name == "sprites":
            rows = [("frames per second", None, None, "ratio", "fps"),
                    ("main-thread CPU per frame", "engine_cpu_ms", "baseline_cpu_ms", "cpu_ratio", "ms"),
                    ("bytes uploaded per frame", "engine_bytes", "baseline_bytes", "bytes_ratio", "B"),
                    ("buffer uploads per frame", "engine_uploads", "baseline_uploads", None, ""),
                    ("draws per frame", "engine_draws", "baseline_draws", None, "")]
        for what, e, bl, ratio, unit in rows:
            if e is None:
                ev, bv = median([1000 / b["engine_ms"] for b in reps]), median([1000 / b["baseline_ms"] for b in reps])
            else:
                ev, bv = m(e), m(bl)
            r = m(ratio) if ratio else None
            goal = next((g for g in goals.get(name, []) if g[0] == ratio), None)
            text = ""
            if goal and r is not None:
                met = r >= goal[1] if goal[2] == ">=" else r <= goal[1]
                text = f"{'met' if met else 'NOT met'}: {goal[3]}"
            rtext = f"{r:7.2f}" if r is not None else " " * 7
            print(f"    {what:30} {ev:10.3f}{unit:2} {bv:10.3f}{unit:2} {rtext}  {text}")
        if name == "startup":
            engine = m("engine_ms")
            print(f"    {'first presented frame':30} {'met' if engine < 300.0 else 'NOT met'}: < 300 ms")
        if name in ("startup", "menu_startup"):
            steps = sorted(k for k in reps[0] if k.startswith("s") and k.endswith("_ms") and k[1].isdigit())
            for key in steps:
                print(f"    {key[:-3]:30} {m(key):10.2f}ms")
    if name == "level" and 100 in level_figures and 1000 in level_figures:
        low, high = level_figures[100], level_figures[1000]
        mid = level_figures.get(500)
        print("  growth from 100 to 1,000 units (per unit at 1,000 / per unit at 100; added unit 500->1,000 / 100->500):")
        for key, what in (("engine_ms", "level frame"), ("update_ms", "update"),
                          ("update_cpu_ms", "update (thread CPU)"), ("record_ms", "draw recording"),
                          ("replay_ms", "replay")):
            per_unit = (high[key] / 1000) / (low[key] / 100) if low[key] > 0 else float("nan")
            text = f"    {what:30} {per_unit:7.2f}"
            if mid and mid[key] > low[key]:
                added = ((high[key] - mid[key]) / 500) / ((mid[key] - low[key]) / 400)
                text += f" {added:7.2f}"
            met = per_unit <= level_growth_limit
            print(text + f"  {'met' if met else 'NOT met'}: per-unit cost <= {level_growth_limit} x at 100")
PY
