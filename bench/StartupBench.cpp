// Process start to the first presented frame, headless: the program on the demo
// content against a minimal SDL + OpenGL program, each started fresh in every
// iteration with a probe preloaded that stamps each start-up step and ends the
// process once the first frame is presented.
#include "bench/BenchRatio.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <map>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;

namespace {

const fs::path kBin = fs::path(GE_BINARY_DIR) / "bin";
const fs::path kWork = fs::path(GE_BINARY_DIR) / "bench_startup";

using bench::MonotonicNs;

// Stamps relative to the spawn, in milliseconds; empty when the run failed, and then
// `error` says how it ended.
std::map<std::string, double> Start(const std::vector<std::string>& argv, std::string& error)
{
    const fs::path out = kWork / "stamps.txt";
    const fs::path errors = kWork / "stderr.txt";
    fs::remove(out);
    // The per-user and runtime folders are the benchmark's own (BenchEnv.cpp): a copy
    // of the program running meanwhile is not met, and nothing is left behind.
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        for (const char* replaced : {"LD_PRELOAD=", "SDL_VIDEODRIVER=", "SDL_AUDIODRIVER="})
            if (entry.rfind(replaced, 0) == 0)
                goto skip;
        env.push_back(entry);
    skip:;
    }
    env.push_back(std::string("LD_PRELOAD=") + GE_STARTUP_PROBE);
    env.push_back("GE_STARTUP_PROBE_OUT=" + out.string());
    env.push_back("SDL_VIDEODRIVER=offscreen");
    env.push_back("SDL_AUDIODRIVER=dummy");
    std::vector<char*> envp, args;
    for (std::string& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    std::vector<std::string> argvCopy = argv;
    for (std::string& a : argvCopy)
        args.push_back(a.data());
    args.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const long long start = MonotonicNs();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, args[0], &actions, nullptr, args.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        error = args[0] + std::string(": cannot start: ") + std::strerror(spawned);
        return {};
    }
    int status = 0;
    waitpid(pid, &status, 0);
    std::map<std::string, double> stamps;
    std::ifstream in(out);
    std::string name;
    long long ns = 0;
    while (in >> name >> ns)
        stamps[name] = double(ns - start) / 1e6;
    if (!stamps.count("present_end")) {
        std::ifstream log(errors);
        std::string line, last;
        while (std::getline(log, line))
            if (!line.empty())
                last = line;
        error = fs::path(args[0]).filename().string() +
                (WIFEXITED(status) ? " exited with " + std::to_string(WEXITSTATUS(status))
                                   : " ended by signal " + std::to_string(WTERMSIG(status))) +
                " before its first frame" + (last.empty() ? "" : ": " + last);
        return {};
    }
    return stamps;
}

void BM_Startup(benchmark::State& state)
{
    fs::create_directories(kWork);
    const std::vector<std::string> program = {(kBin / "zavavedovari").string(), "--data_path",
                                              (fs::path(GE_BINARY_DIR) / "content").string()};
    const std::vector<std::string> baseline = {(kBin / "bench_startup_baseline").string()};

    // The step of each stamp: the time from the stamp before it.
    static const char* const kSteps[][2] = {
        {"loaded", "s1_exec_and_load_ms"},
        {"sdl_init", "s2_to_sdl_start_ms"},
        {"window_begin", "s3_to_window_ms"},
        {"window_end", "s4_window_ms"},
        {"context_begin", "s5_to_gl_context_ms"},
        {"context_end", "s6_gl_context_ms"},
        {"present_begin", "s7_renderer_content_first_frame_ms"},
        {"present_end", "s8_present_ms"},
    };
    std::map<std::string, double> sums;
    bench::RatioTimer timer;
    std::string error;
    for (auto _ : state) {
        std::map<std::string, double> engine;
        timer.Iteration(
            state, [&] { engine = Start(program, error); },
            [&] {
                if (Start(baseline, error).empty() && error.empty())
                    error = "the baseline failed";
            });
        if (!error.empty()) {
            state.SkipWithError(error.c_str());
            break;
        }
        double previous = 0.0;
        for (const auto& step : kSteps) {
            const auto it = engine.find(step[0]);
            if (it == engine.end())
                continue; // a step the program skipped
            sums[step[1]] += it->second - previous;
            previous = it->second;
        }
    }
    if (!error.empty())
        return;
    timer.Report(state);
    for (const auto& [name, sum] : sums)
        state.counters[name] = benchmark::Counter(sum / double(state.iterations()));
}

} // namespace

BENCHMARK(BM_Startup)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

BENCHMARK_MAIN();
