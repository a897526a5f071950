#pragma once
// One prototype sheet read into a `units` (or other kind) element of a `data` tree, and
// the prototype store over it: the fixture of every test that needs a few prototypes.
#include "Source/TD/World/PrototypeStore.h"
#include "Source/TD/World/SheetToXml.h"
#include "Source/TD/World/UnitPrototype.h"

#include <initializer_list>
#include <memory>
#include <string>
#include <tinyxml2.h>
#include <utility>

// Sheets given as (kind, text) read into one `data` element of `document`, in order;
// the `data` element, for a prototype store.
inline tinyxml2::XMLElement* SheetsInto(tinyxml2::XMLDocument& document,
                                        std::initializer_list<std::pair<const char*, const char*>> sheets)
{
    tinyxml2::XMLElement* data = document.NewElement("data");
    document.InsertFirstChild(data);
    for (const auto& [kind, text] : sheets) {
        tinyxml2::XMLElement* sheet = document.NewElement(kind);
        data->InsertEndChild(sheet);
        SheetTextToXml(text, sheet, &document, L"test sheet");
    }
    return data;
}

struct SheetStore {
    explicit SheetStore(const std::string& text, const char* kind = "units")
    {
        data = SheetsInto(document, {{kind, text.c_str()}});
        sheet = data->FirstChildElement(kind);
        store = std::make_unique<PrototypeStore>(data);
    }
    SheetStore(const SheetStore&) = delete;
    SheetStore& operator=(const SheetStore&) = delete;

    const UnitPrototype* find(int id) const { return store->find(id); }

    tinyxml2::XMLDocument document;
    tinyxml2::XMLElement* data = nullptr;
    tinyxml2::XMLElement* sheet = nullptr;
    std::unique_ptr<PrototypeStore> store;
};
