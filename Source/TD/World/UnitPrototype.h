#pragma once
// One row of a unit, tower or ammunition sheet. Towers and units of a higher tier use
// the rows nested below their base row.
#include "Core/Base/Types.h"
#include <string>
#include <vector>

namespace tinyxml2 {
class XMLElement;
}

struct SpriteDescription;

// The values of one sheet row: everything of a prototype but its nested tiers.
struct PrototypeFields {
    int parent = -1;
    int type = 0;
    int id = 0;
    float strength = 0.0f;
    float cooldown = 0.0f;
    float health = 0.0f;
    float speed = 0.0f;
    float r = 0.0f;
    std::string special;
    std::string psd;
    bool haste_buff = false;
    bool fire_dmg_only = false;
    float explodeStr = 0.0f;
    float explodeRadius = 0.0f;
    bool debufftower = false;
    bool poisonImmun = false;
    bool regen = false;
    bool raiseDead = false;
    bool invisible = false;
    bool invisibleArea = false;
    bool blocktower = false;
    bool healer = false;
    bool commander = false;
    bool summon = false;
    bool carrier = false;
    bool straight = false;
    bool ice = false;
    bool stone = false;
    bool pierce = false;
    bool splash = false;
    bool firesplash = false;
    bool dot = false;
    bool aoe = false;
    bool hold = false;
    bool stun = false;
    bool boostTower = false;
    bool showInvisible = false;
    bool air = false;
    bool aimed = false;
    bool rotating = false;
    int ammoid = 0;
    int tierUpdates = 0;
    float tierK = 0.0f;
    float cost = 0.0f;
    float tierCost = 0.0f;
    int require = 0;
    int levelid = 0;
    int level = 0;
    float fps = 0.0f;
    float timeout = 0.0f;
    bool teleportEnemy = false;
    int goldIncome = 0;
    int stars = 0;
    int dropChance = 0;
    u32 fillColor = 0xFFFFFFFFu; // 0xAARRGGBB
    bool type1 = true;
    bool type2 = true;
    bool type3 = true;
    bool type4 = true;
    float resist1 = 0.0f;
    float resist2 = 0.0f;
    float resist3 = 0.0f;
    float resist4 = 0.0f;
    std::string particlesDeath;
    std::string onFire;
    std::string onAmmo;
    std::string onHit;
    std::string addons;
    std::vector<std::string> addonList;
    SpriteDescription* sprite = nullptr; // owned by TDResources
};

class UnitPrototype : public PrototypeFields {
public:
    // An empty record (towers keep one as their bonus holder).
    UnitPrototype();
    // Every field from the element's attributes; with `nested`, one record (not nested
    // further) per child element.
    UnitPrototype(const tinyxml2::XMLElement* element, bool nested);
    // A deep copy, nested records included.
    UnitPrototype(const UnitPrototype& other);
    // Copies every field except particlesDeath, dropChance, addons and children, which
    // keep this record's values.
    UnitPrototype& operator=(const UnitPrototype& other);
    ~UnitPrototype();

    // The record of tier `level`: this one for 0, else the nested record whose levelid
    // is `level`, else the last nested one (this one when there is none).
    const UnitPrototype* tier(int level) const;
    UnitPrototype* tier(int level);

    std::vector<UnitPrototype*> children; // owned
};

// The colour of a `fillColor` cell: each character shifts in four bits, hexadecimal
// digits adding their value and any other character 0.
u32 ParseFillColor(const char* text);
