// The program itself, run as a separate process on the headless display: it opens its
// window and runs frames until the window is closed, and it ends cleanly when it
// cannot start.
#include "tests/Support/GameProcess.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const char* const kProgram = GE_BINARY_DIR "/bin/zavavedovari";

class ProgramRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        root = fs::temp_directory_path() / ("gameapp-program-" + std::to_string(getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root);
        fs::create_directories(root / "data");
        fs::create_directories(root / "run");
        fs::create_directories(root / "home");
    }
    void TearDown() override
    {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        fs::remove_all(root);
    }

    // Starts the program with the headless drivers (or the given video driver), its
    // per-user state under the test's folder and its stderr in a file; `extraEnv`
    // entries ("NAME=value") replace inherited ones of the same name.
    void Start(const std::vector<std::string>& args, const std::string& videoDriver = "offscreen",
               const std::vector<std::string>& extraEnv = {})
    {
        std::vector<std::string> env{"SDL_VIDEODRIVER=" + videoDriver, "SDL_AUDIODRIVER=dummy",
                                     "XDG_DATA_HOME=" + (root / "data").string(),
                                     "XDG_RUNTIME_DIR=" + (root / "run").string(),
                                     "HOME=" + (root / "home").string()};
        env.insert(env.end(), extraEnv.begin(), extraEnv.end());
        const auto replaced = [&env](const std::string& entry) {
            for (const std::string& own : env)
                if (entry.compare(0, own.find('=') + 1, own, 0, own.find('=') + 1) == 0)
                    return true;
            return false;
        };
        for (char** e = environ; *e; ++e)
            if (!replaced(*e))
                env.push_back(*e);

        std::vector<std::string> argv{kProgram};
        argv.insert(argv.end(), args.begin(), args.end());
        std::vector<char*> argvPtrs, envPtrs;
        for (std::string& a : argv)
            argvPtrs.push_back(a.data());
        argvPtrs.push_back(nullptr);
        for (std::string& e : env)
            envPtrs.push_back(e.data());
        envPtrs.push_back(nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        // Each run writes a file of its own: a first run may still be writing.
        errFile = root / ("stderr-" + std::to_string(++runs) + ".txt");
        const std::string errPath = errFile.string();
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errPath.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_EQ(posix_spawn(&pid, kProgram, &actions, nullptr, argvPtrs.data(), envPtrs.data()), 0);
        posix_spawn_file_actions_destroy(&actions);
    }

    // The exit status, or -1 when the program is still running after `limit`.
    int WaitExit(std::chrono::milliseconds limit)
    {
        const auto end = std::chrono::steady_clock::now() + limit;
        for (;;) {
            int status = 0;
            const pid_t done = waitpid(pid, &status, WNOHANG);
            if (done == pid) {
                pid = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            if (std::chrono::steady_clock::now() > end)
                return -1;
            std::this_thread::sleep_for(20ms);
        }
    }

    std::string Stderr() const
    {
        std::ifstream in(errFile);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    fs::path UserFolder() const { return root / "data" / "Brenwick" / "ZavavEdovari"; }

    // "--data_path" and a content folder of the build's generated content: a game
    // without content ends its start at once.
    std::vector<std::string> WithContent()
    {
        if (!fs::exists(root / "content"))
            MakeContent(root / "content");
        return {"--data_path", (root / "content").string()};
    }

    // Signals the running program; never pid -1, which would reach every process.
    void Signal(int signal)
    {
        ASSERT_GT(pid, 0) << "the program has already ended: " << Stderr();
        ASSERT_EQ(kill(pid, signal), 0);
    }

    std::string Log() const
    {
        std::ifstream in(UserFolder() / "log.html", std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    // Waits until the program's renderer is up (it reports the texture limits then).
    bool WaitForRenderer()
    {
        const auto end = std::chrono::steady_clock::now() + 60s;
        while (Stderr().find("Max texture Width") == std::string::npos) {
            if (std::chrono::steady_clock::now() > end)
                return false;
            std::this_thread::sleep_for(20ms);
        }
        return true;
    }

    fs::path root;
    fs::path errFile;
    int runs = 0;
    pid_t pid = -1;
};

TEST_F(ProgramRun, RunsItsFrameLoopUntilTheWindowIsClosed)
{
    Start(WithContent());
    const auto end = std::chrono::steady_clock::now() + 60s;
    while (!fs::exists(UserFolder() / "log.html") && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(20ms);
    ASSERT_TRUE(fs::exists(UserFolder() / "log.html")) << Stderr();
    // It keeps running: the window is open and frames go on.
    EXPECT_EQ(WaitExit(1500ms), -1) << Stderr();
    // SIGTERM arrives as a quit request, which closes the window.
    Signal(SIGTERM);
    EXPECT_EQ(WaitExit(60s), 0) << Stderr();
    EXPECT_NE(Stderr().find("Max texture Width"), std::string::npos) << Stderr();
}

// An X server of the test's own, on a display it picks itself.
class XServer {
public:
    ~XServer() { End(); }

    bool Start()
    {
        int fds[2];
        if (pipe(fds) != 0)
            return false;
        const std::string fd = std::to_string(fds[1]);
        std::vector<std::string> argv{"Xvfb", "-displayfd", fd, "-nolisten", "tcp", "-screen", "0", "640x480x24"};
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

    void End()
    {
        if (pid > 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
        pid = -1;
    }

    std::string display;

private:
    pid_t pid = -1;
};

// On an X display: the server going away under the running program ends it within
// seconds with status 1 and a log line, its log closed, instead of leaving it spinning
// deaf to every signal; SIGTERM ends it as closing its window does.
TEST_F(ProgramRun, OnAnXDisplayEndsWhenTheServerGoesOrSigtermComes)
{
    for (bool serverGoes : {true, false}) {
        SCOPED_TRACE(serverGoes ? "the server ends" : "SIGTERM");
        XServer server;
        ASSERT_TRUE(server.Start()) << "Xvfb (scripts/setup.sh installs it) did not start";
        Start(WithContent(), "x11", {"DISPLAY=" + server.display});
        ASSERT_TRUE(WaitForRenderer()) << Stderr();
        EXPECT_EQ(WaitExit(500ms), -1) << Stderr();
        if (serverGoes)
            server.End();
        else
            Signal(SIGTERM);
        EXPECT_EQ(WaitExit(10s), serverGoes ? 1 : 0) << Stderr();
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            pid = -1;
        }
        const std::string log = Log();
        EXPECT_EQ(log.find("connection to the display is lost") != std::string::npos, serverGoes) << Stderr();
        EXPECT_EQ(log.size() >= 14 ? log.substr(log.size() - 14) : log, "</body></html>");
        fs::remove_all(UserFolder());
    }
}

TEST_F(ProgramRun, ASecondCopyStepsAsideForTheFirst)
{
    Start(WithContent());
    const auto end = std::chrono::steady_clock::now() + 60s;
    while (!fs::exists(UserFolder() / "log.html") && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(20ms);
    ASSERT_TRUE(fs::exists(UserFolder() / "log.html")) << Stderr();
    // Wait until the first copy's window exists (its renderer reports once it is up).
    while (Stderr().find("Max texture Width") == std::string::npos && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(20ms);
    const pid_t first = pid;
    pid = -1;
    const std::string firstLog = Log();
    ASSERT_NE(firstLog.find("Max texture Width"), std::string::npos);

    Start(WithContent());
    // The second copy ends at once, successfully, without starting a renderer, and
    // leaves the first copy's log as it was.
    EXPECT_EQ(WaitExit(60s), 0);
    EXPECT_EQ(Stderr().find("Max texture Width"), std::string::npos) << Stderr();
    EXPECT_EQ(Log().substr(0, firstLog.size()), firstLog);

    pid = first;
    EXPECT_EQ(WaitExit(500ms), -1);
    Signal(SIGTERM);
    EXPECT_EQ(WaitExit(60s), 0);
}

TEST_F(ProgramRun, WrongDataPathArgumentsEndStartUp)
{
    for (const auto& args :
         std::vector<std::vector<std::string>>{{"--data_path"}, {"--data_path", "a", "b"}}) {
        SCOPED_TRACE(args.size());
        Start(args);
        EXPECT_EQ(WaitExit(60s), 1);
        EXPECT_NE(Stderr().find("--data_path"), std::string::npos) << Stderr();
        EXPECT_FALSE(fs::exists(UserFolder() / "log.html"));
    }
}

TEST_F(ProgramRun, PackShowsItsScreenUntilTheWindowIsClosed)
{
    // The argument names nothing to pack: the screen packs the (absent) mounts and stays.
    Start({"--pack", "unused"});
    const auto end = std::chrono::steady_clock::now() + 60s;
    while (Stderr().find("Max texture Width") == std::string::npos && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(20ms);
    EXPECT_EQ(WaitExit(1000ms), -1) << Stderr();
    Signal(SIGTERM);
    EXPECT_EQ(WaitExit(60s), 0) << Stderr();
}

TEST_F(ProgramRun, PackWithoutItsFolderEndsStartUp)
{
    Start({"--pack"});
    EXPECT_EQ(WaitExit(60s), 1);
    EXPECT_NE(Stderr().find("--pack"), std::string::npos) << Stderr();
}

TEST_F(ProgramRun, EndsCleanlyWhenNoWindowCanBeOpened)
{
    Start({"--data_path", root.string()}, "no-such-video-driver");
    EXPECT_EQ(WaitExit(60s), 1);
    EXPECT_NE(Stderr().find("Start-up failed"), std::string::npos) << Stderr();
}

} // namespace
