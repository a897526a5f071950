#pragma once
// The headless game harness: the real Game, started the way the program starts, on
// the generated content of the build tree, with the offscreen video and dummy audio
// drivers and per-user folders of its own. Frames advance with a fixed time step
// through the application's own main-loop pass; input goes through the Win32
// stand-in's message queue, so it takes the real path (window procedure, input,
// frame manager, root board).
//
// The application is a process-wide singleton that lives until exit, so every game
// runs in a child process of its own: RunGame forks, the child builds a GameHarness,
// starts the game and runs the script, and the test in the parent passes when the
// child's assertions (ordinary gtest EXPECT/ASSERT, printed as they fail) passed.
//
//     TEST(MainMenu, PlayOpensTheEpisodes)
//     {
//         RunGame("MainMenu.PlayOpensTheEpisodes", {}, [](GameHarness& h) {
//             ASSERT_EQ(h.Start(), GE_OK);
//             h.Step(120);
//             h.Click(512, 400);
//             h.Step(10);
//             h.Screenshot("after-play");
//             EXPECT_EQ(h.Screen(), 5);
//         });
//     }
//
// Screenshots go to <build>/test-shots/<test>/<step>.png, each checked for anything
// drawn in the side bars. Sounds played by name and music started are recorded in order.
#include "Core/Base/Types.h"

#include <chrono>

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

class Game;

struct GameSetup {
    // Files written over the generated content for this game only, by path relative
    // to the data folder ("td/config.xml" -> its whole text). The rest of the content
    // is the build tree's, reached through links; "td/strings_en.csv" is always a copy,
    // since the game appends missing keys to it.
    std::map<std::string, std::string> contentFiles;
    // Files of the generated content left out for this game only (relative paths).
    std::vector<std::string> removedFiles;
    // Written as "profiles.xml" in the per-user folder before the start (empty: none).
    std::string profiles;
    // When set and `profiles` is empty, the game starts in a window (a profile whose
    // "fs" says so); otherwise the default first start (full screen on the offscreen display).
    bool windowed = true;
    // Command-line arguments after "--data_path <folder>" (rarely needed).
    std::vector<std::wstring> extraArgs;
    // The display's size (0, 0: the offscreen driver's 1024 x 768); 1366 x 768 shows
    // the picture between side bars in full screen.
    int displayWidth = 0;
    int displayHeight = 0;
};

class GameHarness {
public:
    static constexpr float kStep = 1.0f / 60.0f;

    // Makes the folders (under the system temp folder, named after `test`) and the
    // environment; nothing is started yet.
    GameHarness(const std::string& test, const GameSetup& setup);
    ~GameHarness();
    GameHarness(const GameHarness&) = delete;
    GameHarness& operator=(const GameHarness&) = delete;

    // The program's start-up (Init, then the framework's Startup with "--data_path");
    // its result. The window, renderer and content exist after GE_OK.
    GEResultEnum Start();
    Game* game() const;

    // Runs `frames` passes of the main loop, each with the time step `dt`.
    void Step(int frames = 1, float dt = kStep);
    // Steps whole frames until `seconds` of game time have passed.
    void StepSeconds(float seconds);
    // Steps until `done` is true or `maxFrames` passed; true when it became true.
    bool StepUntil(const std::function<bool()>& done, int maxFrames = 600);

    // Pointer input at virtual-screen coordinates (the 1024x768 design space), queued
    // as window messages; each message is handled by the next frame pass.
    void MouseMove(float x, float y);
    void MouseDown(float x, float y);
    void MouseUp(float x, float y);
    // Down, a frame, up, a frame.
    void Click(float x, float y);
    void Wheel(float x, float y, int notches);
    // Virtual-key input; `character` is what the key types (0: none).
    void KeyDown(int virtualKey, wchar_t character = 0);
    void KeyUp(int virtualKey);
    void Key(int virtualKey, wchar_t character = 0); // down, a frame, up, a frame
    // Focus lost and gained, as the window manager reports them.
    void Deactivate();
    void Activate();
    // Closes the window the way the user does and steps until the loop would end.
    void Close(int maxFrames = 120);

    // The level object's screen id (-1 while there is none).
    int Screen() const;
    // The per-user folder and the data folder of this game.
    std::filesystem::path UserFolder() const;
    std::filesystem::path DataFolder() const { return data; }
    // The text of "profiles.xml" (empty when there is none).
    std::string ProfilesXml() const;
    // The text of this run's "log.html" in the per-user folder.
    std::string LogHtml() const;

    // Writes the window's current pixels to <build>/test-shots/<test>/<step>.png and
    // returns the path (empty on failure); anything but black or the side panels in
    // the side bars of a wide screen fails the test.
    std::string Screenshot(const std::string& step);
    // The window's pixels as 0xAARRGGBB, top row first.
    bool ReadPixels(std::vector<std::uint32_t>& argb, int& width, int& height) const;

    // Tells RunGameAndKill that the moment to be interrupted has come.
    void MarkReady();

    // What the game played: effect names in order, and music files started in order.
    std::vector<std::wstring> sounds;
    std::vector<std::string> music;

    const std::string test;

private:
    void Post(unsigned message, unsigned long long wParam, long long lParam, long character = 0);
    void ToClient(float x, float y, int& cx, int& cy) const;
    void WriteContent(const GameSetup& setup);

    std::filesystem::path root;
    std::filesystem::path data;
    std::vector<std::wstring> extraArgs;
    class Recorder;
    Recorder* recorder = nullptr;
};

// Runs `script` against a freshly started game in a child process and expects it to
// pass (no failed assertion, no crash) within `timeoutSeconds`. The child ends with
// the ordinary exit (singletons destroyed, profiles saved unless the no-save flag is
// set); `afterExit` then runs in the test's own process with the game's per-user
// folder (default game name), before the folders are removed.
void RunGame(const std::string& test, const GameSetup& setup, const std::function<void(GameHarness&)>& script,
             const std::function<void(const std::filesystem::path& userFolder)>& afterExit = {},
             int timeoutSeconds = 90);

// Runs `script` in a child process as RunGame does, waits until the script calls
// MarkReady, lets it run `killAfter` longer and ends it with SIGKILL: no exit handler,
// no last save. `afterKill` then runs in the test's own process with the game's
// per-user folder, as the next start of the program would find it.
void RunGameAndKill(const std::string& test, const GameSetup& setup, const std::function<void(GameHarness&)>& script,
                    std::chrono::microseconds killAfter,
                    const std::function<void(const std::filesystem::path& userFolder)>& afterKill);
