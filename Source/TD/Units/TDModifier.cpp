#include "Source/TD/Units/TDModifier.h"

#include "Source/TD/Units/TDMob.h"

std::vector<TDMob*> EffectWorld::unitsNear(const TDMob& source, float radius) const
{
    std::vector<TDMob*> near;
    if (!units)
        return near;
    for (TDMob* unit : *units) {
        if (!unit || unit == &source)
            continue;
        const float dx = unit->mX - source.mX;
        const float dy = unit->mY - source.mY;
        if (dx * dx + dy * dy < radius * radius)
            near.push_back(unit);
    }
    return near;
}

std::vector<TDMob*> EffectWorld::unitsInCircle(float x, float y, float radius) const
{
    std::vector<TDMob*> inside;
    if (!units)
        return inside;
    for (TDMob* unit : *units) {
        if (!unit || !unit->mActive)
            continue;
        const float dx = unit->mX - x;
        const float dy = unit->mY - y;
        if (dx * dx + dy * dy <= radius * radius)
            inside.push_back(unit);
    }
    return inside;
}

TDModifier::TDModifier(std::string name, TDTower* owner, float value, float duration)
    : mName(std::move(name)), mValue(value), mDuration(duration), mOwner(owner)
{
}

void TDModifier::update(TDMob* target, float dt)
{
    if (!mActive)
        return;
    mSinceTick += dt;
    mElapsed += dt;
    if (mSinceTick > mTickInterval) {
        // The counter restarts at 0, not at the excess.
        mSinceTick = 0.0f;
        apply(target, dt);
    }
    if (mDuration != -1.0f && mElapsed > mDuration)
        mActive = false;
}
