// Process start to the main menu shown: bench_menu_startup_run (the game on the
// generated content, the splash pictures clicked away at once) started fresh in every
// iteration, against the least program on the same stack (bench_startup_baseline: SDL,
// a window with an OpenGL context, one frame presented). The ratio is baseline /
// engine; the steps split the engine's time at the end of the program's start-up.
#include "bench/BenchRatio.h"

#include <cerrno>
#include <cstdio>
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
const fs::path kWork = fs::path(GE_BINARY_DIR) / "bench_menu_startup";

using bench::MonotonicNs;

struct Run {
    long long start = 0; // the spawn, monotonic ns
    long long end = 0;   // the process gone
    std::map<std::string, long long> stamps;
};

// Starts `program` with `extraEnv` added (its temporary files in a folder of the run's
// own, removed afterwards) and waits for it; false with `error` set when it failed.
bool Start(const fs::path& program, const std::vector<std::string>& extraEnv, Run& run, std::string& error)
{
    const fs::path tmp = kWork / "tmp";
    const fs::path errors = kWork / "stderr.txt";
    fs::remove_all(tmp);
    fs::create_directories(tmp);
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, "TMPDIR=", 7) != 0)
            env.push_back(*e);
    env.push_back("TMPDIR=" + tmp.string());
    env.push_back("SDL_VIDEODRIVER=offscreen");
    env.push_back("SDL_AUDIODRIVER=dummy");
    env.insert(env.end(), extraEnv.begin(), extraEnv.end());
    std::vector<char*> envp;
    for (std::string& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string path = program.string();
    char* args[] = {path.data(), nullptr};

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    run.start = MonotonicNs();
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, args[0], &actions, nullptr, args, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        error = path + ": cannot start: " + std::strerror(spawned);
        return false;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    run.end = MonotonicNs();
    fs::remove_all(tmp);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
        return true;
    std::ifstream log(errors);
    std::string line, last;
    while (std::getline(log, line))
        if (!line.empty())
            last = line;
    error = program.filename().string() +
            (WIFEXITED(status) ? " exited with " + std::to_string(WEXITSTATUS(status))
                               : " ended by signal " + std::to_string(WTERMSIG(status))) +
            (last.empty() ? "" : ": " + last);
    return false;
}

bool StartGame(Run& run, std::string& error)
{
    const fs::path stamps = kWork / "stamps.txt";
    fs::remove(stamps);
    if (!Start(kBin / "bench_menu_startup_run", {"GE_MENU_STAMPS=" + stamps.string()}, run, error))
        return false;
    std::ifstream in(stamps);
    std::string name;
    long long ns = 0;
    while (in >> name >> ns)
        run.stamps[name] = ns;
    if (!run.stamps.count("started") || !run.stamps.count("menu")) {
        error = "the game wrote no stamps";
        return false;
    }
    return true;
}

void BM_StartupToMenu(benchmark::State& state)
{
    fs::create_directories(kWork);
    double engine = 0.0, baseline = 0.0, toStarted = 0.0, toMenu = 0.0;
    bool gameFirst = true;
    std::string error;
    for (auto _ : state) {
        Run game, least;
        // The one that goes first alternates, so that neither always meets warm caches.
        const bool ok = gameFirst ? StartGame(game, error) && Start(kBin / "bench_startup_baseline", {}, least, error)
                                  : Start(kBin / "bench_startup_baseline", {}, least, error) && StartGame(game, error);
        gameFirst = !gameFirst;
        if (!ok) {
            state.SkipWithError(error.c_str());
            return;
        }
        const double seconds = double(game.stamps["menu"] - game.start) * 1e-9;
        engine += seconds;
        baseline += double(least.end - least.start) * 1e-9;
        toStarted += double(game.stamps["started"] - game.start) * 1e-9;
        toMenu += double(game.stamps["menu"] - game.stamps["started"]) * 1e-9;
        state.SetIterationTime(seconds);
    }
    const double n = double(state.iterations());
    state.counters["engine_ms"] = benchmark::Counter(engine * 1e3 / n);
    state.counters["baseline_ms"] = benchmark::Counter(baseline * 1e3 / n);
    state.counters["ratio"] = benchmark::Counter(baseline / engine);
    state.counters["s1_start_up_ms"] = benchmark::Counter(toStarted * 1e3 / n);
    state.counters["s2_splash_to_menu_ms"] = benchmark::Counter(toMenu * 1e3 / n);
}

} // namespace

BENCHMARK(BM_StartupToMenu)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(2.0);

BENCHMARK_MAIN();
