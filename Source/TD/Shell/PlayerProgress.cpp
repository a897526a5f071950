#include "Source/TD/Shell/PlayerProgress.h"
#include "Core/App/Win32/WindowWin32.h"
#include "Core/Base/Log.h"
#include "Core/Base/StringEncoding.h"
#include "Framework/GameApplication.h"
#include "Framework/GameWindow.h"
#include "Source/TD/Shell/FeatureConfig.h"
#include "Source/TD/Shell/Profiles.h"
#include "Source/TD/World/EpisodeTable.h"
#include "Source/TD/World/ParamSet.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <tinyxml2.h>

namespace {

file::Profiles* Store()
{
    return file::Profiles::Instance();
}

std::string FloatText(float value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%f", static_cast<double>(value));
    return text;
}

bool ReadBoolAttribute(const tinyxml2::XMLElement* element, const char* name)
{
    bool value = false;
    if (element)
        element->QueryBoolAttribute(name, &value);
    return value;
}

// Whether the game currently shows a window rather than the full screen.
bool Windowed()
{
    framework::GameApplication* application = framework::GetGameApplication();
    if (!application)
        return true;
    if (application->window && application->window->created)
        return application->window->windowed != 0;
    return application->windowed != 0;
}

} // namespace

PlayerProgress::PlayerProgress(const std::wstring&)
{
    bind();
    refreshProfileNames();
    ensureSections();
    if (FeatureConfig::instance()->getBool("single_profile", "is_active"))
        profileName = Store()->currentName();
}

void PlayerProgress::bind()
{
    file::Profiles* store = Store();
    if (!store->document)
        store->load();
    if (!store->current)
        store->selectProfile(file::Profiles::kDefaultName);
    profile = store->current;
}

namespace {

// What checkProfile mended, for its one line.
struct Mended {
    int count = 0;
    std::wstring first; // the first few, by name and value
    void note(const char* what, const char* stored)
    {
        if (++count <= 4)
            first += (first.empty() ? L"" : L", ") + ConvertToWide(what, StringEncoding::Ansi) + L" " +
                     ConvertToWide(stored ? stored : "", StringEncoding::Ansi);
    }
};

// The stored number of `name`, read as a number whatever its notation ("1e30" too);
// NaN when there is none.
double StoredNumber(const tinyxml2::XMLElement* e, const char* name)
{
    const char* text = e->Attribute(name);
    if (!text)
        return std::nan("");
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    return end == text ? std::nan("") : value;
}

// Keeps an integer attribute inside [low, high]; a missing one stays missing.
void KeepInt(tinyxml2::XMLElement* e, const char* name, int low, int high, Mended& mended)
{
    const char* text = e->Attribute(name);
    if (!text)
        return;
    const double value = StoredNumber(e, name);
    int wanted = 0;
    if (std::isnan(value))
        wanted = std::clamp(0, low, high);
    else
        wanted = static_cast<int>(std::clamp(std::trunc(value), static_cast<double>(low), static_cast<double>(high)));
    int exact = 0;
    if (e->QueryIntAttribute(name, &exact) == tinyxml2::XML_SUCCESS && exact == wanted)
        return;
    mended.note(name, text);
    e->SetAttribute(name, wanted);
}

void KeepVolume(tinyxml2::XMLElement* profile, const char* section, Mended& mended)
{
    tinyxml2::XMLElement* e = profile->FirstChildElement(section);
    if (!e || !e->Attribute("v"))
        return;
    const double value = StoredNumber(e, "v");
    if (value >= 0.0 && value <= 1.0)
        return;
    mended.note(section, e->Attribute("v"));
    e->SetAttribute("v", FloatText(std::isnan(value) ? 1.0f : static_cast<float>(std::clamp(value, 0.0, 1.0))).c_str());
}

} // namespace

