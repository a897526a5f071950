#include "Source/TD/Units/TowersBoost.h"

#include "Core/Render/ParticleEmitter.h"
#include "Source/TD/Towers/TDTower.h"
#include "Source/TD/World/ParticleEffect.h"
#include "Source/TD/World/PrototypeStore.h"
#include "Source/TD/World/UnitPrototype.h"
#include "Source/TD/World/UpgradesTable.h"

#include <algorithm>

namespace {

// The boosts alive now, so that the end of one can tell which towers another still marks.
std::vector<TowersBoost*>& LiveBoosts()
{
    static std::vector<TowersBoost*> live;
    return live;
}

constexpr int kHammerPrototype = 3004;

} // namespace

TowersBoost::TowersBoost(const EffectWorld& world, float value, float duration)
    : TDModifier("", nullptr, value, duration), mWorld(world)
{
    LiveBoosts().push_back(this);
}

TowersBoost::~TowersBoost()
{
    std::vector<TowersBoost*>& live = LiveBoosts();
    live.erase(std::remove(live.begin(), live.end(), this), live.end());
    if (mWorld.hudEffects) {
        for (ParticleEffect* hammer : mHammers) {
            auto found = std::find(mWorld.hudEffects->begin(), mWorld.hudEffects->end(), hammer);
            // One the list has pruned already is gone.
            if (found == mWorld.hudEffects->end())
                continue;
            mWorld.hudEffects->erase(found);
            DeleteEffectRecord(hammer);
        }
    }
    if (!mWorld.towers)
        return;
    for (TDTower* tower : *mWorld.towers)
        tower->boosted = std::any_of(live.begin(), live.end(), [tower](const TowersBoost* b) { return b->marks(tower); });
}

bool TowersBoost::marks(const TDTower* tower) const
{
    return std::find(mMarked.begin(), mMarked.end(), tower) != mMarked.end();
}

float TowersBoost::hammerScale(const PrototypeStore* prototypes, const UpgradesTable* upgrades)
{
    const UnitPrototype* base = prototypes ? prototypes->find(kHammerPrototype) : nullptr;
    if (!base || base->speed == 0.0f)
        return 1.0f;
    UnitPrototype upgraded(*base);
    if (upgrades)
        upgrades->applyToPrototype(upgraded);
    return upgraded.speed == 0.0f ? 1.0f : base->speed / upgraded.speed;
}

void TowersBoost::apply(TDMob*, float)
{
    if (!mWorld.towers)
        return;
    for (TDTower* tower : *mWorld.towers) {
        const UnitPrototype* base = tower->currentPrototype();
        if (base) {
            tower->stats.strength += base->strength * mValue;
            tower->stats.r += base->r * mValue;
        }
        // The level clears the mark every tick, so it is set again on each.
        tower->boosted = true;
        if (marks(tower))
            continue;
        if (mWorld.hudEffects) {
            ParticleEffect* hammer = MakeParticleEffect("hammer");
            if (hammer->emitter) {
                const float xy[2] = {tower->x, tower->y - 50.0f};
                hammer->emitter->SetPosition(xy, 1);
                hammer->emitter->Start();
                hammer->emitter->SetLoopMode(2);
            }
            hammer->speed = hammerScale(mWorld.prototypes, mWorld.upgrades);
            mWorld.hudEffects->push_back(hammer);
            mHammers.push_back(hammer);
        }
        mMarked.push_back(tower);
    }
}
