// The generated interface set and effects file hold every frame and effect the game
// asks for by name, and one effect for every name the prototype sheets give.
#include "Core/Render/ParticleSystem.h"
#include "Source/TD/World/AmbientEffect.h"
#include "Source/TD/World/InterfaceAtlas.h"
#include "Source/TD/World/PrototypeStore.h"
#include "Source/TD/World/SheetToXml.h"
#include "Source/TD/World/TDFrameEntry.h"
#include "Source/TD/World/TDResources.h"
#include "Source/TD/World/UnitPrototype.h"
#include "Source/TD/World/WaveHint.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <set>
#include <string>

namespace {

class ShippedInterface : public ::testing::Test {
protected:
    static void SetUpTestSuite() { std::filesystem::current_path(GE_BINARY_DIR "/content"); }
    static void TearDownTestSuite() { TDResources::Instance()->clear(); }
};

// Every prototype record of the store, nested tiers included.
template <class F> void ForEachPrototype(const PrototypeStore& store, F f)
{
    for (const UnitPrototype* record : store.mPrototypes) {
        f(*record);
        for (const UnitPrototype* tier : record->children)
            f(*tier);
    }
}

} // namespace

TEST_F(ShippedInterface, InterfaceSetHoldsEveryFrameTheLevelLooksUp)
{
    InterfaceAtlas atlas;
    atlas.load();
    for (const TDFrameEntry* frame : {atlas.brush, atlas.powerBuff, atlas.lvl2, atlas.lvl3, atlas.sell, atlas.buy,
                                      atlas.contextGem, atlas.bar, atlas.radius, atlas.levelMarks[1],
                                      atlas.levelMarks[2], atlas.levelMarks[3]})
        EXPECT_NE(frame, nullptr);
    EXPECT_EQ(atlas.radius ? atlas.radius->mWidth : 0.0f, 336.0f) << "the range disc is 336 across";
    for (int id : {10000, 10001, 10002, 10100, 10200, 20000, 20100, 20200, 30000, 30100, 30200, 40000, 40100, 40200})
        EXPECT_NE(atlas.towerIcon(id), nullptr) << id;
    for (const char* key : {"dot", "aimed", "splash", "firesplash", "stun", "towerBoost", "showInvisible",
                            "goldIncome", "teleportEnemy", "air", "stars1", "stars2"})
        EXPECT_NE(atlas.abilityIcon(key), nullptr) << key;
    TDResources* resources = TDResources::Instance();
    for (const wchar_t* frame : {L"ui/context_money", L"ui/wave_hint", L"ui/immune", L"ui/money", L"ui/health_bar",
                                 L"ui/radius_boost", L"ui/radius_unboost", L"ui/power_boost", L"ui/power_unboost"})
        EXPECT_NE(resources->getFrame(InterfaceAtlas::kDescription, "", frame), nullptr) << frame;
    WaveHint hint;
    ASSERT_NE(hint.image, nullptr);
    EXPECT_GT(hint.image->mWidth, 0.0f);
}

TEST_F(ShippedInterface, EffectsFileHasEveryEffectTheSheetsAndTheGameName)
{
    render::ParticleSystem* system = render::ParticleSystem::Instance();
    system->folder = "td/fx/";
    ASSERT_EQ(system->LoadFile("fx2.ptc", nullptr), GE_OK);

    PrototypeStore* store = nullptr;
    LoadPrototypeSheets(store);
    ASSERT_NE(store, nullptr);
    std::set<std::string> names;
    ForEachPrototype(*store, [&names](const UnitPrototype& p) {
        for (const std::string* name : {&p.onFire, &p.onHit, &p.onAmmo, &p.particlesDeath})
            if (!name->empty())
                names.insert(*name);
    });
    delete store;
    EXPECT_GE(names.size(), 10u) << "the sheets name shots, hits and deaths";
    for (const char* name : {"active", "active_btn", "active_lvl", "build", "upgrade", "damage_h", "mg_00", "hammer",
                             "blik_1", "blik_6", "portal_1", "blow_bub", "t_line"})
        names.insert(name);
    for (int episode = 0; episode < 6; ++episode) {
        std::string name;
        float maximum = 0.0f;
        ASSERT_TRUE(AmbientEffectOf(episode, &name, &maximum));
        names.insert(name);
    }
    for (const std::string& name : names)
        EXPECT_EQ(system->templates.count(name), 1u) << name;
}
