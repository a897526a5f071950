// The level's towers: building (with the payment offers when the gold is short),
// selling, the tier step, and the tests of units that disable or weaken towers.
#include "Core/Base/Log.h"
#include "Core/Base/WideFormat.h"
#include "Core/Render/ParticleEmitter.h"
#include "Core/Render/ParticleSystem.h"
#include "Source/TD/Audio/SoundTags.h"
#include "Source/TD/Hud/HUD.h"
#include "Source/TD/Shell/FeatureConfig.h"
#include "Source/TD/Shell/LocalStrings.h"
#include "Source/TD/Towers/TDBulletList.h"
#include "Source/TD/Towers/TDTower.h"
#include "Source/TD/Units/GoldIncomerModifier.h"
#include "Source/TD/Units/TDMob.h"
#include "Source/TD/Units/TDModifier.h"
#include "Source/TD/World/PrototypeStore.h"
#include "Source/TD/World/TDFrameEntry.h"
#include "Source/TD/World/TDMap.h"
#include "Source/TD/World/TDBeamParticle.h"
#include "Source/TD/World/TDPlayerStats.h"
#include "Source/TD/World/TDSprite.h"
#include "Source/TD/World/TDWaves.h"
#include "Source/TD/World/UnitPrototype.h"
#include "Source/TD/World/UpgradesTable.h"

#include <algorithm>
#include <cmath>

namespace {

std::wstring Text(const wchar_t* key)
{
    return LocalStrings::Instance()->get(key);
}

// The purchase dialog for gems.
bool LowGemsDialogActive()
{
    return FeatureConfig::instance()->activeFeatures().lowPremiumPointsDialog;
}

// Whether `unit`, of kind `kind`, is of the `flag` kind, not held, and reaches the
// tower within `reach` x the kind's r.
bool Reaches(const TDMob& unit, const UnitPrototype& kind, const TDTower& tower, bool UnitPrototype::*flag,
             float reach)
{
    // A held unit threatens nothing.
    if (!(kind.*flag) || unit.isHeldAs(kind))
        return false;
    const float dx = unit.mX - tower.x;
    const float dy = unit.mY - tower.y;
    return std::sqrt(dx * dx + dy * dy) <= kind.r * reach;
}

// A unit of `flag` kind that reaches the tower within `reach` x its prototype's r.
bool UnitNear(const TDMap& map, const TDTower& tower, bool UnitPrototype::*flag, float reach)
{
    if (tower.immune || !map.mWaves || !map.mPrototypes)
        return false;
    if (const std::vector<TDMap::TowerThreat>* threats = map.towerThreats()) {
        for (const TDMap::TowerThreat& threat : *threats)
            if (Reaches(*threat.unit, *threat.kind, tower, flag, reach))
                return true;
        return false;
    }
    for (const TDMob* unit : map.mWaves->mobs) {
        const UnitPrototype* kind = unit ? unit->getPrototype(*map.mPrototypes) : nullptr;
        if (kind && Reaches(*unit, *kind, tower, flag, reach))
            return true;
    }
    return false;
}

void StartEmitterAt(std::vector<render::ParticleEmitter*>& emitters, const char* name, float x, float y)
{
    render::ParticleEmitter* emitter = render::ParticleSystem::Instance()->CreateEmitter(name);
    if (!emitter)
        return;
    const float xy[2] = {x, y};
    emitter->SetPosition(xy, 1);
    emitter->Start();
    emitters.push_back(emitter);
}

} // namespace

void TDMap::openPaymentDialog(int screen, const std::wstring& caption, const std::wstring& text)
{
    // The level pauses behind the dialog and acts on its answer by this screen id.
    if (mHud)
        mHud->showModalDialog(-1, caption, text);
    mScreen = screen;
    mSpeed = 0.0f;
    updateSpeedButtons();
}

float TDMap::towerPrice(const UnitPrototype& prototype) const
{
    UnitPrototype upgraded;
    upgraded = prototype;
    if (mUpgrades)
        mUpgrades->applyToPrototype(upgraded);
    return upgraded.cost;
}

TDTower* TDMap::buildTower(const UnitPrototype* prototype, TDFrameEntry* entry)
{
    if (!prototype || !entry || !mStats) {
        GE_LOG(L"A tower is built without a prototype or spot: nothing built.\n");
        return nullptr;
    }
    const float cost = towerPrice(*prototype);

    if (cost > static_cast<float>(mStats->mMoney)) {
        if (!gPremiumPointsTowerBuy)
            return nullptr;
        const int gems = static_cast<int>(std::ceil(cost / 50.0f));
        if (mStats->mGems >= gems) {
            mPendingBuildPrototype = prototype;
            mPendingBuildSpot = entry;
            mPendingBuildGold = cost;
            WideFormat text(Text(L"convertCristallToMoneyDialogText"));
            text % gems;
            text.Finish();
            openPaymentDialog(21, Text(L"convertCristallToMoneyDialogTitle"), text.Output());
        } else if (gInAppPurchases && LowGemsDialogActive()) {
            openPaymentDialog(19, Text(L"convertCristallToMoneyDialogTitle"), Text(L"gemShopDialogText"));
        }
        return nullptr;
    }

    mStats->spendMoney(static_cast<int>(cost));
    entry->mVisible = false;
    const float cx = entry->mX + entry->mWidth * 0.5f;
    const float cy = entry->mY + entry->mHeight * 0.5f;
    auto* tower = new TDTower(prototype, entry, cx, cy, this);
    mTowers.push_back(tower);
    std::stable_sort(mTowers.begin(), mTowers.end(), TDTower::boostFirst);
    k2::SoundTags::Instance()->play(L"buildTower");
    StartEmitterAt(mEmitters, "build", cx, cy);
    return tower;
}

