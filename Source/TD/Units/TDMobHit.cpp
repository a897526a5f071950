// A bullet's hit on an enemy unit: damage with resistances and splash, the effects of
// the firing tier, and the gold some ammunition earns.
#include "Source/TD/Shell/FeatureConfig.h"
#include "Source/TD/Towers/TDBullet.h"
#include "Source/TD/Towers/TDTower.h"
#include "Source/TD/Units/AreaDamageModifier.h"
#include "Source/TD/Units/DotModifier.h"
#include "Source/TD/Units/FireSplashModifier.h"
#include "Source/TD/Units/HoldAndTeleport.h"
#include "Source/TD/Units/HoldModifier.h"
#include "Source/TD/Units/StunModifier.h"
#include "Source/TD/Units/TDMob.h"
#include "Source/TD/World/PrototypeStore.h"
#include "Source/TD/World/TDFloatingLabels.h"
#include "Source/TD/World/TDPlayerStats.h"
#include "Source/TD/World/UnitPrototype.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace {

// The mean of (1 - resistance) over the damage types the tier deals and the unit
// resists; 1 when none counts.
float ResistanceFactor(const UnitPrototype& tier, const UnitPrototype* unit, bool* resisted)
{
    *resisted = false;
    if (!unit)
        return 1.0f;
    const bool deals[4] = {tier.type1, tier.type2, tier.type3, tier.type4};
    const float resist[4] = {unit->resist1, unit->resist2, unit->resist3, unit->resist4};
    float sum = 0.0f;
    int count = 0;
    for (int k = 0; k < 4; ++k) {
        if (!deals[k] || resist[k] <= 0.0f)
            continue;
        sum += 1.0f - resist[k];
        ++count;
    }
    if (count == 0)
        return 1.0f;
    *resisted = true;
    return sum / static_cast<float>(count);
}

void Offer(TDMob& unit, TDModifier* effect)
{
    if (!unit.addModifier(effect))
        delete effect;
}

} // namespace

float TDMob::bulletDamage(const TDBullet& bullet, bool direct, bool* resisted) const
{
    *resisted = false;
    const UnitPrototype* tier = bullet.prototype;
    if (!tier)
        return 0.0f;
    // A shot whose tower was sold while it flew keeps the tier's strength only.
    const TDTower* tower = bullet.tower;
    float d = tower ? tower->stats.strength + tower->bonus.strength + tower->spotNumber("damage_mult")
                    : tier->strength;
    const PrototypeStore* store = bullet.world.prototypes;
    // The ammunition's own strength comes on top of the tier's.
    const UnitPrototype* ammo = store ? store->find(tier->ammoid) : nullptr;
    if (ammo)
        d += ammo->strength;
    d *= ResistanceFactor(*tier, store ? getPrototype(*store) : nullptr, resisted);
    if (!direct) {
        const float radius = ammo ? ammo->r : 0.0f;
        if (radius <= 0.0f)
            return 0.0f;
        const float distance = std::hypot(bullet.position.x - mDrawX, bullet.position.y - mDrawY);
        d *= std::max(0.0f, (radius - distance) / radius);
    }
    return d;
}

void TDMob::takeBulletHit(TDBullet* bullet, bool direct)
{
    if (!bullet || !bullet->prototype || mHealth <= 0.0f)
        return;
    const UnitPrototype& tier = *bullet->prototype;
    const EffectWorld& world = bullet->world;
    TDTower* tower = bullet->tower;

    bool resisted = false;
    const float d = bulletDamage(*bullet, direct, &resisted);

    if (resisted && gEffectImmunityActive && mResistLabelTimer == 0.0f) {
        mResistLabelTimer = gEffectImmunityDelay;
        if (world.labels)
            world.labels->add(TDFloatingLabels::kImmuneKind, mDrawX, mDrawY);
    }

    if (tier.teleportEnemy)
        Offer(*this, new HoldAndTeleport(world, "", tower, 0.0f, 3.0f));
    if (tier.dot) {
        auto* dot = new DotModifier(world, "health", tower, 0.5f, 2.0f);
        dot->mTickInterval = 0.9f;
        Offer(*this, dot);
    }
    if (tier.stun)
        Offer(*this, new StunModifier(world, "speed", tower, 0.5f, 3.0f));
    if (tier.hold)
        Offer(*this, new HoldModifier(world, "speed", tower, 0.5f, 3.0f));
    if (tier.firesplash && world.areaModifiers) {
        auto* fire = new FireSplashModifier(world, "", tower, FireSplashModifier::kHitValue,
                                            FireSplashModifier::kHitDuration, mAimX, mAimY,
                                            FireSplashModifier::kHitRadius);
        fire->mTickInterval = FireSplashModifier::kHitInterval;
        world.areaModifiers->push_back(fire);
    }

    if (tier.goldIncome > 0) {
        // The shot's income is paid as it stands (the spot's "income_mult" is for the
        // tower's own income), and the label says what is paid.
        const int amount = tier.goldIncome;
        if (world.labels) {
            TDFloatingLabels::Label* label = world.labels->add(TDFloatingLabels::kMoneyKind, mX, mY + 30.0f);
            label->text = L"+" + std::to_wstring(amount);
        }
        if (world.stats)
            world.stats->addMoney(amount);
    }

    if (tier.splash && direct) {
        if (world.areaModifiers)
            world.areaModifiers->push_back(new AreaDamageModifier(mAimX, mAimY));
        const UnitPrototype* ammo = world.prototypes ? world.prototypes->find(tier.ammoid) : nullptr;
        if (ammo) {
            for (TDMob* other : world.unitsInCircle(mAimX, mAimY, ammo->r))
                if (other != this)
                    other->takeBulletHit(bullet, false);
        }
    }

    damage(d);
}
