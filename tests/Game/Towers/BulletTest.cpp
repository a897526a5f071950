// Shots in flight: the four flight kinds, what they strike and when, and a shot that
// outlives its target or its tower.
#include "tests/Game/Towers/BulletField.h"

#include "Source/TD/Units/BlastModifier.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

// Unit 1; ammunition 2001 (radius 0), 2002 (radius 30), 2003 (the lobbed shell,
// radius 90); towers of strength 5 and reach 400 (firing radius 200): 10 straight, 11
// homing, 12 instant, 13 lobbing, 14 straight with a radius-0 shot.
const char* kSheet = "id;strength;speed;r;ammoid;aimed;health\n"
                     "1;0;40;0;0;0;20\n"
                     "2001;0;0;0;0;0;0\n"
                     "2002;0;0;30;0;0;0\n"
                     "2003;0;0;90;0;0;0\n"
                     "10;5;100;400;2002;0;0\n"
                     "11;5;100;400;2001;1;0\n"
                     "12;5;-1;400;2001;0;0\n"
                     "13;5;100;400;2003;0;0\n"
                     "14;5;100;400;2001;0;0\n";

struct Field : BulletField {
    Field() : BulletField(kSheet) {}
};

// The lobbed shell's animation and sprite, registered so nothing is read from disk.
SpriteDescription* ShellDescription(Field& f)
{
    auto* shell = new SpriteDescription;
    shell->name = L"td/tower3_1b";
    TDResources::Instance()->mDescriptions.push_back(shell);
    f.sheet.store->find(2003)->sprite = shell;
    return shell;
}

} // namespace

TEST(Bullet, StraightShotFliesToWhereItsTargetStoodAndStrikesOnce)
{
    Field f;
    TDTower* tower = f.tower(10, 0, 0);
    TDMob* target = f.unit(100, 0);
    TDBullet* shot = f.fire(tower, target);
    EXPECT_FLOAT_EQ(shot->speed, 100.0f);
    for (float x : {25.0f, 50.0f, 75.0f}) {
        f.step(0.25f);
        ASSERT_TRUE(f.flying(shot));
        EXPECT_FLOAT_EQ(shot->position.x, x);
        EXPECT_FLOAT_EQ(shot->position.y, 0.0f);
    }
    f.step(0.25f);
    EXPECT_FALSE(f.flying(shot)) << "reaped in the tick it struck";
    EXPECT_FLOAT_EQ(target->mHealth, 15.0f);
    f.step(0.25f, 4);
    EXPECT_FLOAT_EQ(target->mHealth, 15.0f) << "struck once";
}

TEST(Bullet, StraightShotWhoseTargetWalkedAwayStrikesOnlyTheCircle)
{
    Field f;
    TDTower* tower = f.tower(10, 0, 0);
    TDMob* target = f.unit(100, 0);
    TDMob* near = f.unit(100, 15);
    TDMob* outside = f.unit(100, 31);
    f.fire(tower, target);
    f.step(0.25f);
    Field::place(target, 100, 60);
    f.step(0.25f, 3);
    EXPECT_TRUE(f.list->bullets.empty());
    EXPECT_FLOAT_EQ(target->mHealth, 20.0f) << "no longer at the spot";
    EXPECT_NEAR(near->mHealth, 20.0f - 5.0f * (30.0f - 15.0f) / 30.0f, 1e-4) << "a splash hit, by distance";
    EXPECT_FLOAT_EQ(outside->mHealth, 20.0f);
}

TEST(Bullet, RadiusZeroShotStrikesOnlyTheExactSpot)
{
    Field f;
    TDTower* tower = f.tower(14, 0, 0);
    TDMob* target = f.unit(100, 0);
    TDMob* beside = f.unit(100, 1);
    f.fire(tower, target);
    f.step(0.25f, 4);
    EXPECT_TRUE(f.list->bullets.empty());
    EXPECT_TRUE(std::isfinite(target->mHealth));
    EXPECT_LE(target->mHealth, 20.0f);
    EXPECT_FLOAT_EQ(beside->mHealth, 20.0f);
}

