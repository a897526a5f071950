#include "tests/Support/XServer.h"

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

bool XServer::Start(const std::string& screen)
{
    int fds[2];
    if (pipe(fds) != 0)
        return false;
    const std::string fd = std::to_string(fds[1]);
    std::vector<std::string> argv{"Xvfb", "-displayfd", fd, "-nolisten", "tcp", "-screen", "0", screen};
    std::vector<char*> argvPtrs;
    for (std::string& a : argv)
        argvPtrs.push_back(a.data());
    argvPtrs.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const int spawned = posix_spawnp(&pid, "Xvfb", &actions, nullptr, argvPtrs.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    if (spawned != 0) {
        pid = -1;
        close(fds[0]);
        return false;
    }
    // The server writes its display number once it accepts connections.
    std::string number;
    pollfd ready{fds[0], POLLIN, 0};
    char c = 0;
    while (poll(&ready, 1, 20000) == 1 && read(fds[0], &c, 1) == 1 && c != '\n')
        number += c;
    close(fds[0]);
    display = ":" + number;
    return !number.empty();
}

void XServer::End()
{
    if (pid > 0) {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
    pid = -1;
}
