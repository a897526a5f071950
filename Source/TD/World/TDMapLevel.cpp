// Level start and the level file: naming the file, resetting one attempt, reading
// points, links, spots and waves, start money, spot layout and music.
#include "Source/TD/World/TDMap.h"

#include "Core/Base/Log.h"
#include "Core/Base/StringEncoding.h"
#include "Core/Base/WideFormat.h"
#include "Core/File/FileUtils.h"
#include "Core/Render/DX9/RenderDX9.h"
#include "Core/Render/Image.h"
#include "Source/TD/Audio/PlayMusicTrack.h"
#include "Source/TD/Hud/HUD.h"
#include "Source/TD/Hud/HUDSpellButton.h"
#include "Source/TD/Shell/Game.h"
#include "Source/TD/Shell/PlayerProgress.h"
#include "Source/TD/Towers/TDBulletList.h"
#include "Source/TD/Towers/TDContextMenu.h"
#include "Source/TD/Towers/TDSpot.h"
#include "Source/TD/Towers/TDTower.h"
#include "Source/TD/Towers/TDTowerDrop.h"
#include "Source/TD/Tutorial/TDTutorial.h"
#include "Source/TD/Units/TDModifier.h"
#include "Source/TD/World/AmbientEffect.h"
#include "Source/TD/World/LevelArt.h"
#include "Source/TD/World/ParamSet.h"
#include "Source/TD/World/ParticleEffect.h"
#include "Source/TD/World/PrototypeStore.h"
#include "Source/TD/World/SheetToXml.h"
#include "Source/TD/World/TDParticle.h"
#include "Source/TD/World/TDPlayerStats.h"
#include "Source/TD/World/TDResources.h"
#include "Source/TD/World/TDSprite.h"
#include "Source/TD/World/TDWaves.h"
#include "Source/TD/World/UnitPrototype.h"
#include "Source/TD/World/UpgradesTable.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <tinyxml2.h>

namespace {

// The level file's document with its `map` root, or null (and one log line) when the
// file is missing or is no level.
const tinyxml2::XMLElement* ReadLevelDocument(const std::wstring& path, tinyxml2::XMLDocument& document)
{
    const std::string text = file::ReadTextFile(path);
    if (text.empty()) {
        GE_LOG(L"Level file '%s' is missing or empty: the level does not start.\n") << path;
        return nullptr;
    }
    if (document.Parse(text.c_str(), text.size()) != tinyxml2::XML_SUCCESS) {
        GE_LOG(L"Level file '%s' is damaged (%s): the level does not start.\n")
            << path << XmlErrorText(document);
        return nullptr;
    }
    const tinyxml2::XMLElement* map = document.FirstChildElement("map");
    if (!map) {
        GE_LOG(L"Level file '%s' has no map: the level does not start.\n") << path;
        return nullptr;
    }
    // The `li` text names the art folder; checked here so a damaged one stops the level
    // before any running state is touched.
    const tinyxml2::XMLElement* li = map->FirstChildElement("li");
    const char* liText = li ? li->GetText() : nullptr;
    std::wstring folder;
    const std::wstring what = L"Level file '" + path + L"' li text (the level does not start)";
    if (liText && !TryConvertToWide(liText, folder, what.c_str()))
        return nullptr;
    return map;
}

const wchar_t* const kIngameMusic[] = {
    L"td/data/music/ingame1.ogg", L"td/data/music/ingame2.ogg", L"td/data/music/ingame3.ogg",
    L"td/data/music/ingame4.ogg", L"td/data/music/ingame5.ogg", L"td/data/music/ingame6.ogg",
    L"td/data/music/ingame7.ogg",
};

std::string ElementText(const tinyxml2::XMLElement* element)
{
    const char* text = element ? element->GetText() : nullptr;
    return text ? text : "";
}

// The last two path components of the `li` text ("/td/data/" and before dropped).
std::string LevelFolderOf(std::string text)
{
    if (text.size() > 2 && text.compare(0, 2, "./") == 0)
        text.erase(0, 2);
    if (std::count(text.begin(), text.end(), '/') >= 2) {
        const size_t last = text.rfind('/');
        const size_t previous = text.rfind('/', last - 1);
        text.erase(0, previous);
    }
    if (text.size() > 1 && text[0] == '/')
        text.erase(0, 1);
    return text;
}

} // namespace

std::wstring LevelFileName(int episode, int level)
{
    WideFormat name(L"td/levels_normal/level_%02d_%02d.xml");
    name % (episode + 1) % (level + 1);
    name.Finish();
    return name.Output();
}

