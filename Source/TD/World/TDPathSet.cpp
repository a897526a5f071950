#include "Source/TD/World/TDPathSet.h"

#include "Source/TD/World/TDLink.h"

#include <algorithm>

int TrackKeyForY(float y)
{
    return static_cast<int>(((-y - 65.0f) / 65.0f) * 20.0f);
}

TDLinkPaths* TDPathSet::firstEntry(const TDLink* link) const
{
    for (const auto& entry : entries)
        if (entry->link == link)
            return entry.get();
    return nullptr;
}

TDLinkPaths& TDPathSet::entryFor(const TDLink* link)
{
    if (TDLinkPaths* entry = firstEntry(link))
        return *entry;
    entries.push_back(std::make_unique<TDLinkPaths>(link));
    return *entries.back();
}

void TDPathSet::store(const TDLink* link, i32 trackKey, const TDPathNodeList& nodes, bool reversed)
{
    TDLinkPaths& entry = entryFor(link);
    (reversed ? entry.reverseCurves : entry.curves)[trackKey] = nodes;
}

void TDPathSet::find(const TDLink* link, i32 trackKey, TDPathNodeList& out, bool reversed) const
{
    const TDLinkPaths* entry = firstEntry(link);
    if (!entry)
        return;
    const auto& curves = reversed ? entry->reverseCurves : entry->curves;
    const auto found = curves.find(trackKey);
    if (found != curves.end())
        out = found->second;
}

void TDPathSet::findAlongRoute(const TDLink* link, i32 trackKey, int fromId, TDPathNodeList& out) const
{
    const bool reversed = link && link->sid != fromId && link->eid == fromId;
    if (!reversed) {
        find(link, trackKey, out);
        return;
    }
    TDPathNodeList nodes;
    find(link, trackKey, nodes, true);
    if (nodes.empty()) {
        find(link, trackKey, nodes);
        std::reverse(nodes.begin(), nodes.end());
    }
    if (!nodes.empty())
        out = nodes;
}
