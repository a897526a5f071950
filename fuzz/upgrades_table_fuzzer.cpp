// Feeds arbitrary bytes as "td/upgrades.xml", buys every listed step in turn and
// applies the table to a prototype and to the player.
#include "Source/TD/World/UnitPrototype.h"
#include "Source/TD/World/UpgradesTable.h"

#include <algorithm>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size)
{
    UpgradesTable table;
    if (!table.parse(std::string(reinterpret_cast<const char*>(data), size), L"td/upgrades.xml"))
        return 0;
    int bought = -1;
    table.boughtLevel = [&bought](int) { return bought; };
    table.unlocked = [](int id) { return id % 2 == 0; };
    for (int section = 0; section < 4; ++section) {
        std::vector<const UpgradeDef*> listed;
        table.collectSection(section, listed);
    }
    size_t mostSteps = 0;
    for (const UpgradeDef& upgrade : table.mUpgrades)
        mostSteps = std::max(mostSteps, upgrade.steps.size());
    for (bought = -1; bought <= static_cast<int>(mostSteps); ++bought) {
        for (int id : table.ids()) {
            UnitPrototype prototype;
            prototype.id = id;
            prototype.cost = 100.0f;
            prototype.strength = 10.0f;
            prototype.r = 80.0f;
            prototype.cooldown = 2.0f;
            table.applyToPrototype(prototype);
        }
        float enemyCost = 1.0f, budget = 1.0f;
        int health = 0;
        table.applyToPlayer(enemyCost, budget, health);
    }
    return 0;
}
