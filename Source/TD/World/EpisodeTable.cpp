#include "Source/TD/World/EpisodeTable.h"

#include "Core/Base/CsvLineTokenizer.h"
#include "Core/Base/Log.h"
#include "Core/Base/StringEncoding.h"
#include "Core/File/FileUtils.h"
#include "Source/TD/World/SheetToXml.h"

#include <cctype>
#include <vector>

void EpisodeTable::load(const std::wstring& path)
{
    parse(file::ReadUtf8TextFile(path), path);
}

void EpisodeTable::parse(const std::string& text, const std::wstring& path)
{
    int skipped = 0;
    bool first = true;
    for (std::string& line : SplitText(text, '\n')) {
        Trim(line);
        std::string packed;
        RemoveSpaces(line, packed);
        if (packed.empty() || packed == "\r")
            continue;
        const bool header = first;
        first = false;
        std::vector<std::string> fields;
        CsvLineTokenizer tokenizer(packed, ';', false);
        std::string field;
        while (tokenizer.NextToken(&field) && fields.size() <= 5)
            fields.push_back(field);
        // An episode row names its episode: anything else (but the header) is skipped,
        // since an empty cell would read as episode 0 and take its place.
        const bool numbered = fields.size() == 5 && !fields[0].empty() &&
                              (std::isdigit(static_cast<unsigned char>(fields[0][0])) || fields[0][0] == '-');
        if (!numbered) {
            skipped += header ? 0 : 1;
            continue;
        }
        const int episode = SheetInt(fields[0].c_str());
        if (episode == -1)
            continue;
        rows[episode] = EpisodeRow{SheetInt(fields[1].c_str()), SheetInt(fields[3].c_str())};
    }
    if (skipped)
        GE_LOG(L"Episode sheet '%s': %d rows are no row of five cells of an episode and are skipped.\n") << path
                                                                                                         << skipped;
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
