#include "tests/Game/Desktop/GameRun.h"

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace desktop {

namespace {

namespace fs = std::filesystem;

const char* const kProgram = GE_BINARY_DIR "/bin/zavavedovari";
const char* const kContent = GE_BINARY_DIR "/content";

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace

GameRun::GameRun(const std::string& name)
    : root(fs::temp_directory_path() / ("td-desktop-" + name + "-" + std::to_string(getpid())))
{
    fs::remove_all(root);
    for (const char* folder : {"data", "data/td", "data-home", "run", "home"})
        fs::create_directories(root / folder);
    // The content through links, but the strings file, which the game may append to.
    for (const auto& entry : fs::directory_iterator(kContent))
        if (entry.path().filename() != "td")
            fs::create_symlink(entry.path(), root / "data" / entry.path().filename());
    for (const auto& entry : fs::directory_iterator(fs::path(kContent) / "td")) {
        const fs::path to = root / "data" / "td" / entry.path().filename();
        if (entry.path().filename() == "strings_en.csv")
            fs::copy_file(entry.path(), to);
        else
            fs::create_symlink(entry.path(), to);
    }
}

GameRun::~GameRun()
{
    if (pid > 0) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    fs::remove_all(root);
}

bool GameRun::Start(const std::string& display)
{
    std::vector<std::string> env{"DISPLAY=" + display,
                                 "SDL_VIDEODRIVER=x11",
                                 "SDL_AUDIODRIVER=dummy",
                                 "XDG_DATA_HOME=" + (root / "data-home").string(),
                                 "XDG_RUNTIME_DIR=" + (root / "run").string(),
                                 "HOME=" + (root / "home").string()};
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        bool own = false;
        for (const std::string& set : env)
            own = own || entry.compare(0, set.find('=') + 1, set, 0, set.find('=') + 1) == 0;
        if (!own)
            env.push_back(entry);
    }
    std::vector<std::string> argv{kProgram, "--data_path", (root / "data").string()};
    std::vector<char*> argvPointers, envPointers;
    for (std::string& a : argv)
        argvPointers.push_back(a.data());
    argvPointers.push_back(nullptr);
    for (std::string& e : env)
        envPointers.push_back(e.data());
    envPointers.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string errors = (root / "stderr.txt").string();
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    const int spawned = posix_spawn(&pid, kProgram, &actions, nullptr, argvPointers.data(), envPointers.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        pid = -1;
    return spawned == 0;
}

int GameRun::WaitExit(std::chrono::milliseconds limit)
{
    if (pid <= 0)
        return -1;
    const auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            pid = -1;
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        if (std::chrono::steady_clock::now() > end)
            return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

int GameRun::Terminate(std::chrono::milliseconds limit)
{
    if (pid <= 0)
        return -1;
    kill(pid, SIGTERM);
    return WaitExit(limit);
}

fs::path GameRun::UserFolder() const
{
    return root / "data-home" / "Brenwick" / "ZavavEdovari";
}

std::string GameRun::ProfilesXml() const
{
    return ReadFile(UserFolder() / "profiles.xml");
}

std::string GameRun::Log() const
{
    return ReadFile(UserFolder() / "log.html");
}

std::string GameRun::Stderr() const
{
    return ReadFile(root / "stderr.txt");
}

} // namespace desktop