bool TDMap::startLevel()
{
    const std::wstring previous = mLevelFile;
    mLevelFile = LevelFileName(mEpisode, mLevel);
    if (!loadLevel()) {
        mLevelFile = previous;
        return false;
    }
    mHud->fadeState = 0;
    mDropChanceOverride = static_cast<float>(mProgress->getTutorialParam(L"dropChanceOverride"));
    WideFormat event(L"level_%d_%d_start");
    event % (mEpisode + 1) % (mLevel + 1);
    event.Finish();
    TDTutorial::Instance()->fireEvent(event.Output());
    return true;
}

bool TDMap::loadLevel()
{
    // Checked first: a level that cannot be read leaves the running state as it is.
    {
        tinyxml2::XMLDocument probe;
        if (!ReadLevelDocument(mLevelFile, probe))
            return false;
    }
    mHud->fadeState = 0;
    mViewScale = 1.0f;
    mViewOffset[0] = mViewOffset[1] = 0.0f;
    if (Game::sInstance) {
        Game::sInstance->drawLoadingScreen();
        // What the menus never drew (the towers' and units' frames) is decoded behind the
        // loading screen, not in the level's first frames.
        if (Game::sInstance->render)
            Game::sInstance->render->DecodePendingTextures();
    }

    mStats->resetLevel();
    mEnemyCostFactor = 0.0f;
    mBudgetFactor = 0.0f;
    mExtraHealth = 0;
    mUpgrades->applyToPlayer(mEnemyCostFactor, mBudgetFactor, mExtraHealth);
    loadSheets();
    DeleteOwnedVector(mSpecials);

    mActiveShown = 0;
    mScreen = 3;
    mSpeed = 0.0f;
    mHud->fadeState = 0;
    for (HUDSpellButton* button : mHud->spellButtons)
        button->resetRecharge();
    mWaves->reset();
    mWaves->clearMobs();
    DeleteOwnedVector(mTowers);
    DeleteOwnedVector(mAreaModifiers);
    mBullets->clear();
    mHealth = mMaxHealth = 25.0f + static_cast<float>(mExtraHealth);
    if (mLevelArt)
        for (TDFrameEntry* entry : mLevelArt->mSpotSprites)
            entry->mVisible = true;
    mHud->clearWindows();

    const bool loaded = loadLevelData(mLevelFile);

    mSpeed = 1.0f;
    mScreen = 0;
    updateSpeedButtons();
    const size_t music = static_cast<size_t>(mEpisode);
    PlayMusicTrack(music < std::size(kIngameMusic) ? kIngameMusic[music] : kIngameMusic[0]);
    buildPaths();
    ResetTutorialSteps();
    showLevelIntro();
    mHud->setWavesText();
    mHud->setCrystalsText();
    mHud->setCoinsText();
    mHud->setManaText();
    return loaded;
}

void TDMap::deleteWorldObjects()
{
    mWaves->clearMobs();
    DeleteOwnedVector(mAreaModifiers);
    DeleteOwnedVector(mTowers);
    DeleteOwnedVector(mSpotList);
    DeleteOwnedVector(mFloatingSprites);
    DeleteOwnedVector(mAmbient);
    for (ParticleEffect* effect : mEffects)
        DeleteEffectRecord(effect);
    mEffects.clear();
    for (ParticleEffect* effect : mHudEffects)
        DeleteEffectRecord(effect);
    mHudEffects.clear();
    DeleteOwnedVector(mParticles);
}

bool TDMap::loadLevelData(const std::wstring& path)
{
    if (mContextMenu) {
        mContextMenu->close();
        delete mContextMenu;
        mContextMenu = nullptr;
    }
    mHud->clearSpellButtons();
    DeleteOwnedVector(mFloatingSprites);
    for (int i = 0; i < 5; ++i)
        mHud->addSpellButton(i);
    mActiveShown = 0;
    mSelectedMob = nullptr;
    mLevelFile = path;
    deleteWorldObjects();

    tinyxml2::XMLDocument document;
    const tinyxml2::XMLElement* map = ReadLevelDocument(path, document);
    if (!map)
        return false;
    const tinyxml2::XMLElement* li = map->FirstChildElement("li");
    const tinyxml2::XMLElement* spots = map->FirstChildElement("spots");
    mBudget = std::atoi(ElementText(map->FirstChildElement("budget")).c_str());

    loadPoints(map->FirstChildElement("points"));
    loadLinks(map->FirstChildElement("links"));
    loadSpots(spots);
    mWaves->load(map->FirstChildElement("waves"));

    const int add = mBudget + static_cast<int>(static_cast<float>(mBudget) * mBudgetFactor);
    mStats->mMoney += add;
    mStats->mStartMoney = add;
    mStats->mShownMoney = mStats->mMoney;

    std::string dataFolder;
    const std::string liText = ElementText(li);
    if (!liText.empty()) {
        const size_t at = liText.rfind("/td/data/");
        dataFolder = at == std::string::npos ? liText : liText.substr(at + 9);
        mLevelFolder = LevelFolderOf(liText);
    }

    std::wstring wideFolder;
    if (!TryConvertToWide(dataFolder, wideFolder, L"Level art folder"))
        return false;
    delete mLevelArt;
    mLevelArt = new LevelArt(L"td/data/" + wideFolder);
    BuildAmbientEffects(*mLevelArt, mEpisode, &mEffects, mAmbient);
    layOutSpots();

    mScreen = 0;
    paintPathPicture();
    return true;
}

