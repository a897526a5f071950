#include "Source/TD/World/TDMap.h"

#include "Core/Render/Image.h"
#include "Core/Render/ParticleEmitter.h"
#include "Core/Render/ParticleSystem.h"
#include "Source/TD/Audio/SoundTags.h"
#include "Source/TD/Hud/HUD.h"
#include "Source/TD/Hud/HUDIngameMenu.h"
#include "Source/TD/Purchase/PurchaseSystem.h"
#include "Source/TD/Shell/PlayerProgress.h"
#include "Source/TD/Towers/SpellTable.h"
#include "Source/TD/Towers/TDBulletList.h"
#include "Source/TD/Towers/TDContextMenu.h"
#include "Source/TD/Towers/TDSpot.h"
#include "Source/TD/Towers/TDTower.h"
#include "Source/TD/Towers/TDTowerDrop.h"
#include "Source/TD/Tutorial/TDTutorial.h"
#include "Source/TD/Units/TDMob.h"
#include "Source/TD/Units/TDModifier.h"
#include "Source/TD/World/InterfaceAtlas.h"
#include "Source/TD/World/LevelArt.h"
#include "Source/TD/World/ParticleEffect.h"
#include "Source/TD/World/PrototypeStore.h"
#include "Source/TD/World/TDAnimationSet.h"
#include "Source/TD/World/TDFloatingLabels.h"
#include "Source/TD/World/TDLink.h"
#include "Source/TD/World/TDParticle.h"
#include "Source/TD/World/TDPlayerStats.h"
#include "Source/TD/World/TDPoint.h"
#include "Source/TD/World/TDResources.h"
#include "Source/TD/World/TDSprite.h"
#include "Source/TD/World/TDWaves.h"
#include "Source/TD/World/UnlocksTable.h"
#include "Source/TD/World/UpgradesTable.h"
#include "Source/TD/World/WaveHint.h"

namespace {

// The sprite description folders every level draws from.
const wchar_t* const kSpriteFolders[] = {
    L"td/units/t1units", L"td/units/t2units",    L"td/units/t3units", L"td/towers/artillery",
    L"td/towers/dart",   L"td/towers/cannon",    L"td/towers/support", L"td/data/ui_parts",
};

render::ParticleEmitter* StartedEmitter(const char* name)
{
    render::ParticleEmitter* emitter = render::ParticleSystem::Instance()->CreateEmitter(name);
    if (emitter && emitter->GetState() != render::ParticleEmitter::Playing)
        emitter->Start();
    return emitter;
}

template <class T> void DeleteAndNull(T*& pointer)
{
    delete pointer;
    pointer = nullptr;
}

} // namespace

TDMap::TDMap()
{
    mUpgrades = new UpgradesTable(L"td/upgrades.xml");
    mPaths.clear();

    for (const wchar_t* folder : kSpriteFolders)
        TDResources::Instance()->loadContainer(folder);
    loadInterface();
    mRunning = true;

    mUnlocks = new UnlocksTable(&mEpisode, &mLevel);
    mEnemySpot = new TDAnimationSet(L"td/enemy_spot");

    k2::SoundTags::Instance()->load(L"td/sounds_sheet.csv");

    mProgress = new PlayerProgress(L"");
    mProgress->upgradeIds = [this] { return mUpgrades->ids(); };
    mUpgrades->boughtLevel = [this](int id) { return mProgress ? mProgress->getUpgradeLevel(id) : -1; };
    mUpgrades->unlocked = [this](int id) { return mUnlocks && mUnlocks->isUnlocked(id); };
    mHud = new HUD;
    mStats = new TDPlayerStats(mHud, mProgress);
    mSpells = new SpellTable(L"td/spells_sheet.csv");
    for (const wchar_t* button : {L"speed_btn_ac", L"pause_btn_ac", L"play_btn_ac", L"options_btn_ac"})
        mHud->setButtonVisible(button, false);

    mBullets = new TDBulletList([this] { return effectWorld(); });
    mWaves = new TDWaves(this);

    mCoordinateScale = 1.0f;
    loadSheets();
    // The progress answers which levels are open and how far the player got from it.
    mProgress->episodes = &mEpisodeTable;
    mProgress->upgradeTopLevel = [this](int id) {
        for (const UpgradeDef& upgrade : mUpgrades->mUpgrades)
            if (upgrade.id == id)
                return static_cast<int>(upgrade.steps.size()) - 1;
        return PlayerProgress::kMaxIndex; // unknown to this table: kept as it is
    };
    mProgress->checkProfile();

    mActiveEmitter = StartedEmitter("active");
    mActiveButtonEmitter = StartedEmitter("active_btn");
    updateSpeedButtons();

    purchase::PurchaseSystem::Instance()->addResultReceiver(
        this, base::MemberDelegate1<TDMap, const TPurchaseResult&>(this, &TDMap::onPurchaseResult));
}

