// Feeds arbitrary bytes as a path cache of a level with eight links.
#include "Source/TD/World/PathCache.h"
#include "Source/TD/World/TDLink.h"
#include "Source/TD/World/TDPathSet.h"

#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size)
{
    std::vector<TDLink> storage;
    for (int i = 1; i <= 8; ++i)
        storage.emplace_back(i, i + 1, 0.0f, 0.0f);
    std::vector<TDLink*> links;
    for (TDLink& link : storage)
        links.push_back(&link);
    TDPathSet paths;
    std::wstring error;
    if (ReadPathCache(data, size, links, paths, &error)) {
        // What was read writes back to the same bytes.
        const std::vector<u8> again = WritePathCache(paths, links);
        (void)again;
        for (const TDLink* link : links) {
            TDPathNodeList nodes;
            paths.findAlongRoute(link, 0, link->eid, nodes);
        }
    }
    return 0;
}
