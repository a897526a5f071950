#include "Source/TD/Units/TDMob.h"

#include "Core/Base/Log.h"
#include "Core/Base/StringEncoding.h"
#include "Core/Render/Graphics.h"
#include "Core/Render/Image.h"
#include "Core/Render/Math/Random.h"
#include "Core/Render/ParticleEmitter.h"
#include "Source/TD/Audio/SoundTags.h"
#include "Source/TD/Hud/HUDDocument.h"
#include "Source/TD/Shell/FeatureConfig.h"
#include "Source/TD/Towers/TDTower.h"
#include "Source/TD/Units/TDModifier.h"
#include "Source/TD/World/ParticleEffect.h"
#include "Source/TD/World/PrototypeStore.h"
#include "Source/TD/World/TDFloatingLabels.h"
#include "Source/TD/World/TDFrameEntry.h"
#include "Source/TD/World/TDMap.h"
#include "Source/TD/World/TDPlayerStats.h"
#include "Source/TD/World/TDPoint.h"
#include "Source/TD/World/TDResources.h"
#include "Source/TD/World/TDWaves.h"
#include "Source/TD/World/UnitPrototype.h"

#include <algorithm>
#include <cmath>

namespace {

TDPoint* PointById(const std::vector<TDPoint*>& points, int id)
{
    for (TDPoint* point : points)
        if (point && point->id == id)
            return point;
    return nullptr;
}

// `value` moves toward `target` by at most `step`.
void Approach(float& value, float target, float step)
{
    if (std::fabs(target - value) <= step)
        value = target;
    else
        value += value < target ? step : -step;
}

const std::vector<TDFrameEntry*>* Frames(const UnitPrototype* prototype, const char* animation)
{
    if (!prototype || !prototype->sprite)
        return nullptr;
    const std::vector<TDFrameEntry*>& frames = prototype->sprite->frames(animation);
    return frames.empty() ? nullptr : &frames;
}

size_t FrameCount(const UnitPrototype* prototype, const char* animation)
{
    const std::vector<TDFrameEntry*>* frames = Frames(prototype, animation);
    return frames ? frames->size() : 0;
}

// Seconds an animation of `count` frames runs; 0 without a frame rate.
float AnimationLength(const UnitPrototype& prototype, size_t count)
{
    return prototype.fps > 0.0f ? static_cast<float>(count) / prototype.fps : 0.0f;
}

// The shadow image of a unit of prototype `id`, or null: ground units have one when
// "shadow_mob_ground" is on, some flying kinds when "shadow_mob_air" is.
const wchar_t* ShadowName(int id, bool air)
{
    const bool ground = FeatureConfig::instance()->activeFeatures().shadowMobGround;
    const bool flying = FeatureConfig::instance()->activeFeatures().shadowMobAir;
    constexpr const wchar_t* kDragon = L"td/data/ui_parts/shadows/dragon_shadow";
    constexpr const wchar_t* kWywern = L"td/data/ui_parts/shadows/wywern_shadow";
    if (!air)
        return ground ? kDragon : nullptr;
    if (!flying)
        return nullptr;
    switch (id) {
    case 3:
    case 30:
    case 31:
    case 38:
        return kWywern;
    case 10:
    case 32:
    case 33:
        return kDragon;
    default:
        return nullptr;
    }
}

void PlayUnitSound(const wchar_t* pattern, int id)
{
    wchar_t name[64];
    std::swprintf(name, std::size(name), pattern, id);
    k2::SoundTags::Instance()->play(name);
}

} // namespace

TDMob::TDMob(TDWaveEnemy* entry, const PrototypeStore* store)
    : mUpgradeIndex(entry ? entry->upgrade - 1 : 0), mWaveEntry(entry), mPrototypeId(entry ? entry->id : 0)
{
    const UnitPrototype* prototype = store ? getPrototype(*store) : nullptr;
    if (!prototype)
        return;
    mAnimTime = RandomFloat() * AnimationLength(*prototype, FrameCount(prototype, "walk"));
    mHealth = prototype->health * gDifficulty;
    if (prototype->sprite)
        prototype->sprite->extent(&mFrameW, &mFrameH);
    if (const wchar_t* shadow = ShadowName(mPrototypeId, prototype->air))
        mShadow = LoadImageHandle(GameRenderer(), shadow, nullptr);
}

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