TEST(Bullet, StraightShotLeavingTheRangeVanishes)
{
    Field f;
    TDTower* tower = f.tower(10, 0, 0);
    TDMob* target = f.unit(300, 0); // beyond the firing radius of 200
    TDBullet* shot = f.fire(tower, target);
    f.step(0.5f, 4);
    EXPECT_TRUE(f.flying(shot));
    f.step(0.5f);
    EXPECT_FALSE(f.flying(shot));
    EXPECT_FLOAT_EQ(target->mHealth, 20.0f);
    EXPECT_TRUE(f.areas.empty());
}

TEST(Bullet, HomingShotFollowsTheHitPoint)
{
    Field f;
    TDTower* tower = f.tower(11, 0, 0);
    TDMob* target = f.unit(100, 10); // hit point (100, 0)
    TDBullet* shot = f.fire(tower, target);
    f.step(0.5f);
    EXPECT_NEAR(shot->position.x, 50.0f, 1e-4);
    EXPECT_NEAR(shot->position.y, 0.0f, 1e-4);
    EXPECT_NEAR(shot->angle, BulletAngle(1.0f, 0.0f), 1e-4);
    Field::place(target, 50, 110); // hit point (50, 100): straight below the shot
    f.step(0.5f);
    EXPECT_NEAR(shot->position.x, 50.0f, 1e-4);
    EXPECT_NEAR(shot->position.y, 50.0f, 1e-4);
    EXPECT_FLOAT_EQ(target->mHealth, 20.0f);
    f.step(0.45f);
    EXPECT_TRUE(f.flying(shot)) << "5 short of the hit point: closer than 10 strikes next tick";
    f.step(0.05f);
    EXPECT_FALSE(f.flying(shot));
    EXPECT_FLOAT_EQ(target->mHealth, 15.0f);
    f.step(0.5f, 2);
    EXPECT_FLOAT_EQ(target->mHealth, 15.0f);
    EXPECT_TRUE(f.areas.empty()) << "a hit is no burst";
}

TEST(Bullet, HomingShotWithoutItsTargetBurstsWhereItIs)
{
    // How the target is lost: removed from the level (told to the list), deleted
    // without a word to the list, or out of the tower's range.
    enum Loss { Removed, Vanished, OutOfRange };
    for (Loss loss : {Removed, Vanished, OutOfRange}) {
        SCOPED_TRACE(loss);
        Field f;
        TDTower* tower = f.tower(11, 0, 0);
        TDMob* target = f.unit(100, 10);
        TDMob* bystander = f.unit(150, 10);
        TDBullet* shot = f.fire(tower, target);
        f.step(0.5f);
        switch (loss) {
        case Removed:
            f.remove(target);
            break;
        case Vanished:
            f.units.erase(f.units.begin());
            delete target;
            break;
        case OutOfRange:
            Field::place(target, 250, 10);
            break;
        }
        f.step(0.5f);
        EXPECT_FALSE(f.flying(shot));
        ASSERT_EQ(f.areas.size(), 1u);
        auto* blast = dynamic_cast<BlastModifier*>(f.areas[0]);
        ASSERT_NE(blast, nullptr);
        EXPECT_NEAR(blast->mX, 50.0f, 1e-3) << "at the shot, not at the old target";
        EXPECT_NEAR(blast->mY, 0.0f, 1e-3);
        EXPECT_FLOAT_EQ(bystander->mHealth, 20.0f) << "the burst's damage is the blast's, later";
    }
}

