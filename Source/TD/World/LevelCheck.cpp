#include "Source/TD/World/LevelCheck.h"
#include "Core/Base/Log.h"
#include "Core/Base/StringEncoding.h"
#include "Source/TD/World/PathFinder.h"
#include "Source/TD/World/TDLink.h"
#include "Source/TD/World/TDPathSet.h"
#include "Source/TD/World/TDPoint.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <set>
#include <tinyxml2.h>

namespace {

// What a level can hold and the game still draw and play at its pace; a file beyond
// them (a damaged or hostile one) is cut to them.
constexpr int kMaxSpots = 200;
constexpr int kMaxPoints = 1000;
constexpr int kMaxLinks = 2000;
constexpr int kMaxWaves = 500;
constexpr int kMaxWaveUnits = 1000;
// Money and seconds that a level may name.
constexpr int kMaxBudget = 1000000;
constexpr int kMaxWaveTime = 3600;

// Keeps the first `limit` child elements of `parent` (those named `tag`, or all); one
// log line when more were there.
void KeepFirst(tinyxml2::XMLElement* parent, const char* tag, int limit, const wchar_t* what,
               const std::wstring& path)
{
    if (!parent)
        return;
    int count = 0;
    tinyxml2::XMLElement* e = tag ? parent->FirstChildElement(tag) : parent->FirstChildElement();
    while (e) {
        tinyxml2::XMLElement* next = tag ? e->NextSiblingElement(tag) : e->NextSiblingElement();
        if (++count > limit)
            parent->DeleteChild(e);
        e = next;
    }
    if (count > limit)
        GE_LOG(L"Level file '%s' holds %d %s, more than the %d a level can have; the rest are left out.\n")
            << path << count << what << limit;
}

} // namespace

void BoundLevel(tinyxml2::XMLElement& map, const std::wstring& path)
{
    KeepFirst(map.FirstChildElement("spots"), "spot", kMaxSpots, L"build spots", path);
    KeepFirst(map.FirstChildElement("points"), nullptr, kMaxPoints, L"points", path);
    KeepFirst(map.FirstChildElement("links"), nullptr, kMaxLinks, L"links", path);
    tinyxml2::XMLElement* waves = map.FirstChildElement("waves");
    KeepFirst(waves, "wave", kMaxWaves, L"waves", path);
    int crowded = 0, units = 0;
    for (tinyxml2::XMLElement* wave = waves ? waves->FirstChildElement("wave") : nullptr; wave;
         wave = wave->NextSiblingElement("wave")) {
        int count = 0;
        for (tinyxml2::XMLElement* e = wave->FirstChildElement(); e;) {
            tinyxml2::XMLElement* next = e->NextSiblingElement();
            if (++count > kMaxWaveUnits)
                wave->DeleteChild(e);
            e = next;
        }
        if (count > kMaxWaveUnits) {
            ++crowded;
            units = std::max(units, count);
        }
    }
    if (crowded)
        GE_LOG(L"Level file '%s' has %d waves of more than %d units (up to %d); each keeps its first %d.\n")
            << path << crowded << kMaxWaveUnits << units << kMaxWaveUnits;
}


namespace {

// The attribute as a number, whatever its notation; NaN when it is none.
double Number(const char* text)
{
    if (!text)
        return std::nan("");
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    return end == text ? std::nan("") : value;
}

// Keeps an integer attribute inside [low, high] (text that is no number counts as
// `low`, as the level reader takes it); true when it had to be mended.
bool KeepIn(tinyxml2::XMLElement* e, const char* name, int low, int high)
{
    const char* text = e->Attribute(name);
    if (!text)
        return false;
    const double value = Number(text);
    if (value >= low && value <= high)
        return false;
    e->SetAttribute(name, std::isnan(value) || value < low ? low : high);
    return true;
}

} // namespace

void CheckLevelValues(tinyxml2::XMLElement& map, const std::wstring& path)
{
    if (tinyxml2::XMLElement* budget = map.FirstChildElement("budget")) {
        const char* text = budget->GetText();
        const double value = Number(text);
        if (text && !(value >= 0 && value <= kMaxBudget)) {
            const int kept = std::isnan(value) || value < 0 ? 0 : kMaxBudget;
            GE_LOG(L"Level file '%s': the budget '%s' is outside 0 to %d; the level starts with %d.\n")
                << path << ConvertToWide(text, StringEncoding::Ansi) << kMaxBudget << kept;
            budget->SetText(kept);
        }
    }
    tinyxml2::XMLElement* waves = map.FirstChildElement("waves");
    if (!waves)
        return;
    int timeouts = KeepIn(waves, "timeout", 0, kMaxWaveTime) ? 1 : 0, awards = 0;
    for (tinyxml2::XMLElement* wave = waves->FirstChildElement("wave"); wave; wave = wave->NextSiblingElement("wave")) {
        timeouts += KeepIn(wave, "timeout", 0, kMaxWaveTime) ? 1 : 0;
        awards += KeepIn(wave, "wipeAward", 0, kMaxBudget) ? 1 : 0;
    }
    if (timeouts)
        GE_LOG(L"Level file '%s': %d wave timeouts lay outside 0 to %d seconds and were read into that range.\n")
            << path << timeouts << kMaxWaveTime;
    if (awards)
        GE_LOG(L"Level file '%s': %d wave wipe awards lay outside 0 to %d and were read into that range.\n")
            << path << awards << kMaxBudget;
}

