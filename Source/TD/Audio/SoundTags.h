#pragma once
// The table of named sound effects from the sounds sheet; game and screen code play
// an effect by its name at the current profile's sound volume.
#include "Core/Base/Singletone.h"
#include <map>
#include <memory>
#include <string>
#include <vector>

class Sound;

namespace k2 {

class SoundTags : public base::Singletone<SoundTags> {
public:
    struct Entry {
        Entry();
        ~Entry();
        Entry(const Entry&) = delete;
        Entry& operator=(const Entry&) = delete;

        std::wstring name;
        std::wstring file; // relative to "td/data/sound/"; empty: the name plays nothing
        int tag = 0;
        int number = 0;
        std::unique_ptr<Sound> sound;
    };

    SoundTags();
    ~SoundTags() override;
    std::vector<base::SingletoneBase*> GetDependencies() override;

    static SoundTags* instance() { return Instance(); }

    // Replaces the table with the sheet's lines (a missing sheet: an empty table).
    void load(const std::wstring& sheetPath);
    // Replaces the table with the lines of `text`, read as the sheet would be.
    // Rows that lack cells (read 0 or empty there) or have no name (skipped) are told
    // in a line naming `sheetPath`.
    void loadText(const std::string& text, const std::wstring& sheetPath = L"td/sounds_sheet.csv");

    // One line of the sheet as read; the sheet's reader, apart so it can be tested alone.
    struct SheetLine {
        std::wstring name;
        std::wstring file;
        int number = 0; // the cell's number truncated; missing or no int: 0
        int tag = 0;
        bool comment = false;
        int cells = 0; // as many as the line holds
    };
    static std::vector<SheetLine> parseSheet(const std::string& text);
    // Restarts the first entry of that name that has a file. True when the table
    // knows the name, also when nothing plays (no file, or a sample that did not load).
    bool play(const std::wstring& name);

    std::vector<std::unique_ptr<Entry>> entries;
    std::map<int, int> tags; // every tag id read, with the value 2
    std::vector<int> spare;  // filled by nothing here
};

} // namespace k2

