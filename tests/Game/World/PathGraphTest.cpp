// The path graph of a level: point and link lists, shortest routes, curve sampling and
// the path set built from them.
#include "Source/TD/World/PathFinder.h"
#include "Source/TD/World/PathGraph.h"
#include "Source/TD/World/QuadraticCurve.h"
#include "Source/TD/World/TDLink.h"
#include "Source/TD/World/TDMap.h"
#include "Source/TD/World/TDPoint.h"
#include "tests/Support/LogCapture.h"

#include <cmath>
#include <gtest/gtest.h>
#include <string>
#include <tinyxml2.h>
#include <vector>

namespace {

struct P {
    int id;
    float x, y;
    float spawn = 0.0f;
    float goal = 0.0f;
};
struct L {
    int sid, eid;
    float ax = 0.0f, ay = 0.0f; // anchor; 0, 0 means the middle of the two points
};

// A graph from tables, built through the level file's readers.
class Graph {
public:
    Graph(const std::vector<P>& points, const std::vector<L>& links)
    {
        std::string xml = "<map><points>";
        for (const P& p : points) {
            xml += "<point id='" + std::to_string(p.id) + "' x='" + std::to_string(p.x) + "' y='" +
                   std::to_string(p.y) + "'>";
            if (p.spawn != 0.0f)
                xml += "<param name='spawn' value='" + std::to_string(p.spawn) + "'/>";
            if (p.goal != 0.0f)
                xml += "<param name='goal' value='" + std::to_string(p.goal) + "'/>";
            xml += "</point>";
        }
        xml += "</points><links>";
        for (const L& l : links) {
            float ax = l.ax, ay = l.ay;
            if (ax == 0.0f && ay == 0.0f) {
                const P* a = nullptr;
                const P* b = nullptr;
                for (const P& p : points) {
                    if (p.id == l.sid && !a)
                        a = &p;
                    if (p.id == l.eid && !b)
                        b = &p;
                }
                if (a && b) {
                    ax = (a->x + b->x) / 2;
                    ay = (a->y + b->y) / 2;
                }
            }
            xml += "<!-- a comment --><link sid='" + std::to_string(l.sid) + "' eid='" + std::to_string(l.eid) +
                   "' anchor_x='" + std::to_string(ax) + "' anchor_y='" + std::to_string(ay) + "'/>";
        }
        xml += "</links></map>";
        doc.Parse(xml.c_str());
        auto* map = doc.FirstChildElement("map");
        LoadGraphList(map->FirstChildElement("points"), 1.0f, this->points);
        LoadGraphList(map->FirstChildElement("links"), 1.0f, this->links);
    }
    ~Graph()
    {
        DeleteOwnedVector(points);
        DeleteOwnedVector(links);
    }
    TDPoint* point(int id) { return FindPointById(points, id); }
    std::vector<int> route(int from, int to)
    {
        PathFinder finder(points, links);
        return finder.FindShortestPath(point(from), point(to));
    }

    tinyxml2::XMLDocument doc;
    std::vector<TDPoint*> points;
    std::vector<TDLink*> links;
};

// A level object holding the graph's points and links.
struct LevelGraph {
    LevelGraph(const std::vector<P>& points, const std::vector<L>& links) : graph(points, links)
    {
        map.mPoints.swap(graph.points);
        map.mLinks.swap(graph.links);
    }
    std::vector<int> linkedIds(int id) const
    {
        std::vector<int> ids;
        for (const TDPoint* point : map.linkedPoints(*FindPointById(map.mPoints, id)))
            ids.push_back(point->id);
        return ids;
    }
    Graph graph;
    TDMap map;
};

const std::vector<P> kSquare = {{1, 0, 0}, {2, 100, 0}, {3, 100, 100}, {4, 0, 100}};
const std::vector<L> kSquareLinks = {{1, 2}, {2, 3}, {3, 4}, {4, 1}};

} // namespace

