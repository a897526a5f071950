#include "Source/TD/World/UnitPrototype.h"

#include "Core/Base/CsvLineTokenizer.h"
#include "Source/TD/World/SheetToXml.h"
#include "Source/TD/World/TDResources.h"

#include <tinyxml2.h>

namespace {

std::string Text(const tinyxml2::XMLElement* element, const char* name)
{
    const char* value = element->Attribute(name);
    return value ? value : "";
}

bool Flag(const tinyxml2::XMLElement* element, const char* name)
{
    return element->BoolAttribute(name, false);
}

// Damage-type columns: a missing column means the type applies.
bool TypeFlag(const tinyxml2::XMLElement* element, const char* name)
{
    return element->Attribute(name) ? element->BoolAttribute(name, false) : true;
}

std::vector<std::string> SplitAddons(const std::string& addons)
{
    std::vector<std::string> list;
    for (std::string& piece : SplitText(addons, '/')) {
        Trim(piece);
        if (!piece.empty())
            list.push_back(std::move(piece));
    }
    return list;
}

} // namespace

u32 ParseFillColor(const char* text)
{
    u32 value = 0;
    for (; text && *text; ++text) {
        const char c = *text;
        u32 digit = 0;
        if (c >= '0' && c <= '9')
            digit = u32(c - '0');
        else if (c >= 'a' && c <= 'f')
            digit = u32(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F')
            digit = u32(c - 'A' + 10);
        value = value * 16u + digit;
    }
    return value;
}

UnitPrototype::UnitPrototype() = default;

UnitPrototype::UnitPrototype(const tinyxml2::XMLElement* element, bool nested)
{
    if (!element)
        return;
    const tinyxml2::XMLElement* e = element;
    parent = e->IntAttribute("parent", -1);
    type = e->IntAttribute("type", 0);
    id = e->IntAttribute("id", 0);
    strength = e->FloatAttribute("strength", 0.0f);
    cooldown = e->FloatAttribute("cooldown", 0.0f);
    health = e->FloatAttribute("health", 0.0f);
    speed = e->FloatAttribute("speed", 0.0f);
    r = e->FloatAttribute("r", 0.0f);
    special = Text(e, "special");
    psd = Text(e, "psd");
    haste_buff = Flag(e, "haste_buff");
    fire_dmg_only = Flag(e, "fire_dmg_only");
    explodeStr = e->FloatAttribute("explodeStr", 0.0f);
    explodeRadius = e->FloatAttribute("explodeRadius", 0.0f);
    debufftower = e->FloatAttribute("debufftower", 0.0f) != 0.0f;
    poisonImmun = Flag(e, "poisonImmun");
    regen = Flag(e, "regen");
    raiseDead = Flag(e, "raiseDead");
    invisible = Flag(e, "invisible");
    invisibleArea = Flag(e, "invisibleArea");
    blocktower = Flag(e, "blocktower");
    healer = Flag(e, "healer");
    commander = Flag(e, "commander");
    summon = Flag(e, "summon");
    carrier = Flag(e, "carrier");
    straight = Flag(e, "straight");
    ice = Flag(e, "ice");
    stone = Flag(e, "stone");
    pierce = Flag(e, "pierce");
    splash = Flag(e, "splash");
    firesplash = Flag(e, "firesplash");
    dot = Flag(e, "dot");
    aoe = Flag(e, "aoe");
    hold = Flag(e, "hold");
    stun = Flag(e, "stun");
    boostTower = Flag(e, "boostTower");
    showInvisible = Flag(e, "showInvisible");
    // Only the value 1 flies ("true" and 2 do not).
    air = e->IntAttribute("air", 0) == 1;
    aimed = Flag(e, "aimed");
    rotating = Flag(e, "rotating");
    ammoid = e->IntAttribute("ammoid", 0);
    tierUpdates = e->IntAttribute("tierUpdates", 0);
    tierK = e->FloatAttribute("tierK", 0.0f);
    cost = e->FloatAttribute("cost", 0.0f);
    tierCost = e->FloatAttribute("tierCost", 0.0f);
    require = e->IntAttribute("require", 0);
    levelid = e->IntAttribute("levelid", 0);
    level = e->IntAttribute("level", 0);
    fps = e->FloatAttribute("fps", 0.0f);
    timeout = e->FloatAttribute("timeout", 0.0f);
    teleportEnemy = Flag(e, "teleportEnemy");
    goldIncome = e->IntAttribute("goldIncome", 0);
    stars = e->IntAttribute("stars", 0);
    dropChance = e->IntAttribute("dropChance", 0);
    fillColor = ParseFillColor(e->Attribute("fillColor") ? e->Attribute("fillColor") : "ffffffff");
    type1 = TypeFlag(e, "type1");
    type2 = TypeFlag(e, "type2");
    type3 = TypeFlag(e, "type3");
    type4 = TypeFlag(e, "type4");
    resist1 = e->FloatAttribute("resist1", 0.0f);
    resist2 = e->FloatAttribute("resist2", 0.0f);
    resist3 = e->FloatAttribute("resist3", 0.0f);
    resist4 = e->FloatAttribute("resist4", 0.0f);
    particlesDeath = Text(e, "particlesDeath");
    onFire = Text(e, "onFire");
    onAmmo = Text(e, "onAmmo");
    onHit = Text(e, "onHit");
    addons = Text(e, "addons");
    addonList = SplitAddons(addons);
    if (nested)
        for (const tinyxml2::XMLElement* child = e->FirstChildElement(); child; child = child->NextSiblingElement())
            children.push_back(new UnitPrototype(child, false));
    if (e->Attribute("psd") || e->Attribute("img"))
        sprite = TDResources::Instance()->getDescription(e);
}

UnitPrototype::UnitPrototype(const UnitPrototype& other) : PrototypeFields(other)
{
    for (const UnitPrototype* child : other.children)
        children.push_back(new UnitPrototype(*child));
}

UnitPrototype& UnitPrototype::operator=(const UnitPrototype& other)
{
    if (this == &other)
        return *this;
    // A working copy keeps its own drop data, raw addon text and tiers.
    std::string keptParticles = std::move(particlesDeath);
    const int keptDropChance = dropChance;
    std::string keptAddons = std::move(addons);
    static_cast<PrototypeFields&>(*this) = other;
    particlesDeath = std::move(keptParticles);
    dropChance = keptDropChance;
    addons = std::move(keptAddons);
    return *this;
}

UnitPrototype::~UnitPrototype()
{
    for (UnitPrototype* child : children)
        delete child;
}

const UnitPrototype* UnitPrototype::tier(int wanted) const
{
    if (wanted == 0 || children.empty())
        return this;
    for (const UnitPrototype* child : children)
        if (child->levelid == wanted)
            return child;
    return children.back();
}

UnitPrototype* UnitPrototype::tier(int wanted)
{
    return const_cast<UnitPrototype*>(static_cast<const UnitPrototype*>(this)->tier(wanted));
}
