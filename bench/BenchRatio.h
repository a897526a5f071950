#pragma once
// Each benchmark here times the engine and its baseline in the same iteration, one
// after the other, so that both see the same load on a shared machine. The engine's
// time is the benchmark's (manual) time; the counters carry both times and the
// ratio baseline / engine: above 1 the engine is faster. The calling thread's CPU
// time is taken alongside, for benchmarks that report it.
#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>

namespace bench {

// The monotonic clock in nanoseconds, comparable across processes.
inline long long MonotonicNs()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

class RatioTimer {
public:
    using Clock = std::chrono::steady_clock;

    template <class F> void Engine(F&& work)
    {
        const auto start = Clock::now();
        const double cpuStart = ThreadCpu();
        work();
        engineCpu += ThreadCpu() - cpuStart;
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        engine += seconds;
        last = seconds;
    }
    template <class F> void Baseline(F&& work)
    {
        const auto start = Clock::now();
        const double cpuStart = ThreadCpu();
        work();
        baselineCpu += ThreadCpu() - cpuStart;
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

    // CPU time of the calling thread per iteration, each side, and engine / baseline.
    void ReportCpu(benchmark::State& state) const
    {
        const double n = static_cast<double>(state.iterations());
        if (n == 0 || baselineCpu <= 0.0)
            return;
        state.counters["engine_cpu_ms"] = benchmark::Counter(engineCpu * 1e3 / n);
        state.counters["baseline_cpu_ms"] = benchmark::Counter(baselineCpu * 1e3 / n);
        state.counters["cpu_ratio"] = benchmark::Counter(engineCpu / baselineCpu);
    }

private:
    static double ThreadCpu()
    {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
    }

    double engine = 0.0;
    double baseline = 0.0;
    double engineCpu = 0.0;
    double baselineCpu = 0.0;
    double last = 0.0;
    bool flip = false;
};

} // namespace bench
