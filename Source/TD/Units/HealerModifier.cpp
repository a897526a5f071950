#include "Source/TD/Units/HealerModifier.h"

#include "Source/TD/Units/RegenModifier.h"
#include "Source/TD/Units/TDMob.h"
#include "Source/TD/World/TDSprite.h"
#include "Source/TD/World/UnitPrototype.h"

HealerModifier::HealerModifier(const EffectWorld& world, float interval)
    : TDModifier("", nullptr, 0.0f, -1.0f), mWorld(world)
{
    mInnate = true;
    mTickInterval = interval;
}

void HealerModifier::apply(TDMob* healer, float)
{
    if (!healer || !mWorld.prototypes || healer->mSpeedPenalty != 0.0f || healer->mState == TDMob::Dying)
        return;
    const UnitPrototype* own = healer->getPrototype(*mWorld.prototypes);
    if (!own)
        return;
    bool healed = false;
    for (TDMob* unit : mWorld.unitsNear(*healer, own->r)) {
        const UnitPrototype* prototype = unit->getPrototype(*mWorld.prototypes);
        if (unit->mState == TDMob::Dying || !prototype || !RegenModifier::healTenth(*unit, *prototype))
            continue;
        healed = true;
        if (mWorld.floatingSprites) {
            auto* sparkle = new TDAnimatedSprite(L"td/mob_heal");
            sparkle->mX = unit->mDrawX;
            sparkle->mY = unit->mDrawY;
            sparkle->mUnit = unit;
            mWorld.floatingSprites->push_back(sparkle);
        }
    }
    if (healed) {
        healer->mState = TDMob::Special;
        healer->mAnimTime = 0.0f;
    }
}
