// The real game started headless on the generated content: its log, caption and
// screen mode, the design width and content scale of each edition, the publisher
// checks that stop the start, and the profile written at the first save.
#include "Core/App/Application.h"
#include "Core/Render/DX9/RenderDX9.h"
#include "Core/Render/Image.h"
#include "Framework/GameWindow.h"
#include "Platform/Win32/WinTest.h"
#include "Platform/Win32/Windows.h"
#include "Core/Render/BMFont.h"
#include "Source/TD/Shell/Game.h"
#include "Source/TD/Shell/GameWindow.h"
#include "Source/TD/Shell/Profiles.h"
#include "tests/Support/GameHarness.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string ContentFile(const std::string& relative)
{
    return ReadAll(fs::path(GE_BINARY_DIR) / "content" / relative);
}

// The demo configuration (or `text`) with one feature element replaced (or added).
std::string ConfigWith(const std::string& name, const std::string& element, std::string text = std::string())
{
    if (text.empty())
        text = ContentFile("td/config.xml");
    const std::string key = "<feature name=\"" + name + "\"";
    const size_t at = text.find(key);
    if (at == std::string::npos)
        return text.replace(text.find("</features>"), 0, element + "\n");
    return text.replace(at, text.find("/>", at) + 2 - at, element);
}

int Count(const std::string& text, const std::string& needle)
{
    int n = 0;
    for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1))
        ++n;
    return n;
}

TEST(GameStart, StartsOnTheGeneratedContentWithItsLogCaptionAndScreenMode)
{
    RunGame("GameStart.StartsOnTheGeneratedContent", {}, [](GameHarness& h) {
        ASSERT_EQ(h.Start(), GE_OK);
        Game* game = h.game();
        ASSERT_TRUE(game->window);
        EXPECT_EQ(game->caption, L"Zavav Edovari");
        EXPECT_EQ(game->window->caption, L"Zavav Edovari");
        EXPECT_EQ(game->windowed, 1);
        EXPECT_EQ(game->window->windowed, 1);
        EXPECT_EQ(game->virtualWidth, 1024);
        EXPECT_FLOAT_EQ(game->contentScale, 1.0f);
        // The side panels and the loading image came from the content.
        ASSERT_NE(game->mLeftSide, nullptr);
        ASSERT_NE(game->mRightSide, nullptr);
        ASSERT_NE(game->mLoadingImage, nullptr);
        EXPECT_EQ(game->mLeftSide->GetHeight(), 768);
        EXPECT_EQ(game->mLoadingImage->GetWidth(), 1024);
        EXPECT_EQ(game->mScreenPixelHeight, 768);
        EXPECT_FLOAT_EQ(game->mLoadingScale, 1.0f);
        // Every text of the game is drawn in the root board's fonts: each has its pages.
        for (const auto& font : game->mGameWindow->mFonts) {
            ASSERT_NE(font.Get(), nullptr);
            EXPECT_FALSE(font->pages.empty());
            for (const auto& page : font->pages)
                EXPECT_NE(page, nullptr);
        }
        h.Step(3);
        h.Screenshot("started");

        // Both log set-ups are in the log, which the one file holds once.
        const std::string log = h.LogHtml();
        EXPECT_EQ(Count(log, "log.html"), 2) << log;
        EXPECT_EQ(Count(log, "<html"), 1);
        EXPECT_EQ(Count(log, "Window caption: Zavav Edovari"), 1);
        EXPECT_EQ(Count(log, "Screen mode from the profile: window"), 1);

        // The loading screen shows the picture at once.
        game->drawLoadingScreen();
        h.Screenshot("loading");
        std::vector<std::uint32_t> argb;
        int w = 0, hgt = 0;
        ASSERT_TRUE(h.ReadPixels(argb, w, hgt));
        ASSERT_EQ(w, 1024);
        EXPECT_NE(argb[100 * 1024 + 100] & 0xFFFFFF, 0u); // the sky of the picture, not the black clear
    });
}