TEST(Bullet, HomingShotAtAUnitThatDiedFliesOnToIt)
{
    // Killed by another shot meanwhile, the unit lies there until the level removes
    // it: the shot keeps it as its target, reaches it and strikes nothing.
    Field f;
    TDTower* tower = f.tower(11, 0, 0);
    TDMob* target = f.unit(100, 10);
    TDMob* bystander = f.unit(150, 10);
    TDBullet* shot = f.fire(tower, target);
    f.step(0.5f);
    target->mState = TDMob::Dying;
    target->mHealth = 0.0f;
    f.step(0.45f);
    ASSERT_TRUE(f.flying(shot));
    EXPECT_EQ(shot->target, target);
    EXPECT_NEAR(shot->position.x, 95.0f, 1e-3);
    f.step(0.05f);
    EXPECT_FALSE(f.flying(shot)) << "arrived";
    EXPECT_TRUE(f.areas.empty()) << "no burst on the way";
    EXPECT_FLOAT_EQ(target->mHealth, 0.0f);
    EXPECT_FLOAT_EQ(bystander->mHealth, 20.0f);
}

TEST(Bullet, InstantShotStrikesInItsFirstTick)
{
    Field f;
    TDTower* tower = f.tower(12, 0, 0);
    TDMob* target = f.unit(150, 0);
    TDBullet* shot = f.fire(tower, target);
    f.step(0.01f);
    EXPECT_FALSE(f.flying(shot));
    EXPECT_FLOAT_EQ(target->mHealth, 15.0f);
    EXPECT_TRUE(f.hudEffects.empty());
    EXPECT_TRUE(f.areas.empty());

    // Its target removed before the first tick: it dies without effect.
    TDMob* gone = f.unit(150, 0);
    TDBullet* late = f.fire(tower, gone);
    f.remove(gone);
    f.step(0.01f);
    EXPECT_FALSE(f.flying(late));
    EXPECT_TRUE(f.areas.empty());
}

TEST(Bullet, LobbedShellRisesThenArcsAndLandsOnce)
{
    for (float targetY : {0.0f, 120.0f}) {
        SCOPED_TRACE(targetY);
        Field f;
        ShellDescription(f);
        TDTower* tower = f.tower(13, 0, 0);
        tower->state = TDTower::AwaitShell;
        tower->animTime = 0.4f;
        TDMob* target = f.unit(100, targetY);
        TDBullet* shot = f.fire(tower, target);
        EXPECT_FLOAT_EQ(shot->position.y, -15.0f);
        ASSERT_NE(shot->animation, nullptr);
        f.step(0.25f);
        EXPECT_FLOAT_EQ(shot->position.y, -15.0f - 25.0f) << "rising at the tier's speed";
        f.step(0.25f);
        EXPECT_EQ(shot->state, 1) << "the arc starts after half a second";
        const BulletPoint start = shot->arcStart;
        EXPECT_FLOAT_EQ(start.y, -40.0f);
        f.step(0.25f, 2);
        EXPECT_NEAR(shot->position.y, start.y - 17.5f, 1e-3) << "the arc's middle, whatever the target's height";
        EXPECT_NEAR(shot->position.x, 50.0f, 1e-3);
        Field::place(target, 100, targetY + 20.0f); // the arc does not follow
        f.step(0.25f, 2);
        EXPECT_TRUE(f.flying(shot));
        EXPECT_FLOAT_EQ(target->mHealth, 20.0f);
        EXPECT_EQ(tower->state, TDTower::AwaitShell);
        f.step(0.25f);
        EXPECT_FALSE(f.flying(shot)) << "landed and burst";
        EXPECT_NEAR(target->mHealth, 20.0f - 5.0f * (90.0f - 20.0f) / 90.0f, 1e-4);
        EXPECT_EQ(tower->state, TDTower::Idle) << "the tower waiting for its shell is free again";
        EXPECT_FLOAT_EQ(tower->animTime, 0.0f);
        f.step(0.25f, 4);
        EXPECT_NEAR(target->mHealth, 20.0f - 5.0f * (90.0f - 20.0f) / 90.0f, 1e-4);
    }
}

