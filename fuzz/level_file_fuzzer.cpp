// Feeds arbitrary bytes as a level file: points, links, spots and waves are read and
// the routes and curves of every spawn point built, as a level load does.
#include "Source/TD/Towers/TDSpot.h"
#include "Source/TD/World/PathGraph.h"
#include "Source/TD/World/TDLink.h"
#include "Source/TD/World/TDPoint.h"
#include "Source/TD/World/TDWaves.h"

#include <string>
#include <tinyxml2.h>

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    tinyxml2::XMLDocument document;
    if (document.Parse(text.c_str(), text.size()) != tinyxml2::XML_SUCCESS)
        return 0;
    const tinyxml2::XMLElement* map = document.FirstChildElement("map");
    if (!map)
        return 0;
    std::vector<TDPoint*> points;
    std::vector<TDLink*> links;
    std::vector<TDSpot*> spots;
    TDWaves waves;
    LoadGraphList(map->FirstChildElement("points"), 1.0f, points);
    LoadGraphList(map->FirstChildElement("links"), 1.0f, links);
    TDSpot::loadAll(map->FirstChildElement("spots"), spots);
    waves.load(map->FirstChildElement("waves"));
    // Sampling costs about 20000 curve evaluations per link and track: keep inputs
    // small enough that one run stays quick.
    const std::vector<TrackRequest> requests = waves.trackRequests();
    if (points.size() <= 64 && links.size() <= 64 && requests.size() <= 64) {
        TDPathSet paths;
        SpawnRoutes routes;
        BuildPathSet(points, links, requests, paths, &routes);
        for (const auto& [spawn, route] : routes)
            for (size_t i = 0; i + 1 < route.size(); ++i) {
                TDPathNodeList nodes;
                paths.findAlongRoute(FindLink(links, route[i], route[i + 1]), 0, route[i], nodes);
            }
    }
    waves.reset();
    DeleteOwnedVector(points);
    DeleteOwnedVector(links);
    DeleteOwnedVector(spots);
    return 0;
}
