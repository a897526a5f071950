// The program itself, run as a separate process on the headless display: it opens its
// window and runs frames until the window is closed, and it ends cleanly when it
// cannot start.
#include "tests/Support/ChildProcess.h"
#include "tests/Support/XServer.h"
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <string>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

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
        game.Kill();
        fs::remove_all(root);
    }

    // Starts `child` (the game by default) with the headless drivers (or the given
    // video driver), its per-user state under the test's folder and its stderr in a
    // file; `extraEnv` entries ("NAME=value", or "NAME" to remove it) replace inherited
    // ones of the same name.
    void Start(const std::vector<std::string>& args, const std::string& videoDriver = "offscreen",
               const std::vector<std::string>& extraEnv = {}, ChildProcess* child = nullptr,
               const fs::path& program = kProgram)
    {
        std::vector<std::string> env{"SDL_VIDEODRIVER=" + videoDriver, "SDL_AUDIODRIVER=dummy",
                                     "XDG_DATA_HOME=" + (root / "data").string(),
                                     "XDG_RUNTIME_DIR=" + (root / "run").string(),
                                     "HOME=" + (root / "home").string()};
        env.insert(env.end(), extraEnv.begin(), extraEnv.end());
        // Each run writes a file of its own: a first run may still be writing.
        errFile = root / ("stderr-" + std::to_string(++runs) + ".txt");
        ASSERT_TRUE((child ? *child : game).Start(program, args, env, errFile));
    }

    int WaitExit(std::chrono::milliseconds limit) { return game.WaitExit(limit); }

    std::string Stderr() const { return ReadTextFile(errFile); }

    fs::path UserFolder() const { return root / "data" / "Brenwick" / "ZavavEdovari"; }

    std::string Log() const { return ReadTextFile(UserFolder() / "log.html"); }

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

    // A copy of the program (a hard link) in a folder of the test's own, beside a
    // (still empty) content folder: started with no arguments, it reads its content
    // from there.
    fs::path ProgramBesideContent()
    {
        const fs::path folder = root / "game";
        fs::create_directories(folder / "td");
        fs::create_hard_link(kProgram, folder / "zavavedovari");
        return folder / "zavavedovari";
    }

    fs::path root;
    fs::path errFile;
    int runs = 0;
    ChildProcess game;
};