void PlayerProgress::checkProfile()
{
    if (!profile)
        bind();
    Mended mended;
    if (tinyxml2::XMLElement* gems = profile->FirstChildElement("gems"))
        KeepInt(gems, "amount", 0, kMaxGems, mended);
    KeepInt(profile, "lastEpisode", 0, kMaxIndex, mended);
    // Only indices no level file can have are dropped: a table that failed to load
    // must not cost the player the results of its levels.
    const auto index = [](double value) { return value >= 0 && value <= kMaxIndex && value == std::trunc(value); };
    if (tinyxml2::XMLElement* levels = profile->FirstChildElement("levels")) {
        for (tinyxml2::XMLElement* e = levels->FirstChildElement("level"); e;) {
            tinyxml2::XMLElement* next = e->NextSiblingElement("level");
            // A level no episode can hold is never played: it only spoils sums and lists.
            if (!index(StoredNumber(e, "episode")) || !index(StoredNumber(e, "n"))) {
                mended.note("level", e->Attribute("n"));
                levels->DeleteChild(e);
                e = next;
                continue;
            }
            KeepInt(e, "stars", 0, kMaxStars, mended);
            for (const char* count : {"kills", "combo", "healthBonus", "gems", "high"})
                KeepInt(e, count, 0, kMaxCount, mended);
            e = next;
        }
    }
    if (tinyxml2::XMLElement* upgrades = profile->FirstChildElement("upgrades")) {
        for (tinyxml2::XMLElement* e = upgrades->FirstChildElement("upgrade"); e; e = e->NextSiblingElement("upgrade")) {
            const int top = upgradeTopLevel ? upgradeTopLevel(ReadIntAttribute(e, "id")) : kMaxIndex;
            KeepInt(e, "level", -1, std::max(-1, top), mended);
        }
        upgradeCache.clear();
    }
    KeepVolume(profile, "sound", mended);
    KeepVolume(profile, "music", mended);
    if (mended.count)
        GE_LOG(L"Profile '%s': %d stored values lay outside their ranges and were read into them (%s%s)\n")
            << Store()->currentName() << mended.count << mended.first << (mended.count > 4 ? L", ..." : L"");
}

void PlayerProgress::save()
{
    Store()->save();
}

tinyxml2::XMLElement* PlayerProgress::section(const char* name, bool create)
{
    if (!profile)
        bind();
    tinyxml2::XMLElement* found = profile->FirstChildElement(name);
    if (!found && create)
        found = profile->InsertNewChildElement(name);
    return found;
}

void PlayerProgress::ensureSections()
{
    section("levels", true);
    section("towers", true);
    profile->SetAttribute("version", kVersion);
}

// -- level results ---------------------------------------------------------------------

tinyxml2::XMLElement* PlayerProgress::levelElement(int episode, int level)
{
    tinyxml2::XMLElement* levels = section("levels", true);
    for (tinyxml2::XMLElement* e = levels->FirstChildElement("level"); e; e = e->NextSiblingElement("level"))
        if (ReadIntAttribute(e, "n") == level && ReadIntAttribute(e, "episode") == episode)
            return e;
    tinyxml2::XMLElement* created = levels->InsertNewChildElement("level");
    created->SetAttribute("n", level);
    created->SetAttribute("episode", episode);
    return created;
}

const tinyxml2::XMLElement* PlayerProgress::findLevelElement(int episode, int level)
{
    const tinyxml2::XMLElement* levels = section("levels", false);
    for (const tinyxml2::XMLElement* e = levels ? levels->FirstChildElement("level") : nullptr; e;
         e = e->NextSiblingElement("level"))
        if (ReadIntAttribute(e, "n") == level && ReadIntAttribute(e, "episode") == episode)
            return e;
    return nullptr;
}

LevelResult PlayerProgress::getLevelResult(int episode, int level)
{
    // A read leaves the save data as it is: a level never played reads all zeros.
    const tinyxml2::XMLElement* e = findLevelElement(episode, level);
    LevelResult result;
    result.kills = ReadIntAttribute(e, "kills");
    result.combo = ReadIntAttribute(e, "combo");
    result.healthBonus = ReadIntAttribute(e, "healthBonus");
    result.stars = ReadIntAttribute(e, "stars");
    result.gems = ReadIntAttribute(e, "gems");
    result.high = ReadIntAttribute(e, "high");
    result.mode = ReadIntAttribute(e, "mode");
    return result;
}

