#include "Source/TD/World/InterfaceAtlas.h"

#include "Source/TD/World/TDResources.h"

namespace {

struct TowerIconRow {
    int ids[3];
    const wchar_t* frame;
};

// Each family's first tier and its upgrade chain share one icon; the two
// alternatives have their own.
const TowerIconRow kTowerIcons[] = {
    {{10000, 10001, 10002}, L"ui/tower_01"}, {{10100, 0, 0}, L"ui/tower_03"}, {{10200, 0, 0}, L"ui/tower_02"},
    {{20000, 20001, 20002}, L"ui/tower_05"}, {{20100, 0, 0}, L"ui/tower_04"}, {{20200, 0, 0}, L"ui/tower_06"},
    {{30000, 30001, 30002}, L"ui/tower_09"}, {{30100, 0, 0}, L"ui/tower_11"}, {{30200, 0, 0}, L"ui/tower_10"},
    {{40000, 40001, 40002}, L"ui/tower_08"}, {{40100, 0, 0}, L"ui/tower_12"}, {{40200, 0, 0}, L"ui/tower_07"},
};

const std::pair<const char*, const wchar_t*> kAbilityIcons[] = {
    {"dot", L"ui/acid_01"},
    {"aimed", L"ui/beam_01"},
    {"splash", L"ui/aoe_01"},
    {"firesplash", L"ui/burn_01"},
    {"stun", L"ui/dazed_01"},
    {"towerBoost", L"ui/hammer_01"},
    {"showInvisible", L"ui/showInvisible_01"},
    {"goldIncome", L"ui/money_01"},
    {"teleportEnemy", L"ui/portal_01"},
    {"air", L"ui/wing_01"},
    {"stars1", L"ui/might_01"},
    {"stars2", L"ui/might_02"},
};

} // namespace

void InterfaceAtlas::load()
{
    TDResources* resources = TDResources::Instance();
    resources->findOrLoad(kDescription);
    auto frame = [resources](const wchar_t* name) { return resources->getFrame(kDescription, "", name); };
    brush = frame(L"ui/brush");
    powerBuff = frame(L"ui/power_buff");
    lvl2 = frame(L"ui/lvl2");
    lvl3 = frame(L"ui/lvl3");
    sell = frame(L"ui/sell");
    buy = frame(L"ui/buy");
    contextGem = frame(L"ui/context_gem");
    priceTag = frame(L"ui/price_tag");
    bar = frame(L"ui/bar");
    radius = frame(L"ui/radius");
    levelMarks[1] = frame(L"ui/l1");
    levelMarks[2] = frame(L"ui/l2");
    levelMarks[3] = frame(L"ui/l3");
    towerIcons.clear();
    for (const TowerIconRow& row : kTowerIcons)
        for (int id : row.ids)
            if (id)
                towerIcons[id] = frame(row.frame);
    abilityIcons.clear();
    for (const auto& [key, name] : kAbilityIcons)
        abilityIcons[key] = frame(name);
}

const TDFrameEntry* InterfaceAtlas::towerIcon(int prototypeId) const
{
    auto found = towerIcons.find(prototypeId);
    return found == towerIcons.end() ? nullptr : found->second;
}

const TDFrameEntry* InterfaceAtlas::abilityIcon(const std::string& key) const
{
    auto found = abilityIcons.find(key);
    return found == abilityIcons.end() ? nullptr : found->second;
}
