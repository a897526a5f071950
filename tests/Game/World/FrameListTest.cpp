// The drop base class and the clamped frame lookup of the sprite code.
#include "Source/TD/Towers/TDTowerDrop.h"
#include "Source/TD/World/FrameList.h"

#include <gtest/gtest.h>

TEST(FrameList, ClampedElement)
{
    int a = 1, b = 2, c = 3;
    const std::vector<int*> frames = {&a, &b, &c};
    EXPECT_EQ(ClampedListElement(frames, 0), &a);
    EXPECT_EQ(ClampedListElement(frames, 2), &c);
    EXPECT_EQ(ClampedListElement(frames, 7), &c) << "past the end: the last";
    EXPECT_EQ(ClampedListElement(std::vector<int*>{}, 0), nullptr);
}

TEST(FrameList, DropBase)
{
    TDTowerSpecial drop;
    drop.update(0.25f);
    drop.update(0.5f);
    EXPECT_FLOAT_EQ(drop.clock, 0.75f);
    EXPECT_EQ(drop.setState(2), 2);
    EXPECT_EQ(drop.state, 2);
    EXPECT_EQ(drop.alive, 1);
}
