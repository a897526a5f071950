#include "Source/TD/Shell/Game.h"
#include "Source/TD/Shell/GameWindow.h"
#include "Source/TD/Shell/PlayerProgress.h"
#include "Source/TD/Towers/TDCrystalDrop.h"
#include "Source/TD/Towers/TDDropList.h"
#include "Source/TD/Tutorial/TDTutorial.h"
#include "Source/TD/Units/TDMob.h"
#include "Source/TD/World/TDAnimationSet.h"
#include "Source/TD/World/TDMap.h"
#include "Source/TD/World/TDPlayerStats.h"
#include "tests/Support/GameHarness.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <memory>

namespace {

std::unique_ptr<TDMob> UnitAt(float x, float y)
{
    auto unit = std::make_unique<TDMob>();
    unit->mX = x;
    unit->mY = y;
    return unit;
}

float Distance(DropPoint a, DropPoint b)
{
    return std::hypot(a.x - b.x, a.y - b.y);
}

DropPoint Bezier(DropPoint from, DropPoint control, DropPoint to, float t)
{
    const float a = (1 - t) * (1 - t), b = 2 * t * (1 - t), c = t * t;
    return {a * from.x + b * control.x + c * to.x, a * from.y + b * control.y + c * to.y};
}

int Events(const wchar_t* name)
{
    const std::vector<std::wstring>& events = TDTutorial::Instance()->events;
    return static_cast<int>(std::count(events.begin(), events.end(), name));
}

} // namespace

// Out of the unit in an arc for one second of drop time, landing 50 to 100 away; it
// cannot be collected in flight.
TEST(CrystalDrop, ArcAndLanding)
{
    const auto unit = UnitAt(300.0f, 400.0f);
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        TDCrystallSpecial drop(unit.get(), 0.0f);
        EXPECT_EQ(drop.state, TDGoldSpecial::Flying);
        EXPECT_FLOAT_EQ(drop.from.x, 300.0f);
        EXPECT_FLOAT_EQ(drop.from.y, 400.0f);
        const float away = Distance(drop.from, drop.to);
        EXPECT_GE(away, 50.0f - 1e-3f);
        EXPECT_LE(away, 100.0f + 1e-3f);
        EXPECT_FLOAT_EQ(drop.control.x, 300.0f + 0.5f * (drop.to.x - 300.0f));
        EXPECT_FLOAT_EQ(drop.control.y, std::min(400.0f, drop.to.y) - 25.0f);

        std::vector<TDTowerSpecial*> list{&drop};
        drop.update(0.5f);
        drop.draw(nullptr);
        const DropPoint mid = Bezier(drop.from, drop.control, drop.to, 0.5f);
        EXPECT_NEAR(drop.position.x, mid.x, 1e-3f);
        EXPECT_NEAR(drop.position.y, mid.y, 1e-3f);
        EXPECT_EQ(TDSpecialList::findCollectible(list, drop.to.x, drop.to.y), nullptr) << "in flight";

        drop.update(0.5f);
        EXPECT_EQ(drop.state, TDGoldSpecial::Flying) << "a clock of exactly 1 is still in flight";
        drop.update(0.01f);
        EXPECT_EQ(drop.state, TDGoldSpecial::Lying);
        EXPECT_FLOAT_EQ(drop.clock, 1.0f);
        drop.draw(nullptr);
        EXPECT_FLOAT_EQ(drop.position.x, drop.to.x);
        EXPECT_FLOAT_EQ(drop.position.y, drop.to.y);
        EXPECT_EQ(TDSpecialList::findCollectible(list, drop.to.x, drop.to.y), &drop);
        // Lying, its clock runs on (the level collects it for the player after a while).
        drop.update(3.0f);
        EXPECT_EQ(drop.state, TDGoldSpecial::Lying);
        EXPECT_FLOAT_EQ(drop.clock, 4.0f);
    }
}

// A click reaches a lying drop closer than sqrt(1200); of two in reach, the earlier.
TEST(CrystalDrop, Reach)
{
    const auto unit = UnitAt(0.0f, 0.0f);
    TDCrystallSpecial first(unit.get(), 1.0f);
    TDCrystallSpecial second(unit.get(), 1.0f);
    second.to = {220.0f, 200.0f};
    std::vector<TDTowerSpecial*> list{&first, &second};
    struct Case {
        float x, y;
        TDTowerSpecial* found;
    } cases[] = {
        {200.0f, 200.0f, &first},
        {200.0f + 34.6f, 200.0f, &first},
        {220.0f + 34.6f, 200.0f, &second},
        {220.0f + 34.7f, 200.0f, nullptr},
        {200.0f, 200.0f - 34.6f, &first},
        {200.0f, 200.0f - 34.7f, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.x);
        EXPECT_EQ(TDSpecialList::findCollectible(list, c.x, c.y), c.found);
    }
}

