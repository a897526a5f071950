#pragma once
// Operations on a level's point and link lists, and the building of its path set:
// one route per spawn point to the goal, each link of a route sampled for every track
// its waves use.
#include "Core/Base/Types.h"
#include "Source/TD/World/QuadraticCurve.h"
#include "Source/TD/World/TDPathSet.h"

#include <map>
#include <optional>
#include <utility>
#include <vector>

class TDPoint;
class TDLink;

namespace tinyxml2 {
class XMLElement;
}

// Frees every element front to back and leaves the list empty without capacity.
template <class T> void DeleteOwnedVector(std::vector<T*>& list)
{
    for (T* item : list)
        delete item;
    std::vector<T*>().swap(list);
}

// Empties the list, then appends one record per child element (other nodes skipped),
// built by the record's constructor with the level's coordinate scale.
template <class T>
void LoadGraphList(const tinyxml2::XMLElement* element, float coordinateScale, std::vector<T*>& list);

// The first match in list order, or null.
TDPoint* FindPointById(const std::vector<TDPoint*>& points, i32 id);
// The first link with a at one end and b at the other, either way round.
TDLink* FindLink(const std::vector<TDLink*>& links, i32 a, i32 b);
// Straight distance of two linked points; -1.0 when no link joins them.
float LinkedDistance(const std::vector<TDLink*>& links, const TDPoint& a, const TDPoint& b);
// The points at the other end of every link that starts or ends at `point`, each once,
// in link order (a link from the point to itself gives the point); ends that name no
// point are left out. The path graph's neighbours.
std::vector<TDPoint*> LinkedPoints(const std::vector<TDPoint*>& points, const std::vector<TDLink*>& links,
                                   const TDPoint& point);
// The link's curve from its `sid` point over its anchor to its `eid` point; none when
// either point is missing.
std::optional<QuadraticCurve> LinkCurve(const std::vector<TDPoint*>& points, const TDLink& link);
// The first point whose mark is exactly 1.0, or null.
TDPoint* FirstMarkedPoint(const std::vector<TDPoint*>& points, const char* mark);
// The last point whose mark is exactly 1.0, or null.
TDPoint* LastMarkedPoint(const std::vector<TDPoint*>& points, const char* mark);

// One wave entry's need of a curve: the spawn id of its wave (-1: the first spawn
// point) and its y, which selects the track.
struct TrackRequest {
    i32 spawnId = 0;
    float y = 0.0f;
};

// The routes found, by spawn point id; a spawn point the goal cannot be reached from
// has an empty route.
using SpawnRoutes = std::map<i32, std::vector<i32>>;

// Fills `paths` (emptied first) with the curves of every route from a spawn point to
// the last goal point, sampled in route direction for the tracks of the waves of that
// spawn point. Logs one line per spawn point without a route.
void BuildPathSet(std::vector<TDPoint*>& points, const std::vector<TDLink*>& links,
                  const std::vector<TrackRequest>& requests, TDPathSet& paths, SpawnRoutes* routes = nullptr);
