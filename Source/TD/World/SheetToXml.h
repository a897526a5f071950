#pragma once
// The CSV data sheets of the game turned into XML rows. One `unit` element per data
// row, the header's cells naming its attributes; a row whose `parent` names an
// earlier top-level row is nested under it (a tower's tiers).
#include <string>
#include <vector>

namespace tinyxml2 {
class XMLDocument;
class XMLElement;
} // namespace tinyxml2

class PrototypeStore;

// Reads the sheet at the UTF-8 `path` through the file layer and adds its rows below
// `sheet`. A missing file adds nothing.
void SheetToXml(const std::string& path, tinyxml2::XMLElement* sheet, tinyxml2::XMLDocument* document);
// The same over text already read; `what` names the sheet in the log.
void SheetTextToXml(const std::string& text, tinyxml2::XMLElement* sheet, tinyxml2::XMLDocument* document,
                    const std::wstring& what);
// The first direct `unit` child of `sheet` whose `id` is `id` (unreadable ids read 0).
tinyxml2::XMLElement* FindSheetRowById(int id, tinyxml2::XMLElement* sheet);

// The prototype half of the level's sheet load: builds the temporary `data` tree from
// "td/towers_sheet.csv", "td/units_sheet.csv" and "td/ammo_sheet.csv", creates the
// store from it when `store` is null, else empties and reloads it.
void LoadPrototypeSheets(PrototypeStore*& store);

// The pieces of `text` between `separator` characters, empty ones included.
std::vector<std::string> SplitText(const std::string& text, char separator);

// A field of the setup and unlock tables read like atoi: optional spaces and sign,
// then decimal digits; 0 without digits. Saturates instead of overflowing.
int SheetInt(const char* text);
