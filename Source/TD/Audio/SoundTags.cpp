#include "Source/TD/Audio/SoundTags.h"
#include "Core/Base/Log.h"
#include "Core/Base/CsvLineTokenizer.h"
#include "Core/Base/StringEncoding.h"
#include "Core/File/FileUtils.h"
#include "Source/TD/Audio/Sound.h"
#include "Source/TD/Audio/SoundObserver.h"
#include "Source/TD/Audio/SoundSystem.h"
#include <cmath>
#include <limits>

namespace k2 {

namespace {

// The number column is stored as an int; values no int holds read 0.
int TruncateToInt(float value)
{
    if (!std::isfinite(value) || value >= 2147483648.0f || value < -2147483648.0f)
        return 0;
    return static_cast<int>(value);
}

} // namespace

SoundTags::Entry::Entry() = default;
SoundTags::Entry::~Entry() = default;

SoundTags::SoundTags() = default;

SoundTags::~SoundTags() = default;

std::vector<base::SingletoneBase*> SoundTags::GetDependencies()
{
    // Our sounds stop their channels when they go: before the audio output closes.
    if (SoundSystem::Exists())
        return {SoundSystem::Instance()};
    return {};
}

std::vector<SoundTags::SheetLine> SoundTags::parseSheet(const std::string& text)
{
    std::vector<SheetLine> lines;
    CsvLineTokenizer rows(text, '\n', true);
    std::string row;
    while (rows.NextToken(&row)) {
        if (!row.empty() && row.back() == '\r')
            row.pop_back();
        if (row.empty())
            continue;
        SheetLine line;
        for (CsvLineTokenizer count(row, ';', false); count.NextToken(nullptr);)
            ++line.cells;
        CsvLineTokenizer cells(row, ';', false);
        std::string name, file;
        cells.NextToken(&name);
        cells.NextToken(&file);
        // A line without its third or fourth cell reads 0 there.
        float number = 0.0f;
        cells.NextFloat(&number).NextInt(&line.tag);
        line.number = TruncateToInt(number);
        line.comment = !name.empty() && name[0] == '#';
        if (!line.comment && (!TryConvertToWide(name, line.name, L"sound name") ||
                              !TryConvertToWide(file, line.file, L"sound file"))) {
            line.comment = true; // unreadable: only its tag counts
        }
        lines.push_back(std::move(line));
    }
    return lines;
}

void SoundTags::load(const std::wstring& sheetPath)
{
    loadText(file::ReadUtf8TextFile(sheetPath), sheetPath);
}

void SoundTags::loadText(const std::string& text, const std::wstring& sheetPath)
{
    entries.clear();
    int shortRows = 0, nameless = 0;
    for (SheetLine& line : parseSheet(text)) {
        tags[line.tag] = 2;
        if (line.comment)
            continue;
        shortRows += line.cells < 4 ? 1 : 0;
        // A row without a name can never be played.
        if (line.name.empty()) {
            ++nameless;
            continue;
        }
        auto entry = std::make_unique<Entry>();
        entry->name = std::move(line.name);
        entry->file = std::move(line.file);
        entry->tag = line.tag;
        entry->number = line.number;
        if (!entry->file.empty())
            entry->sound.reset(SoundSystem::Instance()->createSound("td/data/sound/" + ConvertToNarrow(entry->file)));
        entries.push_back(std::move(entry));
    }
    if (shortRows)
        GE_LOG(L"Sound sheet '%s': %d rows lack some of their four cells; the missing ones read 0 or empty.\n")
            << sheetPath << shortRows;
    if (nameless)
        GE_LOG(L"Sound sheet '%s': %d rows have no name and are skipped.\n") << sheetPath << nameless;
}

bool SoundTags::play(const std::wstring& name)
{
    // The first entry of the name that has a file plays; a name listed only without a
    // file is known all the same and plays nothing.
    Entry* found = nullptr;
    bool known = false;
    for (const auto& entry : entries) {
        if (entry->name != name)
            continue;
        known = true;
        if (!entry->file.empty()) {
            found = entry.get();
            break;
        }
    }
    SoundSystem* system = SoundSystem::Exists() ? SoundSystem::Instance() : nullptr;
    if (system && system->observer)
        system->observer->onSoundPlayed(name, known);
    if (found && found->sound && system) {
        const float volume = system->profileSoundVolume ? system->profileSoundVolume() : system->mSoundVolume;
        found->sound->play(volume);
    }
    return known;
}

} // namespace k2
