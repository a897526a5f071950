#pragma once
// A tower standing on a build spot.
#include "Source/TD/World/UnitPrototype.h"

class TDFrameEntry;
class TDMob;

struct TowerBuff {
    float strength = 0.0f;
    float cooldown = 0.0f;
    float r = 0.0f;
};

class TDTower {
public:
    TDTower(const UnitPrototype* prototype, TDFrameEntry* spot, float x, float y)
        : prototype(prototype), spot(spot), x(x), y(y)
    {
        resetStats();
    }
    void update(float) {}
    // The prototype of the tower's current tier.
    const UnitPrototype* currentPrototype() const { return prototype; }
    // Back to the current tier's strength, range, cost, cooldown and income, before the
    // tick adds upgrades and boosts.
    void resetStats()
    {
        if (!prototype)
            return;
        stats.strength = prototype->strength;
        stats.r = prototype->r;
        stats.cost = prototype->cost;
        stats.cooldown = prototype->cooldown;
        stats.goldIncome = prototype->goldIncome;
    }
    // Lets go of the unit it holds (a hold or teleport ends early).
    void release(const TDMob* unit)
    {
        if (held == unit)
            held = nullptr;
    }

    const UnitPrototype* prototype; // owned by the prototype store
    TDFrameEntry* spot;             // owned by the level art
    float x;
    float y;
    TowerBuff bonus;
    UnitPrototype stats; // the working stats of this tick
    bool boosted = false;
    TDMob* held = nullptr; // the unit its ammunition holds, not owned
};
