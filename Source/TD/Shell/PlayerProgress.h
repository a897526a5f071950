#pragma once
// The typed accessor of the current profile's save data (Profiles): level results,
// gems, bought upgrades, tutorial state, volumes, screen mode, owned build spots,
// per-episode events and the shops' counters. Every setter writes "profiles.xml" at
// once. The level object owns one and supplies the tables and hooks below.
#include "Core/Base/Types.h"
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace tinyxml2 {
class XMLElement;
}
class EpisodeTable;

// One played level as stored: the first five fields are written, `high` and `mode` read.
struct LevelResult {
    i32 kills = 0;
    i32 combo = 0;
    i32 healthBonus = 0;
    i32 stars = 0;
    i32 gems = 0;
    i32 high = 0;
    i32 mode = 0;
};

class PlayerProgress {
public:
    static constexpr int kVersion = 4;
    // The valid ranges of stored values; checkProfile reads every value into them.
    static constexpr int kMaxGems = 9999999;
    static constexpr int kMaxStars = 3;
    static constexpr int kMaxCount = 1000000; // kills, combo, bonuses, scores, gems of a level
    static constexpr int kMaxIndex = 98;      // level file names hold two digits of index + 1

    // Binds to the current profile (loading the profiles when nothing is loaded yet).
    explicit PlayerProgress(const std::wstring& unused = std::wstring());

    // -- what the owner supplies ------------------------------------------------------
    // The episode table (level counts and required stars); none: no episodes.
    const EpisodeTable* episodes = nullptr;
    // The ids of the upgrade table in table order, for a profile's first upgrade list.
    std::function<std::vector<int>()> upgradeIds;
    // A profile was selected: the player statistics take its gem balance.
    std::function<void(int gems)> gemsReloaded;
    // A profile was selected: the tutorial rereads its enabled flag from the profile.
    std::function<void()> tutorialReload;
    // A profile was reset: the tutorial's enabled flag becomes `avail`.
    std::function<void(bool avail)> tutorialEnabled;
    // The highest level an upgrade id can be bought to (-1: none); none: the upgrade
    // levels are only kept below kMaxIndex.
    std::function<int(int id)> upgradeTopLevel;

    // Reads the current profile's stored values into their ranges: counts that
    // overflow or run negative, stars, gems, volumes, upgrade levels (to the upgrade
    // table's top where it knows the id), and levels whose indices no level file can
    // have (which are dropped). One log line for the profile when anything was
    // mended; nothing is saved.
    void checkProfile();

    // -- level results ------------------------------------------------------------------
    LevelResult getLevelResult(int episode, int level);
    // Writes combo, kills, healthBonus and gems; keeps the best high and stars; adds
    // the result's gems to the balance.
    void setLevelResult(int episode, int level, const LevelResult& result);
    // The first level of the episode without stars; the last one when all have stars.
    int getFirstUnfinishedLevel(int episode);
    void getFurthestLevel(int& episode, int& level);
    // Sum of the stars of the episode's stored levels; -1 sums every episode.
    int getEpisodeStars(int episode);

    // -- gems, upgrades ---------------------------------------------------------------
    int getGems();
    void addGems(int delta);
    void setGems(int amount);
    // The bought level, -1 when not bought; the first read of an id the profile does
    // not list answers -2, later reads -1. Every negative level means not bought.
    int getUpgradeLevel(int id);
    void setUpgradeLevel(int id, int level);

    // -- episodes -----------------------------------------------------------------------
    bool isEpisodeEventSeen(int n);
    void setEpisodeEventSeen(int n);
    int getEpisodeVisited(int n);
    void setEpisodeVisited(int n, int value);

    // -- settings -----------------------------------------------------------------------
    float getSoundVolume();
    float getMusicVolume();
    void setSoundVolume(float volume);
    void setMusicVolume(float volume);
    bool getFullScreen();
    void setFullScreen(bool fullScreen);

    // -- build spots, tutorial, counters -------------------------------------------------
    bool isSpotOwned(const std::wstring& name, int episode, int level);
    // Adds the spot once; owning it again changes nothing.
    void setSpotOwned(const std::wstring& name, int episode, int level);
    int getTutorialStepState(int id);
    void setTutorialStepState(int id, int state);
    int getTutorialParam(const std::wstring& name);
    void setTutorialParam(int value, const std::wstring& name);
    void setTutorialParam(const std::wstring& name, int value) { setTutorialParam(value, name); }
    // Switches the tutorial off for this profile.
    void setTutorialAvailable();
    bool isTutorialAvailable();
    int getIntAttribute(const std::string& name);

    // -- profiles -----------------------------------------------------------------------
    void renameProfile(const std::wstring& name);
    void selectProfile(const std::wstring& name);
    void deleteProfile();
    void resetProfile();
    void ensureSections();
    void refreshProfileNames();
    void refreshProfileList() { refreshProfileNames(); }

    tinyxml2::XMLElement* profile = nullptr;
    std::map<int, int> upgradeCache;
    std::vector<std::wstring> otherProfileNames;
    std::wstring profileName;

private:
    void bind();
    void save();
    // The child section of the profile; created (appended) when missing and `create`.
    tinyxml2::XMLElement* section(const char* name, bool create);
    tinyxml2::XMLElement* levelElement(int episode, int level);
    // The level's element, or null when the profile has none.
    const tinyxml2::XMLElement* findLevelElement(int episode, int level);
    tinyxml2::XMLElement* tutorialChild(const char* tag, const char* key, const char* value, bool& created);
};
