#pragma once
// A small battlefield for shots and spells: the effect tests' lists and units, with a
// prototype sheet, towers, the moving effects and a bullet list handing them out.
#include "Source/TD/Towers/TDBullet.h"
#include "Source/TD/Towers/TDBulletList.h"
#include "Source/TD/Towers/TDTower.h"
#include "Source/TD/Units/TDMob.h"
#include "Source/TD/Units/TDModifier.h"
#include "Source/TD/World/ParticleEffect.h"
#include "Source/TD/World/TDResources.h"
#include "Source/TD/World/TDSprite.h"

#include "tests/Game/Units/EffectField.h"
#include "tests/Support/SheetStore.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

struct BulletField : EffectField {
    explicit BulletField(const std::string& sheetText) : sheet(sheetText)
    {
        world.prototypes = sheet.store.get();
        world.towers = &towers;
        world.hudEffects = &hudEffects;
        list = std::make_unique<TDBulletList>([this] { return world; });
    }
    ~BulletField()
    {
        list.reset();
        for (TDTower* tower : towers)
            delete tower;
        for (ParticleEffect* effect : hudEffects)
            DeleteEffectRecord(effect);
        if (TDResources::Exists())
            TDResources::Instance()->clear();
    }
    BulletField(const BulletField&) = delete;
    BulletField& operator=(const BulletField&) = delete;

    TDTower* tower(int id, float x, float y)
    {
        auto* built = new TDTower(sheet.find(id), nullptr, x, y);
        towers.push_back(built);
        return built;
    }
    // A unit of prototype `id` whose hit point stands 10 above its feet.
    TDMob* unit(float x, float y, float health = 20.0f, int id = 1)
    {
        TDMob* made = add(id, x, y, health);
        place(made, x, y);
        return made;
    }
    static void place(TDMob* unit, float x, float y)
    {
        unit->mX = unit->mDrawX = x;
        unit->mY = unit->mDrawY = y;
        unit->mAimX = x;
        unit->mAimY = y - 10.0f;
    }
    // A unit leaves the level the way the level removes one: the list forgets it,
    // then it is deleted.
    void remove(TDMob* unit)
    {
        list->forgetUnit(unit);
        units.erase(std::find(units.begin(), units.end(), unit));
        delete unit;
    }
    TDBullet* fire(TDTower* from, TDMob* at)
    {
        auto* bullet = new TDBullet(from, at);
        list->add(bullet);
        return bullet;
    }
    void step(float dt, int times = 1)
    {
        for (int i = 0; i < times; ++i)
            list->update(dt);
    }
    // The area effects' part of a level tick, then the units' effects.
    void tickEffects(float dt)
    {
        for (TDModifier* area : areas)
            area->update(nullptr, dt);
        for (TDMob* unit : units) {
            unit->updateEffects(dt);
            unit->dropEndedEffects();
        }
        for (size_t i = 0; i < areas.size();) {
            if (areas[i]->mActive) {
                ++i;
                continue;
            }
            delete areas[i];
            areas.erase(areas.begin() + static_cast<std::ptrdiff_t>(i));
        }
    }
    bool flying(const TDBullet* bullet) const
    {
        return std::find(list->bullets.begin(), list->bullets.end(), bullet) != list->bullets.end();
    }

    SheetStore sheet;
    std::vector<TDTower*> towers;
    std::vector<ParticleEffect*> hudEffects;
    std::unique_ptr<TDBulletList> list;
};