TEST(PathGraph, ShortestRoutes)
{
    struct Case {
        const char* what;
        std::vector<P> points;
        std::vector<L> links;
        int from, to;
        std::vector<int> route;
    };
    const std::vector<Case> cases = {
        // 2 and 4 tie at 100: 2 comes first in the list and reaches 3 at 200; 4's equal
        // offer of 200 later does not replace it.
        {"square: both ways tie, the earlier point wins", kSquare, kSquareLinks, 1, 3, {1, 2, 3}},
        {"square listed the other way round", {{1, 0, 0}, {4, 0, 100}, {3, 100, 100}, {2, 100, 0}}, kSquareLinks,
         1, 3, {1, 4, 3}},
        {"link order does not decide ties", kSquare, {{4, 1}, {3, 4}, {2, 3}, {1, 2}}, 1, 3, {1, 2, 3}},
        {"shorter way around beats fewer links", {{1, 0, 0}, {2, 50, 10}, {3, 100, 0}, {4, 50, 500}},
         {{1, 4}, {4, 3}, {1, 2}, {2, 3}}, 1, 3, {1, 2, 3}},
        {"links are undirected", kSquare, kSquareLinks, 3, 1, {3, 2, 1}},
        {"unreachable goal: no route", {{1, 0, 0}, {2, 10, 0}, {3, 50, 50}}, {{1, 2}}, 1, 3, {}},
        {"goal equal to start: no route", kSquare, kSquareLinks, 2, 2, {}},
        {"a link to a missing point is no edge", {{1, 0, 0}, {2, 10, 0}}, {{1, 9}, {9, 2}}, 1, 2, {}},
    };
    for (const Case& c : cases) {
        Graph g(c.points, c.links);
        EXPECT_EQ(g.route(c.from, c.to), c.route) << c.what;
    }
    Graph g(kSquare, kSquareLinks);
    PathFinder finder(g.points, g.links);
    EXPECT_TRUE(finder.FindShortestPath(g.point(1), nullptr).empty()) << "no goal point";
}

TEST(PathGraph, ListOperations)
{
    LogCapture log;
    Graph g({{3, 0, 0}, {7, 30, 40}, {8, 0, 0}}, {{3, 7}, {7, 3}, {8, 8}});
    EXPECT_EQ(g.links.size(), 3u) << "comments between links are skipped";
    EXPECT_EQ(log.Count(L"link loaded!"), 3);
    EXPECT_EQ(log.Count(L"new td point (30, 40)#7!"), 1);
    EXPECT_EQ(FindLink(g.links, 3, 7), g.links[0]);
    EXPECT_EQ(FindLink(g.links, 7, 3), g.links[0]);
    EXPECT_EQ(FindLink(g.links, 7, 7), g.links[0]) << "(a, a): the first link with a at an end";
    EXPECT_EQ(FindLink(g.links, 3, 8), nullptr);
    EXPECT_FLOAT_EQ(LinkedDistance(g.links, *g.point(3), *g.point(7)), 50.0f);
    EXPECT_FLOAT_EQ(LinkedDistance(g.links, *g.point(3), *g.point(8)), -1.0f) << "same place, not linked";

    std::vector<TDPoint*> empty;
    EXPECT_EQ(FindLink({}, 1, 2), nullptr);
    DeleteOwnedVector(empty);
    EXPECT_EQ(empty.capacity(), 0u);
}

TEST(PathGraph, SpawnAndGoalMarksAreExact)
{
    Graph g({{1, 0, 0, 2.0f}, {2, 10, 0, 1.0f}, {3, 20, 0, 0, 0.5f}, {4, 30, 0, 0, 1.0f}, {5, 40, 0, 0, 1.0f}},
            {{1, 2}, {2, 3}, {3, 4}, {4, 5}});
    EXPECT_EQ(FirstMarkedPoint(g.points, "spawn"), g.point(2));
    EXPECT_EQ(FirstMarkedPoint(g.points, "goal"), g.point(4));
    EXPECT_EQ(LastMarkedPoint(g.points, "goal"), g.point(5));

    SpawnRoutes routes;
    TDPathSet paths;
    BuildPathSet(g.points, g.links, {{2, -65.0f}}, paths, &routes);
    ASSERT_EQ(routes.size(), 1u) << "spawn 2.0 is no spawn point";
    EXPECT_EQ(routes[2], (std::vector<int>{2, 3, 4, 5})) << "routes go to the last goal";
}

