#pragma once
// One prototype sheet read into a `units` (or other kind) element of a `data` tree, and
// the prototype store over it: the fixture of every test that needs a few prototypes.
#include "Source/TD/World/PrototypeStore.h"
#include "Source/TD/World/SheetToXml.h"
#include "Source/TD/World/UnitPrototype.h"

#include <memory>
#include <string>
#include <tinyxml2.h>

struct SheetStore {
    explicit SheetStore(const std::string& text, const char* kind = "units")
    {
        data = document.NewElement("data");
        document.InsertFirstChild(data);
        sheet = document.NewElement(kind);
        data->InsertEndChild(sheet);
        SheetTextToXml(text, sheet, &document, L"test sheet");
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