void PlayerProgress::setLevelResult(int episode, int level, const LevelResult& result)
{
    tinyxml2::XMLElement* e = levelElement(episode, level);
    e->SetAttribute("combo", result.combo);
    e->SetAttribute("kills", result.kills);
    e->SetAttribute("healthBonus", result.healthBonus);
    e->SetAttribute("gems", result.gems);
    const int score = result.kills + result.healthBonus;
    const int high = ReadIntAttribute(e, "high");
    e->SetAttribute("high", score > high ? score : high);
    const int stars = ReadIntAttribute(e, "stars");
    e->SetAttribute("stars", result.stars > stars ? result.stars : stars);
    profile->SetAttribute("lastEpisode", episode);
    addGems(result.gems);
    save();
}

int PlayerProgress::getFirstUnfinishedLevel(int episode)
{
    const int count = episodes ? episodes->levelCount(episode) : 0;
    for (int i = 0; i < count; ++i)
        if (getLevelResult(episode, i).stars == 0)
            return i;
    // An episode without levels answers its first level rather than an index before it.
    return count > 0 ? count - 1 : 0;
}

void PlayerProgress::getFurthestLevel(int& episode, int& level)
{
    episode = 0;
    level = 0;
    if (!episodes || episodes->rows.empty())
        return;
    const int stars = getEpisodeStars(-1);
    for (int e = episodes->rows.rbegin()->first; e >= 0 && e >= episode; --e) {
        const int count = episodes->levelCount(e);
        if (count <= 0 || stars < episodes->starsRequired(e))
            continue;
        episode = e;
        level = 0;
        const tinyxml2::XMLElement* levels = section("levels", false);
        for (const tinyxml2::XMLElement* l = levels ? levels->FirstChildElement("level") : nullptr; l;
             l = l->NextSiblingElement("level"))
            if (ReadIntAttribute(l, "episode") == e && ReadIntAttribute(l, "stars") >= 1 &&
                ReadIntAttribute(l, "n") > level)
                level = ReadIntAttribute(l, "n");
        return;
    }
}

int PlayerProgress::getEpisodeStars(int episode)
{
    const tinyxml2::XMLElement* levels = section("levels", false);
    int sum = 0;
    for (const tinyxml2::XMLElement* l = levels ? levels->FirstChildElement("level") : nullptr; l;
         l = l->NextSiblingElement("level"))
        if (episode == -1 || ReadIntAttribute(l, "episode") == episode)
            sum += ReadIntAttribute(l, "stars");
    return sum;
}

// -- gems, upgrades --------------------------------------------------------------------

int PlayerProgress::getGems()
{
    tinyxml2::XMLElement* gems = section("gems", false);
    if (!gems) {
        gems = section("gems", true);
        gems->SetAttribute("amount", 0);
    }
    return ReadIntAttribute(gems, "amount");
}

void PlayerProgress::addGems(int delta)
{
    tinyxml2::XMLElement* gems = section("gems", true);
    // Summed wide, so that no balance wraps round.
    const long long sum = static_cast<long long>(ReadIntAttribute(gems, "amount")) + delta;
    gems->SetAttribute("amount", static_cast<int>(std::clamp<long long>(sum, 0, kMaxGems)));
    save();
}

void PlayerProgress::setGems(int amount)
{
    section("gems", true)->SetAttribute("amount", amount);
    save();
}

int PlayerProgress::getUpgradeLevel(int id)
{
    const auto cached = upgradeCache.find(id);
    if (cached != upgradeCache.end())
        return cached->second;
    upgradeCache[id] = -1;
    tinyxml2::XMLElement* upgrades = section("upgrades", false);
    if (!upgrades) {
        upgrades = section("upgrades", true);
        for (int tableId : upgradeIds ? upgradeIds() : std::vector<int>()) {
            tinyxml2::XMLElement* e = upgrades->InsertNewChildElement("upgrade");
            e->SetAttribute("id", tableId);
            e->SetAttribute("level", -1);
        }
        save();
        return -1;
    }
    for (const tinyxml2::XMLElement* e = upgrades->FirstChildElement("upgrade"); e;
         e = e->NextSiblingElement("upgrade"))
        if (ReadIntAttribute(e, "id") == id)
            return upgradeCache[id] = ReadIntAttribute(e, "level");
    // Not listed: -2 this once; the cache answers -1, not bought, from now on.
    return -2;
}

