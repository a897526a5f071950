#include "Core/Base/ByteReader.h"
#include "Core/Base/ByteWriter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

TEST(ByteReader, LoadsAndStoresAreLittleEndianWithoutSignSpill)
{
    u8 bytes[4] = {};
    base::PutU32LE(bytes, 0xFF80017Fu);
    EXPECT_EQ(bytes[0], 0x7F);
    EXPECT_EQ(bytes[3], 0xFF);
    EXPECT_EQ(base::GetU32LE(bytes), 0xFF80017Fu);
    base::PutU16LE(bytes, 0xFE01);
    EXPECT_EQ(bytes[0], 0x01);
    EXPECT_EQ(bytes[1], 0xFE);
    EXPECT_EQ(base::GetU16LE(bytes), 0xFE01);
}

TEST(ByteReader, ReadsFieldsInOrderAndStopsAtTheEnd)
{
    std::vector<u8> data(4 + 4 + 4 + 3);
    base::PutU32LE(data.data(), 0x12345678u);
    const float half = 0.5f;
    u32 bits = 0;
    std::memcpy(&bits, &half, 4);
    base::PutU32LE(data.data() + 4, bits);
    base::PutU32LE(data.data() + 8, 3);
    std::memcpy(data.data() + 12, "abc", 3);

    base::ByteReader in(data.data(), data.size());
    u32 value = 0;
    float number = 0.0f;
    std::string text;
    ASSERT_TRUE(in.ReadU32(&value));
    ASSERT_TRUE(in.ReadF32(&number));
    ASSERT_TRUE(in.ReadString(&text));
    EXPECT_EQ(value, 0x12345678u);
    EXPECT_EQ(number, 0.5f);
    EXPECT_EQ(text, "abc");
    EXPECT_EQ(in.Remaining(), 0u);

    value = 7;
    EXPECT_FALSE(in.ReadU32(&value));
    EXPECT_EQ(value, 7u);
}

// The writer lays fields out as the reader takes them back.
TEST(ByteWriter, WritesWhatTheReaderReads)
{
    std::vector<u8> data;
    base::ByteWriter out(data);
    out.U32s(0x12345678u, 0xFF000001u);
    out.F32s(0.5f, -2.25f);
    out.String("abc");
    out.Count(std::vector<int>(5));
    out.U8(0xEE);
    out.Bytes("xy", 2);
    ASSERT_EQ(data.size(), 4u * 2 + 4 * 2 + 4 + 3 + 4 + 1 + 2);
    EXPECT_EQ(data[0], 0x78); // little-endian
    EXPECT_EQ(data[7], 0xFF);

    base::ByteReader in(data.data(), data.size());
    u32 a = 0, b = 0, count = 0;
    float half = 0, negative = 0;
    std::string text;
    ASSERT_TRUE(in.ReadU32(&a) && in.ReadU32(&b) && in.ReadF32(&half) && in.ReadF32(&negative) &&
                in.ReadString(&text) && in.ReadU32(&count));
    EXPECT_EQ(a, 0x12345678u);
    EXPECT_EQ(b, 0xFF000001u);
    EXPECT_EQ(half, 0.5f);
    EXPECT_EQ(negative, -2.25f);
    EXPECT_EQ(text, "abc");
    EXPECT_EQ(count, 5u);
    EXPECT_EQ(in.Remaining(), 3u);
    EXPECT_EQ(data[data.size() - 3], 0xEE);
    EXPECT_EQ(std::string(data.end() - 2, data.end()), "xy");
}

// A short read leaves both the output and the position as they were, so a reader can
// stop at the first one and keep what it has.
TEST(ByteReader, ShortReadsConsumeNothing)
{
    struct Case {
        const char* what;
        std::vector<u8> bytes;
    };
    const Case cases[] = {
        {"empty", {}},
        {"three bytes of a u32", {1, 2, 3}},
        {"length beyond the data", {5, 0, 0, 0, 'a', 'b'}},
        {"length near 2^32", {0xFF, 0xFF, 0xFF, 0xFF, 'a'}},
    };
    for (const Case& c : cases) {
        base::ByteReader in(c.bytes.data(), c.bytes.size());
        std::string text = "kept";
        EXPECT_FALSE(in.ReadString(&text)) << c.what;
        EXPECT_EQ(text, "kept") << c.what;
        EXPECT_EQ(in.Position(), 0u) << c.what;
        EXPECT_EQ(in.Remaining(), c.bytes.size()) << c.what;
    }

    // No data at all reads as an empty block whatever size is claimed.
    base::ByteReader none(nullptr, 100);
    u32 value = 9;
    EXPECT_EQ(none.Remaining(), 0u);
    EXPECT_FALSE(none.ReadU32(&value));
    EXPECT_EQ(value, 9u);
}

TEST(ByteReader, FitsGuardsCountsWithoutOverflow)
{
    const std::vector<u8> data(40);
    base::ByteReader in(data.data(), data.size());
    EXPECT_TRUE(in.Fits(10, 4));
    EXPECT_FALSE(in.Fits(11, 4));
    EXPECT_TRUE(in.Fits(0xFFFFFFFFu, 0)); // records of no size always fit
    // count * size would wrap around 2^64 and look small.
    EXPECT_FALSE(in.Fits(0x4000000000000001ull, 4));
    u32 skip = 0;
    in.ReadU32(&skip);
    EXPECT_TRUE(in.Fits(9, 4));
    EXPECT_FALSE(in.Fits(10, 4));
}

} // namespace
