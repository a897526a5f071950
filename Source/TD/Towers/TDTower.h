#pragma once
// A tower standing on a build spot.
class TDFrameEntry;
class TDMob;
class UnitPrototype;

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
    }
    void update(float) {}
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
    bool boosted = false;
    TDMob* held = nullptr; // the unit its ammunition holds, not owned
};