void PlayerProgress::setUpgradeLevel(int id, int level)
{
    upgradeCache[id] = level;
    tinyxml2::XMLElement* upgrades = section("upgrades", true);
    tinyxml2::XMLElement* found = nullptr;
    for (tinyxml2::XMLElement* e = upgrades->FirstChildElement("upgrade"); e && !found;
         e = e->NextSiblingElement("upgrade"))
        if (ReadIntAttribute(e, "id") == id)
            found = e;
    if (!found) {
        found = upgrades->InsertNewChildElement("upgrade");
        found->SetAttribute("id", id);
    }
    found->SetAttribute("level", level);
    save();
}

// -- episodes --------------------------------------------------------------------------

bool PlayerProgress::isEpisodeEventSeen(int n)
{
    return ReadBoolAttribute(section("episodeVisited", false), ("event" + std::to_string(n)).c_str());
}

void PlayerProgress::setEpisodeEventSeen(int n)
{
    section("episodeVisited", true)->SetAttribute(("event" + std::to_string(n)).c_str(), 1);
    save();
}

int PlayerProgress::getEpisodeVisited(int n)
{
    return ReadIntAttribute(section("episodeVisited", false), ("episode" + std::to_string(n)).c_str());
}

void PlayerProgress::setEpisodeVisited(int n, int value)
{
    section("episodeVisited", true)->SetAttribute(("episode" + std::to_string(n)).c_str(), value);
    save();
}

// -- settings --------------------------------------------------------------------------

namespace {

float ReadVolume(tinyxml2::XMLElement* profile, const char* name)
{
    tinyxml2::XMLElement* e = profile->FirstChildElement(name);
    if (!e) {
        e = profile->InsertNewChildElement(name);
        e->SetAttribute("v", FloatText(1.0f).c_str());
        return 1.0f;
    }
    return ReadFloatAttribute(e, "v");
}

} // namespace

float PlayerProgress::getSoundVolume()
{
    section("levels", false); // binds
    return ReadVolume(profile, "sound");
}

float PlayerProgress::getMusicVolume()
{
    section("levels", false);
    return ReadVolume(profile, "music");
}

void PlayerProgress::setSoundVolume(float volume)
{
    section("sound", true)->SetAttribute("v", FloatText(volume).c_str());
    save();
}

void PlayerProgress::setMusicVolume(float volume)
{
    section("music", true)->SetAttribute("v", FloatText(volume).c_str());
    save();
}

bool PlayerProgress::getFullScreen()
{
    tinyxml2::XMLElement* fs = section("fs", false);
    if (!fs) {
        fs = section("fs", true);
        fs->SetAttribute("v", Windowed() ? 0 : 1);
    }
    return ReadBoolAttribute(fs, "v");
}

void PlayerProgress::setFullScreen(bool fullScreen)
{
    section("fs", true)->SetAttribute("v", fullScreen ? 1 : 0);
    save();
}

// -- build spots, tutorial, counters -----------------------------------------------------

bool PlayerProgress::isSpotOwned(const std::wstring& name, int episode, int level)
{
    const tinyxml2::XMLElement* owned = section("owned", false);
    const std::string narrow = ConvertToNarrow(name);
    for (const tinyxml2::XMLElement* s = owned ? owned->FirstChildElement("spot") : nullptr; s;
         s = s->NextSiblingElement("spot")) {
        const char* own = s->Attribute("name");
        if (own && narrow == own && ReadIntAttribute(s, "episode") == episode && ReadIntAttribute(s, "level") == level)
            return true;
    }
    return false;
}

void PlayerProgress::setSpotOwned(const std::wstring& name, int episode, int level)
{
    if (isSpotOwned(name, episode, level))
        return;
    tinyxml2::XMLElement* spot = section("owned", true)->InsertNewChildElement("spot");
    spot->SetAttribute("name", ConvertToNarrow(name).c_str());
    spot->SetAttribute("episode", episode);
    spot->SetAttribute("level", level);
    save();
}

