#include "tests/Support/GameHarness.h"
#include "Core/App/Application.h"
#include "Core/Base/Singletone.h"
#include "Core/Base/Task.h"
#include "Core/File/UserDataFileContainer.h"
#include "Core/Render/DX9/RenderDX9.h"
#include "Framework/GameWindow.h"
#include "Platform/D3D9/D3D9TestHooks.h"
#include "Platform/Win32/WinTest.h"
#include "Platform/Win32/Windows.h"
#include "Source/TD/Audio/SoundObserver.h"
#include "Source/TD/Audio/SoundSystem.h"
#include "Source/TD/Shell/Game.h"
#include "tests/Support/PngFile.h"
#include "tests/Support/SideBarCheck.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

// The program's application class, as the real program makes it.
app::Application* CreateApplicationInstance()
{
    return new Game;
}

namespace {

namespace fs = std::filesystem;

const char* const kContent = GE_BINARY_DIR "/content";

std::string FolderSafe(const std::string& name)
{
    std::string out;
    for (char c : name)
        out += (std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_' || c == '.') ? c : '_';
    return out;
}

// Set by RunGame before it forks, so that parent and child agree on the folders.
fs::path gRoot;

fs::path RootFor(const std::string& test)
{
    if (!gRoot.empty())
        return gRoot;
    return fs::temp_directory_path() / ("td-game-" + FolderSafe(test) + "-" + std::to_string(getpid()));
}

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Replaces a linked folder by a real one whose entries link to the original's.
void Materialize(const fs::path& folder)
{
    if (!fs::is_symlink(folder))
        return;
    const fs::path target = fs::read_symlink(folder);
    fs::remove(folder);
    fs::create_directory(folder);
    for (const auto& entry : fs::directory_iterator(target))
        fs::create_symlink(entry.path(), folder / entry.path().filename());
}

// Writes `text` at `relative` inside `data`, turning every linked folder on the way
// into a real one so that the build's content is never written through.
void Override(const fs::path& data, const std::string& relative, const std::string& text)
{
    fs::path at = data;
    const fs::path rel(relative);
    for (auto part = rel.begin(); part != rel.end(); ++part) {
        if (std::next(part) == rel.end())
            break;
        at /= *part;
        if (fs::exists(fs::symlink_status(at)))
            Materialize(at);
        else
            fs::create_directories(at);
    }
    const fs::path file = data / rel;
    fs::remove(file);
    std::ofstream(file, std::ios::binary) << text;
}


} // namespace

class GameHarness::Recorder : public SoundObserver {
public:
    explicit Recorder(GameHarness* owner) : owner(owner) {}
    void onSoundPlayed(const std::wstring& name, bool) override { owner->sounds.push_back(name); }
    void onMusicStarted(const std::string& file) override { owner->music.push_back(file); }
    GameHarness* owner;
};

GameHarness::GameHarness(const std::string& testName, const GameSetup& setup)
    : test(testName), root(RootFor(testName)), data(root / "content"), extraArgs(setup.extraArgs)
{
    fs::remove_all(root);
    for (const char* folder : {"content", "data-home", "run", "home"})
        fs::create_directories(root / folder);
    setenv("XDG_DATA_HOME", (root / "data-home").c_str(), 1);
    setenv("XDG_RUNTIME_DIR", (root / "run").c_str(), 1);
    setenv("HOME", (root / "home").c_str(), 1);
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    Win32_TestSetDisplaySize(setup.displayWidth, setup.displayHeight);
    WriteContent(setup);

    std::string profiles = setup.profiles;
    if (profiles.empty() && setup.windowed)
        profiles = "<Profiles currentProfile=\"Player01234567890123456789\">\n"
                   "    <Profile name=\"Player01234567890123456789\">\n"
                   "        <fs v=\"0\"/>\n"
                   "    </Profile>\n"
                   "</Profiles>\n";
    if (!profiles.empty()) {
        fs::create_directories(UserFolder());
        std::ofstream(UserFolder() / "profiles.xml", std::ios::binary) << profiles;
    }
    Win32_SetMessageBoxesToStderr(true);
}

GameHarness::~GameHarness()
{
    if (SoundSystem::Exists() && SoundSystem::Instance()->observer == recorder)
        SoundSystem::Instance()->observer = nullptr;
    delete recorder;
}

void GameHarness::WriteContent(const GameSetup& setup)
{
    for (const auto& entry : fs::directory_iterator(kContent))
        fs::create_symlink(entry.path(), data / entry.path().filename());
    // The game appends missing text keys to this file: each game gets its own copy.
    if (!setup.contentFiles.count("td/strings_en.csv"))
        Override(data, "td/strings_en.csv", ReadFile(fs::path(kContent) / "td" / "strings_en.csv"));
    for (const auto& [path, text] : setup.contentFiles)
        Override(data, path, text);
    for (const std::string& path : setup.removedFiles) {
        Override(data, path, std::string());
        fs::remove(data / path);
    }
}

Game* GameHarness::game() const
{
    return static_cast<Game*>(GetApplication());
}

GEResultEnum GameHarness::Start()
{
    Game* g = game();
    if (GEResultEnum result = g->Init())
        return result;
    g->args = {L"--data_path", data.wstring()};
    g->args.insert(g->args.end(), extraArgs.begin(), extraArgs.end());
    const GEResultEnum result = g->Startup();
    if (result == GE_OK) {
        recorder = new Recorder(this);
        SoundSystem::Instance()->observer = recorder;
    }
    return result;
}

void GameHarness::Step(int frames, float dt)
{
    base::Task* loop = game();
    for (int i = 0; i < frames && !loop->IsDone(); ++i)
        loop->Update(dt);
}

void GameHarness::StepSeconds(float seconds)
{
    Step(static_cast<int>(seconds / kStep + 0.5f));
}

bool GameHarness::StepUntil(const std::function<bool()>& done, int maxFrames)
{
    for (int i = 0; i < maxFrames; ++i) {
        if (done())
            return true;
        Step();
    }
    return done();
}

void GameHarness::Post(unsigned message, unsigned long long wParam, long long lParam, long character)
{
    Game* g = game();
    if (!g->window || !g->window->hwnd) {
        ADD_FAILURE() << "no window to send input to";
        return;
    }
    Win32_TestPostMessage(g->window->hwnd, message, static_cast<WPARAM>(wParam), static_cast<LPARAM>(lParam),
                          character);
}

void GameHarness::ToClient(float x, float y, int& cx, int& cy) const
{
    const Game* g = game();
    cx = static_cast<int>(x / g->converterScale.x - g->converterOffset.x + 0.5f);
    cy = static_cast<int>(y / g->converterScale.y - g->converterOffset.y + 0.5f);
}

void GameHarness::MouseMove(float x, float y)
{
    int cx = 0, cy = 0;
    ToClient(x, y, cx, cy);
    Post(WM_MOUSEMOVE, 0, MAKELPARAM(cx, cy));
}

void GameHarness::MouseDown(float x, float y)
{
    int cx = 0, cy = 0;
    ToClient(x, y, cx, cy);
    Post(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(cx, cy));
}

void GameHarness::MouseUp(float x, float y)
{
    int cx = 0, cy = 0;
    ToClient(x, y, cx, cy);
    Post(WM_LBUTTONUP, 0, MAKELPARAM(cx, cy));
}

void GameHarness::Click(float x, float y)
{
    MouseMove(x, y);
    Step();
    MouseDown(x, y);
    Step();
    MouseUp(x, y);
    Step();
}

void GameHarness::Wheel(float x, float y, int notches)
{
    int cx = 0, cy = 0;
    ToClient(x, y, cx, cy);
    const auto delta = static_cast<unsigned long long>(static_cast<std::uint16_t>(notches * 120));
    Post(WM_MOUSEWHEEL, delta << 16, MAKELPARAM(cx, cy));
}

void GameHarness::KeyDown(int virtualKey, wchar_t character)
{
    Post(WM_KEYDOWN, static_cast<unsigned long long>(virtualKey), 1, static_cast<long>(character));
}

void GameHarness::KeyUp(int virtualKey)
{
    Post(WM_KEYUP, static_cast<unsigned long long>(virtualKey), 1);
}

void GameHarness::Key(int virtualKey, wchar_t character)
{
    KeyDown(virtualKey, character);
    Step();
    KeyUp(virtualKey);
    Step();
}

void GameHarness::Deactivate()
{
    Post(WM_ACTIVATEAPP, 0, 0);
}

void GameHarness::Activate()
{
    Post(WM_ACTIVATEAPP, 1, 0);
}

void GameHarness::Close(int maxFrames)
{
    Post(WM_CLOSE, 0, 0);
    Step(maxFrames);
}

int GameHarness::Screen() const
{
    return game()->screenId();
}

fs::path GameHarness::UserFolder() const
{
    const Game* g = Game::sInstance;
    const std::wstring folder = g && !g->gameFolder.empty() ? g->gameFolder : L"ZavavEdovari";
    return root / "data-home" / "Brenwick" / folder;
}

std::string GameHarness::ProfilesXml() const
{
    return ReadFile(UserFolder() / "profiles.xml");
}

void GameHarness::MarkReady()
{
    std::ofstream(root / "ready") << "ready";
}

std::string GameHarness::LogHtml() const
{
    return ReadFile(UserFolder() / "log.html");
}

bool GameHarness::ReadPixels(std::vector<std::uint32_t>& argb, int& width, int& height) const
{
    const Game* g = game();
    if (!g->render || !g->render->GetDevice())
        return false;
    return D3D9Test_ReadWindow(g->render->GetDevice(), argb, width, height);
}

std::string GameHarness::Screenshot(const std::string& step)
{
    std::vector<std::uint32_t> argb;
    int width = 0, height = 0;
    if (!ReadPixels(argb, width, height) || width <= 0 || height <= 0) {
        ADD_FAILURE() << "no pixels for the screenshot " << step;
        return std::string();
    }
    const fs::path folder = fs::path(GE_BINARY_DIR) / "test-shots" / FolderSafe(test);
    fs::create_directories(folder);
    const std::string path = (folder / (FolderSafe(step) + ".png")).string();
    if (!WritePng(path, argb, width, height)) {
        ADD_FAILURE() << "cannot write " << path;
        return std::string();
    }
    static const SideBarCheck sideBars(kContent);
    EXPECT_TRUE(sideBars.Ready()) << "the side panels of the content cannot be read";
    const std::string drawnInTheBars = sideBars.Check(argb, width, height);
    EXPECT_TRUE(drawnInTheBars.empty()) << path << ": " << drawnInTheBars;
    return path;
}

void RunGame(const std::string& test, const GameSetup& setup, const std::function<void(GameHarness&)>& script,
             const std::function<void(const fs::path& userFolder)>& afterExit, int timeoutSeconds)
{
    gRoot.clear();
    gRoot = RootFor(test);
    const fs::path root = gRoot;
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t child = fork();
    ASSERT_GE(child, 0) << "fork failed";
    if (child == 0) {
        {
            GameHarness harness(test, setup);
            script(harness);
        }
        const bool failed = ::testing::Test::HasFailure();
        std::fflush(stdout);
        std::fflush(stderr);
        // The singletons go in their own order, as at the end of the program (the exit
        // save of the profiles among them), while the libraries' statics still stand;
        // the process then ends without running the exit handlers a second time.
        base::DestroySingletones();
        std::fflush(stdout);
        std::fflush(stderr);
        _exit(failed || ::testing::Test::HasFailure() ? 1 : 0);
    }
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    pid_t done = 0;
    while ((done = waitpid(child, &status, WNOHANG)) == 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    if (done == 0) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
        ADD_FAILURE() << test << ": the game did not finish within " << timeoutSeconds << " s";
    } else if (WIFSIGNALED(status)) {
        ADD_FAILURE() << test << ": the game died of signal " << WTERMSIG(status);
    } else {
        EXPECT_EQ(WEXITSTATUS(status), 0) << test << ": the game's script failed (see its output above)";
    }
    if (afterExit && done != 0 && WIFEXITED(status))
        afterExit(root / "data-home" / "Brenwick" / "ZavavEdovari");
    fs::remove_all(root);
    gRoot.clear();
}

void RunGameAndKill(const std::string& test, const GameSetup& setup, const std::function<void(GameHarness&)>& script,
                    std::chrono::microseconds killAfter, const std::function<void(const fs::path& userFolder)>& afterKill)
{
    gRoot.clear();
    gRoot = RootFor(test);
    const fs::path root = gRoot;
    fs::remove(root / "ready");
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t child = fork();
    ASSERT_GE(child, 0) << "fork failed";
    if (child == 0) {
        {
            GameHarness harness(test, setup);
            script(harness);
        }
        std::fflush(stdout);
        std::fflush(stderr);
        _exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    int status = 0;
    pid_t done = 0;
    while (!fs::exists(root / "ready") && (done = waitpid(child, &status, WNOHANG)) == 0 &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (done == 0) {
        std::this_thread::sleep_for(killAfter);
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
        if (!WIFSIGNALED(status) || WTERMSIG(status) != SIGKILL)
            ADD_FAILURE() << test << ": the game ended before it was killed";
        else
            afterKill(root / "data-home" / "Brenwick" / "ZavavEdovari");
    } else {
        ADD_FAILURE() << test << ": the game ended before it was ready";
    }
    fs::remove_all(root);
    gRoot.clear();
}
