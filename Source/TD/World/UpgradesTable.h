#pragma once
// Tower and player upgrades bought in the shop ("td/upgrades.xml"), applied to towers,
// prototypes and the player's level values.
#include <string>

class PlayerProgress;
class TDTower;
class UnitPrototype;

class UpgradesTable {
public:
    explicit UpgradesTable(const std::wstring& path) : path(path) {}

    // The bought player upgrades: enemy cost, start budget and extra health.
    void applyToPlayer(PlayerProgress*, float& /*enemyCostFactor*/, float& /*budgetFactor*/, int& /*extraHealth*/) {}
    void apply(TDTower*) {}
    void applyToPrototype(UnitPrototype&) {}

    std::wstring path;
};
