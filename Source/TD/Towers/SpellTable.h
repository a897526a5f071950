#pragma once
// The spells of "td/spells_sheet.csv": which prototype defines each spell, its button
// pictures and the gem price of an instant recharge. One row a spell, cells separated
// by ';': marker ("#" skips the row), prototype id, first picture, second picture,
// spell id, gem price.
#include <memory>
#include <string>
#include <vector>

namespace render {
class Image;
}

struct SpellDefinition {
    std::string image;  // path of the button picture
    std::string image2; // path of the second picture (shade, unavailable)
    int prototypeId = 0;
    int spellId = 0;
    int gemPrice = 0;
    std::shared_ptr<render::Image> texture; // empty when the picture did not load
    std::shared_ptr<render::Image> texture2;
};

class SpellTable {
public:
    SpellTable() = default;
    // Reads the sheet; a missing or empty sheet gives an empty table (and a log line).
    explicit SpellTable(const std::wstring& path);
    ~SpellTable();
    SpellTable(const SpellTable&) = delete;
    SpellTable& operator=(const SpellTable&) = delete;

    // Appends the rows of a sheet's text; `path` names it in log lines. Pictures load
    // through the game's renderer when there is one.
    void parse(const std::string& text, const std::wstring& path);
    // The first definition with that spell id, or null.
    const SpellDefinition* find(int spellId) const;
    // Deletes every definition with its pictures.
    void clear();

    std::vector<SpellDefinition*> definitions; // owned, in file order
};
