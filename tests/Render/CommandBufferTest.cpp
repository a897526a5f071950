// Growth of the command stream's storage.
#include "Core/Render/CommandBuffer.h"
#include <gtest/gtest.h>
#include <vector>

namespace {

TEST(CommandBuffer, GrowsByHalfOrToTheNeedPlus1024AndKeepsItsContents)
{
    render::CommandBuffer buffer;
    EXPECT_EQ(0u, buffer.GetSize());

    ASSERT_TRUE(buffer.PutU32(0xA1B2C3D4));
    EXPECT_EQ(4u + 1024u, buffer.GetSize()); // 1.5 x 0 is not enough: need + 1024

    const std::vector<u8> fill(1024, 0x5A);
    ASSERT_TRUE(buffer.PutBytes(fill.data(), 1024)); // exactly fills 1028
    EXPECT_EQ(1028u, buffer.GetSize());
    ASSERT_TRUE(buffer.PutU8(1));
    EXPECT_EQ(1542u, buffer.GetSize()); // 1028 x 1.5

    const std::vector<u8> big(3000, 0x33);
    ASSERT_TRUE(buffer.PutBytes(big.data(), 3000)); // needs 4029 >= 2313
    EXPECT_EQ(4029u + 1024u, buffer.GetSize());

    buffer.Rewind();
    u32 first = 0;
    ASSERT_TRUE(buffer.GetU32(&first));
    EXPECT_EQ(0xA1B2C3D4u, first);
    u8 filled = 0;
    ASSERT_TRUE(buffer.GetU8(&filled));
    EXPECT_EQ(0x5Au, filled);
    // Rewinding keeps the storage for the next frame.
    EXPECT_EQ(5053u, buffer.GetSize());
}

TEST(CommandBuffer, AddressesTravelAsEightBytes)
{
    render::CommandBuffer buffer;
    int object = 0;
    ASSERT_TRUE(buffer.PutAddress(&object));
    EXPECT_EQ(8u, buffer.Position());
    buffer.Rewind();
    void* read = nullptr;
    ASSERT_TRUE(buffer.GetAddress(&read));
    EXPECT_EQ(&object, read);
}

} // namespace
