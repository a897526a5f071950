#pragma once
// One enemy unit walking (or flying) its route from a spawn point to the goal: its
// state, its per-frame tick (fading, slowing, death with its reward, animation and
// movement), its drawing and the operations the level, towers and effects call.
#include "Core/Base/Types.h"
#include <memory>
#include <string>
#include <vector>

namespace render {
class Graphics;
class Image;
} // namespace render

class PrototypeStore;
class TDBullet;
class TDFrameEntry;
class TDMap;
class TDModifier;
class TDPoint;
class TDWaveEnemy;
class UnitPrototype;

struct MobPoint {
    float x = 0.0f;
    float y = 0.0f;
};

struct MobRect {
    float x = 0.0f;
    float y = 0.0f;
    float width = 0.0f;
    float height = 0.0f;
};

class TDMob {
public:
    // Unit states.
    enum State { Walking = 1, Dying = 2, Special = 4, Effect = 5, FadingOut = 6 };
    // The wave-entry id of a raised unit; such a unit is never raised again.
    static constexpr int kRaisedId = 39;

    TDMob() = default;
    // A unit of the entry's prototype and tier (looked up in `store`, which may be null
    // or not know it): health times the difficulty, a random start into its walk, the
    // extent of its sprite set and its shadow.
    TDMob(TDWaveEnemy* entry, const PrototypeStore* store);
    ~TDMob();
    TDMob(const TDMob&) = delete;
    TDMob& operator=(const TDMob&) = delete;

    // The current tier's prototype: the base record for tier 0, else its nested tier.
    // Null when the store does not know the id.
    const UnitPrototype* getPrototype(const PrototypeStore& store) const;
    // Held this tick: the speed taken off equals the prototype's whole speed.
    bool isHeld(const PrototypeStore& store) const;
    // The same with the prototype already at hand.
    bool isHeldAs(const UnitPrototype& prototype) const;
    // The first unit of `mobs` that may raise `dead`: not `dead`, not dying, a
    // `raiseDead` prototype, not held, closer than its prototype's `r`. Null when
    // `dead` is itself a raised unit or no unit qualifies.
    static TDMob* findRaiser(const std::vector<TDMob*>& mobs, const TDMob& dead, const PrototypeStore& store);
    // Called when this dead unit's corpse time is over: the first raiser in reach (see
    // findRaiser) raises it as a new unit of kind 39 at its current path point, which
    // continues its route; at most one raise per death.
    void raiseDead(TDMap& map);
    // The raised unit continues where `dead` fell: node index, path values, its own copy
    // of the route, position; it enters the special state. The raiser does too unless
    // it already is in it.
    void takeOverFrom(const TDMob& dead);
    static void startRaising(TDMob& raiser);
    // Stores the "upper" mark of the path point the unit's current node names (0 when
    // the point has none or the node names no point).
    void updateUpper(const std::vector<TDPoint*>& points);
    // Deletes the effects that `owner` put on the unit; the others keep their order.
    // The number deleted.
    size_t removeEffectsOf(const void* owner);
    // Takes `amount` off the health (a negative amount heals); ignored while dying or
    // fading out. Damage shows a hidden unit again until its next hide.
    void damage(float amount);
    // Takes an inflicted effect unless the unit holds a non-innate effect of the same
    // owner (null counts as an owner too); false when refused: the caller deletes it.
    bool addModifier(TDModifier* modifier);
    // A bullet's hit (TDMobHit.cpp): while the unit has health, the firing tier's
    // damage with resistances (and, not direct, the splash falloff), its effects, its
    // gold, and with `direct` its splash on the units around.
    void takeBulletHit(TDBullet* bullet, bool direct);
    float bulletDamage(const TDBullet& bullet, bool direct, bool* resisted) const;
    // Updates the unit's effects in list order with the unit as target.
    void updateEffects(float dt);
    // Deletes the effects that have ended; the others keep their order.
    void dropEndedEffects();
    // One frame: fading and slowing, the start of its death (reward, label, blast), its
    // animation by state, the end of finished effects and its movement.
    void tick(TDMap& map, float dt);
    // The sum of health / 100 over the gold towers whose range covers the unit.
    float towerBountyBonus(const TDMap& map) const;
    // The coins a kill of this unit pays: its cost, the gold towers' share of it and the
    // level's kill-reward upgrade.
    int killReward(const TDMap& map) const;
    // The frame the unit shows in its state (null without sprite frames).
    TDFrameEntry* currentFrame(const UnitPrototype& prototype) const;
    // Queues a placed copy of its frame (after its shadow, when it has one) on the
    // level's lists of its layer (upper when it walks a raised path), and draws its
    // health bar after a hit.
    void drawBody(render::Graphics* graphics, TDMap& map);
    void drawInfo(render::Graphics* graphics, const TDMap& map) const;
    // Where drawBody puts `frame`: its rectangle in map units.
    MobRect bodyRect(const TDFrameEntry& frame) const;
    // The unit's on-screen rectangle from its sprite extent, first unnamed frame, the
    // frame it shows and its aim point.
    MobRect frameRect(const TDFrameEntry* first, const TDFrameEntry* current) const;