size_t TDMob::removeEffectsOf(const void* owner)
{
    auto keep = std::stable_partition(mModifiers.begin(), mModifiers.end(),
                                      [owner](const TDModifier* m) { return m->mOwner != owner; });
    const size_t removed = static_cast<size_t>(mModifiers.end() - keep);
    for (auto it = keep; it != mModifiers.end(); ++it)
        delete *it;
    mModifiers.erase(keep, mModifiers.end());
    return removed;
}

void TDMob::damage(float amount)
{
    if (mState == Dying || mState == FadingOut)
        return;
    const bool wasAlive = mHealth > 0.0f;
    mHealth -= amount;
    mHealthBarTimer = 2.5f;
    const UnitPrototype* prototype = mMap && mMap->mPrototypes ? getPrototype(*mMap->mPrototypes) : nullptr;
    // Only the hit that kills starts the death effect: later hits of the same frame find
    // the unit dead already (its death state comes with its next tick).
    if (wasAlive && mHealth <= 0.0f && prototype && !prototype->particlesDeath.empty()) {
        ParticleEffect* effect = MakeParticleEffect(prototype->particlesDeath);
        if (StartEffectAt(effect, mDrawX, mDrawY)) {
            mMap->mEffects.push_back(effect);
        } else {
            GE_LOG(L"Death effect of unit %d could not be made.\n") << mPrototypeId;
            DeleteEffectRecord(effect);
        }
    }
    if (amount > 0.0f) {
        mHideTimer = 0.0f;
        mTargetAlpha = 1.0f;
    }
    if (prototype)
        PlayUnitSound(L"enemy%dhit", prototype->id);
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
    if (!raised) {
        // An entry that never walks would keep its wave from ever ending.
        wave->entries.pop_back();
        delete entry;
        return;
    }
    raised->takeOverFrom(*this);
    startRaising(*raiser);
}

const UnitPrototype* TDMob::getPrototype(const PrototypeStore& store) const
{
    const UnitPrototype* base = store.find(mPrototypeId);
    // An entry without an upgrade (0) is an unupgraded unit, as one with upgrade 1.
    return base ? base->tier(std::max(0, mUpgradeIndex)) : nullptr;
}

bool TDMob::isHeld(const PrototypeStore& store) const
{
    const UnitPrototype* prototype = getPrototype(store);
    return prototype && isHeldAs(*prototype);
}