void TDMap::deleteEffects(std::vector<ParticleEffect*>& effects, bool)
{
    for (ParticleEffect* effect : effects)
        DeleteEffectRecord(effect);
    std::vector<ParticleEffect*>().swap(effects);
}

TDMap::~TDMap()
{
    if (purchase::PurchaseSystem::Exists())
        purchase::PurchaseSystem::Instance()->removeResultReceiver(this);
    if (mContextMenu)
        mContextMenu->close();
    DeleteAndNull(mContextMenu);
    DeleteAndNull(mUpgrades);
    DeleteAndNull(mEnemySpot);
    DeleteAndNull(mUnlocks);
    DeleteOwnedVector(mFloatingSprites);
    DeleteOwnedVector(mAmbient);
    DeleteOwnedVector(mSpecials);
    DeleteAndNull(mLevelArt);
    DeleteOwnedVector(mSpotList);
    DeleteAndNull(mSpells);
    DeleteAndNull(mHud);
    DeleteAndNull(mWaves);
    DeleteAndNull(mWaveHint);
    DeleteAndNull(mInterface);
    mPaths.clear();
    DeleteOwnedVector(mPoints);
    DeleteOwnedVector(mLinks);
    DeleteAndNull(mPrototypes);
    DeleteAndNull(mBullets);
    DeleteAndNull(mFloatingLabels);
    DeleteOwnedVector(mAreaModifiers);
    deleteEffects(mEffects, true);
    deleteEffects(mHudEffects, true);
    DeleteOwnedVector(mEmitters);
    DeleteOwnedVector(mParticles);
    DeleteOwnedVector(mTowers);
    DeleteAndNull(mActiveEmitter);
    DeleteAndNull(mActiveButtonEmitter);
    DeleteAndNull(mPathPicture);
    DeleteAndNull(mStats);
    if (TDResources::Exists())
        TDResources::Instance()->clear();
    if (TDTutorial::Exists())
        TDTutorial::Instance()->releaseGraphics();
    DeleteAndNull(mProgress);
}

