#pragma once
// Every unit, tower and ammunition prototype of the sheets, found by id.
#include <vector>

namespace tinyxml2 {
class XMLElement;
}

class UnitPrototype;
class UpgradesTable;

class PrototypeStore {
public:
    // Loads the `data` element at once.
    explicit PrototypeStore(const tinyxml2::XMLElement* data);
    ~PrototypeStore();
    PrototypeStore(const PrototypeStore&) = delete;
    PrototypeStore& operator=(const PrototypeStore&) = delete;

    // Appends the rows of `units`, then `towers`, then `ammo`; does not empty the list.
    void load(const tinyxml2::XMLElement* data);
    // Deletes every record.
    void clear();
    // The record with that id, top-level records first and then each one's nested
    // tiers, in list order; null when none has it. The store keeps the record.
    UnitPrototype* find(int id) const;

    std::vector<UnitPrototype*> mPrototypes; // owned, in load order
};

// A new record (the caller's) copy-assigned from the store's record `id`, with the
// bought upgrades applied when a table is given; null when the store lacks the id.
UnitPrototype* MakeUpgradedPrototype(const PrototypeStore& store, const UpgradesTable* upgrades, int id);
