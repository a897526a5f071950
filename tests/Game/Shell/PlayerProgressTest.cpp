// Player progress on the current profile: every accessor with its defaults, what it
// creates and when it writes the file, level results, upgrades, spots, tutorial
// state and profile switching.
#include "Core/Base/StringEncoding.h"
#include "Core/File/UserDataFileContainer.h"
#include "Source/TD/Shell/PlayerProgress.h"
#include "Source/TD/Shell/Profiles.h"
#include "Source/TD/World/EpisodeTable.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <fstream>
#include <iterator>
#include <tinyxml2.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using file::Profiles;

std::string ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class PlayerProgressTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = fs::temp_directory_path() / ("progress-" + std::to_string(getpid()));
        fs::remove_all(folder);
        fs::create_directories(folder);
        file::UserDataFileContainer::Instance()->SetRoot(ConvertToWide(folder.string()));
        Profiles::Instance()->document.reset();
        Profiles::Instance()->load();
    }
    void TearDown() override { fs::remove_all(folder); }

    // The file as last saved ("" when never saved).
    std::string Saved() const { return ReadAll(folder / "profiles.xml"); }
    // The current profile as text.
    std::string Profile() const
    {
        tinyxml2::XMLPrinter printer(nullptr, true);
        Profiles::Instance()->current->Accept(&printer);
        return printer.CStr();
    }
    fs::path folder;
};

TEST_F(PlayerProgressTest, ANewProfileGetsItsSectionsAndDefaults)
{
    PlayerProgress progress;
    EXPECT_EQ(Profile(), "<Profile name=\"Player01234567890123456789\" version=\"4\"><levels/><towers/></Profile>");
    EXPECT_EQ(Saved(), ""); // binding writes nothing
    EXPECT_FLOAT_EQ(progress.getSoundVolume(), 1.0f);
    EXPECT_FLOAT_EQ(progress.getMusicVolume(), 1.0f);
    EXPECT_EQ(progress.getGems(), 0);
    EXPECT_EQ(progress.getIntAttribute("version"), 4);
    EXPECT_EQ(progress.getIntAttribute("+5Lives"), 0);
    EXPECT_FALSE(progress.isEpisodeEventSeen(3));
    EXPECT_EQ(progress.getEpisodeVisited(3), 0);
    EXPECT_TRUE(progress.isTutorialAvailable());
    EXPECT_EQ(Profile(), "<Profile name=\"Player01234567890123456789\" version=\"4\"><levels/><towers/>"
                         "<sound v=\"1.000000\"/><music v=\"1.000000\"/><gems amount=\"0\"/></Profile>");
    EXPECT_EQ(Saved(), ""); // reads that create defaults do not save
    // Once saved, the volumes stand in the file as "%f" writes them.
    progress.setGems(0);
    EXPECT_NE(Saved().find("<sound v=\"1.000000\"/>"), std::string::npos);
}

