#include "Source/TD/Towers/TDTower.h"
#include "Source/TD/Units/TDMob.h"
#include "Source/TD/Units/TDModifier.h"
#include "Source/TD/World/TDPoint.h"
#include "Source/TD/World/PrototypeStore.h"
#include "Source/TD/World/SheetToXml.h"
#include "Source/TD/World/TDFrameEntry.h"
#include "Source/TD/World/UnitPrototype.h"

#include "tests/Support/SheetStore.h"

#include <gtest/gtest.h>
#include <memory>
#include <tinyxml2.h>

namespace {

// Units 1 (walker with a tier), 5 (raiser, reach 100, speed 2), 39 (raised kind).
struct Store : SheetStore {
    Store()
        : SheetStore("id;parent;levelid;speed;r;raiseDead;health\n"
                       "1;;0;3;0;0;10\n"
                       "9001;1;1;3;0;0;20\n"
                       "5;;0;2;100;1;10\n"
                       "39;;0;1;0;0;5\n")
    {
    }
};

std::unique_ptr<TDMob> Mob(int id, float x, float y)
{
    auto mob = std::make_unique<TDMob>();
    mob->mPrototypeId = id;
    mob->mX = x;
    mob->mY = y;
    return mob;
}

} // namespace

TEST(Mob, PrototypeByTier)
{
    Store s;
    auto mob = Mob(1, 0, 0);
    EXPECT_EQ(mob->getPrototype(*s.store)->id, 1);
    mob->mUpgradeIndex = 1;
    EXPECT_EQ(mob->getPrototype(*s.store)->id, 9001);
    mob->mUpgradeIndex = 4;
    EXPECT_EQ(mob->getPrototype(*s.store)->id, 9001) << "an unknown tier is the last one";
    mob->mPrototypeId = 77;
    EXPECT_EQ(mob->getPrototype(*s.store), nullptr);
}

TEST(Mob, WhoRaisesTheDead)
{
    Store s;
    auto dead = Mob(1, 0, 0);
    auto far = Mob(5, 150, 0);
    auto first = Mob(5, 50, 0);
    auto second = Mob(5, 10, 0);
    auto walker = Mob(1, 1, 0);
    std::vector<TDMob*> mobs = {dead.get(), walker.get(), far.get(), first.get(), second.get()};
    EXPECT_EQ(TDMob::findRaiser(mobs, *dead, *s.store), first.get()) << "the first raiser in reach";

    first->mSpeedPenalty = 2.0f; // held: its whole speed is taken
    EXPECT_EQ(TDMob::findRaiser(mobs, *dead, *s.store), second.get());
    second->mSpeedPenalty = 1.0f; // stunned: half of it
    EXPECT_EQ(TDMob::findRaiser(mobs, *dead, *s.store), second.get());
    second->mState = TDMob::Dying;
    EXPECT_EQ(TDMob::findRaiser(mobs, *dead, *s.store), nullptr);
    second->mState = TDMob::Walking;

    auto raised = Mob(TDMob::kRaisedId, 0, 0);
    EXPECT_EQ(TDMob::findRaiser(mobs, *raised, *s.store), nullptr) << "a raised unit is never raised again";
}

TEST(Mob, RaisedUnitOwnsItsRoute)
{
    auto dead = Mob(1, 40, 50);
    dead->mPathNodes = {1, 2, 3, 4};
    dead->mPathIndex = 2;
    dead->mSegmentT = 0.25f;
    dead->mSegmentTime = 1.5f;
    dead->mPathSamples = {{1, 2}, {3, 4}};
    auto raised = Mob(TDMob::kRaisedId, 0, 0);
    raised->takeOverFrom(*dead);
    dead.reset(); // the dead unit's lists go with it
    EXPECT_EQ(raised->mPathNodes, (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(raised->mPathIndex, 2);
    EXPECT_EQ(raised->mSegmentT, 0.25f);
    EXPECT_EQ(raised->mPathSamples.size(), 2u);
    EXPECT_EQ(raised->mX, 40.0f);
    EXPECT_EQ(raised->mState, TDMob::Special);

    auto raiser = Mob(5, 0, 0);
    raiser->mAnimTime = 3.0f;
    TDMob::startRaising(*raiser);
    EXPECT_EQ(raiser->mState, TDMob::Special);
    EXPECT_EQ(raiser->mAnimTime, 0.0f);
    raiser->mAnimTime = 1.0f;
    TDMob::startRaising(*raiser);
    EXPECT_EQ(raiser->mAnimTime, 1.0f) << "a raiser already in its special state keeps its time";
}

TEST(Mob, FrameRect)
{
    TDFrameEntry first, current;
    first.mX = 4;
    first.mY = 6;
    current.mX = 10;
    current.mY = 12;
    current.mWidth = 20;
    current.mHeight = 30;
    auto mob = Mob(1, 0, 0);
    mob->mFrameW = 60;
    mob->mFrameH = 80;
    mob->mAimX = 100;
    mob->mAimY = 200;
    mob->mOffsetZ = -5;
    MobRect r = mob->frameRect(&first, &current);
    EXPECT_FLOAT_EQ(r.x, 100 - (30 - 4) - 10 - 10 + 30);
    EXPECT_FLOAT_EQ(r.y, (40 - 6) + 200 - 5 + 15 + 12 - 40);
    EXPECT_FLOAT_EQ(r.width, 20);
    EXPECT_FLOAT_EQ(r.height, 30);
    mob->mFacingLeft = 1;
    r = mob->frameRect(&first, &current);
    EXPECT_FLOAT_EQ(r.x, 100 + (30 - 4) + 10 + 10 - 30);
}

TEST(Mob, EffectsOfAnOwnerGo)
{
    auto mob = Mob(1, 0, 0);
    TDTower towerA(nullptr, nullptr, 0, 0), towerB(nullptr, nullptr, 0, 0);
    mob->mModifiers = {new TDModifier("a1", &towerA, 1, 1), new TDModifier("b", &towerB, 1, 1),
                       new TDModifier("a2", &towerA, 1, 1), new TDModifier("c", nullptr, 1, 1)};
    mob->removeEffectsOf(&towerA);
    ASSERT_EQ(mob->mModifiers.size(), 2u);
    EXPECT_EQ(mob->mModifiers[0]->mName, "b");
    EXPECT_EQ(mob->mModifiers[1]->mName, "c");
}

TEST(Mob, UpperFromTheCurrentPathPoint)
{
    TDPoint ground(1, 0, 0), bridge(2, 0, 0);
    bridge.params.number("upper") = 1.0f;
    std::vector<TDPoint*> points = {&ground, &bridge};
    auto mob = Mob(1, 0, 0);
    mob->mPathNodes = {1, 2, 7};
    mob->mPathIndex = 1;
    mob->updateUpper(points);
    EXPECT_EQ(mob->mUpper, 1.0f);
    mob->mPathIndex = 0;
    mob->updateUpper(points);
    EXPECT_EQ(mob->mUpper, 0.0f);
    mob->mPathIndex = 2; // names no point
    mob->updateUpper(points);
    EXPECT_EQ(mob->mUpper, 0.0f);
    mob->mPathIndex = 9;
    mob->updateUpper(points);
    EXPECT_EQ(mob->mUpper, 0.0f);
}
