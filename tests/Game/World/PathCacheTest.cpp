// The path cache: round trip, the layout's byte counts, and damaged files refused.
#include "Core/Base/ByteReader.h"
#include "Source/TD/World/PathCache.h"
#include "Source/TD/World/TDLink.h"
#include "Source/TD/World/TDPathSet.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

std::vector<u8> Words(std::initializer_list<u32> words)
{
    std::vector<u8> out(words.size() * 4);
    size_t at = 0;
    for (u32 word : words) {
        base::PutU32LE(out.data() + at, word);
        at += 4;
    }
    return out;
}

TDPathNodeList Nodes(int count, float x0)
{
    TDPathNodeList nodes;
    for (int i = 0; i < count; ++i) {
        auto node = std::make_shared<TDPathNode>();
        node->nx = 0.0f;
        node->ny = 1.0f;
        node->x = x0 + static_cast<float>(i);
        node->y = -2.5f;
        node->mark = static_cast<u32>(7 + i);
        nodes.push_back(node);
    }
    return nodes;
}

} // namespace

TEST(PathCache, FileName)
{
    EXPECT_EQ(PathCacheFileName(0, 2), L"td/levels_normal/level_01_03.cache");
}

TEST(PathCache, RoundTrip)
{
    TDLink a(1, 2, 0, 0), b(2, 3, 0, 0);
    std::vector<TDLink*> links = {&a, &b};
    TDPathSet paths;
    paths.store(&b, -20, Nodes(2, 10.0f));
    paths.store(&b, 0, Nodes(3, 0.0f));
    paths.entryFor(&b).marks[4] = -9;
    paths.store(&a, 0, Nodes(1, 5.0f));

    const std::vector<u8> bytes = WritePathCache(paths, links);
    // groups, then b: index, 1 pair, 2 curves (2 and 3 nodes); a: index, 0 pairs, 1 curve.
    EXPECT_EQ(bytes.size(), 4u + (4 + 4 + 8 + 4 + 8 + 40 + 8 + 60) + (4 + 4 + 4 + 8 + 20));
    EXPECT_EQ(base::GetU32LE(bytes.data() + 4), 1u) << "link index of the first group";
    EXPECT_EQ(base::GetU32LE(bytes.data() + 24), 0xFFFFFFECu) << "track -20 as its two's complement";

    TDPathSet read;
    std::wstring error;
    ASSERT_TRUE(ReadPathCache(bytes.data(), bytes.size(), links, read, &error)) << error.c_str();
    ASSERT_EQ(read.entries.size(), 2u);
    EXPECT_EQ(read.entries[0]->link, &b);
    EXPECT_EQ(read.entries[0]->marks.at(4), -9);
    TDPathNodeList nodes;
    read.find(&b, -20, nodes);
    ASSERT_EQ(nodes.size(), 2u);
    EXPECT_EQ(nodes[1]->x, 11.0f);
    EXPECT_EQ(nodes[1]->y, -2.5f);
    EXPECT_EQ(nodes[1]->ny, 1.0f);
    EXPECT_EQ(nodes[1]->mark, 8u);

    // One group, no pairs, one curve of two nodes: 64 bytes.
    const auto small = Words({1, 0, 0, 1, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(small.size(), 64u);
    EXPECT_TRUE(ReadPathCache(small.data(), small.size(), links, read, nullptr));
    // No groups: an empty path set, and no computing.
    const auto none = Words({0});
    EXPECT_TRUE(ReadPathCache(none.data(), none.size(), links, read, nullptr));
    EXPECT_TRUE(read.empty());
}

TEST(PathCache, DamagedFilesAreRefused)
{
    TDLink a(1, 2, 0, 0);
    std::vector<TDLink*> links = {&a};
    struct Case {
        const char* what;
        std::vector<u8> bytes;
    };
    const std::vector<Case> cases = {
        {"empty file", {}},
        {"group count beyond the file", Words({1000000, 0, 0, 0})},
        {"link index outside the level", Words({1, 1, 0, 0})},
        {"link index far outside", Words({1, 0xFFFFFFFF, 0, 0})},
        {"pair count beyond the file", Words({1, 0, 0x40000000, 0})},
        {"curve count beyond the file", Words({1, 0, 0, 0x7FFFFFFF})},
        {"node count beyond the file", Words({1, 0, 0, 1, 0, 0x0CCCCCCD})},
        {"a node cut short", Words({1, 0, 0, 1, 0, 1, 0, 0, 0, 0})},
        {"data after the last group", Words({1, 0, 0, 0, 5})},
        {"second group missing", Words({2, 0, 0, 0})},
    };
    for (const Case& c : cases) {
        TDPathSet paths;
        paths.store(&a, 0, Nodes(1, 0.0f));
        std::wstring error;
        EXPECT_FALSE(ReadPathCache(c.bytes.data(), c.bytes.size(), links, paths, &error)) << c.what;
        EXPECT_TRUE(paths.empty()) << c.what;
        EXPECT_FALSE(error.empty()) << c.what;
    }
}