void TDMap::update(float dt)
{
    if (mReturnToSelect) {
        if (mScreen == 5) {
            mHud->popWindow();
            mHud->showEpisodeSelect();
        } else if (mScreen == 6) {
            mHud->popWindow();
            mHud->showLevelSelect();
        }
        mReturnToSelect = false;
    }
    if (!mRunning)
        return;

    const float sdt = dt * mSpeed;
    mLastDt = dt;
    mGameTime += sdt;
    if (mEnemySpot)
        mEnemySpot->advance(dt);
    if (mSelectedMob && mSelectedMob->mState == TDMob::Dying)
        mSelectedMob = nullptr;
    if (mContextMenu)
        mContextMenu->update(dt);
    if (mActiveShown && mActiveEmitter)
        mActiveEmitter->Update(sdt);
    if (mActiveButtonEmitter) {
        mActiveButtonEmitter->Update(sdt);
        if (mActiveButtonEmitter->GetState() != render::ParticleEmitter::Playing)
            mActiveButtonEmitter->Start();
    }
    mHud->update(dt);
    TDTutorial* tutorial = TDTutorial::Instance();
    if (tutorial->active && tutorial->skipButtonShown)
        tutorial->updateSkipButton(dt);

    auto advanceEffects = [](std::vector<ParticleEffect*>& effects, float step) {
        for (size_t i = 0; i < effects.size();) {
            ParticleEffect* effect = effects[i];
            if (effect->emitter && effect->emitter->GetState() == render::ParticleEmitter::Playing) {
                effect->elapsed += effect->speed * step;
                effect->emitter->Update(effect->speed * step);
                ++i;
                continue;
            }
            DeleteEffectRecord(effect);
            effects.erase(effects.begin() + static_cast<std::ptrdiff_t>(i));
        }
    };
    advanceEffects(mHudEffects, sdt);

    for (size_t i = 0; i < mEmitters.size();) {
        if (mEmitters[i]->GetState() != render::ParticleEmitter::Idle) {
            mEmitters[i]->Update(dt);
            ++i;
            continue;
        }
        delete mEmitters[i];
        mEmitters.erase(mEmitters.begin() + static_cast<std::ptrdiff_t>(i));
    }
    waitForHealthPurchase(dt);

    if (mScreen != 0) {
        if (mContextMenu) {
            mContextMenu->close();
            DeleteAndNull(mContextMenu);
        }
        return;
    }

    for (TDSprite* sprite : mAmbient)
        sprite->update(sdt);

    for (size_t i = 0; i < mSpecials.size();) {
        mSpecials[i]->update(sdt * 1.5f);
        if (mSpecials[i]->alive) {
            ++i;
            continue;
        }
        delete mSpecials[i];
        mSpecials.erase(mSpecials.begin() + static_cast<std::ptrdiff_t>(i));
    }
    for (TDTowerSpecial* drop : mSpecials) {
        if (drop->clock > 5.0f && drop->state == 1) {
            drop->setState(2);
            mStats->addGems(1);
        }
    }

    for (size_t i = 0; i < mFloatingSprites.size();) {
        mFloatingSprites[i]->update(sdt);
        if (mFloatingSprites[i]->isAlive()) {
            ++i;
            continue;
        }
        delete mFloatingSprites[i];
        mFloatingSprites.erase(mFloatingSprites.begin() + static_cast<std::ptrdiff_t>(i));
    }

    mStats->update(dt);

    for (size_t i = 0; i < mParticles.size();) {
        if (mParticles[i]->finished()) {
            delete mParticles[i];
            mParticles.erase(mParticles.begin() + static_cast<std::ptrdiff_t>(i));
            continue;
        }
        mParticles[i]->update(sdt);
        ++i;
    }

    advanceEffects(mEffects, sdt);
    mFloatingLabels->update(sdt);

    for (TDTower* tower : mTowers) {
        tower->bonus = TowerBuff();
        tower->resetStats();
        tower->boosted = false;
    }
    for (TDModifier* modifier : mAreaModifiers)
        modifier->update(nullptr, sdt);
    collectTowerThreats();
    for (TDTower* tower : mTowers) {
        mUpgrades->applyToTower(tower);
        tower->update(sdt);
    }
    dropTowerThreats();

    mWaves->applyModifiers(sdt);
    // By index: a unit may be added during the walk (cargo, raised units).
    for (size_t i = 0; i < mWaves->mobs.size(); ++i)
        mWaves->mobs[i]->tick(*this, sdt);

    mBullets->update(sdt);

    for (size_t i = 0; i < mAreaModifiers.size();) {
        if (mAreaModifiers[i]->mActive) {
            ++i;
            continue;
        }
        delete mAreaModifiers[i];
        mAreaModifiers.erase(mAreaModifiers.begin() + static_cast<std::ptrdiff_t>(i));
    }

    mWaves->tick(sdt);

    for (TDMob* mob : mWaves->mobs)
        mob->mSpeedPenalty = 0.0f;
}

void TDMap::pause()
{
    mSpeed = 0.0f;
    updateSpeedButtons();
    mScreen = 4;
    TDTutorial* tutorial = TDTutorial::Instance();
    tutorial->previousVisible = tutorial->visible;
    tutorial->visible = 0;
    tutorial->hideLayers();
    mHud->open(new HUDIngameMenu, HUD::kKeepScreen);
}

void TDMap::onMousePressed(float x, float y)
{
    const int ix = static_cast<int>(x);
    const int iy = static_cast<int>(y);
    mHud->onMouseMove(ix, iy);
    TDTutorial::Instance()->onMouseMove(ix, iy);
    mHud->onMousePressed(ix, iy);
}

EffectWorld TDMap::effectWorld()
{
    EffectWorld world;
    world.prototypes = mPrototypes;
    world.units = mWaves ? &mWaves->mobs : nullptr;
    world.floatingSprites = &mFloatingSprites;
    world.areaModifiers = &mAreaModifiers;
    world.effects = &mEffects;
    world.points = &mPoints;
    world.towers = &mTowers;
    world.hudEffects = &mHudEffects;
    world.upgrades = mUpgrades;
    world.labels = mFloatingLabels;
    world.stats = mStats;
    world.spawn = [this](TDWaveEnemy* entry, TDPoint* point) { return spawnMob(entry, point); };
    return world;
}
