// The damage between two frames, from their draws alone: which draws differ, where
// they were and are, and when the frame must be drawn whole.
#include "Core/Render/FrameDamage.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using render::FrameDamage;

struct TestDraw {
    u64 hash;
    std::vector<FrameDamage::Box> groups; // empty: the whole target
    bool clear = false;
    bool onBackBuffer = true;
};

void Frame(FrameDamage& damage, const std::vector<TestDraw>& draws, u64 epoch = 1)
{
    damage.BeginFrame(0, epoch, 100, 100);
    for (const TestDraw& d : draws) {
        if (d.groups.empty())
            damage.AddWholeTarget();
        for (const FrameDamage::Box& b : d.groups)
            damage.AddGroup(b.x0, b.y0, b.x1, b.y1);
        damage.EndDraw(d.hash, d.onBackBuffer, d.clear);
    }
    damage.EndFrame();
}

bool Covers(const std::vector<FrameDamage::Rect>& rects, float x, float y)
{
    for (const FrameDamage::Rect& r : rects)
        if (x >= float(r.x) && x < float(r.x + r.w) && y >= float(r.y) && y < float(r.y + r.h))
            return true;
    return false;
}

const TestDraw kClear{1, {}, true};

TEST(FrameDamage, OnlyDrawsBetweenTheSameStartAndEndAreDamage)
{
    FrameDamage damage;
    const TestDraw a{10, {{10, 10, 20, 20}}}, b{11, {{60, 60, 70, 70}}}, c{12, {{80, 10, 90, 20}}};
    Frame(damage, {kClear, a, b, c});
    damage.FrameReplayed();
    // b moved: its old and its new place, with a margin; not a or c.
    const TestDraw moved{13, {{62, 64, 72, 74}}};
    Frame(damage, {kClear, a, moved, c});
    EXPECT_FALSE(damage.Repeats());
    ASSERT_FALSE(damage.Damage().empty());
    for (const auto& [x, y] : {std::pair{60.0f, 60.0f}, std::pair{71.5f, 73.5f}, std::pair{58.5f, 58.5f}})
        EXPECT_TRUE(Covers(damage.Damage(), x, y)) << x << "," << y;
    for (const auto& [x, y] : {std::pair{15.0f, 15.0f}, std::pair{85.0f, 15.0f}})
        EXPECT_FALSE(Covers(damage.Damage(), x, y)) << x << "," << y;
    EXPECT_FALSE(damage.Touches(1, damage.Damage()[0]));
    EXPECT_TRUE(damage.Touches(2, damage.Damage()[0]));
    damage.FrameReplayed();

    Frame(damage, {kClear, a, moved, c});
    EXPECT_TRUE(damage.Repeats());
}

TEST(FrameDamage, ManyScatteredChangesBecomeAFewRectanglesCoveringThemAll)
{
    FrameDamage damage;
    std::vector<TestDraw> before{kClear}, after{kClear};
    for (int i = 0; i < 9; ++i) {
        const float x = float(i % 3) * 35.0f, y = float(i / 3) * 35.0f;
        before.push_back({u64(100 + i), {{x, y, x + 3, y + 3}}});
        after.push_back({u64(200 + i), {{x + 1, y, x + 4, y + 3}}});
    }
    Frame(damage, before);
    damage.FrameReplayed();
    Frame(damage, after);
    ASSERT_FALSE(damage.Damage().empty());
    EXPECT_LE(damage.Damage().size(), FrameDamage::kMaxRects);
    for (int i = 0; i < 9; ++i)
        EXPECT_TRUE(Covers(damage.Damage(), float(i % 3) * 35.0f + 2, float(i / 3) * 35.0f + 1)) << i;
}

TEST(FrameDamage, FramesThatCannotBeDrawnInPlacesAreDrawnWhole)
{
    const TestDraw a{10, {{10, 10, 20, 20}}}, b{11, {{10, 10, 20, 22}}};
    const struct {
        const char* what;
        std::vector<TestDraw> first, second;
        u64 secondEpoch;
        bool repeats;
    } cases[] = {
        {"most of the screen changes", {kClear, a}, {kClear, a, TestDraw{12, {{0, 0, 90, 90}}}}, 1, false},
        {"no clear first: a replay would blend twice", {a}, {b}, 1, false},
        {"no clear first, nothing changed", {a}, {a}, 1, false},
        {"a device object changed between them", {kClear, a}, {kClear, b}, 2, false},
        {"the same draws after a device change", {kClear, a}, {kClear, a}, 2, false},
        {"a render target drawn into",
         {kClear, TestDraw{20, {}, true, false}, a},
         {kClear, TestDraw{20, {}, true, false}, b},
         1,
         false},
        {"the clear colour changed", {kClear, a}, {TestDraw{2, {}, true}, a}, 1, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FrameDamage damage;
        Frame(damage, c.first);
        damage.FrameReplayed();
        Frame(damage, c.second, c.secondEpoch);
        EXPECT_EQ(damage.Repeats(), c.repeats);
        EXPECT_TRUE(damage.Damage().empty());
    }
}

TEST(FrameDamage, NothingRepeatsOnceTheDeviceMayShowSomethingElse)
{
    FrameDamage damage;
    const TestDraw a{10, {{10, 10, 20, 20}}};
    Frame(damage, {kClear, a});
    damage.FrameReplayed();
    damage.Forget();
    Frame(damage, {kClear, a});
    EXPECT_FALSE(damage.Repeats());
    EXPECT_TRUE(damage.Damage().empty());
}

} // namespace
