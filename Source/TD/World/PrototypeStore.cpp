#include "Source/TD/World/PrototypeStore.h"

#include "Source/TD/World/UnitPrototype.h"
#include "Source/TD/World/UpgradesTable.h"

#include <tinyxml2.h>

PrototypeStore::PrototypeStore(const tinyxml2::XMLElement* data)
{
    load(data);
}

PrototypeStore::~PrototypeStore()
{
    clear();
}

void PrototypeStore::load(const tinyxml2::XMLElement* data)
{
    if (!data)
        return;
    for (const char* kind : {"units", "towers", "ammo"}) {
        const tinyxml2::XMLElement* sheet = data->FirstChildElement(kind);
        if (!sheet)
            continue;
        for (const tinyxml2::XMLElement* row = sheet->FirstChildElement("unit"); row;
             row = row->NextSiblingElement("unit"))
            mPrototypes.push_back(new UnitPrototype(row, true));
    }
}

void PrototypeStore::clear()
{
    for (UnitPrototype* prototype : mPrototypes)
        delete prototype;
    mPrototypes.clear();
}

UnitPrototype* PrototypeStore::find(int id) const
{
    for (UnitPrototype* prototype : mPrototypes) {
        if (prototype->id == id)
            return prototype;
        for (UnitPrototype* child : prototype->children)
            if (child->id == id)
                return child;
    }
    return nullptr;
}

UnitPrototype* MakeUpgradedPrototype(const PrototypeStore& store, const UpgradesTable* upgrades, int id)
{
    const UnitPrototype* found = store.find(id);
    if (!found)
        return nullptr;
    auto* copy = new UnitPrototype;
    *copy = *found;
    if (upgrades)
        upgrades->applyToPrototype(*copy);
    return copy;
}