TEST_F(PlayerProgressTest, SettersWriteThroughAndGettersReadBack)
{
    PlayerProgress progress;
    const struct {
        const char* name;
        std::function<void()> set;
        std::function<bool()> check;
        const char* inFile;
    } cases[] = {
        {"gems", [&] { progress.setGems(40); }, [&] { return progress.getGems() == 40; }, "<gems amount=\"40\"/>"},
        {"add gems", [&] { progress.addGems(-15); }, [&] { return progress.getGems() == 25; }, "amount=\"25\""},
        {"sound", [&] { progress.setSoundVolume(0.25f); },
         [&] { return progress.getSoundVolume() == 0.25f; }, "<sound v=\"0.250000\"/>"},
        {"music", [&] { progress.setMusicVolume(0.0f); },
         [&] { return progress.getMusicVolume() == 0.0f; }, "<music v=\"0.000000\"/>"},
        {"full screen", [&] { progress.setFullScreen(true); }, [&] { return progress.getFullScreen(); },
         "<fs v=\"1\"/>"},
        {"window", [&] { progress.setFullScreen(false); }, [&] { return !progress.getFullScreen(); },
         "<fs v=\"0\"/>"},
        {"event", [&] { progress.setEpisodeEventSeen(2); }, [&] { return progress.isEpisodeEventSeen(2); },
         "event2=\"1\""},
        {"visited", [&] { progress.setEpisodeVisited(12, 7); },
         [&] { return progress.getEpisodeVisited(12) == 7 && progress.getEpisodeVisited(1) == 0; },
         "episode12=\"7\""},
        {"upgrade", [&] { progress.setUpgradeLevel(5, 2); }, [&] { return progress.getUpgradeLevel(5) == 2; },
         "<upgrade id=\"5\" level=\"2\"/>"},
        {"tutorial step", [&] { progress.setTutorialStepState(3, 2); },
         [&] { return progress.getTutorialStepState(3) == 2; }, "<step id=\"3\" state=\"2\"/>"},
        {"tutorial param", [&] { progress.setTutorialParam(9, L"spots"); },
         [&] { return progress.getTutorialParam(L"spots") == 9; }, "<param name=\"spots\" v=\"9\"/>"},
        {"tutorial off", [&] { progress.setTutorialAvailable(); }, [&] { return !progress.isTutorialAvailable(); },
         "<tutorial avail=\"0\">"},
        {"spot", [&] { progress.setSpotOwned(L"spot_ä", 1, 4); },
         [&] {
             return progress.isSpotOwned(L"spot_ä", 1, 4) && !progress.isSpotOwned(L"spot_ä", 1, 3) &&
                    !progress.isSpotOwned(L"spot_a", 1, 4);
         },
         "<spot name=\"spot_ä\" episode=\"1\" level=\"4\"/>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        c.set();
        EXPECT_TRUE(c.check());
        EXPECT_NE(Saved().find(c.inFile), std::string::npos) << Saved();
    }
    // A new profile's screen mode follows the window when it has none yet.
    progress.selectProfile(L"Fresh");
    EXPECT_FALSE(progress.getFullScreen()); // no application window: windowed
    EXPECT_NE(Profile().find("<fs v=\"0\"/>"), std::string::npos);
}

TEST_F(PlayerProgressTest, LevelResultsKeepTheBestAndAddTheGems)
{
    PlayerProgress progress;
    // Reading a level never played writes nothing into the profile that a save would keep.
    const std::string before = Profile();
    for (auto [episode, level] : {std::pair{1, 2}, std::pair{0, 0}}) {
        const LevelResult fresh = progress.getLevelResult(episode, level);
        EXPECT_EQ(fresh.kills + fresh.combo + fresh.healthBonus + fresh.stars + fresh.gems + fresh.high + fresh.mode,
                  0);
    }
    EXPECT_EQ(Profile(), before);

    progress.setLevelResult(1, 2, LevelResult{100, 5, 20, 3, 4, 999, 7});
    LevelResult r = progress.getLevelResult(1, 2);
    EXPECT_EQ(r.kills, 100);
    EXPECT_EQ(r.combo, 5);
    EXPECT_EQ(r.healthBonus, 20);
    EXPECT_EQ(r.stars, 3);
    EXPECT_EQ(r.gems, 4);
    EXPECT_EQ(r.high, 120); // kills + health bonus, not the record's own high
    EXPECT_EQ(r.mode, 0);   // never written
    EXPECT_EQ(progress.getGems(), 4);
    EXPECT_EQ(progress.getIntAttribute("lastEpisode"), 1);

    // A worse replay: the latest values, but the best stars and high stay; gems add up.
    progress.setLevelResult(1, 2, LevelResult{10, 1, 0, 1, 2, 0, 0});
    r = progress.getLevelResult(1, 2);
    EXPECT_EQ(r.kills, 10);
    EXPECT_EQ(r.combo, 1);
    EXPECT_EQ(r.healthBonus, 0);
    EXPECT_EQ(r.gems, 2);
    EXPECT_EQ(r.stars, 3);
    EXPECT_EQ(r.high, 120);
    EXPECT_EQ(progress.getGems(), 6);
    EXPECT_NE(Saved().find("high=\"120\""), std::string::npos);

    progress.setLevelResult(0, 0, LevelResult{1, 0, 0, 2, 0, 0, 0});
    EXPECT_EQ(progress.getEpisodeStars(1), 3);
    EXPECT_EQ(progress.getEpisodeStars(0), 2);
    EXPECT_EQ(progress.getEpisodeStars(-1), 5);
    EXPECT_EQ(progress.getEpisodeStars(7), 0);
}

TEST_F(PlayerProgressTest, UnfinishedAndFurthestLevels)
{
    EpisodeTable table;
    table.rows[0] = EpisodeRow{3, 0};
    table.rows[1] = EpisodeRow{2, 5};
    PlayerProgress progress;
    progress.episodes = &table;
    int episode = -1, level = -1;

    EXPECT_EQ(progress.getFirstUnfinishedLevel(0), 0);
    progress.getFurthestLevel(episode, level);
    EXPECT_EQ(episode, 0);
    EXPECT_EQ(level, 0);

    progress.setLevelResult(0, 0, LevelResult{0, 0, 0, 3, 0, 0, 0});
    progress.setLevelResult(0, 2, LevelResult{0, 0, 0, 1, 0, 0, 0});
    EXPECT_EQ(progress.getFirstUnfinishedLevel(0), 1);
    progress.getFurthestLevel(episode, level);
    EXPECT_EQ(episode, 0);
    EXPECT_EQ(level, 2);

    progress.setLevelResult(0, 1, LevelResult{0, 0, 0, 1, 0, 0, 0});
    EXPECT_EQ(progress.getFirstUnfinishedLevel(0), 2); // every level has stars: the last one
    // Five stars open episode 1, where nothing is won yet.
    progress.getFurthestLevel(episode, level);
    EXPECT_EQ(episode, 1);
    EXPECT_EQ(level, 0);
    progress.setLevelResult(1, 1, LevelResult{0, 0, 0, 2, 0, 0, 0});
    progress.getFurthestLevel(episode, level);
    EXPECT_EQ(episode, 1);
    EXPECT_EQ(level, 1);
    // An episode the table does not know has no levels: its first level.
    EXPECT_EQ(progress.getFirstUnfinishedLevel(9), 0);
}

TEST_F(PlayerProgressTest, UpgradeLevelsOfListedAndUnlistedIds)
{
    PlayerProgress progress;
    progress.upgradeIds = [] { return std::vector<int>{10, 11, 12}; };
    // The first read makes the list from the table and saves it.
    EXPECT_EQ(progress.getUpgradeLevel(11), -1);
    EXPECT_NE(Saved().find("<upgrade id=\"10\" level=\"-1\"/>"), std::string::npos);
    EXPECT_NE(Saved().find("<upgrade id=\"12\" level=\"-1\"/>"), std::string::npos);
    // An id the profile does not list: -2 on the first read, then -1 from the cache.
    EXPECT_EQ(progress.getUpgradeLevel(99), -2);
    EXPECT_EQ(progress.getUpgradeLevel(99), -1);
    progress.upgradeCache.clear();
    EXPECT_EQ(progress.getUpgradeLevel(99), -2);
    EXPECT_EQ(progress.getUpgradeLevel(99), -1);
    progress.setUpgradeLevel(99, 1);
    progress.setUpgradeLevel(11, 3);
    progress.upgradeCache.clear();
    EXPECT_EQ(progress.getUpgradeLevel(99), 1);
    EXPECT_EQ(progress.getUpgradeLevel(11), 3);
    progress.setUpgradeLevel(11, -1); // a purchase taken back
    progress.upgradeCache.clear();
    EXPECT_EQ(progress.getUpgradeLevel(11), -1);
}

TEST_F(PlayerProgressTest, OwningASpotTwiceKeepsOneEntry)
{
    PlayerProgress progress;
    for (int i = 0; i < 3; ++i)
        progress.setSpotOwned(L"spot1", 0, 2);
    progress.setSpotOwned(L"spot1", 0, 3);
    const std::string text = Saved();
    size_t count = 0;
    for (size_t at = text.find("<spot "); at != std::string::npos; at = text.find("<spot ", at + 1))
        ++count;
    EXPECT_EQ(count, 2u);
}

TEST_F(PlayerProgressTest, TutorialReadsCreateWhatTheyMiss)
{
    PlayerProgress progress;
    EXPECT_EQ(progress.getTutorialStepState(4), 0);
    EXPECT_NE(Saved().find("<tutorial avail=\"1\">"), std::string::npos); // created: saved
    EXPECT_NE(Saved().find("<step id=\"4\" state=\"0\"/>"), std::string::npos);
    EXPECT_EQ(progress.getTutorialParam(L"n"), 0);
    EXPECT_NE(Saved().find("<param name=\"n\" v=\"0\"/>"), std::string::npos);
    // A duplicate param (from an older file) is set together with the first.
    tinyxml2::XMLElement* tutorial = progress.profile->FirstChildElement("tutorial");
    tinyxml2::XMLElement* twin = tutorial->InsertNewChildElement("param");
    twin->SetAttribute("name", "n");
    twin->SetAttribute("v", 5);
    progress.setTutorialParam(L"n", 8);
    EXPECT_EQ(twin->IntAttribute("v"), 8);
    EXPECT_EQ(progress.getTutorialParam(L"n"), 8);
}

TEST_F(PlayerProgressTest, ProfilesAreSelectedRenamedDeletedAndReset)
{
    PlayerProgress progress;
    int gemsSeen = -1, reloads = 0, enabled = -1;
    progress.gemsReloaded = [&](int gems) { gemsSeen = gems; };
    progress.tutorialReload = [&] { ++reloads; };
    progress.tutorialEnabled = [&](bool on) { enabled = on ? 1 : 0; };
    EXPECT_EQ(progress.profileName, L"");
    EXPECT_TRUE(progress.otherProfileNames.empty());

    progress.setGems(3);
    progress.selectProfile(L"Ann");
    EXPECT_EQ(gemsSeen, 0);
    EXPECT_EQ(reloads, 1);
    EXPECT_EQ(progress.profileName, L"Ann");
    EXPECT_EQ(progress.otherProfileNames, std::vector<std::wstring>{L"Ann"});
    EXPECT_NE(Saved().find("currentProfile=\"Ann\""), std::string::npos);
    progress.setGems(11);

    progress.renameProfile(L"Anna");
    EXPECT_EQ(Profiles::Instance()->currentName(), L"Anna");
    EXPECT_EQ(progress.getGems(), 11);
    EXPECT_NE(Saved().find("currentProfile=\"Anna\""), std::string::npos);

    progress.selectProfile(L"Player01234567890123456789");
    EXPECT_EQ(gemsSeen, 3);
    progress.selectProfile(L"Bob");
    EXPECT_EQ(progress.otherProfileNames, (std::vector<std::wstring>{L"Anna", L"Bob"}));

    // Deleting with three profiles: the second in the file becomes current.
    progress.profileName = L"Bob";
    progress.deleteProfile();
    EXPECT_EQ(Profiles::Instance()->currentName(), L"Anna");
    EXPECT_EQ(progress.getGems(), 11);
    // Deleting with two: the remaining current one is selected again and the name empties.
    progress.profileName = L"Anna";
    progress.deleteProfile();
    EXPECT_EQ(Profiles::Instance()->getProfileNames(), std::vector<std::wstring>{L"Player01234567890123456789"});
    EXPECT_EQ(progress.profileName, L"");

    // A reset drops the current profile and binds to a fresh default one; nothing saved.
    progress.setTutorialAvailable();
    const std::string before = Saved();
    progress.upgradeCache[1] = 2;
    progress.resetProfile();
    EXPECT_EQ(Saved(), before);
    EXPECT_TRUE(progress.upgradeCache.empty());
    EXPECT_EQ(enabled, 1);
    EXPECT_EQ(Profile(), "<Profile name=\"Player01234567890123456789\" version=\"4\"><levels/><towers/></Profile>");
}

} // namespace
