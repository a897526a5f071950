#include "Source/TD/Towers/TDTower.h"
#include "Source/TD/Units/TowersBoost.h"
#include "Source/TD/World/ParticleEffect.h"
#include "Source/TD/World/PrototypeStore.h"
#include "Source/TD/World/SheetToXml.h"
#include "Source/TD/World/UnitPrototype.h"
#include "Source/TD/World/UpgradesTable.h"

#include "tests/Support/SheetStore.h"

#include <gtest/gtest.h>
#include <memory>
#include <tinyxml2.h>

namespace {

struct Towers {
    Towers()
    {
        base.id = 50;
        base.strength = 10.0f;
        base.r = 100.0f;
        towers = {new TDTower(&base, nullptr, 0, 0), new TDTower(&base, nullptr, 200, 0)};
        world.towers = &towers;
        world.hudEffects = &hud;
    }
    ~Towers()
    {
        for (TDTower* tower : towers)
            delete tower;
        for (ParticleEffect* effect : hud)
            DeleteEffectRecord(effect);
    }
    // The level's order: stats reset and marks cleared, then the boost.
    void tick(TowersBoost& boost)
    {
        for (TDTower* tower : towers) {
            tower->resetStats();
            tower->boosted = false;
        }
        boost.update(nullptr, 0.1f);
    }
    UnitPrototype base;
    std::vector<TDTower*> towers;
    std::vector<ParticleEffect*> hud;
    EffectWorld world;
};

} // namespace

TEST(TowersBoost, RaisesStatsAndMarksOnce)
{
    Towers t;
    TowersBoost boost(t.world, 0.5f, 5.0f);
    for (int i = 0; i < 3; ++i)
        t.tick(boost);
    EXPECT_FLOAT_EQ(t.towers[0]->stats.strength, 15.0f) << "re-applied on reset stats, not piled up";
    EXPECT_FLOAT_EQ(t.towers[1]->stats.r, 150.0f);
    EXPECT_EQ(t.hud.size(), 2u) << "one hammer per tower while it lasts";
    EXPECT_TRUE(t.towers[0]->boosted) << "marked on every tick it boosts, not only the first";
}

TEST(TowersBoost, EndingOneKeepsTheMarksOfAnother)
{
    Towers t;
    auto first = std::make_unique<TowersBoost>(t.world, 0.5f, 5.0f);
    t.tick(*first);
    auto late = std::make_unique<TowersBoost>(t.world, 0.5f, 5.0f);
    t.towers.push_back(new TDTower(&t.base, nullptr, 400, 0)); // built after the first cast
    t.tick(*late);
    EXPECT_EQ(t.hud.size(), 5u);
    first.reset();
    EXPECT_EQ(t.hud.size(), 3u) << "the ended boost takes only its own hammers";
    for (TDTower* tower : t.towers)
        EXPECT_TRUE(tower->boosted) << "still under the live boost";
    late.reset();
    EXPECT_TRUE(t.hud.empty());
    for (TDTower* tower : t.towers)
        EXPECT_FALSE(tower->boosted);
}

TEST(TowersBoost, HammerScaleGuards)
{
    struct Case {
        const char* what;
        const char* sheet;
        float scale;
    } cases[] = {
        {"no prototype 3004", "id;speed\n1;5\n", 1.0f},
        {"prototype 3004 with speed 0", "id;speed\n3004;0\n", 1.0f},
        {"no upgrades: same speed", "id;speed\n3004;8\n", 1.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SheetStore sheet(c.sheet);
        EXPECT_FLOAT_EQ(TowersBoost::hammerScale(sheet.store.get(), nullptr), c.scale);
    }
    EXPECT_FLOAT_EQ(TowersBoost::hammerScale(nullptr, nullptr), 1.0f);

    SheetStore sheet("id;speed\n3004;10\n");
    UpgradesTable upgrades;
    ASSERT_TRUE(upgrades.parse("<upgrades><upgrade id='9'><targets><target id='3004'/><target id='-1'/></targets>"
                               "<steps><step><attributes><p name='speed' value='100'/></attributes></step></steps>"
                               "</upgrade></upgrades>",
                               L"upgrades.xml"));
    upgrades.boughtLevel = [](int) { return 0; };
    EXPECT_FLOAT_EQ(TowersBoost::hammerScale(sheet.store.get(), &upgrades), 0.5f) << "a longer spell slows its hammer";
}
