// The process entry, the application's start-up and the main loop. Each run of the
// entry point happens in a child process (a death-test fork), so it owns a fresh
// application singleton and its exit processing is the real one.
#include "Core/App/Application.h"
#include "Core/App/Win32/WinMain.h"
#include "Core/Base/Log.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

// What the next application does at start-up (set in the child before WinMain).
struct StartupPlan {
    GEResultEnum result = GE_OK;
    bool failDirectX = false;
    int childFrames = 0;  // > 0: a child task that keeps the application running
    int threadFrames = 0; // > 0: a registered thread of its own
};
StartupPlan gPlan;
int gPasses = 0;
int gChildTicks = 0;
bool gThreadDeleted = false;

// Finishes itself after a number of frames, like a window that gets closed.
class FramesTask : public base::Task {
public:
    FramesTask(int frames, int* ticks, bool autoDelete)
        : Task(autoDelete, false, true, true), frames(frames), ticks(ticks)
    {
    }
    GEResultEnum Tick(float) override
    {
        if (++*ticks >= frames)
            Stop();
        return GE_OK;
    }
    int frames;
    int* ticks;
};

class WorkerThread : public app::Thread {
public:
    explicit WorkerThread(int frames) : Thread(true, false, false, true), frames(frames) {}
    ~WorkerThread() override { gThreadDeleted = true; }
    GEResultEnum Tick(float) override
    {
        if (++ticks >= frames)
            Stop();
        return GE_OK;
    }
    int frames;
    int ticks = 0;
};

class TestApplication : public app::Application {
public:
    GEResultEnum Startup() override
    {
        if (gPlan.failDirectX) {
            // What the renderer does when the card cannot run the shaders.
            directXFailed = 1;
            Stop();
        }
        if (gPlan.childFrames > 0)
            AddChild(new FramesTask(gPlan.childFrames, &gChildTicks, true));
        if (gPlan.threadFrames > 0)
            (new WorkerThread(gPlan.threadFrames))->Start(2);
        return gPlan.result;
    }
    GEResultEnum Tick(float dt) override
    {
        ++gPasses;
        return app::Application::Tick(dt);
    }
};

void ReportMessageBoxes()
{
    std::fprintf(stderr, "boxes=%d\n", Win32_MessageBoxCount());
}

// Runs the entry point with the given arguments and environment, prints what it saw
// and leaves with its exit code through the normal exit processing.
[[noreturn]] void RunEntry(std::vector<std::string> argv,
                           const std::vector<std::pair<const char*, const char*>>& env)
{
    // Runs after the singleton registry (registered later, so run earlier).
    std::atexit(ReportMessageBoxes);
    Win32_SetMessageBoxesToStderr(true);
    for (const auto& [name, value] : env) {
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    std::vector<char*> pointers;
    for (std::string& arg : argv)
        pointers.push_back(arg.data());
    const int code = app::RunWinMain(static_cast<int>(pointers.size()), pointers.data());

    app::Application* application = GetApplication();
    std::string args;
    for (const std::wstring& arg : application->args)
        args += std::string(arg.begin(), arg.end()) + ",";
    const std::wstring& folder = application->userDataFolder;
    std::fprintf(stderr, "args=[%s] passes=%d childTicks=%d threadDeleted=%d userData=[%s] code=%d\n",
                 args.c_str(), gPasses, gChildTicks, gThreadDeleted ? 1 : 0,
                 std::string(folder.begin(), folder.end()).c_str(), code);
    std::fflush(stderr);
    std::exit(code);
}

class EntryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(root);
        dataHome = (root / "data").string();
    }
    void TearDown() override { fs::remove_all(root); }

    fs::path root = fs::temp_directory_path() / ("ge_app_entry_" + std::to_string(getpid()));
    std::string dataHome;
};

TEST_F(EntryTest, NoArgumentsAndNoWindowRunOnePassAndExitZero)
{
    EXPECT_EXIT(RunEntry({"prog"}, {{"XDG_DATA_HOME", dataHome.c_str()}}), testing::ExitedWithCode(0),
                "args=\\[\\] passes=1 .*code=0\n"
                "(.*\n)?boxes=0");
}

TEST_F(EntryTest, ArgumentsArriveWithoutTheProgramName)
{
    EXPECT_EXIT(
        RunEntry({"/some dir/prog", "--data_path", "", "a b", "x\"y"}, {{"XDG_DATA_HOME", dataHome.c_str()}}),
        testing::ExitedWithCode(0), "args=\\[--data_path,,a b,x\"y,\\]");
}

