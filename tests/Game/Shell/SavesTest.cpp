// The player's saves met the way a broken disk or a hostile player leaves them, each in
// a real start-up: a damaged, cut or missing "profiles.xml" beside its backup, things
// that are no plain file in its place, names with control characters, absurd stored
// values, a per-user folder that cannot be written, and how often a start with no
// input writes the file.
#include "Source/TD/Shell/Game.h"
#include "Source/TD/Shell/GameWindow.h"
#include "Source/TD/Shell/PlayerProgress.h"
#include "Source/TD/Shell/Profiles.h"
#include "Source/TD/World/TDMap.h"
#include "Source/TD/World/UpgradesTable.h"
#include "tests/Support/ClickPlayer.h"
#include "tests/Support/GameHarness.h"
#include "tests/Support/Unprivileged.h"

#include <gtest/gtest.h>
#include <tinyxml2.h>

#include <cstring>
#include <fcntl.h>
#include <functional>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void Write(const fs::path& path, const std::string& text)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

int Count(const std::string& text, const std::string& needle)
{
    int n = 0;
    for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1))
        ++n;
    return n;
}

// A player's progress worth keeping.
const char* const kKept = "<Profiles currentProfile=\"Keeper\">\n"
                          "    <Profile name=\"Keeper\" version=\"4\">\n"
                          "        <levels>\n"
                          "            <level n=\"0\" episode=\"0\" combo=\"3\" kills=\"40\" healthBonus=\"10\" "
                          "gems=\"45\" high=\"50\" stars=\"3\"/>\n"
                          "        </levels>\n"
                          "        <towers/>\n"
                          "        <gems amount=\"77\"/>\n"
                          "        <fs v=\"0\"/>\n"
                          "    </Profile>\n"
                          "</Profiles>\n";

// The current profile's name and gem balance of a profile file; name empty when the
// text is no whole profile file.
struct Held {
    std::string name;
    int gems = -1;
};

Held HeldIn(const std::string& text)
{
    tinyxml2::XMLDocument document;
    if (document.Parse(text.data(), text.size()) != tinyxml2::XML_SUCCESS)
        return {};
    const tinyxml2::XMLElement* root = document.FirstChildElement("Profiles");
    const char* current = root ? root->Attribute("currentProfile") : nullptr;
    if (!current)
        return {};
    for (const tinyxml2::XMLElement* p = root->FirstChildElement("Profile"); p; p = p->NextSiblingElement("Profile"))
        if (p->Attribute("name", current)) {
            const tinyxml2::XMLElement* gems = p->FirstChildElement("gems");
            return Held{current, gems ? gems->IntAttribute("amount", -1) : 0};
        }
    return {};
}

PlayerProgress* Progress(GameHarness& h)
{
    TDMap* map = click::Level(h);
    return map ? map->mProgress : nullptr;
}

// A few frames, a change saved, again: enough saves for the backup to turn over.
void SaveTwice(GameHarness& h)
{
    PlayerProgress* progress = Progress(h);
    ASSERT_NE(progress, nullptr);
    h.Step(30);
    progress->addGems(1);
    h.Step(2);
    progress->addGems(1);
    h.Step(2);
}