TEST_F(ProgramRun, RunsItsFrameLoopUntilTheWindowIsClosed)
{
    // No arguments at all: the content is the executable's folder's.
    Start({}, "offscreen", {}, nullptr, ProgramBesideContent());
    const auto end = std::chrono::steady_clock::now() + 60s;
    while (!fs::exists(UserFolder() / "log.html") && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(20ms);
    ASSERT_TRUE(fs::exists(UserFolder() / "log.html")) << Stderr();
    // It keeps running: the window is open and frames go on.
    EXPECT_EQ(WaitExit(1500ms), -1) << Stderr();
    // SIGTERM arrives as a quit request, which closes the window.
    ASSERT_TRUE(game.Signal(SIGTERM));
    EXPECT_EQ(WaitExit(60s), 0) << Stderr();
    EXPECT_NE(Stderr().find("Max texture Width"), std::string::npos) << Stderr();
}

// On an X display: the server going away under the running program ends it within
// seconds with status 1 and a log line, its log closed, instead of leaving it spinning
// deaf to every signal; SIGTERM ends it as closing its window does.
TEST_F(ProgramRun, OnAnXDisplayEndsWhenTheServerGoesOrSigtermComes)
{
    for (bool serverGoes : {true, false}) {
        SCOPED_TRACE(serverGoes ? "the server ends" : "SIGTERM");
        XServer server;
        ASSERT_TRUE(server.Start()) << "Xvfb (scripts/setup.sh installs it) did not start";
        Start({"--data_path", root.string()}, "x11", {"DISPLAY=" + server.display});
        ASSERT_TRUE(WaitForRenderer()) << Stderr();
        EXPECT_EQ(WaitExit(500ms), -1) << Stderr();
        if (serverGoes)
            server.End();
        else
            ASSERT_TRUE(game.Signal(SIGTERM));
        EXPECT_EQ(WaitExit(10s), serverGoes ? 1 : 0) << Stderr();
        game.Kill();
        const std::string log = Log();
        EXPECT_EQ(log.find("connection to the display is lost") != std::string::npos, serverGoes) << Stderr();
        EXPECT_EQ(log.size() >= 14 ? log.substr(log.size() - 14) : log, "</body></html>");
        fs::remove_all(UserFolder());
    }
}

TEST_F(ProgramRun, ASecondCopyStepsAsideForTheFirst)
{
    const std::vector<std::string> args{"--data_path", root.string()};
    Start(args);
    const auto end = std::chrono::steady_clock::now() + 60s;
    while (!fs::exists(UserFolder() / "log.html") && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(20ms);
    ASSERT_TRUE(fs::exists(UserFolder() / "log.html")) << Stderr();
    // Wait until the first copy's window exists (its renderer reports once it is up).
    ASSERT_TRUE(WaitForRenderer()) << Stderr();
    const std::string firstLog = Log();
    ASSERT_NE(firstLog.find("Max texture Width"), std::string::npos);

    ChildProcess second;
    Start(args, "offscreen", {}, &second);
    // The second copy ends at once, successfully, without starting a renderer, says
    // why on stderr, and leaves the first copy's log as it was.
    EXPECT_EQ(second.WaitExit(60s), 0);
    EXPECT_EQ(Stderr().find("Max texture Width"), std::string::npos) << Stderr();
    EXPECT_NE(Stderr().find("is already running: its window was brought forward"), std::string::npos) << Stderr();
    EXPECT_EQ(Log().substr(0, firstLog.size()), firstLog);

    EXPECT_EQ(WaitExit(500ms), -1);
    ASSERT_TRUE(game.Signal(SIGTERM));
    EXPECT_EQ(WaitExit(60s), 0);
}

// Start-up that cannot go on ends with status 1 and says why on stderr; what is wrong
// with the command line or the content is found before the per-user folder is touched.
TEST_F(ProgramRun, StartUpThatCannotGoOnSaysWhy)
{
    const struct {
        const char* what;
        std::vector<std::string> args;
        std::vector<std::string> env;
        const char* line;
        bool logWritten;
    } cases[] = {
        {"--data_path alone", {"--data_path"}, {}, "\"--data_path\" takes exactly one folder", false},
        {"--data_path with two", {"--data_path", "a", "b"}, {}, "\"--data_path\" takes exactly one folder", false},
        {"a content folder that is not there", {"--data_path", "/nonexistent/content"}, {},
         "the content folder /nonexistent/content given with \"--data_path\" does not exist", false},
        {"no content beside the program nor installed", {}, {}, "the game's content is in none of", false},
        // SDL would fall back to its offscreen driver and run where no one sees it.
        {"no display at all", {"--data_path", "."}, {"SDL_VIDEODRIVER", "DISPLAY", "WAYLAND_DISPLAY"},
         "cannot open a display", true},
        {"a display that does not answer", {"--data_path", "."},
         {"SDL_VIDEODRIVER", "DISPLAY=:4093", "WAYLAND_DISPLAY"}, "cannot open a display", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Start(c.args, "offscreen", c.env);
        EXPECT_EQ(WaitExit(60s), 1) << Stderr();
        EXPECT_NE(Stderr().find(c.line), std::string::npos) << Stderr();
        game.Kill();
        EXPECT_EQ(fs::exists(UserFolder() / "log.html"), c.logWritten);
        fs::remove_all(UserFolder());
    }
}

// Without a sound device the game plays silently and says so once; a silent driver
// asked for is no news.
TEST_F(ProgramRun, WithoutASoundDeviceItSaysOnceThatSoundIsOff)
{
    for (const auto& [driver, lines] : {std::pair{"no-such-audio-driver", 1}, std::pair{"dummy", 0}}) {
        SCOPED_TRACE(driver);
        Start({"--data_path", root.string()}, "offscreen", {std::string("SDL_AUDIODRIVER=") + driver});
        const auto end = std::chrono::steady_clock::now() + 60s;
        while (Stderr().find("Main menu opened") == std::string::npos && std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(20ms);
        ASSERT_TRUE(game.Signal(SIGTERM)) << Stderr();
        EXPECT_EQ(WaitExit(60s), 0) << Stderr();
        const std::string text = Stderr();
        int found = 0;
        for (size_t at = text.find("Sound is off"); at != std::string::npos; at = text.find("Sound is off", at + 1))
            ++found;
        EXPECT_EQ(found, lines) << text;
        EXPECT_NE(text.find("Main menu opened"), std::string::npos) << text;
    }
}

TEST_F(ProgramRun, PackShowsItsScreenUntilTheWindowIsClosed)
{
    // The argument names nothing to pack: the screen packs the (absent) mounts and stays.
    Start({"--pack", "unused"}, "offscreen", {}, nullptr, ProgramBesideContent());
    ASSERT_TRUE(WaitForRenderer()) << Stderr();
    EXPECT_EQ(WaitExit(1000ms), -1) << Stderr();
    ASSERT_TRUE(game.Signal(SIGTERM));
    EXPECT_EQ(WaitExit(60s), 0) << Stderr();
}

TEST_F(ProgramRun, PackWithoutItsFolderEndsStartUp)
{
    Start({"--pack"}, "offscreen", {}, nullptr, ProgramBesideContent());
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