void CheckLevelGraph(const std::vector<TDPoint*>& points, const std::vector<TDLink*>& links,
                     const std::vector<TrackRequest>& requests, const std::wstring& path)
{
    std::map<int, TDPoint*> byId;
    int goals = 0, spawns = 0;
    for (TDPoint* point : points) {
        byId.emplace(point->id, point); // the first of an id is the one found
        goals += point->isGoal() ? 1 : 0;
        spawns += point->isSpawn() ? 1 : 0;
    }
    if (goals == 0)
        GE_LOG(L"Level file '%s' has no goal point: no unit can walk anywhere.\n") << path;
    else if (goals > 1)
        GE_LOG(L"Level file '%s' has %d goal points; units walk to the last of them.\n") << path << goals;
    if (spawns == 0)
        GE_LOG(L"Level file '%s' has no spawn point: no unit comes.\n") << path;

    // Links that lead nowhere, and the graph of those that do.
    int self = 0, dangling = 0, zero = 0;
    std::map<int, std::set<int>> joined;
    std::set<std::pair<int, int>> edges;
    for (const TDLink* link : links) {
        const auto a = byId.find(link->sid), b = byId.find(link->eid);
        if (link->sid == link->eid) {
            ++self;
            continue;
        }
        if (a == byId.end() || b == byId.end()) {
            ++dangling;
            continue;
        }
        if (a->second->x == b->second->x && a->second->y == b->second->y)
            ++zero;
        joined[link->sid].insert(link->eid);
        joined[link->eid].insert(link->sid);
        edges.insert(std::minmax(link->sid, link->eid));
    }
    if (self)
        GE_LOG(L"Level file '%s': %d links join a point to itself; they lead nowhere and are never walked.\n")
            << path << self;
    if (dangling)
        GE_LOG(L"Level file '%s': %d links name a point the level lacks; they are never walked.\n") << path
                                                                                                     << dangling;
    if (zero)
        GE_LOG(L"Level file '%s': %d links join two points at one place; they are crossed at once.\n") << path
                                                                                                       << zero;

    // Points no spawn point reaches, and whether the reachable part holds a cycle.
    std::set<int> reached;
    std::vector<int> pending;
    for (TDPoint* point : points)
        if (point->isSpawn() && reached.insert(point->id).second)
            pending.push_back(point->id);
    while (!pending.empty()) {
        const int at = pending.back();
        pending.pop_back();
        for (int next : joined[at])
            if (reached.insert(next).second)
                pending.push_back(next);
    }
    const int islands = static_cast<int>(byId.size() - std::min(byId.size(), reached.size()));
    if (islands && spawns)
        GE_LOG(L"Level file '%s': %d points are joined to no spawn point; no unit ever walks there.\n") << path
                                                                                                          << islands;
    size_t reachedEdges = 0;
    for (const auto& [a, b] : edges)
        reachedEdges += reached.count(a) ? 1 : 0;
    if (!reached.empty() && reachedEdges >= reached.size())
        GE_LOG(L"Level file '%s': its paths form a loop; units take the shortest way to the goal.\n") << path;

    // Links that point from the goal back towards a spawn point are walked end first.
    const TDPoint* goal = LastMarkedPoint(points, "goal");
    int reversed = 0, along = 0;
    for (TDPoint* point : points) {
        if (!point->isSpawn() || !goal)
            continue;
        PathFinder finder(points, links);
        const std::vector<i32> route = finder.FindShortestPath(point, goal);
        for (size_t i = 0; i + 1 < route.size(); ++i)
            if (const TDLink* link = FindLink(links, route[i], route[i + 1]))
                ++(link->sid == route[i] ? along : reversed);
    }
    if (reversed)
        GE_LOG(L"Level file '%s': %d of the %d links on its routes point from the goal towards a spawn point; "
               L"they are walked from their end to their start.\n")
            << path << reversed << reversed + along;

    // Spawn ids the waves name.
    std::set<int> minusOne, unknown;
    for (const TrackRequest& request : requests) {
        if (request.spawnId == -1)
            minusOne.insert(-1);
        else if (!byId.count(request.spawnId) || !byId.at(request.spawnId)->isSpawn())
            unknown.insert(request.spawnId);
    }
    if (!minusOne.empty())
        GE_LOG(L"Level file '%s': waves name spawn point -1; they start at the first spawn point.\n") << path;
    for (int id : unknown)
        GE_LOG(L"Level file '%s': waves name spawn point %d, which the level does not have; they spawn nothing.\n")
            << path << id;
}

bool PathCacheFits(const TDPathSet& paths, const std::vector<TDPoint*>& points, std::wstring& why)
{
    // The first node of every curve lies on the link's start point, moved sideways by
    // its track key; a cache made for another level's links does not.
    for (const auto& entry : paths.entries) {
        const TDLink* link = entry->link;
        const TDPoint* start = link ? FindPointById(points, link->sid) : nullptr;
        if (!start)
            continue;
        for (const auto& [key, nodes] : entry->curves) {
            if (nodes.empty() || !nodes.front())
                continue;
            const float dx = nodes.front()->x - start->x, dy = nodes.front()->y - start->y;
            const float reach = static_cast<float>(std::abs(key)) + 1.5f;
            if (!(dx * dx + dy * dy <= reach * reach)) {
                why = L"its curve of the link from point " + std::to_wstring(link->sid) + L" to point " +
                      std::to_wstring(link->eid) + L" starts elsewhere: it was made for another level";
                return false;
            }
        }
    }
    return true;
}
