#include "Source/TD/Towers/SpellTable.h"

#include "Core/Base/CsvLineTokenizer.h"
#include "Core/Base/Log.h"
#include "Core/Base/StringEncoding.h"
#include "Core/File/FileUtils.h"
#include "Core/Render/Image.h"
#include "Source/TD/World/TDFrameEntry.h"

#include <cstdlib>

namespace {

std::shared_ptr<render::Image> LoadPicture(const std::string& path)
{
    std::wstring name;
    if (path.empty() || !TryConvertToWide(path, name, L"spell picture path"))
        return nullptr;
    return LoadImageHandle(GameRenderer(), name, nullptr);
}

} // namespace

SpellTable::SpellTable(const std::wstring& path)
{
    const std::string text = file::ReadUtf8TextFile(path);
    if (text.empty()) {
        GE_LOG(L"Spell sheet '%s' is missing or empty: no spells.\n") << path;
        return;
    }
    parse(text, path);
}

SpellTable::~SpellTable()
{
    clear();
}

void SpellTable::parse(const std::string& text, const std::wstring& path)
{
    CsvLineTokenizer lines(text, '\n', true);
    std::string line;
    int number = 0;
    while (lines.NextToken(&line)) {
        ++number;
        Trim(line);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty())
            continue;
        std::vector<std::string> cells;
        CsvLineTokenizer tokens(line, ';', false);
        std::string cell;
        while (tokens.NextToken(&cell))
            cells.push_back(cell);
        if (!cells.empty() && cells[0] == "#")
            continue;
        // Every number cell of a row is its own: a cell the row lacks reads 0.
        auto number_at = [&cells](size_t i) { return i < cells.size() ? std::atoi(cells[i].c_str()) : 0; };
        auto text_at = [&cells](size_t i) { return i < cells.size() ? cells[i] : std::string(); };
        if (cells.size() < 5)
            GE_LOG(L"Spell sheet '%s', line %d: %d cells of 6; the missing ones read 0 or empty.\n")
                << path << number << static_cast<int>(cells.size());
        auto* definition = new SpellDefinition;
        definition->prototypeId = number_at(1);
        definition->image = text_at(2);
        definition->image2 = text_at(3);
        definition->spellId = number_at(4);
        definition->gemPrice = number_at(5);
        definition->texture = LoadPicture(definition->image);
        definition->texture2 = LoadPicture(definition->image2);
        definitions.push_back(definition);
    }
}

const SpellDefinition* SpellTable::find(int spellId) const
{
    for (const SpellDefinition* definition : definitions)
        if (definition->spellId == spellId)
            return definition;
    return nullptr;
}

void SpellTable::clear()
{
    for (SpellDefinition* definition : definitions)
        delete definition;
    std::vector<SpellDefinition*>().swap(definitions);
}
