#pragma once
// Tower and player upgrades bought in the shop ("td/upgrades.xml"), applied to towers,
// prototypes and the player's level values.
#include "Source/TD/World/ParamSet.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class TDTower;
class UnitPrototype;

// One bought level of an upgrade: its price and its bonuses (percentages by name).
struct UpgradeStep {
    int costGold = 0;
    int costGems = 0;
    std::unique_ptr<ParamSet> params; // none: the step adds nothing

    // The named number, 0 when the step has no such parameter.
    float number(const std::string& name) const;
};

struct UpgradeDef {
    int id = 0;
    int section = 0;
    int unlockEpisode = 0;
    int unlockLevel = 0;
    std::wstring icon;
    std::vector<int> targets; // prototype ids; -1 the player
    std::vector<UpgradeStep> steps; // index = bought level
};

class UpgradesTable {
public:
    UpgradesTable() = default;
    // Loads the file at once.
    explicit UpgradesTable(const std::wstring& path);

    // Replaces the table with the file's upgrades; a missing or damaged file (one log
    // line) leaves it empty.
    bool load(const std::wstring& path);
    bool parse(const std::string& text, const std::wstring& path);

    // Appends the upgrades listed on shop tab `section`, in table order.
    void collectSection(int section, std::vector<const UpgradeDef*>& out) const;
    // The upgrade ids in table order.
    std::vector<int> ids() const;

    // Adds the bought upgrades to the tower's working stats, each bonus taken from the
    // tower's unchanged prototype (two steps add up).
    void applyToTower(TDTower* tower) const;
    // Applies the bought upgrades to a prototype copy in place; each step works on the
    // values the previous one left (steps compound).
    void applyToPrototype(UnitPrototype& prototype) const;
    // The player upgrades (first target -1) at their bought levels: a positive value
    // replaces the field, anything else leaves it.
    void applyToPlayer(float& enemyCostFactor, float& budgetFactor, int& extraHealth) const;

    // The bought level of an upgrade id (-1 not bought); none: nothing is bought.
    std::function<int(int id)> boughtLevel;
    // Whether a prototype id is unlocked in the current level; none: nothing is.
    std::function<bool(int id)> unlocked;

    std::vector<UpgradeDef> mUpgrades; // in file order

private:
    // The step at the upgrade's bought level, or null.
    const UpgradeStep* boughtStep(const UpgradeDef& upgrade) const;
    // The bought steps of the upgrades that count for prototype `id`, in table order.
    std::vector<const UpgradeStep*> stepsFor(int id) const;
};