void TDMap::sellTower(TDTower* tower)
{
    const auto found = std::find(mTowers.begin(), mTowers.end(), tower);
    if (!tower || found == mTowers.end()) {
        // A stale menu or a second sale: nothing to refund.
        GE_LOG(L"Sale of a tower that is not on the level: no refund.\n");
        return;
    }
    if (const UnitPrototype* tier = tower->currentPrototype()) {
        int value = static_cast<int>(tier->cost);
        if (tier->parent != -1 && mPrototypes) {
            if (const UnitPrototype* parent = mPrototypes->find(tier->parent))
                value += static_cast<int>(parent->cost);
        }
        mStats->addMoney(static_cast<int>(std::floor(static_cast<float>(value) * mSellFactor)));
    }

    // What the tower did to units (stun, hold, poison, a teleport under way) ends with
    // it, on every unit: an effect left behind would keep the address of a deleted
    // tower, and a tower built later at that address would find its own effects refused.
    // Before the effects forget the tower, or the teleport's would no longer know it.
    if (mWaves)
        for (TDMob* unit : mWaves->mobs)
            if (unit->removeEffectsOf(tower) > 0 && unit->mState == TDMob::Effect)
                unit->mState = TDMob::Walking;
    if (mBullets)
        mBullets->forgetTower(tower);
    for (TDModifier* modifier : mAreaModifiers)
        modifier->forget(tower);
    if (tower->beam && std::find(mParticles.begin(), mParticles.end(), tower->beam) != mParticles.end()) {
        // The unit its beam holds walks on.
        if (TDMob* held = tower->beam->mTarget)
            held->mState = TDMob::Walking;
        tower->beam->stop();
    }
    tower->beam = nullptr;
    StartEmitterAt(mEmitters, "build", tower->x, tower->y);
    k2::SoundTags::Instance()->play(L"sellTower");
    for (TDAnimatedSprite** overlay : {&tower->disableOverlay, &tower->debuffOverlay}) {
        if (*overlay)
            RemoveSprite(mFloatingSprites, *overlay);
        *overlay = nullptr;
    }
    // The spot is free again.
    if (tower->spot)
        tower->spot->mVisible = true;
    if (mPendingUpgradeTower == tower)
        mPendingUpgradeTower = nullptr;
    mTowers.erase(std::find(mTowers.begin(), mTowers.end(), tower));
    delete tower;
}

bool TDMap::stepTowerTier(TDTower* tower)
{
    if (!tower || std::find(mTowers.begin(), mTowers.end(), tower) == mTowers.end())
        return false;
    const UnitPrototype* tier = tower->currentPrototype();
    const UnitPrototype* base = tower->basePrototype;
    if (!tier || !base)
        return false;
    // Past the last step there is nothing to buy: refuse before anything is paid.
    if (tower->tierSteps + 1 > base->tierUpdates)
        return false;
    if (static_cast<float>(mBudget) < tier->tierCost)
        return false;
    tower->resetStats();
    const UnitPrototype before = tower->stats;
    mBudget -= static_cast<int>(tier->tierCost);
    ++tower->tierSteps;
    tower->idlePause = 0.0f;
    tower->cooldownLeft = 0.0f;
    tower->resetStats();
    // A step is an upgrade to the player: it shows what it bought like a tier does.
    tower->announceUpgrade(before, tower->stats);
    return true;
}

void TDMap::collectTowerThreats()
{
    mTowerThreats.clear();
    mTowerThreatsValid = false;
    if (!mWaves || !mPrototypes)
        return;
    for (const TDMob* unit : mWaves->mobs) {
        const UnitPrototype* kind = unit ? unit->getPrototype(*mPrototypes) : nullptr;
        if (kind && (kind->blocktower || kind->debufftower))
            mTowerThreats.push_back({unit, kind});
    }
    mTowerThreatsOf = mWaves->mobs.size();
    mTowerThreatsValid = true;
}

void TDMap::dropTowerThreats()
{
    mTowerThreats.clear();
    mTowerThreatsValid = false;
}

const std::vector<TDMap::TowerThreat>* TDMap::towerThreats() const
{
    // A unit added or removed since the collection makes the list stale.
    if (!mTowerThreatsValid || !mWaves || mWaves->mobs.size() != mTowerThreatsOf)
        return nullptr;
    return &mTowerThreats;
}

bool TDMap::isTowerDisabled(const TDTower* tower) const
{
    return tower && UnitNear(*this, *tower, &UnitPrototype::blocktower, 0.5f);
}

bool TDMap::isTowerDebuffed(const TDTower* tower) const
{
    return tower && UnitNear(*this, *tower, &UnitPrototype::debufftower, 1.0f);
}

std::vector<TDModifier*> TDMap::makeTowerEffects(TDTower* tower, const UnitPrototype& tier)
{
    return MakeTowerEffects(effectWorld(), tower, tier);
}
