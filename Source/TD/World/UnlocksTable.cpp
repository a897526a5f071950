#include "Source/TD/World/UnlocksTable.h"

#include "Core/File/FileUtils.h"
#include "Source/TD/World/SheetToXml.h"

UnlocksTable::UnlocksTable(const int* episode, const int* level, const std::wstring& path)
    : mEpisode(episode), mLevel(level)
{
    load(path);
}

void UnlocksTable::load(const std::wstring& path)
{
    parse(file::ReadUtf8TextFile(path));
}

void UnlocksTable::parse(const std::string& text)
{
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        // episode;level;id,id,...
        const size_t first = line.find(';');
        if (first == std::string::npos)
            continue;
        const size_t second = line.find(';', first + 1);
        if (second == std::string::npos)
            continue;
        const int episode = SheetInt(line.c_str());
        const int level = SheetInt(line.c_str() + first + 1);
        const size_t third = line.find(';', second + 1);
        const std::string ids =
            line.substr(second + 1, third == std::string::npos ? std::string::npos : third - second - 1);
        std::vector<int>& list = mTable[{episode, level}];
        list.clear();
        // "\r" (a CRLF line) or nothing at all: no ids.
        if (ids.find_first_not_of(" \t\r") == std::string::npos)
            continue;
        size_t at = 0;
        while (at <= ids.size()) {
            size_t comma = ids.find(',', at);
            if (comma == std::string::npos)
                comma = ids.size();
            list.push_back(SheetInt(ids.substr(at, comma - at).c_str()));
            at = comma + 1;
        }
    }
}

const std::vector<int>& UnlocksTable::idsAt(int episode, int level)
{
    return mTable[{episode, level}];
}

bool UnlocksTable::isUnlockedAt(int episode, int level, int id)
{
    for (int entry : idsAt(episode, level)) {
        if (entry == -1)
            return false;
        if (entry == id)
            return true;
    }
    return false;
}

bool UnlocksTable::isUnlocked(int id)
{
    if (!mEpisode || !mLevel)
        return false;
    return isUnlockedAt(*mEpisode, *mLevel, id);
}