TEST(PathGraph, TrackKeys)
{
    const std::vector<std::pair<float, int>> table = {{-65.0f, 0}, {-130.0f, 20}, {-97.5f, 10}, {0.0f, -20},
                                                       {-70.0f, 1}, {-60.0f, -1}};
    for (const auto& [y, key] : table)
        EXPECT_EQ(TrackKeyForY(y), key) << "y " << y;
}

TEST(PathGraph, CurveSampling)
{
    // A straight link along x: about 20 nodes 5 apart, normal (0, 1).
    TDPathNodeList nodes;
    SampleQuadraticCurve(nodes, 0.0f, {0, 0}, {50, 0}, {100, 0});
    ASSERT_GE(nodes.size(), 19u);
    ASSERT_LE(nodes.size(), 21u);
    for (size_t i = 0; i < nodes.size(); ++i) {
        EXPECT_NEAR(nodes[i]->x, 5.0f * static_cast<float>(i), 0.1f) << i;
        EXPECT_EQ(nodes[i]->y, 0.0f);
        EXPECT_NEAR(nodes[i]->nx, 0.0f, 1e-6f);
        EXPECT_NEAR(nodes[i]->ny, 1.0f, 1e-6f);
        EXPECT_EQ(nodes[i]->mark, 0u);
    }

    // Shifted by a track: every node lies offset units off the curve, along its normal.
    TDPathNodeList bent;
    const QuadraticCurve curve({0, 0}, {100, 100}, {200, 0});
    SampleQuadraticCurve(bent, 20.0f, curve.p0, curve.p1, curve.p2);
    ASSERT_GE(bent.size(), 19u);
    for (size_t i = 0; i + 1 < bent.size(); ++i) {
        EXPECT_NEAR(std::hypot(bent[i]->nx, bent[i]->ny), 1.0f, 1e-4f);
        const float gap = std::hypot(bent[i + 1]->x - bent[i]->x, bent[i + 1]->y - bent[i]->y);
        EXPECT_NEAR(gap, OffsetCurveLength(curve, 20.0f) / 20.0f, 0.5f) << i;
    }
    // The normal stays on one side of travel, also where it is taken backwards at t = 1.
    const CurvePoint atEnd = CurveNormal(curve, 1.0f);
    const CurvePoint nearEnd = CurveNormal(curve, 0.985f);
    EXPECT_GT(atEnd.x * nearEnd.x + atEnd.y * nearEnd.y, 0.9f);

    // A link without length is one node, not an endless walk.
    TDPathNodeList point;
    SampleQuadraticCurve(point, 20.0f, {5, 5}, {5, 5}, {5, 5});
    ASSERT_EQ(point.size(), 1u);
    EXPECT_EQ(point[0]->x, 5.0f);
    EXPECT_EQ(point[0]->nx, 0.0f);
}