TEST(GameStart, WindowModeComesFromTheProfile)
{
    const struct {
        const char* fs;
        bool windowed;
    } cases[] = {{"", false}, {"<fs v=\"0\"/>", true}, {"<fs/>", true}, {"<fs v=\"x\"/>", true},
                 {"<fs v=\"1\"/>", false}};
    int n = 0;
    for (const auto& c : cases) {
        GameSetup setup;
        setup.profiles = std::string("<Profiles currentProfile=\"P\"><Profile name=\"P\">") + c.fs +
                         "</Profile></Profiles>";
        RunGame("GameStart.WindowMode" + std::to_string(n++), setup, [&](GameHarness& h) {
            ASSERT_EQ(h.Start(), GE_OK);
            EXPECT_EQ(h.game()->windowed != 0, c.windowed) << c.fs;
            ASSERT_TRUE(h.game()->window);
            EXPECT_EQ(h.game()->window->windowed != 0, c.windowed) << c.fs;
            EXPECT_EQ(Count(h.LogHtml(), std::string("Screen mode from the profile: ") +
                                             (c.windowed ? "window" : "full screen")),
                      1);
        });
    }
}

TEST(GameStart, WidthAndContentScaleOfEachEdition)
{
    const struct {
        bool hd;
        bool wide;
        int width;
        float scale;
    } cases[] = {{true, true, 1024, 0.5f}, {true, false, 1024, 0.5f}, {false, true, 1366, 1.0f},
                 {false, false, 1024, 1.0f}};
    int n = 0;
    for (const auto& c : cases) {
        GameSetup setup;
        const std::string hd = std::string("<feature name=\"edition_hd\" is_active=\"") + (c.hd ? "true" : "false") + "\"/>";
        const std::string wide =
            std::string("<feature name=\"wide_screen_mode\" is_active=\"") + (c.wide ? "true" : "false") + "\"/>";
        setup.contentFiles["td/config.xml"] = ConfigWith("wide_screen_mode", wide, ConfigWith("edition_hd", hd));
        RunGame("GameStart.Edition" + std::to_string(n++), setup, [&](GameHarness& h) {
            ASSERT_EQ(h.Start(), GE_OK);
            EXPECT_EQ(h.game()->virtualWidth, c.width);
            EXPECT_FLOAT_EQ(h.game()->contentScale, c.scale);
            EXPECT_FLOAT_EQ(h.game()->virtualRect.width, static_cast<float>(c.width));
        });
    }
}

