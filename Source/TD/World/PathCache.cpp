#include "Source/TD/World/PathCache.h"

#include "Core/Base/ByteReader.h"
#include "Core/Base/WideFormat.h"
#include "Source/TD/World/TDPathSet.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr u64 kGroupMinSize = 12; // link index, pair count, curve count
constexpr u64 kPairSize = 8;
constexpr u64 kCurveMinSize = 8; // track key, node count
constexpr u64 kNodeSize = 20;

bool Fail(std::wstring* error, const wchar_t* why)
{
    if (error)
        *error = why;
    return false;
}

} // namespace

std::wstring PathCacheFileName(int episode, int level)
{
    WideFormat name(L"td/levels_%s/level_%02d_%02d.cache");
    name % L"normal" % (episode + 1) % (level + 1);
    name.Finish();
    return name.Output();
}

bool ReadPathCache(const u8* data, size_t size, const std::vector<TDLink*>& links, TDPathSet& paths,
                   std::wstring* error)
{
    paths.clear();
    base::ByteReader reader(data, size);
    u32 groupCount = 0;
    if (!reader.ReadU32(&groupCount))
        return Fail(error, L"no group count");
    if (!reader.Fits(groupCount, kGroupMinSize))
        return Fail(error, L"more groups than the file holds");
    for (u32 group = 0; group < groupCount; ++group) {
        u32 linkIndex = 0;
        u32 pairCount = 0;
        if (!reader.ReadU32(&linkIndex) || linkIndex >= links.size()) {
            paths.clear();
            return Fail(error, L"a link index outside the level's links");
        }
        TDLinkPaths entry(links[linkIndex]);
        if (!reader.ReadU32(&pairCount) || !reader.Fits(pairCount, kPairSize)) {
            paths.clear();
            return Fail(error, L"more marks than the file holds");
        }
        for (u32 pair = 0; pair < pairCount; ++pair) {
            u32 key = 0;
            u32 value = 0;
            reader.ReadU32(&key);
            reader.ReadU32(&value);
            entry.marks[static_cast<i32>(key)] = static_cast<i32>(value);
        }
        u32 curveCount = 0;
        if (!reader.ReadU32(&curveCount) || !reader.Fits(curveCount, kCurveMinSize)) {
            paths.clear();
            return Fail(error, L"more curves than the file holds");
        }
        for (u32 curve = 0; curve < curveCount; ++curve) {
            u32 key = 0;
            u32 nodeCount = 0;
            if (!reader.ReadU32(&key) || !reader.ReadU32(&nodeCount) || !reader.Fits(nodeCount, kNodeSize)) {
                paths.clear();
                return Fail(error, L"more nodes than the file holds");
            }
            TDPathNodeList nodes;
            nodes.reserve(nodeCount);
            for (u32 i = 0; i < nodeCount; ++i) {
                auto node = std::make_shared<TDPathNode>();
                reader.ReadU32(&node->mark);
                reader.ReadF32(&node->nx);
                reader.ReadF32(&node->ny);
                reader.ReadF32(&node->x);
                reader.ReadF32(&node->y);
                nodes.push_back(std::move(node));
            }
            entry.curves[static_cast<i32>(key)] = std::move(nodes);
        }
        paths.entries.push_back(std::make_unique<TDLinkPaths>(std::move(entry)));
    }
    if (reader.Remaining() != 0) {
        paths.clear();
        return Fail(error, L"data after the last group");
    }
    return true;
}

std::vector<u8> WritePathCache(const TDPathSet& paths, const std::vector<TDLink*>& links)
{
    std::vector<u8> out;
    auto word = [&out](u32 value) {
        u8 bytes[4];
        base::PutU32LE(bytes, value);
        out.insert(out.end(), bytes, bytes + 4);
    };
    auto number = [&word](float value) {
        u32 bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        word(bits);
    };
    std::vector<const TDLinkPaths*> groups;
    for (const auto& entry : paths.entries)
        if (std::find(links.begin(), links.end(), entry->link) != links.end())
            groups.push_back(entry.get());
    word(static_cast<u32>(groups.size()));
    for (const TDLinkPaths* entry : groups) {
        word(static_cast<u32>(std::find(links.begin(), links.end(), entry->link) - links.begin()));
        word(static_cast<u32>(entry->marks.size()));
        for (const auto& [key, value] : entry->marks) {
            word(static_cast<u32>(key));
            word(static_cast<u32>(value));
        }
        word(static_cast<u32>(entry->curves.size()));
        for (const auto& [key, nodes] : entry->curves) {
            word(static_cast<u32>(key));
            word(static_cast<u32>(nodes.size()));
            for (const auto& node : nodes) {
                word(node->mark);
                number(node->nx);
                number(node->ny);
                number(node->x);
                number(node->y);
            }
        }
    }
    return out;
}
