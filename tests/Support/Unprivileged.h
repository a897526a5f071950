#pragma once
// Runs a test body in a child process that file permissions bind: root overrides a
// read-only mode, so as root the child first becomes the unprivileged user "nobody".
// The body reports through ordinary gtest assertions; the parent fails when the child
// does.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

inline bool DropRootPrivileges()
{
    if (geteuid() != 0)
        return true;
    const uid_t nobody = 65534;
    return setgroups(0, nullptr) == 0 && setresgid(nobody, nobody, nobody) == 0 &&
           setresuid(nobody, nobody, nobody) == 0;
}

inline void RunUnprivileged(const std::function<void()>& body)
{
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t child = fork();
    ASSERT_GE(child, 0) << "fork failed";
    if (child == 0) {
        if (!DropRootPrivileges()) {
            std::fprintf(stderr, "cannot leave root\n");
            _exit(2);
        }
        body();
        std::fflush(stdout);
        std::fflush(stderr);
        _exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "the unprivileged child died";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the unprivileged child failed (see its output above)";
}