tinyxml2::XMLElement* PlayerProgress::tutorialChild(const char* tag, const char* key, const char* value,
                                                    bool& created)
{
    created = false;
    tinyxml2::XMLElement* tutorial = section("tutorial", false);
    if (!tutorial) {
        tutorial = section("tutorial", true);
        tutorial->SetAttribute("avail", 1);
    }
    for (tinyxml2::XMLElement* e = tutorial->FirstChildElement(tag); e; e = e->NextSiblingElement(tag)) {
        const char* own = e->Attribute(key);
        if (own && std::strcmp(own, value) == 0)
            return e;
    }
    tinyxml2::XMLElement* e = tutorial->InsertNewChildElement(tag);
    e->SetAttribute(key, value);
    e->SetAttribute(std::strcmp(tag, "step") == 0 ? "state" : "v", 0);
    created = true;
    return e;
}

int PlayerProgress::getTutorialStepState(int id)
{
    bool created = false;
    const tinyxml2::XMLElement* step = tutorialChild("step", "id", std::to_string(id).c_str(), created);
    if (created)
        save();
    return ReadIntAttribute(step, "state");
}

void PlayerProgress::setTutorialStepState(int id, int state)
{
    bool created = false;
    tutorialChild("step", "id", std::to_string(id).c_str(), created)->SetAttribute("state", state);
    save();
}

int PlayerProgress::getTutorialParam(const std::wstring& name)
{
    bool created = false;
    const tinyxml2::XMLElement* param = tutorialChild("param", "name", ConvertToNarrow(name).c_str(), created);
    if (created)
        save();
    return ReadIntAttribute(param, "v");
}

void PlayerProgress::setTutorialParam(int value, const std::wstring& name)
{
    const std::string narrow = ConvertToNarrow(name);
    bool created = false;
    tutorialChild("param", "name", narrow.c_str(), created);
    tinyxml2::XMLElement* tutorial = section("tutorial", true);
    for (tinyxml2::XMLElement* e = tutorial->FirstChildElement("param"); e; e = e->NextSiblingElement("param")) {
        const char* own = e->Attribute("name");
        if (own && narrow == own)
            e->SetAttribute("v", value);
    }
    save();
}

void PlayerProgress::setTutorialAvailable()
{
    section("tutorial", true)->SetAttribute("avail", 0);
    save();
}

bool PlayerProgress::isTutorialAvailable()
{
    const tinyxml2::XMLElement* tutorial = section("tutorial", false);
    return !tutorial || ReadBoolAttribute(tutorial, "avail");
}

int PlayerProgress::getIntAttribute(const std::string& name)
{
    if (!profile)
        bind();
    int value = 0;
    if (profile->QueryIntAttribute(name.c_str(), &value) != tinyxml2::XML_SUCCESS)
        return 0;
    return value;
}

// -- profiles --------------------------------------------------------------------------

void PlayerProgress::refreshProfileNames()
{
    const std::vector<std::wstring> names = Store()->getProfileNames();
    otherProfileNames.clear();
    if (names.size() < 2) {
        profileName.clear();
        return;
    }
    otherProfileNames.assign(names.begin() + 1, names.end());
    profileName = Store()->currentName();
}

void PlayerProgress::selectProfile(const std::wstring& name)
{
    profileName = name;
    Store()->selectProfile(name);
    profile = Store()->current;
    checkProfile();
    save();
    if (gemsReloaded)
        gemsReloaded(getGems());
    upgradeCache.clear();
    if (tutorialReload)
        tutorialReload();
    if (getFullScreen() == Windowed()) {
        if (framework::GameApplication* application = framework::GetGameApplication())
            application->SwitchScreenMode();
    }
    refreshProfileNames();
}

void PlayerProgress::renameProfile(const std::wstring& name)
{
    Store()->renameCurrent(name);
    Store()->selectProfile(name);
    profile = Store()->current;
    save();
    refreshProfileNames();
}

void PlayerProgress::deleteProfile()
{
    file::Profiles* store = Store();
    store->removeProfile(profileName);
    profile = store->current;
    const std::vector<std::wstring> names = store->getProfileNames();
    if (names.size() < 2) {
        selectProfile(store->currentName());
        profileName.clear();
    } else {
        selectProfile(names[1]);
    }
    refreshProfileNames();
}

void PlayerProgress::resetProfile()
{
    file::Profiles* store = Store();
    store->removeProfile(store->currentName());
    profile = store->current;
    ensureSections();
    checkProfile();
    upgradeCache.clear();
    if (tutorialEnabled)
        tutorialEnabled(isTutorialAvailable());
}
