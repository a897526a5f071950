#include "Source/TD/Units/TDMob.h"

#include "Source/TD/Units/TDModifier.h"
#include "Source/TD/World/PrototypeStore.h"
#include "Source/TD/World/TDFrameEntry.h"
#include "Source/TD/World/TDMap.h"
#include "Source/TD/World/TDPoint.h"
#include "Source/TD/World/TDWaves.h"
#include "Source/TD/World/UnitPrototype.h"

#include <algorithm>

namespace {

TDPoint* PointById(const std::vector<TDPoint*>& points, int id)
{
    for (TDPoint* point : points)
        if (point && point->id == id)
            return point;
    return nullptr;
}

} // namespace

TDMob::~TDMob()
{
    for (TDModifier* modifier : mModifiers)
        delete modifier;
}

void TDMob::updateUpper(const std::vector<TDPoint*>& points)
{
    mUpper = 0.0f;
    if (mPathIndex < 0 || static_cast<size_t>(mPathIndex) >= mPathNodes.size())
        return;
    if (TDPoint* point = PointById(points, mPathNodes[static_cast<size_t>(mPathIndex)]))
        mUpper = point->params.number("upper");
}

void TDMob::removeEffectsOf(const void* owner)
{
    auto keep = std::stable_partition(mModifiers.begin(), mModifiers.end(),
                                      [owner](const TDModifier* m) { return m->mOwner != owner; });
    for (auto it = keep; it != mModifiers.end(); ++it)
        delete *it;
    mModifiers.erase(keep, mModifiers.end());
}

void TDMob::damage(float amount)
{
    if (mState == Dying || mState == FadingOut)
        return;
    mHealth -= amount;
    if (amount > 0.0f) {
        mHideTimer = 0.0f;
        mTargetAlpha = 1.0f;
    }
}

bool TDMob::addModifier(TDModifier* modifier)
{
    for (const TDModifier* held : mModifiers)
        if (!held->mInnate && held->mOwner == modifier->mOwner)
            return false;
    mModifiers.push_back(modifier);
    return true;
}

void TDMob::updateEffects(float dt)
{
    // By index: an effect may add to the list while it applies.
    for (size_t i = 0; i < mModifiers.size(); ++i)
        mModifiers[i]->update(this, dt);
}

void TDMob::dropEndedEffects()
{
    auto keep = std::stable_partition(mModifiers.begin(), mModifiers.end(),
                                      [](const TDModifier* m) { return m->mActive; });
    for (auto it = keep; it != mModifiers.end(); ++it)
        delete *it;
    mModifiers.erase(keep, mModifiers.end());
}

void TDMob::raiseDead(TDMap& map)
{
    if (mPrototypeId == kRaisedId || !map.mWaves || !map.mPrototypes || !mWaveEntry || !mWaveEntry->owner)
        return;
    TDMob* raiser = findRaiser(map.mWaves->mobs, *this, *map.mPrototypes);
    if (!raiser)
        return;
    TDPoint* point = nullptr;
    if (mPathIndex >= 0 && static_cast<size_t>(mPathIndex) < mPathNodes.size())
        point = PointById(map.mPoints, mPathNodes[static_cast<size_t>(mPathIndex)]);
    if (!point)
        return;
    TDWaveProto* wave = mWaveEntry->owner;
    auto* entry = new TDWaveEnemy(wave);
    entry->id = kRaisedId;
    entry->upgrade = 1;
    entry->x = -1.0f;
    entry->y = mWaveEntry->y;
    entry->state = 1;
    wave->entries.push_back(entry);
    TDMob* raised = map.spawnMob(entry, point);
    if (!raised)
        return;
    raised->takeOverFrom(*this);
    startRaising(*raiser);
}

const UnitPrototype* TDMob::getPrototype(const PrototypeStore& store) const
{
    const UnitPrototype* base = store.find(mPrototypeId);
    return base ? base->tier(mUpgradeIndex) : nullptr;
}

bool TDMob::isHeld(const PrototypeStore& store) const
{
    const UnitPrototype* prototype = getPrototype(store);
    return prototype && mSpeedPenalty == prototype->speed;
}

TDMob* TDMob::findRaiser(const std::vector<TDMob*>& mobs, const TDMob& dead, const PrototypeStore& store)
{
    if (dead.mPrototypeId == kRaisedId)
        return nullptr;
    for (TDMob* mob : mobs) {
        if (!mob || mob == &dead || mob->mState == Dying)
            continue;
        const UnitPrototype* prototype = mob->getPrototype(store);
        if (!prototype || !prototype->raiseDead || mob->isHeld(store))
            continue;
        const float dx = mob->mX - dead.mX;
        const float dy = mob->mY - dead.mY;
        if (dx * dx + dy * dy < prototype->r * prototype->r && prototype->r > 0.0f)
            return mob;
    }
    return nullptr;
}

void TDMob::takeOverFrom(const TDMob& dead)
{
    mPathIndex = dead.mPathIndex;
    mSegmentTime = dead.mSegmentTime;
    mSegmentT = dead.mSegmentT;
    mPathSamples = dead.mPathSamples;
    // A copy: the dead unit's route goes with it.
    mPathNodes = dead.mPathNodes;
    mUpper = dead.mUpper;
    mX = dead.mX;
    mY = dead.mY;
    mDrawX = dead.mDrawX;
    mDrawY = dead.mDrawY;
    mPrevX = dead.mPrevX;
    mPrevY = dead.mPrevY;
    mState = Special;
    mAnimTime = 0.0f;
    mStateTime = 0.0f;
}

void TDMob::startRaising(TDMob& raiser)
{
    if (raiser.mState == Special)
        return;
    raiser.mState = Special;
    raiser.mAnimTime = 0.0f;
    raiser.mStateTime = 0.0f;
}

MobRect TDMob::frameRect(const TDFrameEntry* first, const TDFrameEntry* current) const
{
    MobRect rect;
    if (!current)
        return rect;
    const float f = mFacingLeft ? -1.0f : 1.0f;
    const float firstX = first ? first->mX : 0.0f;
    const float firstY = first ? first->mY : 0.0f;
    const float halfW = mFrameW * 0.5f;
    const float halfH = mFrameH * 0.5f;
    rect.x = mAimX - (halfW - firstX) * f - current->mX * f - current->mWidth * f * 0.5f + halfW * f;
    rect.y = (halfH - firstY) + mAimY + mOffsetZ + current->mHeight * 0.5f + current->mY - halfH;
    rect.width = current->mWidth;
    rect.height = current->mHeight;
    return rect;
}
