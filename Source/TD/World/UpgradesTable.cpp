#include "Source/TD/World/UpgradesTable.h"

#include "Core/Base/Log.h"
#include "Core/Base/StringEncoding.h"
#include "Core/File/FileUtils.h"
#include "Source/TD/Towers/TDTower.h"
#include "Source/TD/World/UnitPrototype.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <tinyxml2.h>

float UpgradeStep::number(const std::string& name) const
{
    if (!params)
        return 0.0f;
    const auto found = params->numbers.find(name);
    return found == params->numbers.end() ? 0.0f : found->second;
}

UpgradesTable::UpgradesTable(const std::wstring& path)
{
    load(path);
}

bool UpgradesTable::load(const std::wstring& path)
{
    const std::string text = file::ReadTextFile(path);
    if (text.empty()) {
        mUpgrades.clear();
        GE_LOG(L"Upgrades file '%s' is missing or empty: no upgrade applies.\n") << path;
        return false;
    }
    return parse(text, path);
}

namespace {

// Prices a shop can show and bonuses (percentages) a tower can take.
constexpr double kMaxCost = 1000000.0;
constexpr float kLeastBonus = -100.0f, kMostBonus = 1000.0f;

// A cost read whatever its notation, inside [0, kMaxCost]; counts what it mends.
int ReadCost(const tinyxml2::XMLElement* e, const char* name, int& mended)
{
    const char* text = e->Attribute(name);
    if (!text)
        return 0;
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    if (end != text && value >= 0.0 && value <= kMaxCost)
        return static_cast<int>(value);
    ++mended;
    return end != text && value > kMaxCost ? static_cast<int>(kMaxCost) : 0;
}

} // namespace

bool UpgradesTable::parse(const std::string& text, const std::wstring& path)
{
    mUpgrades.clear();
    int mended = 0;
    tinyxml2::XMLDocument document;
    if (document.Parse(text.data(), text.size()) != tinyxml2::XML_SUCCESS) {
        GE_LOG(L"Upgrades file '%s' is damaged (%s): no upgrade applies.\n")
            << path << XmlErrorText(document);
        return false;
    }
    const tinyxml2::XMLElement* root = document.FirstChildElement("upgrades");
    if (!root) {
        GE_LOG(L"Upgrades file '%s' has no upgrades: no upgrade applies.\n") << path;
        return false;
    }
    for (const tinyxml2::XMLElement* e = root->FirstChildElement("upgrade"); e; e = e->NextSiblingElement("upgrade")) {
        UpgradeDef upgrade;
        upgrade.id = ReadIntAttribute(e, "id");
        upgrade.section = ReadIntAttribute(e, "section");
        // An icon name that is not UTF-8 is logged and left empty: the upgrade still counts.
        if (const char* icon = e->Attribute("icon"); icon && !TryConvertToWide(icon, upgrade.icon, L"upgrade icon"))
            upgrade.icon.clear();
        if (const tinyxml2::XMLElement* unlock = e->FirstChildElement("unlock")) {
            upgrade.unlockEpisode = ReadIntAttribute(unlock, "episode");
            upgrade.unlockLevel = ReadIntAttribute(unlock, "level");
        }
        if (const tinyxml2::XMLElement* targets = e->FirstChildElement("targets"))
            for (const tinyxml2::XMLElement* t = targets->FirstChildElement("target"); t;
                 t = t->NextSiblingElement("target"))
                upgrade.targets.push_back(ReadIntAttribute(t, "id"));
        if (const tinyxml2::XMLElement* steps = e->FirstChildElement("steps"))
            for (const tinyxml2::XMLElement* s = steps->FirstChildElement("step"); s; s = s->NextSiblingElement("step")) {
                UpgradeStep step;
                step.costGold = ReadCost(s, "cost_g", mended);
                step.costGems = ReadCost(s, "cost_r", mended);
                if (const tinyxml2::XMLElement* attributes = s->FirstChildElement("attributes")) {
                    step.params = std::make_unique<ParamSet>(attributes);
                    for (auto& [name, value] : step.params->numbers)
                        if (!(value >= kLeastBonus && value <= kMostBonus)) {
                            value = std::isnan(value) ? 0.0f : std::clamp(value, kLeastBonus, kMostBonus);
                            ++mended;
                        }
                }
                upgrade.steps.push_back(std::move(step));
            }
        mUpgrades.push_back(std::move(upgrade));
    }
    if (mended)
        GE_LOG(L"Upgrades file '%s': %d prices or bonuses lay outside their ranges (prices 0 to %d, bonuses %d to "
               L"%d %%) and were read into them.\n")
            << path << mended << static_cast<int>(kMaxCost) << static_cast<int>(kLeastBonus)
            << static_cast<int>(kMostBonus);
    return true;
}

