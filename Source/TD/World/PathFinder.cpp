#include "Source/TD/World/PathFinder.h"

#include "Source/TD/World/PathGraph.h"
#include "Source/TD/World/TDLink.h"
#include "Source/TD/World/TDPoint.h"

#include <algorithm>
#include <cmath>

void MapExtractor::extract(const std::vector<TDPoint*>& points, const std::vector<TDLink*>& links)
{
    nodes.clear();
    nodes.reserve(points.size());
    for (const TDPoint* point : points) {
        DijkstraNode node;
        node.point = point;
        for (const TDPoint* linked : LinkedPoints(points, links, *point))
            node.neighbours.push_back(linked->id);
        nodes.push_back(std::move(node));
    }
}

PathFinder::PathFinder(const std::vector<TDPoint*>& points, const std::vector<TDLink*>& links)
    : extractor(std::make_unique<MapExtractor>()), links(links)
{
    extractor->extract(points, links);
}

DijkstraNode* PathFinder::nodeFor(i32 id)
{
    for (DijkstraNode& node : extractor->nodes)
        if (node.point->id == id)
            return &node;
    return nullptr;
}

std::vector<i32> PathFinder::FindShortestPath(const TDPoint* start, const TDPoint* goal)
{
    if (!start || !goal || start->id == goal->id)
        return {};
    DijkstraNode* current = nodeFor(start->id);
    if (!current)
        return {};
    current->distance = 0.0f;
    while (current) {
        current->visited = 1;
        for (const i32 id : current->neighbours) {
            DijkstraNode* next = nodeFor(id);
            if (!next || next->visited)
                continue;
            const float dx = current->point->x - next->point->x;
            const float dy = current->point->y - next->point->y;
            const float weight = std::sqrt(dx * dx + dy * dy);
            if (next->distance > current->distance + weight) {
                next->previous = current;
                next->distance = current->distance + LinkedDistance(links, *current->point, *next->point);
            }
        }
        // The unvisited node nearest so far, the first on ties; unreached ones still qualify.
        current = nullptr;
        for (DijkstraNode& node : extractor->nodes)
            if (!node.visited && node.distance < 10000001.0f && (!current || node.distance < current->distance))
                current = &node;
    }
    // Walk back from the goal; a goal never reached has no predecessor to follow.
    std::vector<i32> route;
    const DijkstraNode* node = nodeFor(goal->id);
    const size_t limit = extractor->nodes.size();
    while (node && route.size() <= limit) {
        route.push_back(node->point->id);
        if (node->point->id == start->id) {
            std::reverse(route.begin(), route.end());
            return route;
        }
        node = node->previous;
    }
    return {};
}