TEST(GameStart, MissingPublisherPageStopsTheStartWithAMessageAndNoWindow)
{
    GameSetup setup;
    setup.contentFiles["td/config.xml"] =
        ConfigWith("publisher_url", R"(<feature name="publisher_url" is_active="true" check="true"/>)");
    RunGame("GameStart.MissingPublisherPage", setup, [](GameHarness& h) {
        const int boxes = Win32_MessageBoxCount();
        EXPECT_NE(h.Start(), GE_OK);
        EXPECT_EQ(Win32_MessageBoxCount(), boxes + 1);
        EXPECT_STREQ(Win32_LastMessageBoxText(), L"File play.url not found!");
        EXPECT_FALSE(h.game()->window && h.game()->window->created);
        EXPECT_EQ(Win32_TestWindowCount(), 0);
        EXPECT_TRUE(h.game()->stopping || h.game()->IsDone());
    });

    // The check off: nothing is reported, nothing opened, the game starts.
    GameSetup off;
    off.contentFiles["td/config.xml"] =
        ConfigWith("publisher_url", R"(<feature name="publisher_url" is_active="true" check="false"/>)");
    RunGame("GameStart.PublisherCheckOff", off, [](GameHarness& h) {
        const int boxes = Win32_MessageBoxCount();
        EXPECT_EQ(h.Start(), GE_OK);
        EXPECT_EQ(Win32_MessageBoxCount(), boxes);
    });

    // The program itself ends with a non-zero code, and says why.
    const fs::path root = fs::temp_directory_path() / ("td-publisher-" + std::to_string(getpid()));
    fs::remove_all(root);
    fs::create_directories(root / "content" / "td");
    fs::create_directories(root / "home");
    for (const auto& entry : fs::directory_iterator(fs::path(GE_BINARY_DIR) / "content" / "td"))
        if (entry.path().filename() != "config.xml")
            fs::create_symlink(entry.path(), root / "content" / "td" / entry.path().filename());
    std::ofstream(root / "content" / "td" / "config.xml") << setup.contentFiles["td/config.xml"];
    const std::string program = GE_BINARY_DIR "/bin/zavavedovari";
    const std::string data = (root / "content").string();
    const std::string errors = (root / "stderr.txt").string();
    std::vector<std::string> env = {"SDL_VIDEODRIVER=offscreen", "SDL_AUDIODRIVER=dummy",
                                    "XDG_DATA_HOME=" + (root / "home").string(),
                                    "XDG_RUNTIME_DIR=" + (root / "home").string(), "HOME=" + (root / "home").string(),
                                    "PATH=/usr/bin:/bin"};
    std::vector<char*> envp, argv;
    for (std::string& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string a0 = program, a1 = "--data_path", a2 = data;
    argv = {a0.data(), a1.data(), a2.data(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data()), 0);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_NE(WEXITSTATUS(status), 0);
    EXPECT_NE(ReadAll(errors).find("File play.url not found!"), std::string::npos) << ReadAll(errors);
    fs::remove_all(root);
}

TEST(GameStart, SwitchingTheScreenModeWritesItIntoTheProfile)
{
    RunGame("GameStart.ScreenModeSwitch", {}, [](GameHarness& h) {
        ASSERT_EQ(h.Start(), GE_OK);
        h.Step(2);
        ASSERT_EQ(h.game()->window->windowed, 1);
        ASSERT_EQ(h.game()->SwitchScreenMode(), GE_OK);
        h.Step(2);
        EXPECT_EQ(h.game()->window->windowed, 0);
        EXPECT_NE(h.ProfilesXml().find("<fs v=\"1\"/>"), std::string::npos) << h.ProfilesXml();
        h.Screenshot("full-screen");
        ASSERT_EQ(h.game()->SwitchScreenMode(), GE_OK);
        h.Step(2);
        EXPECT_EQ(h.game()->window->windowed, 1);
        EXPECT_NE(h.ProfilesXml().find("<fs v=\"0\"/>"), std::string::npos) << h.ProfilesXml();
        EXPECT_EQ(Count(h.ProfilesXml(), "<fs "), 1);
    });
}

// The default profile as first saved: the name, and what binding the level object's
// progress makes of it (the sections and version, the gem balance it reads).
const char* const kFirstSave = "<Profiles currentProfile=\"Player01234567890123456789\">\n"
                               "    <Profile name=\"Player01234567890123456789\" version=\"4\">\n"
                               "        <levels/>\n"
                               "        <towers/>\n"
                               "        <gems amount=\"0\"/>\n"
                               "    </Profile>\n"
                               "</Profiles>\n";

TEST(GameStart, FirstStartWritesExactlyTheDefaultProfile)
{
    GameSetup setup;
    setup.windowed = false; // no profile at all: the first start
    RunGame(
        "GameStart.FirstStart", setup,
        [](GameHarness& h) {
            ASSERT_EQ(h.Start(), GE_OK);
            EXPECT_EQ(h.game()->windowed, 0); // no "fs": full screen
            h.Step(2);
            const std::string saved = h.ProfilesXml();
            if (!saved.empty()) { // saved during start-up already
                EXPECT_EQ(saved, kFirstSave);
            }
        },
        [](const fs::path& userFolder) { EXPECT_EQ(ReadAll(userFolder / "profiles.xml"), kFirstSave); });
}

TEST(GameStart, ADamagedProfileFileIsKeptAsideAndReported)
{
    GameSetup setup;
    setup.profiles = "<Profiles currentProfile=\"Lost\"><Profile name=\"Lost\"><levels>";
    RunGame(
        "GameStart.DamagedProfiles", setup,
        [](GameHarness& h) {
            ASSERT_EQ(h.Start(), GE_OK);
            EXPECT_TRUE(file::Profiles::loadError);
            EXPECT_EQ(ReadAll(h.UserFolder() / "profiles.xml.damaged"),
                      "<Profiles currentProfile=\"Lost\"><Profile name=\"Lost\"><levels>");
            EXPECT_EQ(Count(h.LogHtml(), "could not be read as profiles; it was kept as"), 1);
        },
        [](const fs::path& userFolder) {
            EXPECT_TRUE(fs::exists(userFolder / "profiles.xml.damaged"));
            EXPECT_NE(ReadAll(userFolder / "profiles.xml").find("Player01234567890123456789"), std::string::npos);
        });
}

} // namespace
