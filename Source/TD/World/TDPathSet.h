#pragma once
// The sampled curves of a level, kept per link and per track key. Curves are sampled
// in the direction a route crosses the link; the path cache only holds curves from
// the link's start to its end.
#include "Core/Base/Types.h"

#include <map>
#include <memory>
#include <vector>

class TDLink;

// One sample of a curve. `mark` is carried by the path cache for the units' movement;
// the sampler leaves it 0.
struct TDPathNode {
    float nx = 0.0f;
    float ny = 0.0f;
    float x = 0.0f;
    float y = 0.0f;
    u32 mark = 0;
};

// Nodes are shared between the path set and the units walking them.
using TDPathNodeList = std::vector<std::shared_ptr<TDPathNode>>;

// The sideways track a wave entry's y selects: -65 is the link's own curve (0).
int TrackKeyForY(float y);

class TDLinkPaths {
public:
    explicit TDLinkPaths(const TDLink* link) : link(link) {}

    std::map<i32, i32> marks;
    // Curves from the link's start point to its end point.
    std::map<i32, TDPathNodeList> curves;
    // Curves from the end point to the start point, for routes that cross it that way.
    std::map<i32, TDPathNodeList> reverseCurves;
    const TDLink* link;
};

class TDPathSet {
public:
    TDPathSet() = default;
    TDPathSet(const TDPathSet&) = delete;
    TDPathSet& operator=(const TDPathSet&) = delete;

    void clear() { entries.clear(); }
    bool empty() const { return entries.empty(); }

    // The first entry for the link, appended when there is none.
    TDLinkPaths& entryFor(const TDLink* link);
    TDLinkPaths* firstEntry(const TDLink* link) const;

    void store(const TDLink* link, i32 trackKey, const TDPathNodeList& nodes, bool reversed = false);
    // Copies the curve into out when the first entry of the link has it; out is left as
    // it was otherwise. No entry is created.
    void find(const TDLink* link, i32 trackKey, TDPathNodeList& out, bool reversed = false) const;
    // The curve a unit walks when it enters the link at point `fromId`: the link's own
    // direction from its start, the reverse curve from its end (or, for curves that came
    // from a path cache, the forward nodes in reverse order).
    void findAlongRoute(const TDLink* link, i32 trackKey, int fromId, TDPathNodeList& out) const;

    // Appended in creation order; groups of a path cache are not merged.
    std::vector<std::unique_ptr<TDLinkPaths>> entries;
};
