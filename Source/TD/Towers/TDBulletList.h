#pragma once
// Every bullet and spell in flight, in launch order. The list owns them.
#include "Source/TD/Units/TDModifier.h"

#include <functional>
#include <vector>

namespace render {
class Graphics;
}
class TDBullet;
class TDMob;
class TDTower;

class TDBulletList {
public:
    // `world` gives the level's lists (units, towers, prototypes, effects) whenever a
    // bullet needs them; without it bullets see an empty world.
    explicit TDBulletList(std::function<EffectWorld()> world = {});
    ~TDBulletList();
    TDBulletList(const TDBulletList&) = delete;
    TDBulletList& operator=(const TDBulletList&) = delete;

    // Launch effects of a tower shot, then takes ownership of the bullet.
    void add(TDBullet* bullet);
    // Every bullet's frame in order (bullets added meanwhile join the pass), then the
    // dead ones are deleted; a tower waiting for its shell is set idle.
    void update(float dt);
    void draw(render::Graphics* graphics);
    // A sold or removed tower: its bullets go, and every unit's effects forget it.
    void removeTower(TDTower* tower);
    // A unit going away: no bullet aims at it or remembers striking it.
    void forgetUnit(TDMob* unit);
    void forget(TDMob* unit) { forgetUnit(unit); }
    void forgetTower(TDTower* tower) { removeTower(tower); }
    // Deletes every bullet (level restart and teardown); reads no tower or prototype.
    void clear();

    EffectWorld world() const;

    std::vector<TDBullet*> bullets; // owned

private:
    // Drops references to units and towers that are no longer in the level's lists,
    // whoever removed them.
    void dropStaleReferences(const EffectWorld& current);

    std::function<EffectWorld()> mWorld;
};