void TDMap::layOutSpots()
{
    TDResources* resources = TDResources::Instance();
    for (size_t i = 0; i < mSpotList.size(); ++i) {
        TDSpot* spot = mSpotList[i];
        auto* entry = new TDFrameEntry;
        entry->mName = L"#" + std::to_wstring(i);
        entry->mOrder = -1;
        if (mProgress->isSpotOwned(entry->mName, mEpisode, mLevel)) {
            entry->mImage = mLevelArt->mSpotImageS;
            spot->mOwned = true;
        } else {
            entry->mImage = mLevelArt->spotImage(spot->mType);
        }
        const float width = entry->mImage ? static_cast<float>(entry->mImage->GetWidth()) : 0.0f;
        const float height = entry->mImage ? static_cast<float>(entry->mImage->GetHeight()) : 0.0f;
        entry->mX = static_cast<float>(static_cast<int>(spot->mX - width * 0.5f));
        entry->mY = static_cast<float>(static_cast<int>(spot->mY - height * 0.5f));
        entry->mWidth = width;
        entry->mHeight = height;
        entry->mSpot = spot;
        spot->mEntry = entry;
        mLevelArt->mSpotSprites.push_back(entry);

        ParamSet& params = *spot->mParams;
        std::vector<TDFrameEntry*> icons;
        auto atlasIcon = [&](const wchar_t* frame) {
            const TDFrameEntry* source = resources->getFrame(L"td/ui", "", frame);
            icons.push_back(source ? new TDFrameEntry(*source) : new TDFrameEntry);
        };
        const float radius = params.number("radius_mult");
        if (radius < 1.0f)
            atlasIcon(L"ui/radius_unboost");
        else if (radius > 1.0f)
            atlasIcon(L"ui/radius_boost");
        const float damage = params.number("damage_mult");
        if (damage < 1.0f)
            atlasIcon(L"ui/power_unboost");
        else if (damage > 1.0f)
            atlasIcon(L"ui/power_boost");
        if (params.number("income_mult") != 1.0f) {
            auto* income = new TDFrameEntry;
            income->mName = L"##";
            income->mImage = LoadImageHandle(GameRenderer(), L"td/data/context/small_icons/income", nullptr);
            icons.push_back(income);
        }
        const float cx = entry->mX + entry->mWidth * 0.5f;
        const float cy = entry->mY + entry->mHeight * 0.5f;
        for (size_t k = 0; k < icons.size(); ++k) {
            const float degrees =
                static_cast<float>(k + 1) * 180.0f / static_cast<float>(icons.size() + 1) + 270.0f;
            const float angle = degrees * 3.14f / 180.0f;
            icons[k]->mX = cx + std::sin(angle) * 40.0f;
            icons[k]->mY = cy + std::cos(angle) * 40.0f;
            mLevelArt->mIcons.push_back(icons[k]);
            spot->mIcons.push_back(icons[k]);
        }

        const int towerId = static_cast<int>(params.number("tower_id"));
        if (towerId != 0) {
            const UnitPrototype* prototype = mPrototypes ? mPrototypes->find(towerId) : nullptr;
            if (prototype) {
                // The level's own tower is free: the money grows by what the building
                // then spends, the price with the bought upgrades (a cost upgrade that
                // raised it would otherwise leave the tower unbuilt).
                mStats->addMoney(static_cast<int>(towerPrice(*prototype)));
                buildTower(prototype, entry);
            }
        }
    }
    std::stable_sort(mLevelArt->mIcons.begin(), mLevelArt->mIcons.end(),
                     [](const TDFrameEntry* a, const TDFrameEntry* b) { return a->mOrder < b->mOrder; });
}

void TDMap::loadSpots(const tinyxml2::XMLElement* spots)
{
    TDSpot::loadAll(spots, mSpotList);
}

void TDMap::loadSheets()
{
    LoadPrototypeSheets(mPrototypes);
    mEpisodeTable.load();
    mSellFactor = 0.5f;
}
