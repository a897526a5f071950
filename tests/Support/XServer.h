#pragma once
// An X server of the test's own (Xvfb) on a display number it picks itself, so that
// parallel test runs never collide; it ends when the object goes.
#include <string>
#include <sys/types.h>

class XServer {
public:
    XServer() = default;
    XServer(const XServer&) = delete;
    XServer& operator=(const XServer&) = delete;
    ~XServer() { End(); }

    // False when Xvfb cannot start (scripts/setup.sh installs it with the tests).
    bool Start(const std::string& screen = "640x480x24");
    void End();

    std::string display; // ":N" once started

private:
    pid_t pid = -1;
};
