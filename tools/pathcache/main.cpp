// pathcache LEVEL.xml OUT.cache: the curves of every route of the level, from each
// spawn point to the goal, for the tracks its waves use, as a path cache file.
#include "Source/TD/World/PathCache.h"
#include "Source/TD/World/PathGraph.h"
#include "Source/TD/World/TDLink.h"
#include "Source/TD/World/TDPoint.h"
#include "tools/common/ToolFiles.h"

#include <cstdio>
#include <tinyxml2.h>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: pathcache LEVEL.xml OUT.cache\n");
        return 2;
    }
    std::string text;
    tinyxml2::XMLDocument document;
    if (!tools::ReadAll(argv[1], text) || document.Parse(text.c_str(), text.size()) != tinyxml2::XML_SUCCESS ||
        !document.FirstChildElement("map")) {
        std::fprintf(stderr, "pathcache: %s is no level file\n", argv[1]);
        return 1;
    }
    const tinyxml2::XMLElement* map = document.FirstChildElement("map");
    std::vector<TDPoint*> points;
    std::vector<TDLink*> links;
    LoadGraphList(map->FirstChildElement("points"), 1.0f, points);
    LoadGraphList(map->FirstChildElement("links"), 1.0f, links);

    // Every entry of every wave asks for the track its y selects.
    std::vector<TrackRequest> requests;
    if (const tinyxml2::XMLElement* waves = map->FirstChildElement("waves"))
        for (const tinyxml2::XMLElement* wave = waves->FirstChildElement("wave"); wave;
             wave = wave->NextSiblingElement())
            for (const tinyxml2::XMLElement* entry = wave->FirstChildElement(); entry;
                 entry = entry->NextSiblingElement())
                requests.push_back({ReadIntAttribute(wave, "spawn"), ReadFloatAttribute(entry, "y")});

    TDPathSet paths;
    SpawnRoutes routes;
    BuildPathSet(points, links, requests, paths, &routes);
    int result = 0;
    for (const auto& [spawn, route] : routes)
        if (route.empty()) {
            std::fprintf(stderr, "pathcache: spawn point %d has no route to the goal\n", spawn);
            result = 1;
        }
    const std::vector<u8> bytes = WritePathCache(paths, links);
    if (result == 0 && !tools::ReplaceFile(argv[2], std::vector<unsigned char>(bytes.begin(), bytes.end()))) {
        std::fprintf(stderr, "pathcache: cannot write %s\n", argv[2]);
        result = 1;
    }
    DeleteOwnedVector(points);
    DeleteOwnedVector(links);
    return result;
}
