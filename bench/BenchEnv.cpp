// Linked into every benchmark: before main, the process gets per-user and runtime
// folders of its own (XDG_DATA_HOME, XDG_RUNTIME_DIR) in a fresh temporary folder,
// removed again at exit. A benchmark then neither meets a copy of the program that
// runs meanwhile (its single-instance claim lives in the runtime folder) nor leaves
// logs, profiles, locks or sockets behind. Without them it stops at once, loudly.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Plain data: the constructor below may run before the C++ objects of this file
// are initialised, which would then wipe what it stored.
char gRoot[4096];
pid_t gOwner = 0;

void RemoveRoot()
{
    // Children started by a benchmark inherit nothing to clean: only the creator removes.
    if (gRoot[0] == '\0' || getpid() != gOwner)
        return;
    std::error_code error;
    std::filesystem::remove_all(gRoot, error);
}

[[noreturn]] void Fail(const char* what, const std::string& path)
{
    std::fprintf(stderr, "benchmark set-up: %s %s: %s\n", what, path.c_str(), std::strerror(errno));
    std::_Exit(2);
}

__attribute__((constructor)) void IsolateFolders()
{
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/ge-bench-XXXXXX";
    if (pattern.size() >= sizeof gRoot || !mkdtemp(pattern.data()))
        Fail("cannot make", pattern);
    std::memcpy(gRoot, pattern.c_str(), pattern.size() + 1);
    gOwner = getpid();
    std::atexit(RemoveRoot);
    const std::string data = pattern + "/data", runtime = pattern + "/runtime";
    for (const std::string& dir : {data, runtime})
        if (mkdir(dir.c_str(), 0700) != 0)
            Fail("cannot make", dir);
    if (setenv("XDG_DATA_HOME", data.c_str(), 1) != 0 || setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1) != 0)
        Fail("cannot point the environment at", pattern);
}

} // namespace
