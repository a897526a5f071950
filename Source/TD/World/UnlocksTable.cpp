#include "Source/TD/World/UnlocksTable.h"

#include "Core/File/FileUtils.h"
#include "Source/TD/Shell/PlayerProgress.h"
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
    for (const std::string& line : SplitText(text, '\n')) {
        // episode;level;id,id,...
        const std::vector<std::string> fields = SplitText(line, ';');
        if (fields.size() < 3)
            continue;
        std::vector<int>& list = mTable[{SheetInt(fields[0].c_str()), SheetInt(fields[1].c_str())}];
        list.clear();
        // "\r" (a CRLF line) or nothing at all: no ids.
        if (fields[2].find_first_not_of(" \t\r") == std::string::npos)
            continue;
        for (const std::string& id : SplitText(fields[2], ','))
            list.push_back(SheetInt(id.c_str()));
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

bool UnlocksTable::isUnlockedByProgress(int id, PlayerProgress& progress)
{
    int episode = 0, level = 0;
    progress.getFurthestLevel(episode, level);
    return isUnlockedAt(episode, level, id);
}
