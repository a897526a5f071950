#pragma once
// Shortest routes over a level's path graph: Dijkstra's algorithm over the straight
// distances between linked points, with ties kept in point-list order.
#include "Core/Base/Types.h"

#include <memory>
#include <vector>

class TDPoint;
class TDLink;

struct DijkstraNode {
    const TDPoint* point = nullptr;
    DijkstraNode* previous = nullptr;
    float distance = 10000000.0f;
    i32 visited = 0;
    std::vector<i32> neighbours;
};

class DijkstraDataExtractor {
public:
    virtual ~DijkstraDataExtractor() = default;
    virtual void extract(const std::vector<TDPoint*>& points, const std::vector<TDLink*>& links) = 0;

    std::vector<DijkstraNode> nodes;
};

// One node per point, its neighbours the other ends of its links (undirected).
class MapExtractor : public DijkstraDataExtractor {
public:
    void extract(const std::vector<TDPoint*>& points, const std::vector<TDLink*>& links) override;
};

class PathFinder {
public:
    // Builds the graph at once.
    PathFinder(const std::vector<TDPoint*>& points, const std::vector<TDLink*>& links);

    // Point ids from start to goal, both included; empty when the goal is missing,
    // equals the start or cannot be reached from it. Runs once per finder.
    std::vector<i32> FindShortestPath(const TDPoint* start, const TDPoint* goal);

private:
    DijkstraNode* nodeFor(i32 id);

    std::unique_ptr<DijkstraDataExtractor> extractor;
    const std::vector<TDLink*>& links;
};
