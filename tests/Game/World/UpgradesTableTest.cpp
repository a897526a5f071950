#include "Source/TD/Towers/TDTower.h"
#include "Source/TD/World/UnitPrototype.h"
#include "Source/TD/World/UpgradesTable.h"

#include <gtest/gtest.h>
#include <map>
#include <set>

namespace {

// Upgrades: 1 and 2 (+10 % range each, steps 0 and 1 differ), 3 (the numbers of one
// step), 4 (a locked target only), 5 and 6 (player), 7 (no steps).
const char* kTable = R"(<?xml version="1.0" encoding="UTF-8"?>
<upgrades>
  <upgrade id="1" section="0" icon="range">
    <unlock episode="1" level="2"/>
    <targets><target id="100"/></targets>
    <steps>
      <step cost_g="10" cost_r="1"><attributes><p name="radius" value="5"/></attributes></step>
      <step cost_g="20"><attributes><p name="radius" value="10"/></attributes></step>
    </steps>
  </upgrade>
  <upgrade id="2" section="1" icon="range2">
    <targets><target id="100"/></targets>
    <steps><step><attributes><p name="radius" value="10"/></attributes></step></steps>
  </upgrade>
  <upgrade id="3" section="0">
    <targets><target id="200"/><target id="-1"/></targets>
    <steps><step><attributes><p name="cooldown" value="10"/><p name="strength" value="10"/><p name="cost" value="10"/>
      <p name="goldIncome" value="25"/><p name="speed" value="15"/></attributes></step></steps>
  </upgrade>
  <upgrade id="4" section="0">
    <targets><target id="300"/></targets>
    <steps><step><attributes><p name="strength" value="50"/></attributes></step></steps>
  </upgrade>
  <upgrade id="5" section="2">
    <targets><target id="-1"/></targets>
    <steps>
      <step><attributes><p name="maxHP" value="5.9"/><p name="enemyCost" value="20"/><p name="startBudget" value="30"/></attributes></step>
    </steps>
  </upgrade>
  <upgrade id="6" section="2">
    <targets><target id="-1"/></targets>
    <steps><step><attributes><p name="maxHP" value="0"/><p name="enemyCost" value="50"/></attributes></step></steps>
  </upgrade>
  <upgrade id="7" section="2"><targets><target id="-1"/></targets></upgrade>
</upgrades>)";

struct Table {
    explicit Table(std::map<int, int> bought, std::set<int> open = {100})
        : bought(std::move(bought)), open(std::move(open))
    {
        EXPECT_TRUE(table.parse(kTable, L"upgrades.xml"));
        table.boughtLevel = [this](int id) {
            auto found = this->bought.find(id);
            return found == this->bought.end() ? -2 : found->second;
        };
        table.unlocked = [this](int id) { return this->open.count(id) != 0; };
    }
    UpgradesTable table;
    std::map<int, int> bought;
    std::set<int> open;
};

UnitPrototype Prototype(int id)
{
    UnitPrototype p;
    p.id = id;
    p.r = 100.0f;
    p.strength = 15.0f;
    p.cost = 125.0f;
    p.cooldown = 2.0f;
    p.goldIncome = 10;
    p.speed = 30.0f;
    return p;
}

} // namespace

TEST(UpgradesTable, Numbers)
{
    struct Case {
        const char* what;
        int id;
        std::map<int, int> bought;
        float towerR, protoR, towerStrength, protoStrength, towerCost, protoCost, cooldown;
        int towerIncome, protoIncome;
        float speed;
    } cases[] = {
        {"nothing bought", 100, {}, 100, 100, 15, 15, 125, 125, 2.0f, 10, 10, 30},
        {"not bought (-1) applies nothing", 100, {{1, -1}, {2, -1}}, 100, 100, 15, 15, 125, 125, 2.0f, 10, 10, 30},
        {"one step: only that level's bonus", 100, {{1, 1}}, 110, 110, 15, 15, 125, 125, 2.0f, 10, 10, 30},
        {"level 0 is the first step", 100, {{1, 0}}, 105, 105, 15, 15, 125, 125, 2.0f, 10, 10, 30},
        {"two 10 % steps: add on a tower, compound on a copy", 100, {{1, 1}, {2, 0}}, 120, 121, 15, 15, 125, 125,
         2.0f, 10, 10, 30},
        {"a level past the last step applies nothing", 100, {{1, 2}}, 100, 100, 15, 15, 125, 125, 2.0f, 10, 10, 30},
        {"target -1 passes the lock test; cooldown 10 % on 2.0 is 1.8; strength 1.5 up to 2; cost 12.5 or 12; income 2.5 to 2; speed 4.5 to 4",
         200, {{3, 0}}, 100, 100, 17, 17, 137.5f, 137, 1.8f, 12, 12, 34},
        {"a locked target does not apply", 300, {{4, 0}}, 100, 100, 15, 15, 125, 125, 2.0f, 10, 10, 30},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Table t(c.bought);
        const UnitPrototype base = Prototype(c.id);
        TDTower tower(&base, nullptr, 0, 0);
        t.table.applyToTower(&tower);
        UnitPrototype copy = Prototype(c.id);
        t.table.applyToPrototype(copy);
        EXPECT_FLOAT_EQ(tower.stats.r, c.towerR);
        EXPECT_FLOAT_EQ(copy.r, c.protoR);
        EXPECT_FLOAT_EQ(tower.stats.strength, c.towerStrength);
        EXPECT_FLOAT_EQ(copy.strength, c.protoStrength);
        EXPECT_FLOAT_EQ(tower.stats.cost, c.towerCost);
        EXPECT_FLOAT_EQ(copy.cost, c.protoCost);
        EXPECT_FLOAT_EQ(tower.stats.cooldown, c.cooldown);
        EXPECT_FLOAT_EQ(copy.cooldown, c.cooldown);
        EXPECT_EQ(tower.stats.goldIncome, c.towerIncome);
        EXPECT_EQ(copy.goldIncome, c.protoIncome);
        EXPECT_FLOAT_EQ(copy.speed, c.speed);
        EXPECT_FLOAT_EQ(tower.stats.speed, 0.0f) << "speed is a prototype-only bonus";
        EXPECT_FLOAT_EQ(base.r, 100.0f) << "the tower's prototype stays as it is";
    }
}