TEST(PathGraph, BuildPathSet)
{
    LogCapture log;
    // Spawns 1 and 5; link 2-3 is written against the route (3 -> 2); 9 is an island
    // spawn point the goal cannot be reached from.
    Graph g({{1, 0, 0, 1.0f}, {2, 100, 0}, {3, 200, 0}, {4, 300, 0, 0, 1.0f}, {5, 0, 200, 1.0f}, {9, 900, 900, 1.0f}},
            {{1, 2}, {3, 2, 150, 50}, {3, 4}, {5, 3}});
    const std::vector<TrackRequest> requests = {
        {1, -65.0f}, {1, -65.0f}, // two entries on one track share a curve
        {-1, -130.0f},           // spawn -1: the first spawn point
        {5, -65.0f},  {9, -65.0f}, {42, -65.0f},
    };
    SpawnRoutes routes;
    TDPathSet paths;
    BuildPathSet(g.points, g.links, requests, paths, &routes);

    EXPECT_EQ(routes[1], (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(routes[5], (std::vector<int>{5, 3, 4}));
    EXPECT_TRUE(routes[9].empty());
    EXPECT_EQ(log.Count(L"No route from spawn point 9 to the goal"), 1);
    EXPECT_EQ(log.Count(L"No route"), 1);

    const TDLink* first = g.links[0];
    const TDLink* backwards = g.links[1];
    TDPathNodeList a, b;
    paths.find(first, 0, a);
    paths.find(first, 20, b);
    EXPECT_FALSE(a.empty());
    EXPECT_FALSE(b.empty()) << "the spawn -1 wave's track is sampled for the first spawn point";
    EXPECT_EQ(paths.entries.size(), 4u) << "one entry per link, shared by both entries of track 0";

    // The route enters link 3-2 at point 2: its curve starts at 2 and ends near 3.
    TDPathNodeList walk;
    paths.findAlongRoute(backwards, 0, 2, walk);
    ASSERT_FALSE(walk.empty());
    EXPECT_NEAR(walk.front()->x, 100.0f, 0.01f);
    EXPECT_GT(walk.back()->x, 190.0f);
    TDPathNodeList forward;
    paths.find(backwards, 0, forward);
    EXPECT_TRUE(forward.empty()) << "no route walks 3 -> 2";
    // Track 20 lies on the same side of travel as on the first link (to the right of +x).
    TDPathNodeList shifted;
    paths.findAlongRoute(backwards, 20, 2, shifted);
    ASSERT_FALSE(shifted.empty());
    EXPECT_GT(shifted.front()->y, 10.0f);
    EXPECT_GT(b.front()->y, 10.0f);
}

TEST(PathGraph, PathSetLookups)
{
    TDLink link(1, 2, 0, 0);
    TDLink other(2, 3, 0, 0);
    TDPathSet paths;
    TDPathNodeList nodes = {std::make_shared<TDPathNode>()};
    paths.store(&link, 5, nodes);
    TDPathNodeList out = {std::make_shared<TDPathNode>()};
    const TDPathNodeList before = out;
    paths.find(&link, 6, out);
    EXPECT_EQ(out, before) << "a missing track leaves out as it was";
    paths.find(&other, 5, out);
    EXPECT_EQ(out, before);
    EXPECT_EQ(paths.entries.size(), 1u) << "find creates no entry";
    paths.find(&link, 5, out);
    EXPECT_EQ(out, nodes) << "nodes are shared, not copied";
    // A cached curve (no reverse curve) walked from its end comes in reverse order.
    TDPathNodeList two = {std::make_shared<TDPathNode>(), std::make_shared<TDPathNode>()};
    paths.store(&other, 0, two);
    TDPathNodeList walk;
    paths.findAlongRoute(&other, 0, 3, walk);
    ASSERT_EQ(walk.size(), 2u);
    EXPECT_EQ(walk[0], two[1]);
}

TEST(PathGraph, LinkedPointsAreTheGraphNeighbours)
{
    // Links in either direction, a second link to the same point, one to a point the
    // level lacks, one from a point to itself.
    LevelGraph level({{1, 0, 0}, {2, 100, 0}, {3, 0, 100}, {4, 50, 50}, {5, 200, 0}},
                     {{1, 2}, {3, 1}, {2, 1}, {1, 9}, {4, 4}, {2, 5}});
    struct Case {
        int id;
        std::vector<int> linked;
    } cases[] = {{1, {2, 3}}, {2, {1, 5}}, {4, {4}}, {5, {2}}};
    for (const Case& c : cases)
        EXPECT_EQ(level.linkedIds(c.id), c.linked) << "point " << c.id;
    LevelGraph lonely({{1, 0, 0}, {2, 10, 0}}, {});
    EXPECT_TRUE(lonely.linkedIds(1).empty());
}

TEST(PathGraph, CurveNormalLooksAheadAlongTheLink)
{
    // 1 -> 2 straight along x; 3 -> 4 straight down y; 5 -> 6 bent; 7 -> 7 a link that
    // does not move; 1 -> 9 a link whose end the level lacks.
    LevelGraph level({{1, 0, 0}, {2, 100, 0}, {3, 0, 0}, {4, 0, 100}, {5, 0, 0}, {6, 100, 100}, {7, 5, 5}},
                     {{1, 2}, {3, 4}, {5, 6, 100, 0}, {7, 7, 5, 5}, {1, 9}});
    const std::vector<TDLink*>& links = level.map.mLinks;
    const QuadraticCurve bent({0, 0}, {100, 0}, {100, 100});
    // The normal (-dy, dx) of the step from B(t) to B(t + 0.01), past the end too.
    const auto expected = [&](float t) {
        const CurvePoint a = bent.point(t), b = bent.point(t + 0.01f);
        const float length = std::hypot(b.x - a.x, b.y - a.y);
        return CurvePoint{-(b.y - a.y) / length, (b.x - a.x) / length};
    };
    struct Case {
        size_t link;
        float t;
        CurvePoint normal;
    } cases[] = {
        {0, 0.5f, {0, 1}},  {0, 1.0f, {0, 1}},       {0, 3.0f, {0, 1}} /* t over 1 reads 1 */,
        {1, 0.2f, {-1, 0}}, {2, 0.3f, expected(0.3f)}, {2, 1.0f, expected(1.0f)},
        {2, 5.0f, expected(1.0f)}, {3, 0.5f, {0, 0}}, {4, 0.5f, {0, 0}},
    };
    for (const Case& c : cases) {
        const CurvePoint n = level.map.curveNormal(*links[c.link], c.t);
        EXPECT_NEAR(n.x, c.normal.x, 1e-4) << "link " << c.link << " t " << c.t;
        EXPECT_NEAR(n.y, c.normal.y, 1e-4) << "link " << c.link << " t " << c.t;
    }
    // At the end the step runs on beyond the end point, still in the direction of
    // travel (down), so the normal points left.
    const CurvePoint end = level.map.curveNormal(*links[2], 1.0f);
    EXPECT_NEAR(end.x, -1.0f, 1e-3);
    EXPECT_NEAR(end.y, 0.0f, 1e-2);
}

TEST(PathGraph, AdvanceOnOffsetCurveWalksTheShiftedCurve)
{
    // A straight link 100 long and a bend whose normal points into the turn.
    LevelGraph level({{1, 0, 0}, {2, 100, 0}, {3, 0, 0}, {4, 100, 100}},
                     {{1, 2}, {3, 4, 100, 0}, {1, 9}});
    const TDMap& map = level.map;
    const TDLink& straight = *map.mLinks[0];
    const TDLink& bend = *map.mLinks[1];
    struct Case {
        float t, offset, distance, reached;
    } cases[] = {
        {0.0f, 0.0f, 25.0f, 0.25f},  // a quarter of the link
        {0.0f, 12.0f, 25.0f, 0.25f}, // a parallel track is as long
        {0.5f, -8.0f, 30.0f, 0.8f},  // from the middle
        {0.4f, 0.0f, 0.0f, 0.4f},    // no distance: t stays
        {0.9f, 0.0f, 500.0f, 1.0f},  // past the end: the walk stops just over 1
    };
    for (const Case& c : cases)
        EXPECT_NEAR(map.advanceOnOffsetCurve(straight, c.t, c.offset, c.distance), c.reached, 0.0015f)
            << "from " << c.t << " offset " << c.offset << " for " << c.distance;
    EXPECT_GT(map.advanceOnOffsetCurve(straight, 0.9f, 0.0f, 500.0f), 1.0f);

    // The inner track of the bend is shorter, so the same walk gets further along it.
    const float middle = map.advanceOnOffsetCurve(bend, 0.0f, 0.0f, 60.0f);
    const float inner = map.advanceOnOffsetCurve(bend, 0.0f, 20.0f, 60.0f);
    const float outer = map.advanceOnOffsetCurve(bend, 0.0f, -20.0f, 60.0f);
    EXPECT_GT(inner, middle);
    EXPECT_LT(outer, middle);
    // The walked length along the shifted curve is the distance asked for.
    const QuadraticCurve curve({0, 0}, {100, 0}, {100, 100});
    float walked = 0.0f;
    CurvePoint previous{0.0f, 20.0f};
    for (float t = 0.001f; t <= inner + 1e-6f; t += 0.001f) {
        const CurvePoint p = curve.point(t), n = map.curveNormal(bend, t);
        const CurvePoint q{p.x + 20.0f * n.x, p.y + 20.0f * n.y};
        walked += std::hypot(q.x - previous.x, q.y - previous.y);
        previous = q;
    }
    EXPECT_NEAR(walked, 60.0f, 0.5f);

    // A link whose end the level lacks leaves t where it was.
    EXPECT_FLOAT_EQ(map.advanceOnOffsetCurve(*map.mLinks[2], 0.3f, 0.0f, 10.0f), 0.3f);
}