bool TDMob::isHeldAs(const UnitPrototype& prototype) const
{
    return mSpeedPenalty == prototype.speed;
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

float TDMob::towerBountyBonus(const TDMap& map) const
{
    float bonus = 0.0f;
    for (const TDTower* tower : map.mTowers) {
        const UnitPrototype* prototype = tower ? tower->currentPrototype() : nullptr;
        if (!prototype || prototype->goldIncome <= 0)
            continue;
        const float dx = tower->x - mDrawX;
        const float dy = tower->y - mDrawY;
        const float range = tower->effectiveRadius();
        if (dx * dx + dy * dy <= range * range)
            bonus += prototype->health / 100.0f;
    }
    return bonus;
}

int TDMob::killReward(const TDMap& map) const
{
    const UnitPrototype* prototype = map.mPrototypes ? getPrototype(*map.mPrototypes) : nullptr;
    if (!prototype)
        return 0;
    const float cost = prototype->cost;
    const float share = static_cast<float>(static_cast<int>(cost * towerBountyBonus(map) + 0.5f));
    return static_cast<int>(share + cost + std::ceil(map.mEnemyCostFactor * cost));
}

void TDMob::tick(TDMap& map, float dt)
{
    // A unit placed since its last tick (spawned, raised, sent back) is aimed at where it is.
    placeAim();
    mHideTimer -= dt;
    mTargetAlpha = mHideTimer <= 0.0f ? 1.0f : 0.4f;
    Approach(mAlpha, mTargetAlpha, dt);

    mSlowTimer -= dt;
    if (mSlowTimer <= 0.0f) {
        mSlowTimer = 0.0f;
        mSlowTarget = 1.0f;
    }
    Approach(mSlowFactor, mSlowTarget, dt);

    mHealthBarTimer = std::max(0.0f, mHealthBarTimer - dt);
    mResistLabelTimer = std::max(0.0f, mResistLabelTimer - dt);

    if (mFadeRate != 0.0f) {
        mFade += mFadeRate * dt;
        if (mFade > 1.0f) {
            mFade = 1.0f;
            mFadeRate = 0.0f;
        } else if (mFade < 0.0f) {
            mFade = 0.0f;
            mFadeRate = 0.0f;
        }
    }

    const UnitPrototype* prototype = map.mPrototypes ? getPrototype(*map.mPrototypes) : nullptr;

    if (mHealth <= 0.0f && mState != Dying && mState != FadingOut) {
        startDeath(map, prototype);
        return;
    }
    if (!prototype) {
        mActive = 0;
        return;
    }
    if (prototype->speed - mSpeedPenalty > 0.0f || mState == Dying || mState == FadingOut)
        mAnimTime += dt;

    switch (mState) {
    case Dying: {
        if (prototype->air) {
            mDeathOffsetY += 80.0f * dt;
            mDeathOffsetX += 50.0f * dt;
        }
        const size_t frames = FrameCount(prototype, "death");
        if (frames == 0) {
            mActive = 0;
            raiseDead(map);
        } else if (mAnimTime >= AnimationLength(*prototype, frames)) {
            mState = FadingOut;
            mFadeRate = -1.5f;
            mAnimTime = prototype->fps > 0.0f ? static_cast<float>(frames - 1) / prototype->fps : 0.0f;
        }
        return;
    }
    case FadingOut:
        if (mFade <= 0.0f) {
            mActive = 0;
            raiseDead(map);
            mAnimTime = 0.0f;
        }
        return;
    case Special:
        if (mAnimTime >= AnimationLength(*prototype, FrameCount(prototype, "special"))) {
            mAnimTime = 0.0f;
            mState = Walking;
            PlayUnitSound(L"enemy%dspecial", prototype->id);
        }
        break;
    default: {
        const float length = AnimationLength(*prototype, FrameCount(prototype, "walk"));
        if (mAnimTime >= length)
            mAnimTime = 0.0f;
        break;
    }
    }

    dropEndedEffects();
    if (mState == Special)
        return;
    if (prototype->straight)
        flyStraight(map, *prototype, dt);
    else
        walkPath(map, *prototype, dt);
}

void TDMob::startDeath(TDMap& map, const UnitPrototype* prototype)
{
    if (prototype && prototype->carrier)
        map.spawnCarriedUnits(this);
    mState = Dying;
    if (!prototype) {
        mAnimTime = 0.0f;
        return;
    }
    PlayUnitSound(L"enemy%ddie", prototype->id);
    const int reward = killReward(map);
    if (map.mStats) {
        map.mStats->addKillReward(reward, static_cast<int>(mDrawX), static_cast<int>(mDrawY - 50.0f));
        ++map.mStats->mKills;
    }
    if (map.mFloatingLabels) {
        TDFloatingLabels::Label* label = map.mFloatingLabels->add(TDFloatingLabels::kMoneyKind, mDrawX, mDrawY);
        label->text = L"+ " + std::to_wstring(reward);
    }
    mAnimTime = 0.0f;
    if (prototype->explodeStr <= 0.0f)
        return;
    ParticleEffect* blast = MakeParticleEffect("mg_00");
    if (StartEffectAt(blast, mDrawX, mDrawY)) {
        map.mEmitters.push_back(blast->emitter);
        blast->emitter = nullptr;
    }
    DeleteEffectRecord(blast);
    if (!map.mWaves)
        return;
    const float reach = prototype->explodeRadius * prototype->explodeRadius;
    // By index: a unit that dies of the blast may release cargo into the list.
    std::vector<TDMob*>& mobs = map.mWaves->mobs;
    for (size_t i = 0; i < mobs.size(); ++i) {
        TDMob* other = mobs[i];
        if (other == this || !other->mActive || other->mState == Dying || other->mState == FadingOut)
            continue;
        const float dx = other->mX - mX;
        const float dy = other->mY - mY;
        if (dx * dx + dy * dy <= reach)
            other->damage(prototype->explodeStr);
    }
}

void TDMob::walkPath(TDMap& map, const UnitPrototype& prototype, float dt)
{
    mSegmentTime += dt;
    if (mPathSamples.empty())
        map.fetchPathSamples(*this);
    const float distance = (prototype.speed - mSpeedPenalty) * dt * mSlowFactor;
    if (distance > 0.0f)
        mSegmentT = map.advanceFraction(*this, distance);
    if (mSegmentT >= 1.0f || mSegmentT < 0.0f) {
        ++mPathIndex;
        mSegmentT = 0.0f;
        mSegmentTime = 0.0f;
        if (static_cast<size_t>(mPathIndex) + 1 < mPathNodes.size()) {
            updateUpper(map.mPoints);
            map.fetchPathSamples(*this);
        } else {
            map.onMobReachedGoal(this);
            mActive = 0;
        }
        return;
    }
    if (mPathSamples.empty())
        return;
    const size_t count = mPathSamples.size();
    const size_t index = std::min(count - 1, static_cast<size_t>(static_cast<float>(count - 1) * mSegmentT));
    if (index + 1 < count) {
        const float sx = mPathSamples[index + 1].x - mPathSamples[index].x;
        const float sy = mPathSamples[index + 1].y - mPathSamples[index].y;
        const float length = std::sqrt(sx * sx + sy * sy);
        if (length > 0.0f)
            mFacingLeft = sx / length <= -0.05f;
    }
    const MobPoint next = TDMap::positionOnPath(mPathSamples, mSegmentT);
    moveTo(next.x, next.y, dt);
}

void TDMob::moveTo(float x, float y, float dt)
{
    mPrevX = mX;
    mPrevY = mY;
    const float dx = x - mX;
    const float dy = y - mY;
    mX = mDrawX = x;
    mY = mDrawY = y;
    placeAim();
    const float length = std::sqrt(dx * dx + dy * dy);
    if (length <= 0.0f)
        return;
    mDirX = dx / length;
    mDirY = dy / length;
    if (dt <= 0.0f)
        return;
    const float heading = std::atan2(dy, dx);
    float turn = std::fabs(heading - mHeading);
    if (6.28f - turn <= turn)
        turn = 6.28f - turn;
    if (turn > 0.31f) {
        mFacingUp = heading <= 0.0f || heading >= 3.14f;
        mHeading = heading;
    }
}

void TDMob::flyStraight(TDMap& map, const UnitPrototype& prototype, float dt)
{
    const TDPoint* goal = map.goalPoint();
    if (!goal) {
        mActive = 0;
        return;
    }
    float dx = goal->x - mDrawX;
    float dy = goal->y - mDrawY;
    const float length = std::sqrt(dx * dx + dy * dy);
    if (length < 50.0f)
        map.onMobReachedGoal(this);
    mSegmentTime = dt;
    if (length <= 0.0f)
        return;
    dx /= length;
    dy /= length;
    mFacingLeft = dx < 0.0f;
    mPrevX = mX;
    mPrevY = mY;
    mX = mDrawX = mX + dx * prototype.speed * dt;
    mY = mDrawY = mY + dy * prototype.speed * dt;
    placeAim();
    mDirX = dx;
    mDirY = dy;
}

void TDMob::placeAim()
{
    mAimX = mDrawX;
    mAimY = mDrawY;
}

TDFrameEntry* TDMob::currentFrame(const UnitPrototype& prototype) const
{
    const char* animation = "walk";
    if (mState == Special)
        animation = "special";
    else if (mState == Dying || mState == FadingOut)
        animation = "death";
    else if (mFacingUp && FrameCount(&prototype, "walk_up") > 0)
        animation = "walk_up";
    const std::vector<TDFrameEntry*>* frames = Frames(&prototype, animation);
    if (!frames)
        return nullptr;
    const int index = static_cast<int>(std::floor(mAnimTime * prototype.fps));
    return (*frames)[static_cast<size_t>(std::clamp(index, 0, static_cast<int>(frames->size()) - 1))];
}

void TDMob::drawBody(render::Graphics*, TDMap& map)
{
    const UnitPrototype* prototype = map.mPrototypes ? getPrototype(*map.mPrototypes) : nullptr;
    mCurrentFrame = prototype ? currentFrame(*prototype) : nullptr;
    if (!mCurrentFrame || !mCurrentFrame->mImage)
        return;
    const TDFrameEntry& frame = *mCurrentFrame;
    const MobRect placed = bodyRect(frame);
    auto* body = new TDFrameEntry(frame);
    // The draw list centres the image on its transform's origin and mirrors it by the
    // entry's flag, about its own centre.
    body->mTransform.Reset();
    body->mTransform.Translate(placed.x + placed.width * 0.5f, placed.y + placed.height * 0.5f);
    const u32 fill = prototype->fillColor;
    body->mColor2 = math::Point4{((fill >> 16) & 0xFF) / 255.0f, ((fill >> 8) & 0xFF) / 255.0f,
                                 (fill & 0xFF) / 255.0f, ((fill >> 24) & 0xFF) / 255.0f};
    body->mColor = math::Point4{1.0f, 1.0f, 1.0f, mAlpha * mFade};
    body->mMirrored = mFacingLeft != 0;
    body->mDepth = mDrawY;
    body->mQueued = false;
    const bool upper = mUpper != 0.0f;
    if (mShadow && mShadow->GetWidth() > 0) {
        // On the ground under the unit's point, as wide as its frame; a falling flyer
        // leaves it where it was.
        auto* shadow = new TDFrameEntry;
        shadow->mImage = mShadow;
        const float scale = frame.mWidth / static_cast<float>(mShadow->GetWidth());
        shadow->mTransform.Scale(scale, scale);
        shadow->mTransform.Translate(mDrawX, mDrawY);
        shadow->mColor = body->mColor;
        shadow->mMirrored = body->mMirrored;
        shadow->mDepth = mDrawY;
        (upper ? map.mUpperShadows : map.mGroundShadows).push_back(shadow);
    }
    (upper ? map.mUpperUnits : map.mGroundUnits).push_back(body);
}

MobRect TDMob::bodyRect(const TDFrameEntry& frame) const
{
    // The sprite set stands centred on the unit's point, its feet there; a mirrored
    // frame turns about its own centre.
    const float f = mFacingLeft ? -1.0f : 1.0f;
    MobRect rect;
    rect.width = frame.mWidth;
    rect.height = frame.mHeight;
    rect.x = mDrawX + mDeathOffsetX + (frame.mX + frame.mWidth * 0.5f - mFrameW * 0.5f) * f - frame.mWidth * 0.5f;
    rect.y = mDrawY + mDeathOffsetY + frame.mY - mFrameH;
    return rect;
}

void TDMob::drawDebugInfo(render::Graphics* graphics, const TDMap& map, float maximum) const
{
    const float scale = map.mViewScale;
    const float ox = map.mViewOffset[0], oy = map.mViewOffset[1];
    graphics->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
    if (mCurrentFrame) {
        const MobRect r = bodyRect(*mCurrentFrame);
        const float x0 = r.x * scale + ox, y0 = r.y * scale + oy;
        const float x1 = (r.x + r.width) * scale + ox, y1 = (r.y + r.height) * scale + oy;
        const float corners[4][2] = {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
        for (int k = 0; k < 4; ++k)
            graphics->DrawLine(corners[k], corners[(k + 1) % 4]);
    }
    FontHandle font = GameFont(L"td/data/fonts/main_32_2");
    if (font.Get())
        graphics->SetFont(font);
    const std::wstring text = std::to_wstring(static_cast<int>(mHealth)) + L"/" +
                              std::to_wstring(static_cast<int>(maximum));
    auto request = graphics->DrawText(text);
    request.SetAlign(2, 1);
    request.Translate(mDrawX * scale + ox, (mDrawY - mFrameH) * scale + oy);
}

void TDMob::drawInfo(render::Graphics* graphics, const TDMap& map) const
{
    const UnitPrototype* prototype = map.mPrototypes ? getPrototype(*map.mPrototypes) : nullptr;
    if (!graphics || !prototype)
        return;
    const float maximum = prototype->health * gDifficulty;
    if (map.mShowUnitInfo)
        drawDebugInfo(graphics, map, maximum);
    if (mHealthBarTimer <= 0.0f || mState == Dying || mState == FadingOut)
        return;
    if (mHealth == maximum || mHealth == 0.0f || maximum <= 0.0f)
        return;
    TDFrameEntry* bar = TDResources::Instance()->getFrame(L"td/ui", "", L"ui/health_bar");
    if (!bar || !bar->mImage)
        return;
    const float health = std::max(0.0f, mHealth);
    const float alpha = mHealthBarTimer >= 0.5f ? 1.0f : mHealthBarTimer * 2.0f;
    const float x = mDrawX - bar->mWidth * 0.5f;
    const float y = mDrawY - mFrameH * 0.75f;
    graphics->SetColor(1.0f, 0.0f, 0.0f, alpha);
    graphics->DrawImage(bar->mImage.get()).Translate(x, y);
    graphics->SetColor(0.0f, 1.0f, 0.0f, alpha);
    {
        math::Transform2D transform;
        transform.Scale(health / maximum, 1.0f);
        transform.Translate(x, y);
        render::DrawTransform2DParam<render::DrawImageParam> request(graphics->DrawImage(bar->mImage.get()),
                                                                     transform);
    }
    graphics->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
}
