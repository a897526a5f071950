#pragma once
// A shot in flight: fired by a tower at an enemy unit, it flies by the firing tier's
// rules (lobbed, instant, homing or straight) and strikes with the tier's damage and
// effects. Spells are bullets that never move (TDSpell).
#include "Source/TD/Units/TDModifier.h"

#include <vector>

namespace render {
class ParticleEmitter;
}

class TDAnimationSet;
class TDMob;
class TDTower;
class UnitPrototype;
struct SpriteDescription;

struct BulletPoint {
    float x = 0.0f;
    float y = 0.0f;
};

class TDBullet {
public:
    // The ammunition id of the lobbed shell.
    static constexpr int kLobAmmo = 2003;
    // Closer than this to its goal, a homing or straight shot strikes.
    static constexpr float kHitDistance = 10.0f;

    // A tower shot (both given) starts at the tower's muzzle aimed at the target's
    // position; a spell passes null for both.
    TDBullet(TDTower* tower, TDMob* target);
    TDBullet(const TDBullet&) = delete;
    TDBullet& operator=(const TDBullet&) = delete;
    // Virtual: the list deletes spells through this base.
    virtual ~TDBullet();

    // One frame of flight; clears `alive` when the shot is over.
    virtual void update(float dt);
    // The hit sound and effect at a point (tower shots whose ammunition names one).
    void onHit(float x, float y);

    // The ammunition record of the firing tier, or null (no tier, unknown ammoid, no
    // store).
    const UnitPrototype* ammo() const;

    int state = 0; // 0 launched; 1 on its arc; 4 landed (the lobbed shell only)
    float clock = 0.0f;
    BulletPoint arcStart, arcControl, arcEnd;
    const UnitPrototype* prototype = nullptr; // the firing tier; not owned; null for spells
    BulletPoint aimPoint;
    TDAnimationSet* animation = nullptr;       // owned; the lobbed shell's
    render::ParticleEmitter* trail = nullptr;  // owned; the ammunition's "onAmmo"
    int alive = 1;
    TDTower* tower = nullptr; // not owned; null for spells
    TDMob* target = nullptr;  // not owned; cleared when the unit goes
    float lifeClock = 0.0f;
    float angle = 0.0f; // drawing angle, degrees
    std::vector<TDMob*> struck; // units already damaged (spells)
    BulletPoint direction;
    BulletPoint position;
    float speed = 0.0f;

    // The level's lists, handed in by the bullet list before every update.
    EffectWorld world;

private:
    // A homing shot without its target bursts where it is.
    void burst();
    // A straight shot strikes every unit within the ammunition's radius.
    void explode(const UnitPrototype& ammoRecord);
    void advanceTrail(float dt);
};

// A description made from a single image file ("img"): drawn still, without
// rotation. Layered descriptions ("psd") are animated.
bool IsStillDescription(const SpriteDescription& sprite);

// Drawing angle of a step or direction: a = atan2(dx, dy) in degrees - 90, folded
// into 0..360 the way the shots' sprites are drawn.
float BulletAngle(float dx, float dy);
