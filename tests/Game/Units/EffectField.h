#pragma once
// The level's lists that timed effects read and add to, owned here, with the units in
// them: the fixture of the effect tests. The prototypes are the test's own.
#include "Source/TD/Units/TDModifier.h"
#include "Source/TD/Units/TDMob.h"
#include "Source/TD/World/ParticleEffect.h"
#include "Source/TD/World/TDPoint.h"
#include "Source/TD/World/TDSprite.h"

#include <vector>

struct EffectField {
    EffectField()
    {
        world.units = &units;
        world.floatingSprites = &sprites;
        world.areaModifiers = &areas;
        world.effects = &effects;
        world.points = &points;
    }
    ~EffectField()
    {
        for (TDModifier* area : areas)
            delete area;
        for (TDMob* unit : units)
            delete unit;
        DeleteSprites(sprites);
        for (ParticleEffect* effect : effects)
            DeleteEffectRecord(effect);
        for (TDPoint* point : points)
            delete point;
    }
    EffectField(const EffectField&) = delete;
    EffectField& operator=(const EffectField&) = delete;

    // A unit of prototype `id` standing (and drawn and aimed at) at (x, y).
    TDMob* add(int id, float x, float y, float health)
    {
        auto* unit = new TDMob;
        unit->mPrototypeId = id;
        unit->mX = unit->mDrawX = unit->mAimX = x;
        unit->mY = unit->mDrawY = unit->mAimY = y;
        unit->mHealth = health;
        units.push_back(unit);
        return unit;
    }

    std::vector<TDMob*> units;
    std::vector<TDSprite*> sprites;
    std::vector<TDModifier*> areas;
    std::vector<ParticleEffect*> effects;
    std::vector<TDPoint*> points;
    EffectWorld world;
};
