#pragma once
// The spell definitions of "td/spells_sheet.csv".
#include <string>

class SpellTable {
public:
    explicit SpellTable(const std::wstring& path) : path(path) {}
    std::wstring path;
};
