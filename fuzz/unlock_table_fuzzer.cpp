// Feeds arbitrary bytes as "td/unlocks.csv" and asks about every listed level.
#include "Source/TD/World/UnlocksTable.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size)
{
    UnlocksTable table;
    table.parse(std::string(reinterpret_cast<const char*>(data), size));
    const auto entries = table.mTable;
    for (const auto& [key, ids] : entries) {
        for (int id : ids)
            table.isUnlockedAt(key.first, key.second, id);
        table.isUnlockedAt(key.first, key.second, -1);
    }
    table.isUnlockedAt(0, 0, 10000);
    return 0;
}