    float mDeathOffsetX = 0.0f;
    float mDeathOffsetY = 0.0f;
    float mAlpha = 1.0f;
    float mTargetAlpha = 1.0f;
    float mHideTimer = 0.0f;
    std::vector<MobPoint> mPathSamples;
    float mFrameW = 0.0f;
    float mFrameH = 0.0f;
    float mUpper = 0.0f;
    std::string mName;
    int mState = Walking;
    int mActive = 1;
    u8 mReachedGoal = 0;
    float mFade = 0.0f;
    float mFadeRate = 1.5f;
    u8 mFacingLeft = 0;
    u8 mFacingUp = 0;
    float mHeading = 0.0f;
    int mUpgradeIndex = 0; // the tier level: the entry's upgrade minus 1
    float mAnimTime = 0.0f;
    TDWaveEnemy* mWaveEntry = nullptr; // not owned
    TDFrameEntry* mCurrentFrame = nullptr; // not owned
    float mSegmentTime = 0.0f;
    float mSegmentT = 0.0f;
    std::vector<int> mPathNodes; // the route's point ids, owned by this unit
    int mPathIndex = 0;
    float mPrevX = 0.0f;
    float mPrevY = 0.0f;
    float mDirX = 0.0f;
    float mDirY = 0.0f;
    float mSpeedPenalty = 0.0f;
    float mHealth = 0.0f;
    float mHealthBarTimer = 0.0f;
    float mResistLabelTimer = 0.0f;
    float mX = 0.0f;
    float mY = 0.0f;
    float mDrawX = 0.0f;
    float mDrawY = 0.0f;
    std::shared_ptr<render::Image> mShadow;
    std::vector<TDModifier*> mModifiers; // owned
    int mPrototypeId = 0;
    float mSlowTimer = 0.0f;
    float mSlowFactor = 1.0f;
    float mSlowTarget = 1.0f;
    // Aim point (projectiles aim here), vertical drawing offset and state timer.
    float mAimX = 0.0f;
    float mAimY = 0.0f;
    float mOffsetZ = 0.0f;
    float mStateTime = 0.0f;
    // The level the unit walks in (not owned); null for a unit made outside a level.
    TDMap* mMap = nullptr;

private:
    // The turn to state 2: cargo out, the kill paid once, the label and the blast.
    void startDeath(TDMap& map, const UnitPrototype* prototype);
    void walkPath(TDMap& map, const UnitPrototype& prototype, float dt);
    void flyStraight(TDMap& map, const UnitPrototype& prototype, float dt);
    // Moves to (x, y), keeping the previous point, the direction and the heading.
    void moveTo(float x, float y, float dt);
    // Puts the aim point on the unit's draw position, where towers and shots look for it.
    void placeAim();
    // The level's debug view: the frame's outline and "health/maximum" above it.
    void drawDebugInfo(render::Graphics* graphics, const TDMap& map, float maximum) const;
};
