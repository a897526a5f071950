#pragma once
// The real program ("bin/zavavedovari" of the build) run as a process of its own on a
// content folder, headless (offscreen video, dummy audio), with per-user folders of
// its own under `root`; stderr is kept in a file. The destructor ends a run that is
// still going with SIGKILL.
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <vector>

extern char** environ;

// A content folder at `folder` made of links to the build's generated content, with
// the files of `own` (path relative to the content folder -> text) in place of theirs,
// and "td/strings_en.csv" always a copy of its own (the game appends missing keys).
inline void MakeContent(const std::filesystem::path& folder,
                        const std::vector<std::pair<std::string, std::string>>& own = {})
{
    namespace fs = std::filesystem;
    const fs::path generated = GE_BINARY_DIR "/content";
    std::vector<std::pair<std::string, std::string>> files = own;
    bool strings = false;
    for (const auto& [path, text] : own)
        strings = strings || path == "td/strings_en.csv";
    if (!strings) {
        std::ifstream in(generated / "td" / "strings_en.csv", std::ios::binary);
        files.emplace_back("td/strings_en.csv",
                           std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()));
    }
    // Every folder on the way to an own file is a real folder; the rest are links.
    const auto link = [&](const fs::path& relative) {
        fs::create_symlink(generated / relative, folder / relative);
    };
    const auto onTheWay = [&](const fs::path& relative) {
        for (const auto& [path, text] : files) {
            const std::string p = fs::path(path).lexically_normal().string();
            if (p == relative.string() || p.rfind(relative.string() + "/", 0) == 0)
                return true;
        }
        return false;
    };
    std::vector<fs::path> pending = {fs::path()};
    fs::create_directories(folder);
    while (!pending.empty()) {
        const fs::path at = pending.back();
        pending.pop_back();
        for (const auto& entry : fs::directory_iterator(generated / at)) {
            const fs::path relative = at / entry.path().filename();
            if (!onTheWay(relative)) {
                link(relative);
            } else if (entry.is_directory()) {
                fs::create_directories(folder / relative);
                pending.push_back(relative);
            }
        }
    }
    for (const auto& [path, text] : files) {
        fs::create_directories((folder / path).parent_path());
        std::ofstream(folder / path, std::ios::binary | std::ios::trunc) << text;
    }
}

class GameProcess {
public:
    GameProcess(const std::filesystem::path& root, const std::filesystem::path& data)
        : root(root), errors(root / "stderr.txt")
    {
        std::filesystem::create_directories(root / "home");
        std::filesystem::create_directories(root / "run");
        const std::string program = GE_BINARY_DIR "/bin/zavavedovari";
        std::vector<std::string> env = {"SDL_VIDEODRIVER=offscreen",
                                        "SDL_AUDIODRIVER=dummy",
                                        "XDG_DATA_HOME=" + (root / "home").string(),
                                        "XDG_RUNTIME_DIR=" + (root / "run").string(),
                                        "HOME=" + (root / "home").string(),
                                        "PATH=/usr/bin:/bin"};
        std::vector<char*> envp;
        for (std::string& e : env)
            envp.push_back(e.data());
        envp.push_back(nullptr);
        std::string a0 = program, a1 = "--data_path", a2 = data.string();
        std::vector<char*> argv = {a0.data(), a1.data(), a2.data(), nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 2, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data()) != 0)
            pid = 0;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~GameProcess()
    {
        if (pid > 0 && !ended) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
        }
    }
    GameProcess(const GameProcess&) = delete;
    GameProcess& operator=(const GameProcess&) = delete;

    bool Started() const { return pid > 0; }
    // Waits until the program has ended, at most `seconds`; true when it has.
    bool Wait(double seconds)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (!ended && pid > 0) {
            if (waitpid(pid, &status, WNOHANG) == pid)
                ended = true;
            else if (std::chrono::steady_clock::now() >= deadline)
                break;
            else
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return ended;
    }
    // Waits until `done` is true or the program ended or `seconds` passed.
    template <typename Done>
    bool WaitFor(Done done, double seconds)
    {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        while (!done()) {
            if (Wait(0) || std::chrono::steady_clock::now() >= deadline)
                return done();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return true;
    }
    void Signal(int signal) const
    {
        if (pid > 0 && !ended)
            kill(pid, signal);
    }
    // The exit status once ended normally; -1 otherwise.
    int ExitStatus() const { return ended && WIFEXITED(status) ? WEXITSTATUS(status) : -1; }
    bool Signalled() const { return ended && WIFSIGNALED(status); }

    std::string Stderr() const { return Read(errors); }
    std::filesystem::path UserFolder() const { return root / "home" / "Brenwick" / "ZavavEdovari"; }
    std::string Log() const { return Read(UserFolder() / "log.html"); }

    static std::string Read(const std::filesystem::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }

private:
    std::filesystem::path root;
    std::filesystem::path errors;
    pid_t pid = 0;
    int status = 0;
    bool ended = false;
};
