#pragma once
// What a level file may hold: the limits a level is cut to, so that a damaged or
// hostile file cannot stall the game, the values read into their ranges, and the
// path graphs the game plays but that no level should have. Each is told in one log
// line naming the file.
#include "Source/TD/World/PathGraph.h"

#include <string>
#include <vector>

namespace tinyxml2 {
class XMLElement;
}
class TDLink;
class TDPathSet;
class TDPoint;

// Cuts the level's build spots, points, links, waves and the units of each wave to
// what a level can have, leaving out the rest of each with one log line.
void BoundLevel(tinyxml2::XMLElement& map, const std::wstring& path);
// Reads the budget and the waves' timeouts and wipe awards into their ranges.
void CheckLevelValues(tinyxml2::XMLElement& map, const std::wstring& path);
// Tells of goals and spawn points missing or doubled, links that lead nowhere,
// points no unit reaches, loops, links walked against their direction and the spawn
// ids the waves name; changes nothing.
void CheckLevelGraph(const std::vector<TDPoint*>& points, const std::vector<TDLink*>& links,
                     const std::vector<TrackRequest>& requests, const std::wstring& path);
// Whether a path cache read for the level's links fits them; `why` says how not.
bool PathCacheFits(const TDPathSet& paths, const std::vector<TDPoint*>& points, std::wstring& why);
