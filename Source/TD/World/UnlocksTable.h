#pragma once
// "td/unlocks.csv": which tower, spell and upgrade ids are available at each level.
#include <map>
#include <string>
#include <utility>
#include <vector>

class PlayerProgress;

class UnlocksTable {
public:
    // An empty table that answers for no level.
    UnlocksTable() = default;
    // Reads "td/unlocks.csv"; `episode` and `level` are the level object's 0-based
    // indexes, read at each isUnlocked.
    UnlocksTable(const int* episode, const int* level, const std::wstring& path = L"td/unlocks.csv");

    void load(const std::wstring& path);
    // Lines "episode;level;id,id,..."; a later line for the same pair replaces it. Lines
    // of another form and ids that are no number are skipped, with a line naming `path`.
    void parse(const std::string& text, const std::wstring& path = L"td/unlocks.csv");

    // The id list of (episode, level); an absent pair reads (and is kept) as empty.
    const std::vector<int>& idsAt(int episode, int level);
    // True when `id` comes before the end of the pair's list and before any -1.
    bool isUnlockedAt(int episode, int level, int id);
    // The same for the level object's current level.
    bool isUnlocked(int id);
    // The same for the furthest level the player has reached (the upgrade shop).
    bool isUnlockedByProgress(int id, PlayerProgress& progress);

    std::map<std::pair<int, int>, std::vector<int>> mTable;

private:
    const int* mEpisode = nullptr;
    const int* mLevel = nullptr;
};