TEST(UpgradesTable, TowerStatsStartFromTheBaseEveryTick)
{
    Table t(std::map<int, int>{{1, 1}});
    const UnitPrototype base = Prototype(100);
    TDTower tower(&base, nullptr, 0, 0);
    for (int tick = 0; tick < 3; ++tick) {
        tower.resetStats();
        t.table.applyToTower(&tower);
    }
    EXPECT_FLOAT_EQ(tower.stats.r, 110.0f);
}

TEST(UpgradesTable, Player)
{
    struct Case {
        const char* what;
        std::map<int, int> bought;
        float enemyCost, budget;
        int health;
    } cases[] = {
        {"nothing bought keeps the fields", {}, 0.0f, 0.0f, 0},
        {"values assigned, health truncated", {{5, 0}}, 0.2f, 0.3f, 5},
        {"a later positive value replaces, maxHP 0 keeps", {{5, 0}, {6, 0}}, 0.5f, 0.3f, 5},
        {"an upgrade without steps applies nothing", {{7, 0}}, 0.0f, 0.0f, 0},
        {"a tower upgrade that also targets the player is no player upgrade", {{3, 0}}, 0.0f, 0.0f, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Table t(c.bought);
        float enemyCost = 0.0f, budget = 0.0f;
        int health = 0;
        t.table.applyToPlayer(enemyCost, budget, health);
        EXPECT_FLOAT_EQ(enemyCost, c.enemyCost);
        EXPECT_FLOAT_EQ(budget, c.budget);
        EXPECT_EQ(health, c.health);
    }
}

TEST(UpgradesTable, FileFieldsAndSections)
{
    Table t({});
    ASSERT_EQ(t.table.mUpgrades.size(), 7u);
    const UpgradeDef& first = t.table.mUpgrades[0];
    EXPECT_EQ(first.unlockEpisode, 1);
    EXPECT_EQ(first.unlockLevel, 2);
    EXPECT_EQ(first.icon, L"range");
    ASSERT_EQ(first.steps.size(), 2u);
    EXPECT_EQ(first.steps[0].costGold, 10);
    EXPECT_EQ(first.steps[0].costGems, 1);
    EXPECT_EQ(first.steps[1].costGems, 0);
    EXPECT_EQ(t.table.ids(), (std::vector<int>{1, 2, 3, 4, 5, 6, 7}));
    std::vector<const UpgradeDef*> section;
    t.table.collectSection(2, section);
    ASSERT_EQ(section.size(), 3u);
    EXPECT_EQ(section[0]->id, 5);
    EXPECT_EQ(section[2]->id, 7);
}

TEST(UpgradesTable, BadFilesLeaveItEmpty)
{
    const char* files[] = {"", "<upgrades><upgrade", "<other/>"};
    for (const char* text : files) {
        SCOPED_TRACE(text);
        Table t(std::map<int, int>{{1, 1}});
        EXPECT_FALSE(t.table.parse(text, L"bad.xml"));
        EXPECT_TRUE(t.table.mUpgrades.empty());
        UnitPrototype copy = Prototype(100);
        t.table.applyToPrototype(copy);
        EXPECT_FLOAT_EQ(copy.r, 100.0f);
    }
    UpgradesTable missing(L"no/such/upgrades.xml");
    EXPECT_TRUE(missing.mUpgrades.empty());
}

TEST(UpgradesTable, AnIconThatIsNotUtf8IsLeftEmptyAndTheUpgradeStays)
{
    UpgradesTable table;
    ASSERT_TRUE(table.parse("<upgrades><upgrade id=\"3\" section=\"1\" icon=\"a\xFF\xFE\">"
                            "<steps><step cost_g=\"5\" cost_r=\"2\"/></steps></upgrade></upgrades>",
                            L"odd.xml"));
    ASSERT_EQ(table.mUpgrades.size(), 1u);
    EXPECT_EQ(table.mUpgrades[0].id, 3);
    EXPECT_TRUE(table.mUpgrades[0].icon.empty());
    ASSERT_EQ(table.mUpgrades[0].steps.size(), 1u);
    EXPECT_EQ(table.mUpgrades[0].steps[0].costGems, 2);
}
