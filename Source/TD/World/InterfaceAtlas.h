#pragma once
// The level's in-world interface images, looked up once in the sprite description
// "td/ui": the path brush, the range disc, the tower-menu icons, one icon per tower
// prototype and one per tower ability, and the spell buttons' price tag. The frames belong to TDResources; an entry
// missing from the description stays null and draws nothing.
#include <map>
#include <string>

class TDFrameEntry;

class InterfaceAtlas {
public:
    // The description every entry comes from.
    static constexpr const wchar_t* kDescription = L"td/ui";

    // Loads "td/ui" through TDResources (once) and looks every entry up.
    void load();

    // The icon of a tower prototype id, or null.
    const TDFrameEntry* towerIcon(int prototypeId) const;
    // The icon of an ability key ("dot", "aimed", ...), or null.
    const TDFrameEntry* abilityIcon(const std::string& key) const;

    TDFrameEntry* brush = nullptr;
    TDFrameEntry* powerBuff = nullptr;
    TDFrameEntry* lvl2 = nullptr;
    TDFrameEntry* lvl3 = nullptr;
    TDFrameEntry* sell = nullptr;
    TDFrameEntry* buy = nullptr;
    TDFrameEntry* contextGem = nullptr;
    TDFrameEntry* priceTag = nullptr; // the spell buttons' gem price
    TDFrameEntry* bar = nullptr;
    TDFrameEntry* radius = nullptr; // 336 units across at scale 1
    TDFrameEntry* levelMarks[4] = {}; // by tower level 1 to 3; 0 stays empty
    std::map<int, TDFrameEntry*> towerIcons;
    std::map<std::string, TDFrameEntry*> abilityIcons;
};