TEST_F(EntryTest, PerUserFolderFromXdgHomeOrDocuments)
{
    const std::string home = (root / "home").string();
    const std::string docs = (root / "docs").string();
    EXPECT_EXIT(RunEntry({"prog"}, {{"XDG_DATA_HOME", dataHome.c_str()}, {"HOME", home.c_str()}}),
                testing::ExitedWithCode(0), "userData=\\[" + dataHome + "/\\] code=0");
    EXPECT_EXIT(RunEntry({"prog"}, {{"XDG_DATA_HOME", nullptr}, {"HOME", home.c_str()}}),
                testing::ExitedWithCode(0), "userData=\\[" + home + "/.local/share/\\] code=0");
    // The application-data lookup fails without $HOME; the documents folder is next.
    EXPECT_EXIT(
        RunEntry({"prog"},
                 {{"XDG_DATA_HOME", nullptr}, {"HOME", nullptr}, {"XDG_DOCUMENTS_DIR", docs.c_str()}}),
        testing::ExitedWithCode(0), "userData=\\[" + docs + "/\\] code=0");
}

TEST_F(EntryTest, NoPerUserFolderFailsWithALogLineAndStatusOne)
{
    EXPECT_EXIT(
        RunEntry({"prog"}, {{"XDG_DATA_HOME", nullptr}, {"HOME", nullptr}, {"XDG_DOCUMENTS_DIR", nullptr}}),
        testing::ExitedWithCode(1), "Start-up failed: no per-user data folder.*passes=0 .*code=1");
}

TEST_F(EntryTest, FailedGameStartupIsLoggedAndExitsNonZero)
{
    EXPECT_EXIT(
        {
            gPlan.result = GE_FAIL;
            RunEntry({"prog"}, {{"XDG_DATA_HOME", dataHome.c_str()}});
        },
        testing::ExitedWithCode(1), "Start-up failed: the game could not start.*passes=1 .*code=1");
}

TEST_F(EntryTest, LoopRunsUntilTheLastChildIsGone)
{
    // Pass 1 only adds the child; it ticks in passes 2 to 4 and leaves in the fourth.
    EXPECT_EXIT(
        {
            gPlan.childFrames = 3;
            RunEntry({"prog"}, {{"XDG_DATA_HOME", dataHome.c_str()}});
        },
        testing::ExitedWithCode(0), "passes=4 childTicks=3 .*code=0");
}

TEST_F(EntryTest, DirectXFailureSkipsTheLoopAndShowsTheBoxAtExit)
{
    EXPECT_EXIT(
        {
            gPlan.failDirectX = true;
            RunEntry({"prog"}, {{"XDG_DATA_HOME", dataHome.c_str()}});
        },
        testing::ExitedWithCode(0),
        "passes=0 .*code=0\n"
        "(.*\n)?Error: Failed to init DirectX 9 render: video card does'n support vertex shaders 1.1 "
        "and\\(or\\) "
        "pixel shaders 2.0\n"
        "(.*\n)?boxes=1");
}

TEST_F(EntryTest, FinishedThreadIsDroppedAndDeletedBeforeTheLoopEnds)
{
    EXPECT_EXIT(
        {
            gPlan.threadFrames = 5;
            RunEntry({"prog"}, {{"XDG_DATA_HOME", dataHome.c_str()}});
        },
        testing::ExitedWithCode(0), "threadDeleted=1 .*code=0");
}

// Checks the log files of one application; exits 0 when all holds, else prints why.
[[noreturn]] void CheckInitLogFile(const fs::path& folder)
{
    std::string failures;
    auto check = [&](bool holds, const std::string& what) {
        if (!holds)
            failures += what + "; ";
    };
    app::Application* application = GetApplication();
    const std::size_t before = base::MainLog::Instance()->htmlOutputs.size();

    const std::wstring wide = folder.wstring() + L"/";
    check(application->InitLogFile(wide) == GE_OK, "result");
    check(application->logFolder == wide, "logFolder");
    check(base::MainLog::Instance()->htmlOutputs.size() == before + 1, "one more output");
    GE_LOG(L"after %s\n") << std::wstring(L"open");
    std::ifstream in(folder / "log.html");
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    check(text.rfind("<html>", 0) == 0, "header");
    check(text.find("after open") != std::string::npos, "record");

    // A folder that cannot hold the file: still 0, no output added.
    check(application->InitLogFile(wide + L"missing/") == GE_OK, "result for a missing folder");
    check(base::MainLog::Instance()->htmlOutputs.size() == before + 1, "no output for a missing folder");
    std::fprintf(stderr, "failures=[%s]\n", failures.c_str());
    std::exit(failures.empty() ? 0 : 1);
}

TEST_F(EntryTest, InitLogFileAddsAnHtmlOutputAndSurvivesAMissingFolder)
{
    EXPECT_EXIT(CheckInitLogFile(root), testing::ExitedWithCode(0), "failures=\\[\\]");
}

} // namespace

app::Application* CreateApplicationInstance()
{
    return new TestApplication;
}
