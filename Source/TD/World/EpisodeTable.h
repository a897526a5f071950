#pragma once
// The episode table of "td/setup_sheet.csv": how many levels each episode has and how
// many stars open it.
#include <map>
#include <string>

struct EpisodeRow {
    int levelCount = 0;
    int starsRequired = 0;
};

class EpisodeTable {
public:
    // Adds (or replaces) the rows of the sheet; rows are never removed, so a reload
    // keeps episodes the new sheet no longer has. A missing file adds nothing.
    void load(const std::wstring& path = L"td/setup_sheet.csv");
    // Rows other than the header that are no episode row are skipped with one line.
    void parse(const std::string& text, const std::wstring& path = L"td/setup_sheet.csv");

    // -1 when the episode has no row.
    int levelCount(int episode) const;
    int starsRequired(int episode) const;
    // Positive level counts of episodes 0, 1, 2, ... up to the first missing episode.
    int totalLevelCount() const;

    std::map<int, EpisodeRow> rows;
};
