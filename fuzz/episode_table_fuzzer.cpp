// Feeds arbitrary bytes as "td/setup_sheet.csv" and asks every question of the table.
#include "Source/TD/World/EpisodeTable.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size)
{
    EpisodeTable table;
    table.parse(std::string(reinterpret_cast<const char*>(data), size));
    for (const auto& [episode, row] : table.rows)
        if (table.levelCount(episode) != row.levelCount || table.starsRequired(episode) != row.starsRequired)
            __builtin_trap();
    if (table.totalLevelCount() < 0)
        __builtin_trap();
    return 0;
}