TEST(Saves, ALostProfileFileIsReadFromItsBackupAndTheBackupIsNeverGivenUp)
{
    const std::string kept = kKept;
    const struct {
        const char* what;
        std::string file;   // "profiles.xml"; empty: none
        std::string backup; // "profiles.xml.bak"
        bool recovered;
    } cases[] = {
        {"damaged", "\x01\x02 not a profile file <<<", kept, true},
        {"truncated", kept.substr(0, kept.size() / 2), kept, true},
        {"missing", "", kept, true},
        {"damaged beside a damaged backup", "garbage", "more garbage", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        GameSetup setup;
        setup.windowed = false; // the files below are the only ones
        const std::string test = std::string("Saves.Backup.") + c.what;
        RunGame(
            test, setup,
            [&](GameHarness& h) {
                if (!c.file.empty())
                    Write(h.UserFolder() / "profiles.xml", c.file);
                Write(h.UserFolder() / "profiles.xml.bak", c.backup);
                ASSERT_EQ(h.Start(), GE_OK);
                PlayerProgress* progress = Progress(h);
                ASSERT_NE(progress, nullptr);
                if (c.recovered) {
                    EXPECT_EQ(file::Profiles::Instance()->currentName(), L"Keeper");
                    EXPECT_EQ(progress->getGems(), 77);
                    EXPECT_EQ(progress->getEpisodeStars(-1), 3);
                    EXPECT_FALSE(file::Profiles::loadError) << "nothing was lost: no message";
                }
                SaveTwice(h);
                ASSERT_TRUE(click::ThroughSplash(h));
                const std::string log = h.LogHtml();
                EXPECT_EQ(Count(log, "the progress was read from its backup"), c.recovered ? 1 : 0) << log;
                EXPECT_EQ(Count(log, "could not be read as profiles either"), c.recovered ? 0 : 1) << log;
            },
            [&](const fs::path& user) {
                const Held now = HeldIn(ReadAll(user / "profiles.xml"));
                if (c.file.empty()) {
                    EXPECT_FALSE(fs::exists(user / "profiles.xml.damaged"));
                } else {
                    EXPECT_EQ(ReadAll(user / "profiles.xml.damaged"), c.file);
                }
                if (c.recovered) {
                    EXPECT_EQ(now.name, "Keeper");
                    EXPECT_EQ(now.gems, 79);
                    // The backup holds the player's progress, never the default profile.
                    EXPECT_EQ(HeldIn(ReadAll(user / "profiles.xml.bak")).name, "Keeper");
                } else {
                    EXPECT_EQ(now.name, "Player01234567890123456789");
                    EXPECT_EQ(ReadAll(user / "profiles.xml.bak.damaged"), c.backup);
                    EXPECT_FALSE(fs::exists(user / "profiles.xml.bak")) << "the stand-in became the backup";
                }
            });
    }
}

// In place of "profiles.xml": each kind of thing that is no plain file. The start never
// waits on it, says what it found, keeps it aside and goes on from the backup.
TEST(Saves, WhatIsNoPlainFileIsRefusedWithoutWaitingAndTheBackupServes)
{
    const struct {
        const char* what;
        std::function<void(const fs::path&)> make;
        const char* logged; // in the line about the refused file; empty: it counts as missing
    } cases[] = {
        {"fifo", [](const fs::path& p) { ASSERT_EQ(mkfifo(p.c_str(), 0644), 0); }, "FIFO or a socket"},
        {"socket",
         [](const fs::path& p) {
             const int s = socket(AF_UNIX, SOCK_STREAM, 0);
             ASSERT_GE(s, 0);
             sockaddr_un address{};
             address.sun_family = AF_UNIX;
             ASSERT_LT(p.string().size(), sizeof address.sun_path);
             std::strcpy(address.sun_path, p.c_str());
             ASSERT_EQ(bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
             close(s);
         },
         "cannot be opened"},
        {"device link", [](const fs::path& p) { fs::create_symlink("/dev/zero", p); }, "a device"},
        {"folder", [](const fs::path& p) { fs::create_directory(p); }, "a folder"},
        {"dangling link", [](const fs::path& p) { fs::create_symlink("/nowhere/at/all", p); }, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        GameSetup setup;
        setup.windowed = false;
        // A short name: a socket's path must fit its address.
        RunGame(
            std::string("Saves.NotPlain.") + c.what, setup,
            [&](GameHarness& h) {
                Write(h.UserFolder() / "profiles.xml.bak", kKept);
                c.make(h.UserFolder() / "profiles.xml");
                ASSERT_EQ(h.Start(), GE_OK);
                EXPECT_EQ(file::Profiles::Instance()->currentName(), L"Keeper");
                SaveTwice(h);
                const std::string log = h.LogHtml();
                if (*c.logged) {
                    EXPECT_EQ(Count(log, "could not be read as profiles; it was kept as"), 1) << log;
                    EXPECT_EQ(Count(log, c.logged), 1) << log;
                } else {
                    EXPECT_EQ(Count(log, "profiles.xml is missing; the progress was read from its backup"), 1) << log;
                }
            },
            [&](const fs::path& user) {
                EXPECT_EQ(HeldIn(ReadAll(user / "profiles.xml")).name, "Keeper");
                EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(user / "profiles.xml")));
                EXPECT_EQ(fs::exists(fs::symlink_status(user / "profiles.xml.damaged")), *c.logged != 0);
                EXPECT_EQ(HeldIn(ReadAll(user / "profiles.xml.bak")).name, "Keeper");
            },
            60);
    }
}

// Every character below U+0020 (but for the three XML allows) makes a file no strict
// reader takes; none of them stays in a saved name.
TEST(Saves, ProfileNamesKeepOnlyCharactersAProfileFileCanHold)
{
    GameSetup setup;
    setup.profiles = "<Profiles currentProfile=\"Bell&#7;Ann\">\n"
                     "    <Profile name=\"Bell&#7;Ann\">\n"
                     "        <fs v=\"0\"/>\n"
                     "    </Profile>\n"
                     "    <Profile name=\"Tab&#9;Line&#10;Esc&#27;\"/>\n"
                     "</Profiles>\n";
    RunGame(
        "Saves.Names", setup,
        [](GameHarness& h) {
            ASSERT_EQ(h.Start(), GE_OK);
            PlayerProgress* progress = Progress(h);
            ASSERT_NE(progress, nullptr);
            EXPECT_EQ(file::Profiles::Instance()->currentName(), L"BellAnn");
            h.Step(5);
            progress->renameProfile(std::wstring(L"Ro\x01se\x1F\x7F\x85") + wchar_t(0xFFFE) + L"!");
            progress->selectProfile(L"New\x0B" L"comer");
            h.Step(5);
            EXPECT_EQ(file::Profiles::Instance()->getProfileNames(),
                      (std::vector<std::wstring>{L"Rose!", L"TabLineEsc", L"Newcomer"}));
            EXPECT_EQ(Count(h.LogHtml(), "profile names held control characters"), 1);
        },
        [](const fs::path& user) {
            const std::string text = ReadAll(user / "profiles.xml");
            for (unsigned char ch : text)
                EXPECT_TRUE(ch >= 0x20 || ch == '\n' || ch == '\r' || ch == '\t') << "byte " << int(ch) << "\n" << text;
            EXPECT_EQ(text.find("&#"), std::string::npos) << text;
            EXPECT_NE(text.find("currentProfile=\"Newcomer\""), std::string::npos) << text;
            tinyxml2::XMLDocument document;
            EXPECT_EQ(document.Parse(text.data(), text.size()), tinyxml2::XML_SUCCESS);
        });
}

TEST(Saves, AbsurdStoredValuesAreReadIntoTheirRangesWithOneLine)
{
    GameSetup setup;
    setup.profiles = "<Profiles currentProfile=\"Odd\">\n"
                     "    <Profile name=\"Odd\" version=\"4\" lastEpisode=\"-7\">\n"
                     "        <levels>\n"
                     "            <level n=\"0\" episode=\"0\" stars=\"1e30\" kills=\"2147483647\" "
                     "healthBonus=\"2147483647\" combo=\"-5\" gems=\"99999999999\" high=\"-1\"/>\n"
                     "            <level n=\"99999\" episode=\"-1\" stars=\"3\"/>\n"
                     "            <level n=\"1\" episode=\"0\" stars=\"2\"/>\n"
                     "        </levels>\n"
                     "        <towers/>\n"
                     "        <gems amount=\"-2147483648\"/>\n"
                     "        <upgrades><upgrade id=\"1\" level=\"1000000\"/></upgrades>\n"
                     "        <sound v=\"nan\"/>\n"
                     "        <music v=\"1e30\"/>\n"
                     "        <fs v=\"0\"/>\n"
                     "    </Profile>\n"
                     "</Profiles>\n";
    RunGame("Saves.Absurd", setup, [](GameHarness& h) {
        ASSERT_EQ(h.Start(), GE_OK);
        TDMap* map = click::Level(h);
        ASSERT_NE(map, nullptr);
        PlayerProgress* progress = map->mProgress;
        EXPECT_EQ(progress->getGems(), 0);
        progress->addGems(-10); // no wrap below the lowest int
        EXPECT_EQ(progress->getGems(), 0);
        const LevelResult first = progress->getLevelResult(0, 0);
        EXPECT_EQ(first.stars, 3);
        EXPECT_EQ(first.kills, PlayerProgress::kMaxCount);
        EXPECT_EQ(first.combo, 0);
        EXPECT_EQ(first.gems, PlayerProgress::kMaxCount);
        EXPECT_EQ(first.high, 0);
        EXPECT_EQ(progress->getEpisodeStars(-1), 5) << "the level in episode -1 counts for nothing";
        int episode = -1, level = -1;
        progress->getFurthestLevel(episode, level);
        EXPECT_EQ(episode, 0);
        EXPECT_EQ(level, 1);
        int top = -2;
        for (const UpgradeDef& upgrade : map->mUpgrades->mUpgrades)
            if (upgrade.id == 1)
                top = static_cast<int>(upgrade.steps.size()) - 1;
        ASSERT_GE(top, 0) << "the content has upgrade 1";
        EXPECT_EQ(progress->getUpgradeLevel(1), top);
        EXPECT_FLOAT_EQ(progress->getSoundVolume(), 1.0f);
        EXPECT_FLOAT_EQ(progress->getMusicVolume(), 1.0f);
        EXPECT_EQ(progress->profile->IntAttribute("lastEpisode", -1), 0);
        // A win on top of the largest stored values overflows nothing.
        LevelResult won;
        won.kills = 10;
        won.healthBonus = 5;
        won.stars = 2;
        won.gems = 30;
        progress->setLevelResult(0, 0, won);
        EXPECT_EQ(progress->getGems(), 30);
        EXPECT_GE(progress->getLevelResult(0, 0).high, 15);
        ASSERT_TRUE(click::ThroughSplash(h));
        h.Screenshot("main-menu");
        EXPECT_EQ(Count(h.LogHtml(), "Profile 'Odd':"), 1) << h.LogHtml();
    });
}

// The identity of the file on disk: every save writes a new file and renames it over.
struct Stamp {
    ino_t inode = 0;
    long long mtime = 0;
    bool operator==(const Stamp&) const = default;
};

Stamp StampOf(const fs::path& path)
{
    struct stat info {};
    if (stat(path.c_str(), &info) != 0)
        return {};
    return Stamp{info.st_ino, static_cast<long long>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec};
}

// Ten seconds of a start with no input: the first start writes its new profile, and
// once more the tutorial's records when the tutorial begins; a later start on a whole
// file writes nothing.
TEST(Saves, AStartWithNoInputSavesOnlyWhatChanged)
{
    std::string afterFirst;
    for (const bool first : {true, false}) {
        SCOPED_TRACE(first ? "first start" : "later start");
        GameSetup setup;
        setup.windowed = false;
        setup.profiles = first ? std::string() : afterFirst;
        int writes = 0;
        RunGame(
            first ? "Saves.Count.First" : "Saves.Count.Later", setup,
            [&](GameHarness& h) {
                const fs::path file = h.UserFolder() / "profiles.xml";
                Stamp last = StampOf(file);
                ASSERT_EQ(h.Start(), GE_OK);
                for (int frame = 0; frame < 600; ++frame) {
                    h.Step();
                    const Stamp now = StampOf(file);
                    if (!(now == last))
                        ++writes;
                    last = now;
                }
                if (first) {
                    EXPECT_GE(writes, 1);
                    EXPECT_LE(writes, 2);
                } else {
                    EXPECT_EQ(writes, 0);
                }
            },
            [&](const fs::path& user) { afterFirst = ReadAll(user / "profiles.xml"); });
        ASSERT_FALSE(afterFirst.empty());
    }
}

// A per-user folder that cannot be written: the player is told once that progress
// will not be kept (in the log, which goes to stderr too), then the game plays on.
TEST(Saves, AFolderThatCannotBeWrittenIsReportedOnceAndThePlayGoesOn)
{
    const struct {
        const char* what;
        bool readOnlyFolder; // else a plain file stands where the folder would be
    } cases[] = {{"read-only folder", true}, {"a file in the folder's place", false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        GameSetup setup;
        setup.windowed = false;
        RunGame(std::string("Saves.Unwritable.") + (c.readOnlyFolder ? "ReadOnly" : "FileInPlace"), setup,
                [&](GameHarness& h) {
                    const fs::path user = h.UserFolder();
                    if (c.readOnlyFolder) {
                        fs::create_directories(user);
                        Write(user / "profiles.xml", kKept);
                        fs::permissions(user, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                                  fs::perms::group_exec | fs::perms::others_read |
                                                  fs::perms::others_exec);
                        // The window's lock lives in the runtime folder, which stays writable.
                        fs::permissions(user.parent_path().parent_path().parent_path() / "run", fs::perms::all);
                        ASSERT_TRUE(DropRootPrivileges());
                    } else {
                        fs::create_directories(user.parent_path().parent_path());
                        Write(user.parent_path(), "not a folder");
                    }
                    // What the log's debugger channel writes lands here.
                    const fs::path errors = fs::temp_directory_path() / ("saves-stderr-" + std::to_string(getpid()));
                    const int saved = dup(2);
                    const int into = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
                    ASSERT_GE(into, 0);
                    dup2(into, 2);
                    close(into);
                    const GEResultEnum started = h.Start();
                    PlayerProgress* progress = Progress(h);
                    for (int i = 0; progress && i < 20; ++i) {
                        progress->addGems(1);
                        h.Step(20);
                    }
                    const bool menu = h.StepUntil([&] { return h.Screen() == 7; }, 900);
                    std::fflush(stderr);
                    dup2(saved, 2);
                    close(saved);
                    ASSERT_EQ(started, GE_OK);
                    ASSERT_NE(progress, nullptr);
                    EXPECT_TRUE(menu) << "the game plays on";
                    const std::string text = ReadAll(errors);
                    fs::remove(errors);
                    EXPECT_EQ(Count(text, "progress will not be kept"), 1) << text;
                    EXPECT_EQ(Count(text, "Cannot save"), 1) << text;
                    if (c.readOnlyFolder) {
                        EXPECT_EQ(progress->getGems(), 97) << "the play goes on from the file that was read";
                    }
                });
    }
}

} // namespace
