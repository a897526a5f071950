// Feeds arbitrary bytes as a unit, tower or ammunition sheet: rows into XML, nesting,
// the prototype store over them, tier lookups and copies.
#include "Source/TD/World/PrototypeStore.h"
#include "Source/TD/World/SheetToXml.h"
#include "Source/TD/World/UnitPrototype.h"

#include <string>
#include <tinyxml2.h>

namespace {

// Sprite names would send the store to the file system; the sheet's own rules are
// what is fuzzed here.
void DropSpriteNames(tinyxml2::XMLElement* element)
{
    for (; element; element = element->NextSiblingElement()) {
        element->DeleteAttribute("psd");
        element->DeleteAttribute("img");
        DropSpriteNames(element->FirstChildElement());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    tinyxml2::XMLDocument document;
    tinyxml2::XMLElement* root = document.NewElement("data");
    document.InsertFirstChild(root);
    tinyxml2::XMLElement* units = document.NewElement("units");
    root->InsertEndChild(units);
    SheetTextToXml(text, units, &document, L"fuzz");
    DropSpriteNames(units->FirstChildElement());
    PrototypeStore store(root);
    for (const UnitPrototype* prototype : store.mPrototypes) {
        const UnitPrototype* tier = prototype->tier(prototype->levelid + 1);
        if (store.find(prototype->id) == nullptr || tier == nullptr)
            __builtin_trap();
        UnitPrototype copy(*prototype);
        UnitPrototype working;
        working = copy;
    }
    store.clear();
    store.load(root);
    return 0;
}
