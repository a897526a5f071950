// The shipped "td/upgrades.xml": every kind of upgrade the table knows has steps, bought
// levels turn into the numbers the game uses, and the shop's texts say those numbers.
#include "Source/TD/Shell/LocalStrings.h"
#include "Source/TD/World/PrototypeStore.h"
#include "Source/TD/World/SheetToXml.h"
#include "Source/TD/World/UnitPrototype.h"
#include "Source/TD/World/UpgradesTable.h"
#include "tests/Support/LogCapture.h"

#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <string>

namespace {

struct Shipped {
    Shipped()
    {
        std::filesystem::current_path(GE_BINARY_DIR "/content");
        LoadPrototypeSheets(store);
        loaded = table.load(L"td/upgrades.xml");
    }
    ~Shipped() { delete store; }
    PrototypeStore* store = nullptr;
    UpgradesTable table;
    bool loaded = false;
};

} // namespace

TEST(ShippedUpgrades, EveryKindHasSteps)
{
    LogCapture log;
    Shipped s;
    ASSERT_TRUE(s.loaded) << log.text;
    ASSERT_NE(s.store, nullptr);
    std::set<std::string> towerKinds, playerKinds;
    std::set<int> targeted;
    bool unlockRead = false;
    for (const UpgradeDef& upgrade : s.table.mUpgrades) {
        SCOPED_TRACE(upgrade.id);
        ASSERT_FALSE(upgrade.steps.empty());
        EXPECT_FALSE(upgrade.icon.empty());
        unlockRead = unlockRead || upgrade.unlockLevel > 0;
        const bool player = upgrade.targets.front() == -1;
        for (int target : upgrade.targets) {
            EXPECT_TRUE(target == -1 || s.store->find(target)) << "target " << target;
            targeted.insert(target);
        }
        for (const UpgradeStep& step : upgrade.steps) {
            ASSERT_NE(step.params, nullptr) << "a step without bonuses adds nothing";
            EXPECT_GT(step.costGold + step.costGems, 0);
            for (const auto& [name, value] : step.params->numbers)
                (player ? playerKinds : towerKinds).insert(name);
        }
    }
    for (int family : {10000, 20000, 30000, 40000})
        for (int offset : {0, 1, 2, 100, 200})
            EXPECT_TRUE(targeted.count(family + offset)) << "tower " << family + offset;
    for (const char* kind : {"cost", "strength", "radius", "cooldown", "goldIncome", "speed"})
        EXPECT_TRUE(towerKinds.count(kind)) << kind;
    for (const char* kind : {"maxHP", "enemyCost", "startBudget"})
        EXPECT_TRUE(playerKinds.count(kind)) << kind;
    EXPECT_TRUE(unlockRead) << "some upgrade opens only from a later level";
}

// Everything bought at its first level, in a level where everything is unlocked.
TEST(ShippedUpgrades, FirstStepsApplied)
{
    Shipped s;
    ASSERT_TRUE(s.loaded);
    s.table.boughtLevel = [](int) { return 0; };
    s.table.unlocked = [](int) { return true; };

    float enemyCost = 0.0f, budget = 0.0f;
    int health = 0;
    s.table.applyToPlayer(enemyCost, budget, health);
    EXPECT_EQ(health, 5);
    EXPECT_FLOAT_EQ(budget, 0.10f);
    EXPECT_FLOAT_EQ(enemyCost, 0.10f);

    // The spells' first step: cooldown 10 % shorter.
    const UnitPrototype* spell = s.store->find(3001);
    ASSERT_NE(spell, nullptr);
    UnitPrototype copy(*spell);
    s.table.applyToPrototype(copy);
    EXPECT_FLOAT_EQ(copy.cooldown, spell->cooldown * 0.9f);

    // Nothing bought: nothing changes.
    s.table.boughtLevel = [](int) { return -1; };
    UnitPrototype plain(*spell);
    s.table.applyToPrototype(plain);
    EXPECT_FLOAT_EQ(plain.cooldown, spell->cooldown);
}

// The plate of an upgrade describes the step it sells, and the last one once all are
// bought, with that step's own numbers: a text without them tells the player nothing.
TEST(ShippedUpgrades, EveryStepsTextSaysItsNumbers)
{
    Shipped s;
    ASSERT_TRUE(s.loaded);
    const std::map<std::wstring, std::wstring>& strings = LocalStrings::Instance()->table;
    for (const UpgradeDef& upgrade : s.table.mUpgrades) {
        const std::wstring key = L"upgrade_" + std::to_wstring(upgrade.id);
        for (size_t n = 0; n <= upgrade.steps.size(); ++n) {
            const bool complete = n == upgrade.steps.size();
            const std::wstring textKey = key + (complete ? L"_complete" : L"_step" + std::to_wstring(n));
            const auto found = strings.find(textKey);
            ASSERT_NE(found, strings.end()) << std::string(textKey.begin(), textKey.end());
            const std::wstring& text = found->second;
            const UpgradeStep& step = upgrade.steps[complete ? n - 1 : n];
            ASSERT_NE(step.params, nullptr);
            for (const auto& [name, value] : step.params->numbers) {
                const std::wstring number = std::to_wstring(static_cast<int>(std::lround(std::fabs(value))));
                EXPECT_NE(text.find(number), std::wstring::npos)
                    << "\"" << std::string(textKey.begin(), textKey.end()) << "\" does not say " << name << " "
                    << value;
            }
        }
    }
}
