#include "Source/TD/World/PathGraph.h"

#include "Core/Base/Log.h"
#include "Source/TD/World/PathFinder.h"
#include "Source/TD/World/QuadraticCurve.h"
#include "Source/TD/World/TDLink.h"
#include "Source/TD/World/TDPoint.h"

#include <algorithm>
#include <cmath>
#include <tinyxml2.h>

template <class T>
void LoadGraphList(const tinyxml2::XMLElement* element, float coordinateScale, std::vector<T*>& list)
{
    DeleteOwnedVector(list);
    if (!element)
        return;
    for (const tinyxml2::XMLElement* child = element->FirstChildElement(); child; child = child->NextSiblingElement())
        list.push_back(new T(child, coordinateScale));
}

template void LoadGraphList<TDPoint>(const tinyxml2::XMLElement*, float, std::vector<TDPoint*>&);
template void LoadGraphList<TDLink>(const tinyxml2::XMLElement*, float, std::vector<TDLink*>&);

TDPoint* FindPointById(const std::vector<TDPoint*>& points, i32 id)
{
    for (TDPoint* point : points)
        if (point->id == id)
            return point;
    return nullptr;
}

TDLink* FindLink(const std::vector<TDLink*>& links, i32 a, i32 b)
{
    for (TDLink* link : links)
        if (link->joins(a, b))
            return link;
    return nullptr;
}

float LinkedDistance(const std::vector<TDLink*>& links, const TDPoint& a, const TDPoint& b)
{
    if (!FindLink(links, a.id, b.id))
        return -1.0f;
    const float dx = a.x - b.x;
    const float dy = a.y - b.y;
    return std::sqrt(dx * dx + dy * dy);
}

std::vector<TDPoint*> LinkedPoints(const std::vector<TDPoint*>& points, const std::vector<TDLink*>& links,
                                   const TDPoint& point)
{
    std::vector<TDPoint*> linked;
    for (const TDLink* link : links) {
        i32 other;
        if (link->sid == point.id)
            other = link->eid;
        else if (link->eid == point.id)
            other = link->sid;
        else
            continue;
        TDPoint* end = FindPointById(points, other);
        if (end && std::find(linked.begin(), linked.end(), end) == linked.end())
            linked.push_back(end);
    }
    return linked;
}

std::optional<QuadraticCurve> LinkCurve(const std::vector<TDPoint*>& points, const TDLink& link)
{
    const TDPoint* start = FindPointById(points, link.sid);
    const TDPoint* end = FindPointById(points, link.eid);
    if (!start || !end)
        return std::nullopt;
    return QuadraticCurve({start->x, start->y}, {link.anchor_x, link.anchor_y}, {end->x, end->y});
}

TDPoint* FirstMarkedPoint(const std::vector<TDPoint*>& points, const char* mark)
{
    for (TDPoint* point : points)
        if (point->params.number(mark) == 1.0f)
            return point;
    return nullptr;
}

TDPoint* LastMarkedPoint(const std::vector<TDPoint*>& points, const char* mark)
{
    TDPoint* last = nullptr;
    for (TDPoint* point : points)
        if (point->params.number(mark) == 1.0f)
            last = point;
    return last;
}

void BuildPathSet(std::vector<TDPoint*>& points, const std::vector<TDLink*>& links,
                  const std::vector<TrackRequest>& requests, TDPathSet& paths, SpawnRoutes* routes)
{
    paths.clear();
    std::vector<TDPoint*> spawns;
    for (TDPoint* point : points)
        if (point->isSpawn())
            spawns.push_back(point);
    TDPoint* goal = LastMarkedPoint(points, "goal");

    for (size_t k = 0; k < spawns.size(); ++k) {
        const TDPoint* spawn = spawns[k];
        PathFinder finder(points, links);
        const std::vector<i32> route = finder.FindShortestPath(spawn, goal);
        if (routes)
            (*routes)[spawn->id] = route;
        if (route.empty()) {
            GE_LOG(L"No route from spawn point %d to the goal: its waves spawn nothing\n") << spawn->id;
            continue;
        }

        // The route's links, each with the point the route enters it from.
        std::vector<std::pair<const TDLink*, const TDPoint*>> steps;
        for (size_t i = 0; i + 1 < route.size(); ++i) {
            const TDPoint* from = FindPointById(points, route[i]);
            const TDPoint* to = FindPointById(points, route[i + 1]);
            const TDLink* link = from && to ? FindLink(links, from->id, to->id) : nullptr;
            if (link)
                steps.emplace_back(link, from);
        }

        // Waves of spawn id -1 start at the first spawn point, so they walk its curves.
        for (const TrackRequest& request : requests) {
            if (request.spawnId != spawn->id && !(request.spawnId == -1 && k == 0))
                continue;
            const int key = TrackKeyForY(request.y);
            for (const auto& [link, from] : steps) {
                const bool reversed = link->sid != from->id;
                TDPathNodeList found;
                paths.find(link, key, found, reversed);
                if (!found.empty())
                    continue;
                const TDPoint* start = FindPointById(points, link->sid);
                const TDPoint* end = FindPointById(points, link->eid);
                if (!start || !end)
                    continue;
                CurvePoint p0{start->x, start->y};
                CurvePoint p2{end->x, end->y};
                if (reversed)
                    std::swap(p0, p2);
                TDPathNodeList nodes;
                SampleQuadraticCurve(nodes, static_cast<float>(key), p0, {link->anchor_x, link->anchor_y}, p2);
                paths.store(link, key, nodes, reversed);
            }
        }
    }
}
