// The level's path graph: point and link lists, routes from the spawn points to the
// goal, the sampled curves and the path cache.
#include "Source/TD/World/TDMap.h"

#include "Core/Base/FileStream.h"
#include "Core/Base/Log.h"
#include "Core/File/FileManager.h"
#include "Source/TD/World/PathCache.h"
#include "Source/TD/World/PathFinder.h"
#include "Source/TD/World/TDLink.h"
#include "Source/TD/World/TDPoint.h"
#include "Source/TD/World/TDWaves.h"

#include <cmath>
#include <memory>

namespace {

// Path caches beyond this are no cache of ours.
constexpr u32 kPathCacheMaxSize = 64u << 20;

} // namespace

void TDMap::loadPoints(const tinyxml2::XMLElement* points)
{
    LoadGraphList(points, mCoordinateScale, mPoints);
}

void TDMap::loadLinks(const tinyxml2::XMLElement* links)
{
    LoadGraphList(links, mCoordinateScale, mLinks);
}

int TDMap::loadPathCache()
{
    const std::wstring name = PathCacheFileName(mEpisode, mLevel);
    // The loose file beside the level, in the content folder.
    base::FileStreamCreator creator(file::FileManager::Instance()->OnDisk(name));
    base::Stream* opened = nullptr;
    if (creator.Create(&opened) != 0 || !opened)
        return 1;
    std::unique_ptr<base::Stream> stream(opened);
    const u32 size = stream->GetSize();
    if (size > kPathCacheMaxSize) {
        GE_LOG(L"Path cache '%s' ignored: %u bytes is no path cache; the paths are computed.\n") << name << size;
        return 1;
    }
    std::vector<u8> bytes(size);
    if (size && stream->Read(bytes.data(), size) != size) {
        GE_LOG(L"Path cache '%s' ignored: it could not be read whole; the paths are computed.\n") << name;
        return 1;
    }
    std::wstring error;
    if (!ReadPathCache(bytes.data(), bytes.size(), mLinks, mPaths, &error)) {
        GE_LOG(L"Path cache '%s' ignored (%s); the paths are computed.\n") << name << error;
        return 1;
    }
    return 0;
}

void TDMap::buildPaths()
{
    mPaths.clear();
    mRoutes.clear();
    if (loadPathCache() == 0) {
        // The cache holds the curves; the routes themselves are still needed for spawning.
        TDPoint* goal = goalPoint();
        for (TDPoint* point : mPoints)
            if (point->isSpawn())
                mRoutes[point->id] = findPath(point, goal);
        return;
    }
    BuildPathSet(mPoints, mLinks, mWaves->trackRequests(), mPaths, &mRoutes);
}

std::vector<i32> TDMap::findPath(TDPoint* start, TDPoint* end) const
{
    PathFinder finder(mPoints, mLinks);
    return finder.FindShortestPath(start, end);
}

const std::vector<i32>& TDMap::routeOf(int spawnId) const
{
    static const std::vector<i32> kNone;
    const auto found = mRoutes.find(spawnId);
    return found == mRoutes.end() ? kNone : found->second;
}

std::vector<TDPoint*> TDMap::linkedPoints(const TDPoint& point) const
{
    return LinkedPoints(mPoints, mLinks, point);
}

CurvePoint TDMap::curveNormal(const TDLink& link, float t) const
{
    const std::optional<QuadraticCurve> curve = LinkCurve(mPoints, link);
    return curve ? curve->normalAhead(t) : CurvePoint{};
}

float TDMap::advanceOnOffsetCurve(const TDLink& link, float t, float offset, float distance) const
{
    const std::optional<QuadraticCurve> curve = LinkCurve(mPoints, link);
    if (!curve)
        return t;
    const auto shifted = [&](float at) {
        const CurvePoint p = curve->point(at);
        const CurvePoint n = curve->normalAhead(at);
        return CurvePoint{p.x + offset * n.x, p.y + offset * n.y};
    };
    CurvePoint previous = shifted(t);
    float walked = 0.0f;
    while (t <= 1.0f && walked < distance) {
        t += 0.001f;
        const CurvePoint p = shifted(t);
        walked += std::hypot(p.x - previous.x, p.y - previous.y);
        previous = p;
    }
    return t;
}