void UpgradesTable::collectSection(int section, std::vector<const UpgradeDef*>& out) const
{
    for (const UpgradeDef& upgrade : mUpgrades)
        if (upgrade.section == section)
            out.push_back(&upgrade);
}

std::vector<int> UpgradesTable::ids() const
{
    std::vector<int> result;
    for (const UpgradeDef& upgrade : mUpgrades)
        result.push_back(upgrade.id);
    return result;
}

const UpgradeStep* UpgradesTable::boughtStep(const UpgradeDef& upgrade) const
{
    const int level = boughtLevel ? boughtLevel(upgrade.id) : -1;
    if (level < 0 || static_cast<size_t>(level) >= upgrade.steps.size())
        return nullptr;
    return &upgrade.steps[static_cast<size_t>(level)];
}

std::vector<const UpgradeStep*> UpgradesTable::stepsFor(int id) const
{
    std::vector<const UpgradeStep*> steps;
    for (const UpgradeDef& upgrade : mUpgrades) {
        const std::vector<int>& targets = upgrade.targets;
        if (std::find(targets.begin(), targets.end(), id) == targets.end())
            continue;
        const bool open = std::any_of(targets.begin(), targets.end(),
                                      [this](int target) { return target == -1 || (unlocked && unlocked(target)); });
        if (!open)
            continue;
        if (const UpgradeStep* step = boughtStep(upgrade))
            steps.push_back(step);
    }
    return steps;
}

void UpgradesTable::applyToTower(TDTower* tower) const
{
    if (!tower || !tower->currentPrototype())
        return;
    const UnitPrototype& base = *tower->currentPrototype();
    UnitPrototype& work = tower->stats;
    for (const UpgradeStep* step : stepsFor(base.id)) {
        work.r += step->number("radius") / 100.0f * base.r;
        work.strength += static_cast<float>(std::ceil(static_cast<double>(step->number("strength")) / 100.0 * base.strength));
        work.cost += step->number("cost") / 100.0f * base.cost;
        work.cooldown -= step->number("cooldown") / 100.0f * base.cooldown;
        work.goldIncome += static_cast<int>(step->number("goldIncome") / 100.0f * static_cast<float>(base.goldIncome));
    }
}

void UpgradesTable::applyToPrototype(UnitPrototype& p) const
{
    for (const UpgradeStep* step : stepsFor(p.id)) {
        p.r += step->number("radius") / 100.0f * p.r;
        p.strength += static_cast<float>(std::ceil(static_cast<double>(step->number("strength")) / 100.0 * p.strength));
        p.cost += std::floor(step->number("cost") / 100.0f * p.cost);
        p.cooldown -= step->number("cooldown") / 100.0f * p.cooldown;
        p.goldIncome += static_cast<int>(step->number("goldIncome") / 100.0f * static_cast<float>(p.goldIncome));
        p.speed += std::floor(step->number("speed") / 100.0f * p.speed);
    }
}

void UpgradesTable::applyToPlayer(float& enemyCostFactor, float& budgetFactor, int& extraHealth) const
{
    for (const UpgradeDef& upgrade : mUpgrades) {
        if (upgrade.targets.empty() || upgrade.targets.front() != -1)
            continue;
        const UpgradeStep* step = boughtStep(upgrade);
        if (!step)
            continue;
        if (const float maxHP = step->number("maxHP"); maxHP > 0.0f)
            extraHealth = static_cast<int>(maxHP);
        if (const float enemyCost = step->number("enemyCost"); enemyCost > 0.0f)
            enemyCostFactor = enemyCost / 100.0f;
        if (const float startBudget = step->number("startBudget"); startBudget > 0.0f)
            budgetFactor = startBudget / 100.0f;
    }
}