// Picked up, it waits up to a fifth of a second of drop time where it lay, flies to
// the counter through its old control point in a fifth of a second, and goes.
TEST(CrystalDrop, PickUpFlight)
{
    const auto unit = UnitAt(500.0f, 300.0f);
    TDSpecialList list;
    auto* drop = new TDCrystallSpecial(unit.get(), 0.0f);
    list.add(drop);
    list.update(1.1f);
    ASSERT_EQ(drop->state, TDGoldSpecial::Lying);
    const DropPoint lay = drop->to;
    const DropPoint control = drop->control;
    const int collected = Events(L"gem_collected");

    drop->setState(TDGoldSpecial::Collected);
    EXPECT_EQ(Events(L"gem_collected"), collected + 1);
    EXPECT_FLOAT_EQ(drop->from.x, lay.x);
    EXPECT_FLOAT_EQ(drop->from.y, lay.y);
    EXPECT_FLOAT_EQ(drop->to.x, 150.0f);
    EXPECT_FLOAT_EQ(drop->to.y, 50.0f);
    EXPECT_FLOAT_EQ(drop->control.x, control.x);
    EXPECT_LE(drop->clock, 0.0f);
    EXPECT_GE(drop->clock, -1.0f);
    EXPECT_EQ(list.findCollectible(lay.x, lay.y), nullptr) << "collected once";

    // The delay: it stays where it lay.
    const float delay = -drop->clock / TDGoldSpecial::kCollectSpeed;
    list.update(delay * 0.5f);
    drop->draw(nullptr);
    EXPECT_FLOAT_EQ(drop->position.x, lay.x);
    EXPECT_FLOAT_EQ(drop->position.y, lay.y);
    // Half its flight: on the curve from where it lay through the old control point.
    list.update(delay * 0.5f + 0.1f);
    drop->draw(nullptr);
    const DropPoint mid = Bezier(lay, control, {150.0f, 50.0f}, drop->clock);
    EXPECT_NEAR(drop->position.x, mid.x, 1e-2f);
    EXPECT_NEAR(drop->position.y, mid.y, 1e-2f);
    ASSERT_EQ(list.mItems.size(), 1u);
    list.update(0.11f);
    EXPECT_TRUE(list.mItems.empty()) << "the list deletes it at the end of its flight";
}

// While the level forces drops, a crystal lies at once at (200, 200).
TEST(CrystalDrop, ForcedDropLiesAtOnce)
{
    const auto unit = UnitAt(700.0f, 500.0f);
    TDCrystallSpecial drop(unit.get(), 1.0f);
    EXPECT_EQ(drop.state, TDGoldSpecial::Lying);
    EXPECT_FLOAT_EQ(drop.clock, 1.0f);
    EXPECT_FLOAT_EQ(drop.position.x, 200.0f);
    EXPECT_FLOAT_EQ(drop.position.y, 200.0f);
    std::vector<TDTowerSpecial*> list{&drop};
    EXPECT_EQ(TDSpecialList::findCollectible(list, 200.0f, 200.0f), &drop);
}

TEST(CrystalDrop, Chance)
{
    struct Case {
        const char* what;
        int chance;
        float dropOverride;
        float random;
        bool drops;
    } cases[] = {
        {"0 % never drops, not even on a draw of exactly 0", 0, 0.0f, 0.0f, false},
        {"100 % always", 100, 0.0f, 1.0f, true},
        {"50 % on a draw of 0.5", 50, 0.0f, 0.5f, true},
        {"50 % on a draw above 0.5", 50, 0.0f, 0.51f, false},
        {"the override forces even 0 %", 0, 1.0f, 0.99f, true},
        {"an override other than 1 does not", 0, 0.5f, 0.0f, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TDCrystallSpecial::drops(c.chance, c.dropOverride, c.random), c.drops) << c.what;
}

// In the level: a crystal nobody clicks is credited as one gem once its clock passes
// the level's wait, then flies to the counter and goes.
TEST(CrystalDrop, NeverClickedIsCreditedAfterItsWait)
{
    RunGame("CrystalDrop.NeverClickedIsCreditedAfterItsWait", {}, [](GameHarness& h) {
        ASSERT_EQ(h.Start(), GE_OK);
        TDMap* map = h.game() && h.game()->mGameWindow ? h.game()->mGameWindow->mMap : nullptr;
        ASSERT_NE(map, nullptr);
        map->mEpisode = 0;
        map->mLevel = 0;
        ASSERT_TRUE(map->startLevel());
        map->mScreen = 0;
        map->mSpeed = 1.0f;
        const auto unit = UnitAt(400.0f, 300.0f);
        auto* drop = new TDCrystallSpecial(unit.get(), map->mDropChanceOverride);
        map->mSpecials.push_back(drop);
        ASSERT_NE(drop->animation, nullptr);
        EXPECT_GT(drop->animation->frameCount(), 0) << "the shipped crystal";
        EXPECT_NE(drop->shadow, nullptr) << "the shipped shadow";
        const int gems = map->mStats->mGems;
        // Drop time runs at 1.5 x game time: 1 s of flight, then lying until its clock
        // (flight included) passes 5.
        for (int i = 0; i < 16; ++i)
            map->update(0.1f);
        ASSERT_EQ(map->mSpecials.size(), 1u);
        EXPECT_EQ(drop->state, TDGoldSpecial::Lying);
        EXPECT_EQ(map->mStats->mGems, gems);
        for (int i = 0; i < 17; ++i)
            map->update(0.1f);
        EXPECT_EQ(map->mStats->mGems, gems) << "a clock of 4.95 after 3.3 s of game time: not yet";
        for (int i = 0; i < 3; ++i)
            map->update(0.1f);
        EXPECT_EQ(map->mStats->mGems, gems + 1);
        EXPECT_EQ(map->mProgress->getGems(), gems + 1);
        for (int i = 0; i < 10; ++i)
            map->update(0.1f);
        EXPECT_TRUE(map->mSpecials.empty()) << "flown to the counter and gone";
        EXPECT_EQ(map->mStats->mGems, gems + 1) << "credited once";
    });
}
