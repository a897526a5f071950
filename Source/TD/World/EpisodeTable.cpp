#include "Source/TD/World/EpisodeTable.h"

#include "Core/Base/CsvLineTokenizer.h"
#include "Core/Base/StringEncoding.h"
#include "Core/File/FileUtils.h"
#include "Source/TD/World/SheetToXml.h"

#include <vector>

void EpisodeTable::load(const std::wstring& path)
{
    parse(file::ReadUtf8TextFile(path));
}

void EpisodeTable::parse(const std::string& text)
{
    for (std::string& line : SplitText(text, '\n')) {
        Trim(line);
        std::string packed;
        RemoveSpaces(line, packed);
        std::vector<std::string> fields;
        CsvLineTokenizer tokenizer(packed, ';', false);
        std::string field;
        while (tokenizer.NextToken(&field) && fields.size() <= 5)
            fields.push_back(field);
        if (fields.size() != 5)
            continue;
        const int episode = SheetInt(fields[0].c_str());
        if (episode == -1)
            continue;
        rows[episode] = EpisodeRow{SheetInt(fields[1].c_str()), SheetInt(fields[3].c_str())};
    }
}

int EpisodeTable::levelCount(int episode) const
{
    const auto it = rows.find(episode);
    return it == rows.end() ? -1 : it->second.levelCount;
}

int EpisodeTable::starsRequired(int episode) const
{
    const auto it = rows.find(episode);
    return it == rows.end() ? -1 : it->second.starsRequired;
}

int EpisodeTable::totalLevelCount() const
{
    long long total = 0;
    for (int episode = 0;; ++episode) {
        const auto it = rows.find(episode);
        if (it == rows.end())
            break;
        if (it->second.levelCount > 0)
            total += it->second.levelCount;
        if (episode == 0x7FFFFFFF)
            break;
    }
    return total > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(total);
}