TEST(Bullet, LobbedShellBurstsWhereItLands)
{
    // Its target dies while it rises, or walks out of the tower's reach (firing radius
    // 200) before the arc is fixed: the shell still arcs to where the unit is then and
    // bursts there, striking what stands within its 90.
    enum Case { TargetDied, TargetLeftTheRange };
    for (Case c : {TargetDied, TargetLeftTheRange}) {
        SCOPED_TRACE(c);
        Field f;
        ShellDescription(f);
        TDTower* tower = f.tower(13, 0, 0);
        TDMob* target = f.unit(100, 0);
        TDBullet* shot = f.fire(tower, target);
        f.step(0.25f);
        const float landX = c == TargetDied ? 100.0f : 230.0f;
        if (c == TargetDied) {
            target->mState = TDMob::Dying;
            target->mHealth = 0.0f;
        } else {
            Field::place(target, landX, 0);
        }
        TDMob* bystander = f.unit(landX + 30.0f, 0);
        f.step(0.25f);
        ASSERT_TRUE(f.flying(shot));
        EXPECT_EQ(shot->state, 1) << "on its arc";
        EXPECT_FLOAT_EQ(shot->arcEnd.x, landX);
        f.step(0.25f, 5);
        EXPECT_FALSE(f.flying(shot)) << "landed and burst";
        EXPECT_NEAR(bystander->mHealth, 20.0f - 5.0f * (90.0f - 30.0f) / 90.0f, 1e-4);
    }
}

TEST(Bullet, LobbedShellWithoutTargetBeforeItsArcVanishes)
{
    Field f;
    ShellDescription(f);
    TDTower* tower = f.tower(13, 0, 0);
    TDMob* target = f.unit(100, 0);
    TDBullet* shot = f.fire(tower, target);
    f.step(0.25f);
    f.remove(target);
    f.step(0.25f);
    EXPECT_FALSE(f.flying(shot));
    EXPECT_TRUE(f.areas.empty());
}

TEST(Bullet, ShotsOfASoldTowerGo)
{
    Field f;
    TDTower* sold = f.tower(10, 0, 0);
    TDTower* kept = f.tower(10, 0, 50);
    TDMob* target = f.unit(100, 0);
    f.fire(sold, target);
    TDBullet* other = f.fire(kept, target);
    f.step(0.25f);
    f.list->removeTower(sold);
    f.towers.erase(f.towers.begin());
    delete sold;
    ASSERT_EQ(f.list->bullets.size(), 1u);
    EXPECT_EQ(f.list->bullets[0], other);
    f.step(0.25f, 8);
    EXPECT_TRUE(f.list->bullets.empty());
}

TEST(Bullet, ShotOfATowerGoneWithoutNoticeNeverReadsIt)
{
    Field f;
    TDTower* gone = f.tower(13, 0, 0);
    ShellDescription(f);
    TDMob* target = f.unit(100, 0);
    TDBullet* shot = f.fire(gone, target);
    f.step(0.25f);
    f.towers.clear();
    delete gone; // the sanitizer build reports any read of it
    f.step(0.25f);
    EXPECT_FALSE(f.flying(shot));
    EXPECT_FLOAT_EQ(target->mHealth, 20.0f);
}

TEST(Bullet, RemovedUnitIsForgottenByEveryShot)
{
    Field f;
    TDTower* tower = f.tower(11, 0, 0);
    TDMob* target = f.unit(100, 10);
    TDMob* other = f.unit(100, 50);
    TDBullet* a = f.fire(tower, target);
    TDBullet* b = f.fire(tower, other);
    a->struck = {other, target, other};
    f.remove(other);
    EXPECT_EQ(a->target, target);
    EXPECT_EQ(b->target, nullptr);
    ASSERT_EQ(a->struck.size(), 1u);
    EXPECT_EQ(a->struck[0], target);
}

TEST(BulletList, DeletesSpellsThroughTheBase)
{
    struct Probe : TDBullet {
        explicit Probe(bool* gone) : TDBullet(nullptr, nullptr), gone(gone) {}
        ~Probe() override { *gone = true; }
        void update(float) override {}
        bool* gone;
    };
    bool reaped = false, cleared = false;
    Field f;
    auto* dying = new Probe(&reaped);
    dying->alive = 0;
    f.list->add(dying);
    f.list->add(new Probe(&cleared));
    f.step(0.1f);
    EXPECT_TRUE(reaped);
    EXPECT_FALSE(cleared);
    f.list->clear();
    EXPECT_TRUE(cleared);
}
