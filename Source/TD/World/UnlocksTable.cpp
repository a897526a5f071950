#include "Source/TD/World/UnlocksTable.h"

#include "Core/Base/Log.h"
#include "Core/File/FileUtils.h"
#include "Source/TD/Shell/PlayerProgress.h"
#include "Source/TD/World/SheetToXml.h"

#include <cctype>

UnlocksTable::UnlocksTable(const int* episode, const int* level, const std::wstring& path)
    : mEpisode(episode), mLevel(level)
{
    load(path);
}

namespace {

// A whole decimal number, blanks around it allowed.
bool IsNumber(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return false;
    size_t at = first + (text[first] == '-' || text[first] == '+' ? 1 : 0);
    const size_t digits = at;
    while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])))
        ++at;
    return at > digits && text.find_first_not_of(" \t\r", at) == std::string::npos;
}

} // namespace

void UnlocksTable::load(const std::wstring& path)
{
    const std::string text = file::ReadUtf8TextFile(path);
    if (text.empty())
        GE_LOG(L"Unlocks file '%s' is missing or empty: nothing is available in any level.\n") << path;
    parse(text, path);
}

void UnlocksTable::parse(const std::string& text, const std::wstring& path)
{
    int skipped = 0, ids = 0;
    for (const std::string& line : SplitText(text, '\n')) {
        // episode;level;id,id,...
        if (line.find_first_not_of(" \t\r") == std::string::npos)
            continue;
        const std::vector<std::string> fields = SplitText(line, ';');
        // Levels are counted from 0: a line of another form, or for a level no file can
        // have, is skipped.
        if (fields.size() < 3 || !IsNumber(fields[0]) || !IsNumber(fields[1]) || SheetInt(fields[0].c_str()) < 0 ||
            SheetInt(fields[1].c_str()) < 0) {
            ++skipped;
            continue;
        }
        std::vector<int>& list = mTable[{SheetInt(fields[0].c_str()), SheetInt(fields[1].c_str())}];
        list.clear();
        // "\r" (a CRLF line) or nothing at all: no ids.
        if (fields[2].find_first_not_of(" \t\r") == std::string::npos)
            continue;
        for (const std::string& id : SplitText(fields[2], ','))
            if (IsNumber(id))
                list.push_back(SheetInt(id.c_str()));
            else
                ++ids;
    }
    if (skipped)
        GE_LOG(L"Unlocks file '%s': %d lines are no \"episode;level;ids\" line of a level and are skipped.\n")
            << path << skipped;
    if (ids)
        GE_LOG(L"Unlocks file '%s': %d ids are no number and are skipped.\n") << path << ids;
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
