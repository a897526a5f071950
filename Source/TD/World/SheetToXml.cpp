#include "Source/TD/World/SheetToXml.h"

#include "Core/Base/CsvLineTokenizer.h"
#include "Core/Base/Log.h"
#include "Core/Base/StringEncoding.h"
#include "Core/File/FileUtils.h"
#include "Source/TD/World/PrototypeStore.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <tinyxml2.h>
#include <vector>

namespace {

// The sheet's lines: trimmed, one carriage return dropped, empty ones skipped.
std::vector<std::string> SheetLines(std::string text)
{
    Trim(text);
    std::vector<std::string> lines;
    for (std::string& line : SplitText(text, '\n')) {
        Trim(line);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty())
            lines.push_back(std::move(line));
    }
    return lines;
}

std::vector<std::string> SheetCells(const std::string& line)
{
    std::vector<std::string> cells;
    CsvLineTokenizer tokenizer(line, ';', false);
    std::string cell;
    while (tokenizer.NextToken(&cell))
        cells.push_back(cell);
    return cells;
}

} // namespace

std::vector<std::string> SplitText(const std::string& text, char separator)
{
    std::vector<std::string> pieces;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find(separator, start);
        if (end == std::string::npos) {
            pieces.push_back(text.substr(start));
            return pieces;
        }
        pieces.push_back(text.substr(start, end - start));
        start = end + 1;
    }
}

int SheetInt(const char* text)
{
    if (!text)
        return 0;
    while (*text == ' ' || *text == '\t' || *text == '\n' || *text == '\r' || *text == '\v' || *text == '\f')
        ++text;
    bool negative = false;
    if (*text == '+' || *text == '-')
        negative = *text++ == '-';
    long long value = 0;
    for (; std::isdigit(static_cast<unsigned char>(*text)); ++text)
        value = std::min<long long>(value * 10 + (*text - '0'), static_cast<long long>(INT_MAX) + 1);
    value = negative ? -value : value;
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

tinyxml2::XMLElement* FindSheetRowById(int id, tinyxml2::XMLElement* sheet)
{
    if (!sheet)
        return nullptr;
    for (tinyxml2::XMLElement* row = sheet->FirstChildElement("unit"); row; row = row->NextSiblingElement("unit"))
        if (row->IntAttribute("id", 0) == id)
            return row;
    return nullptr;
}

void SheetTextToXml(const std::string& text, tinyxml2::XMLElement* sheet, tinyxml2::XMLDocument* document,
                    const std::wstring& what)
{
    if (!sheet || !document)
        return;
    const std::vector<std::string> lines = SheetLines(text);
    if (lines.empty())
        return;
    const std::vector<std::string> header = SheetCells(lines[0]);
    const auto idColumn = std::find(header.begin(), header.end(), "id");
    bool reportedExtra = false;
    int shortRows = 0, idless = 0;
    for (size_t i = 1; i < lines.size(); ++i) {
        std::string line = lines[i];
        // A decimal comma is a decimal point; lists inside a cell use '/'.
        std::replace(line.begin(), line.end(), ',', '.');
        const std::vector<std::string> cells = SheetCells(line);
        // A row without its id would stand for the prototype of id 0.
        if (idColumn != header.end()) {
            const size_t at = static_cast<size_t>(idColumn - header.begin());
            if (at >= cells.size() || cells[at].empty()) {
                ++idless;
                continue;
            }
        }
        shortRows += cells.size() < header.size() ? 1 : 0;
        if (cells.size() > header.size() && !reportedExtra) {
            // Cells without a column have no name to be stored under.
            GE_LOG(L"Sheet '%s': row %d has %d cells but the header names %d columns; the extra cells are "
                   L"ignored.\n")
                << what << static_cast<int>(i + 1) << static_cast<int>(cells.size())
                << static_cast<int>(header.size());
            reportedExtra = true;
        }
        tinyxml2::XMLElement* row = document->NewElement("unit");
        const size_t count = std::min(cells.size(), header.size());
        for (size_t c = 0; c < count; ++c)
            row->SetAttribute(header[c].c_str(), cells[c].c_str());
        const int parent = row->Attribute("parent") ? row->IntAttribute("parent", -1) : -1;
        tinyxml2::XMLElement* parentRow = parent != -1 ? FindSheetRowById(parent, sheet) : nullptr;
        if (parentRow)
            parentRow->InsertEndChild(row);
        else
            sheet->InsertFirstChild(row);
    }
    if (shortRows)
        GE_LOG(L"Sheet '%s': %d rows have fewer cells than the header names; the missing ones read 0 or empty.\n")
            << what << shortRows;
    if (idless)
        GE_LOG(L"Sheet '%s': %d rows have no id and are skipped.\n") << what << idless;
}

void SheetToXml(const std::string& path, tinyxml2::XMLElement* sheet, tinyxml2::XMLDocument* document)
{
    const std::wstring widePath = ConvertToWide(path, StringEncoding::Utf8);
    SheetTextToXml(file::ReadUtf8TextFile(widePath), sheet, document, widePath);
}

void LoadPrototypeSheets(PrototypeStore*& store)
{
    tinyxml2::XMLDocument document;
    tinyxml2::XMLElement* data = document.NewElement("data");
    tinyxml2::XMLElement* towers = document.NewElement("towers");
    tinyxml2::XMLElement* units = document.NewElement("units");
    tinyxml2::XMLElement* ammo = document.NewElement("ammo");
    SheetToXml("td/towers_sheet.csv", towers, &document);
    SheetToXml("td/units_sheet.csv", units, &document);
    SheetToXml("td/ammo_sheet.csv", ammo, &document);
    data->InsertFirstChild(towers);
    data->InsertFirstChild(units);
    data->InsertFirstChild(ammo);
    document.InsertFirstChild(data);
    if (!store) {
        store = new PrototypeStore(data);
        return;
    }
    store->clear();
    store->load(data);
}
