#pragma once
// The game binary itself, run as a player starts it, on an X display: its own data
// folder over the generated content (the game appends missing text keys to its copy
// of the strings), its own per-user folder, and its stderr in a file.
#include <chrono>
#include <filesystem>
#include <string>
#include <sys/types.h>

namespace desktop {

class GameRun {
public:
    // The folders, under the system's temporary folder, named after `name`.
    explicit GameRun(const std::string& name);
    // Ends a game still running and removes the folders.
    ~GameRun();
    GameRun(const GameRun&) = delete;
    GameRun& operator=(const GameRun&) = delete;

    // Starts the program on `display` ("--data_path" to its data folder).
    bool Start(const std::string& display);
    pid_t Pid() const { return pid; }
    // The exit status, or -1 while it still runs after `limit`.
    int WaitExit(std::chrono::milliseconds limit);
    // SIGTERM, as closing the session does, then the exit status (-1: it did not end).
    int Terminate(std::chrono::milliseconds limit);

    std::filesystem::path UserFolder() const;
    std::string ProfilesXml() const;
    std::string Log() const;
    std::string Stderr() const;

private:
    std::filesystem::path root;
    pid_t pid = -1;
};

} // namespace desktop
