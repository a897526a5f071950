#include "Source/TD/Units/GoldIncomerModifier.h"

#include "Source/TD/Towers/TDTower.h"
#include "Source/TD/Units/MagicTowerBoost.h"
#include "Source/TD/Units/ShowInvisible.h"

GoldIncomerModifier::GoldIncomerModifier(TDTower* tower, int goldIncome, float interval)
    : TDModifier("", tower, 0.0f, -1.0f), mGoldIncome(goldIncome)
{
    mTickInterval = interval;
}

void GoldIncomerModifier::apply(TDMob*, float)
{
    if (mOwner)
        mOwner->payIncome();
}

std::vector<TDModifier*> MakeTowerEffects(const EffectWorld& world, TDTower* tower, const UnitPrototype& tier)
{
    std::vector<TDModifier*> effects;
    if (tier.goldIncome > 0)
        effects.push_back(new GoldIncomerModifier(tower, tier.goldIncome, tier.cooldown));
    if (tier.boostTower)
        effects.push_back(new MagicTowerBoost(world, tower));
    if (tier.showInvisible)
        effects.push_back(new ShowInvisible(world, tower));
    return effects;
}
