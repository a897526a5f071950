#pragma once
// Each benchmark here times the engine and its baseline in the same iteration, one
// after the other, so that both see the same load on a shared machine. The engine's
// time is the benchmark's (manual) time; the counters carry both times and the
// ratio baseline / engine: above 1 the engine is faster.
#include <benchmark/benchmark.h>

#include <chrono>

namespace bench {

class RatioTimer {
public:
    using Clock = std::chrono::steady_clock;

    template <class F> void Engine(F&& work)
    {
        const auto start = Clock::now();
        work();
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        engine += seconds;
        last = seconds;
    }
    template <class F> void Baseline(F&& work)
    {
        const auto start = Clock::now();
        work();
        baseline += std::chrono::duration<double>(Clock::now() - start).count();
    }
    // One iteration of both, the one that goes first alternating so that neither
    // always meets the caches the other has warmed; hands the engine's time to the
    // benchmark.
    template <class E, class B> void Iteration(benchmark::State& state, E&& engineWork, B&& baselineWork)
    {
        if (flip) {
            Baseline(baselineWork);
            Engine(engineWork);
        } else {
            Engine(engineWork);
            Baseline(baselineWork);
        }
        flip = !flip;
        state.SetIterationTime(last);
    }

    void Report(benchmark::State& state) const
    {
        const double n = static_cast<double>(state.iterations());
        if (n == 0 || engine <= 0.0)
            return;
        state.counters["engine_ms"] = benchmark::Counter(engine * 1e3 / n);
        state.counters["baseline_ms"] = benchmark::Counter(baseline * 1e3 / n);
        state.counters["ratio"] = benchmark::Counter(baseline / engine);
    }

private:
    double engine = 0.0;
    double baseline = 0.0;
    double last = 0.0;
    bool flip = false;
};

} // namespace bench
