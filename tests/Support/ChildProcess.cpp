#include "tests/Support/ChildProcess.h"

#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace {

std::string NameOf(const std::string& entry)
{
    return entry.substr(0, entry.find('='));
}

} // namespace

bool ChildProcess::Start(const std::filesystem::path& program, const std::vector<std::string>& args,
                         const std::vector<std::string>& env, const std::filesystem::path& errFile,
                         const std::filesystem::path& workDir)
{
    Kill();
    // The last entry for a name wins; inherited ones come first.
    std::vector<std::string> entries;
    const auto set = [&entries](const std::string& entry) {
        const std::string name = NameOf(entry);
        std::erase_if(entries, [&](const std::string& e) { return NameOf(e) == name; });
        if (entry.find('=') != std::string::npos)
            entries.push_back(entry);
    };
    for (char** e = environ; *e; ++e)
        set(*e);
    for (const std::string& entry : env)
        set(entry);
    std::vector<std::string> argv{program.string()};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> argvPtrs, envPtrs;
    for (std::string& a : argv)
        argvPtrs.push_back(a.data());
    argvPtrs.push_back(nullptr);
    for (std::string& e : entries)
        envPtrs.push_back(e.data());
    envPtrs.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const std::string errPath = errFile.string();
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const std::string dir = workDir.string();
    if (!dir.empty())
        posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());
    const int spawned = posix_spawn(&pid, argv[0].c_str(), &actions, nullptr, argvPtrs.data(), envPtrs.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0)
        pid = -1;
    return spawned == 0;
}

int ChildProcess::WaitExit(std::chrono::milliseconds limit)
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

void ChildProcess::Kill()
{
    if (pid <= 0)
        return;
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    pid = -1;
}

bool ChildProcess::Signal(int signal) const
{
    return pid > 0 && kill(pid, signal) == 0;
}

std::string ReadTextFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}
