#pragma once
// A program run as a separate process by a test: its environment is the test's with
// entries replaced or removed, its standard error goes to a file, and a child still
// running when the object goes is killed.
#include <chrono>
#include <filesystem>
#include <string>
#include <sys/types.h>
#include <vector>

class ChildProcess {
public:
    ChildProcess() = default;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess() { Kill(); }

    // `env`: "NAME=value" sets NAME, a bare "NAME" removes it, a later entry wins; the
    // rest is inherited.
    // `workDir` (when given) is the child's working folder. False when it cannot start.
    bool Start(const std::filesystem::path& program, const std::vector<std::string>& args,
               const std::vector<std::string>& env, const std::filesystem::path& errFile,
               const std::filesystem::path& workDir = {});
    // The exit status (128 + the signal when a signal ended it), or -1 when the child
    // still runs after `limit`.
    int WaitExit(std::chrono::milliseconds limit);
    // SIGKILL and reap, when it still runs.
    void Kill();
    bool Signal(int signal) const;
    bool Running() const { return pid > 0; }

private:
    pid_t pid = -1;
};

// The text of a file (empty when it cannot be read).
std::string ReadTextFile(const std::filesystem::path& path);
