// Towers on a level built in the test: targeting, turning, firing on cooldown, the
// frames they show, upgrades, income, sale and tier steps.
#include "Source/TD/Shell/FeatureConfig.h"
#include "Source/TD/Shell/LocalStrings.h"
#include "Source/TD/Towers/TDBullet.h"
#include "Source/TD/Towers/TDBulletList.h"
#include "Source/TD/Towers/TDSpot.h"
#include "Source/TD/Towers/TDTower.h"
#include "Source/TD/Units/DotModifier.h"
#include "Source/TD/Units/HoldModifier.h"
#include "Source/TD/Units/StunModifier.h"
#include "Source/TD/Units/TDMob.h"
#include "Source/TD/World/ParamSet.h"
#include "Source/TD/World/PrototypeStore.h"
#include "Source/TD/World/TDBeamParticle.h"
#include "Source/TD/World/TDFloatingLabels.h"
#include "Source/TD/World/TDFrameEntry.h"
#include "Source/TD/World/TDLink.h"
#include "Source/TD/World/TDMap.h"
#include "Source/TD/World/TDPlayerStats.h"
#include "Source/TD/World/TDPoint.h"
#include "Source/TD/World/TDResources.h"
#include "Source/TD/World/TDWaves.h"
#include "Source/TD/World/UnitPrototype.h"
#include "tests/Support/LogCapture.h"
#include "tests/Support/SheetStore.h"

#include <cmath>
#include <gtest/gtest.h>
#include <memory>
#include <tinyxml2.h>

namespace {

// Towers: 100 a plain tier with its upgrade 101 (levelid 1); 110 may shoot flying
// units; 120 fires ammunition no sheet has; 130 a gold tower; 140 rotates; 150 a tier
// of cost 75 under a parent of cost 50; 170 teleports its target, and 171 too, with an
// ammoid that no sheet has (the teleport shot carries none); 180 boosts others.
const char* const kTowers = "id;parent;levelid;strength;cooldown;r;cost;fps;speed;ammoid;air;rotating;tierUpdates;tierK;"
                            "tierCost;goldIncome;stars;teleportEnemy;boostTower\n"
                            "100;-1;0;10;1,0;200;50;10;0;900;0;0;2;0,1;5;0;0;0;0\n"
                            "101;100;1;15;0,8;220;75;10;0;900;0;0;0;0;0;0;1;0;0\n"
                            "110;-1;0;10;1;200;50;10;0;900;1;0;0;0;0;0;0;0;0\n"
                            "120;-1;0;10;1;200;50;10;0;901;0;0;0;0;0;0;0;0;0\n"
                            "130;-1;0;-1;2;200;50;10;0;0;0;0;0;0;0;10;0;0;0\n"
                            "140;-1;0;10;1;200;50;10;0;900;0;1;0;0;0;0;0;0;0\n"
                            "160;-1;0;10;1;200;50;10;0;900;0;0;0;0;0;0;0;0;0\n"
                            "150;160;1;10;1;200;75;10;0;900;0;0;0;0;0;0;0;0;0\n"
                            "170;-1;0;10;1;200;50;10;-1;900;0;0;0;0;0;0;0;1;0\n"
                            "171;-1;0;10;1;200;50;10;-1;901;0;0;0;0;0;0;0;1;0\n"
                            "180;-1;0;-1;1;200;50;10;20;0;0;0;0;0;0;0;0;0;1\n";
// Units: 1 walks, 2 flies, 3 blocks towers within 40, 4 weakens towers within 80.
const char* const kUnits = "id;strength;health;speed;r;air;blocktower;debufftower\n"
                           "1;1;100;1;0;0;0;0\n"
                           "2;1;100;1;0;1;0;0\n"
                           "3;1;100;1;80;0;1;0\n"
                           "4;1;100;1;80;0;0;1\n";
const char* const kAmmo = "id;speed;r\n900;300;0\n";

// A level object with the sheets above, one spot and its tower.
struct Level {
    Level()
    {
        delete map.mPrototypes;
        map.mPrototypes =
            new PrototypeStore(SheetsInto(document, {{"units", kUnits}, {"towers", kTowers}, {"ammo", kAmmo}}));
        map.mScreen = 0;
        spotElement.Parse("<spot x='0' y='0'/>");
        spot = std::make_unique<TDSpot>(spotElement.RootElement());
        entry.mSpot = spot.get();
        entry.mX = -36.0f;
        entry.mY = -26.0f;
        entry.mWidth = 72.0f;
        entry.mHeight = 52.0f;
    }
    const UnitPrototype* proto(int id) const { return map.mPrototypes->find(id); }
    // A tower built on the spot (centre 0, 0) for nothing.
    TDTower* tower(int id)
    {
        map.mStats->mMoney += static_cast<int>(proto(id)->cost);
        TDTower* t = map.buildTower(proto(id), &entry);
        EXPECT_NE(t, nullptr);
        return t;
    }
    TDMob* unit(int id, float x, float y, float health = 100.0f)
    {
        auto* mob = new TDMob;
        mob->mPrototypeId = id;
        mob->mX = mob->mAimX = x;
        mob->mY = mob->mAimY = y;
        mob->mHealth = health;
        map.mWaves->mobs.push_back(mob);
        return mob;
    }
    void run(TDTower* t, float seconds, float dt = 0.05f)
    {
        map.mLastDt = dt;
        for (float clock = 0.0f; clock < seconds - 1e-4f; clock += dt)
            t->update(dt);
    }
    size_t bullets() const { return map.mBullets->bullets.size(); }

    TDMap map;
    tinyxml2::XMLDocument document;
    tinyxml2::XMLDocument spotElement;
    std::unique_ptr<TDSpot> spot;
    TDFrameEntry entry;
};

// A sprite description of named frames; each frame is a 10 x 10 rectangle at (index, 0)
// of its list, so a picked frame tells its list and index.
std::unique_ptr<SpriteDescription> Sprite(int idle, int blast, int plain)
{
    auto sprite = std::make_unique<SpriteDescription>();
    for (auto [name, count] : {std::pair{"idle", idle}, {"blast", blast}, {"", plain}}) {
        for (int i = 0; i < count; ++i) {
            auto* frame = new TDFrameEntry;
            frame->mName = std::wstring(name, name + std::string(name).size()) + L"#" + std::to_wstring(i);
            frame->mX = static_cast<float>(i);
            frame->mWidth = 10.0f;
            frame->mHeight = 10.0f;
            sprite->lists[name].push_back(frame);
        }
    }
    return sprite;
}

// Removes a list of the description with its frames.
void DropList(SpriteDescription& sprite, const std::string& name)
{
    for (TDFrameEntry* frame : sprite.lists[name])
        delete frame;
    sprite.lists.erase(name);
}

} // namespace

TEST(TowerTargeting, ChoosesByKindHealthDistanceAndFocus)
{
    Level level;
    TDTower* antiAir = level.tower(110);
    // A flying unit beats ground units of less health.
    TDMob* weakGround = level.unit(1, 50, 0, 10);
    TDMob* flyer = level.unit(2, 90, 0, 100);
    std::vector<TDMob*> inRange;
    antiAir->collectTargets(inRange, 0.0f);
    EXPECT_EQ(inRange.size(), 2u);
    EXPECT_EQ(antiAir->chooseTarget(inRange, nullptr, true), flyer);
    // A kept target stays while it is in the list; a gone one is replaced.
    EXPECT_EQ(antiAir->chooseTarget(inRange, weakGround, true), weakGround);
    EXPECT_EQ(antiAir->chooseTarget({flyer}, weakGround, true), flyer);

    // Ground tower: never a flying unit, even as the player's focus.
    TDTower* ground = level.tower(100);
    ground->collectTargets(inRange, 0.0f);
    EXPECT_EQ(inRange, std::vector<TDMob*>{weakGround});
    level.map.mSelectedMob = flyer;
    EXPECT_EQ(ground->chooseTarget(inRange, nullptr, true), weakGround);

    // Lowest health wins; among equals the nearer one.
    TDMob* far = level.unit(1, 0, 95, 10);
    TDMob* focus = level.unit(1, 0, -60, 80);
    ground->collectTargets(inRange, 0.0f);
    EXPECT_EQ(ground->chooseTarget(inRange, nullptr, true), weakGround);
    weakGround->mX = weakGround->mAimX = 96.0f;
    EXPECT_EQ(ground->chooseTarget(inRange, nullptr, true), far) << "tied for health: the nearer";
    // The focus target is taken while it is in range.
    level.map.mSelectedMob = focus;
    EXPECT_EQ(ground->chooseTarget(inRange, weakGround, true), focus);

    // Hidden, dying and out-of-range units are not collected; the margin reaches further.
    focus->mHideTimer = 1.0f;
    far->mState = TDMob::Dying;
    level.unit(1, 150, 0);
    ground->collectTargets(inRange, 0.0f);
    EXPECT_EQ(inRange, std::vector<TDMob*>{weakGround});
    ground->collectTargets(inRange, TDTower::kTrackMargin);
    EXPECT_EQ(inRange.size(), 2u);
}

TEST(TowerTargeting, SpotRadiusAndBonusWidenTheRange)
{
    Level level;
    TDTower* tower = level.tower(100);
    EXPECT_FLOAT_EQ(tower->effectiveRadius(), 100.0f) << "r is a diameter; radius_mult 0 counts as 1";
    level.spot->mParams->number("radius_mult") = 1.5f;
    tower->bonus.r = 20.0f;
    EXPECT_FLOAT_EQ(tower->effectiveRadius(), 165.0f);
}

TEST(TowerTurning, TakesTheShortWayInSectors)
{
    struct Case {
        float facing;
        float unitAngle; // degrees from down toward right
        float after;     // facing after one 0.01 s tick (3.6 degrees a step)
    };
    const Case cases[] = {
        {350.0f, 10.0f, 353.6f}, // up through 360
        {10.0f, 350.0f, 6.4f},   // down through 0
        {84.0f, 90.0f, 90.0f},   // one step into the aim's sector: snaps onto the aim
        {0.0f, 180.0f, 3.6f},    // half a turn either way: upward
    };
    for (const Case& c : cases) {
        Level level;
        TDTower* tower = level.tower(100);
        const float radians = c.unitAngle * 3.14159265f / 180.0f;
        level.unit(1, std::sin(radians) * 50.0f, std::cos(radians) * 50.0f);
        tower->state = TDTower::Tracking;
        tower->facing = c.facing;
        tower->aimAngle = c.facing;
        tower->cooldownLeft = 5.0f;
        level.run(tower, 0.01f, 0.01f);
        EXPECT_NEAR(tower->facing, c.after, 1e-3f) << "facing " << c.facing << " unit at " << c.unitAngle;
    }

    // A new aim inside the sector of the old aim does not move aimAngle.
    Level level;
    TDTower* tower = level.tower(100);
    level.unit(1, std::sin(0.3f) * 50.0f, std::cos(0.3f) * 50.0f); // 17.2 degrees: sector 1
    tower->state = TDTower::Tracking;
    tower->aimAngle = 12.0f;
    tower->facing = 12.0f;
    tower->cooldownLeft = 5.0f;
    level.run(tower, 0.01f, 0.01f);
    EXPECT_EQ(tower->aimAngle, 12.0f);
}

TEST(TowerFiring, FiresOnCooldownAndAbortsWhenTheUnitLeaves)
{
    Level level;
    TDTower* tower = level.tower(100);
    EXPECT_EQ(tower->state, TDTower::Pause);
    level.run(tower, 0.05f);
    EXPECT_EQ(tower->state, TDTower::Idle) << "a new tower leaves its pause in the first tick";

    // Facing down already: aligned with cooldown 0, and a blast without frames ends in
    // the same tick with the shot.
    TDMob* unit = level.unit(1, 0, 60);
    level.run(tower, 0.05f);
    EXPECT_EQ(tower->target, unit);
    ASSERT_EQ(level.bullets(), 1u);
    EXPECT_EQ(level.map.mBullets->bullets[0]->target, unit);
    EXPECT_EQ(level.map.mBullets->bullets[0]->tower, tower);
    EXPECT_FLOAT_EQ(tower->cooldownLeft, 1.0f);
    EXPECT_EQ(tower->state, TDTower::Idle);
    level.run(tower, 0.9f);
    EXPECT_EQ(level.bullets(), 1u) << "still cooling down";
    level.run(tower, 0.2f);
    EXPECT_EQ(level.bullets(), 2u);

    // Weakened: the cooldown is 1.5 times as long, a boost's cut taken first.
    TDMob* weakener = level.unit(4, 0, 70);
    tower->bonus.cooldown = 0.2f;
    tower->state = TDTower::Blast;
    tower->animTime = 1.0f;
    tower->update(0.0f);
    EXPECT_FLOAT_EQ(tower->cooldownLeft, 1.2f);
    EXPECT_TRUE(tower->debuffed);
    ASSERT_NE(tower->debuffOverlay, nullptr);
    weakener->mX = 1000.0f;
    tower->bonus.cooldown = 0.0f;

    // A unit leaving the range but not the margin aborts a running blast: no shot.
    const size_t before = level.bullets();
    tower->state = TDTower::Blast;
    tower->animTime = 0.0f;
    unit->mY = unit->mAimY = 150.0f;
    level.run(tower, 0.05f);
    EXPECT_EQ(tower->state, TDTower::Tracking);
    EXPECT_EQ(level.bullets(), before);
    // Gone beyond the margin too: released.
    unit->mY = unit->mAimY = 400.0f;
    level.run(tower, 0.05f);
    EXPECT_EQ(tower->target, nullptr);
    EXPECT_EQ(tower->state, TDTower::Turning);
}

TEST(TowerFiring, AmmunitionThatNoPrototypeHasIsNotFired)
{
    Level level;
    LogCapture log;
    TDTower* tower = level.tower(120);
    level.unit(1, 0, 60);
    level.run(tower, 3.0f);
    EXPECT_EQ(level.bullets(), 0u);
    EXPECT_EQ(log.Count(L"ammoid 901 names no prototype"), 1) << "one line, not one per shot";
    EXPECT_NE(tower->state, TDTower::AwaitShell);
}

TEST(TowerFiring, PauseAndFadeRunOnTheirOwnClocks)
{
    Level level;
    TDTower* tower = level.tower(130); // strength -1: never takes a target
    level.unit(1, 0, 60);
    tower->state = TDTower::Pause;
    tower->idlePause = 3.0f;
    level.map.mLastDt = 0.125f;
    for (int i = 0; i < 11; ++i)
        tower->update(0.125f);
    EXPECT_EQ(tower->state, TDTower::Pause) << "1.375 s: the pause falls twice per tick";
    tower->update(0.125f);
    EXPECT_EQ(tower->state, TDTower::Idle);
    EXPECT_EQ(tower->target, nullptr);
    EXPECT_FLOAT_EQ(tower->fade, 1.0f);
    EXPECT_EQ(tower->fadeRate, 0.0f);
}

TEST(TowerLookups, UnitsNearDisableOrWeakenTowers)
{
    Level level;
    TDTower* tower = level.tower(100);
    TDMob* blocker = level.unit(3, 40, 0); // reach 80 / 2
    TDMob* weakener = level.unit(4, 0, 80);
    EXPECT_TRUE(level.map.isTowerDisabled(tower));
    EXPECT_TRUE(level.map.isTowerDebuffed(tower));
    blocker->mX = 41.0f;
    weakener->mY = 81.0f;
    EXPECT_FALSE(level.map.isTowerDisabled(tower));
    EXPECT_FALSE(level.map.isTowerDebuffed(tower));
    blocker->mX = 10.0f;
    blocker->mSpeedPenalty = 1.0f; // held this tick
    EXPECT_FALSE(level.map.isTowerDisabled(tower));
    blocker->mSpeedPenalty = 0.0f;
    tower->immune = 1;
    EXPECT_FALSE(level.map.isTowerDisabled(tower));
    tower->immune = 0;

    // A disabled tower keeps its state and shows its overlay until the blocker goes.
    level.unit(1, 0, 60);
    tower->state = TDTower::Tracking;
    level.run(tower, 0.5f);
    EXPECT_TRUE(tower->disabled);
    EXPECT_EQ(tower->state, TDTower::Tracking);
    EXPECT_EQ(level.bullets(), 0u);
    ASSERT_NE(tower->disableOverlay, nullptr);
    EXPECT_EQ(level.map.mFloatingSprites.size(), 1u);
    blocker->mX = 300.0f;
    level.run(tower, 0.05f);
    EXPECT_FALSE(tower->disabled);
    EXPECT_EQ(tower->disableOverlay, nullptr);
    EXPECT_TRUE(level.map.mFloatingSprites.empty());
}

TEST(TowerLookups, TheTowersPassGivesTheSameAnswersAsAFullScan)
{
    Level level;
    TDTower* tower = level.tower(100);
    level.unit(1, 0, 60); // an ordinary unit: never a threat
    TDMob* blocker = level.unit(3, 40, 0);
    level.map.collectTowerThreats();
    ASSERT_NE(level.map.towerThreats(), nullptr);
    EXPECT_EQ(level.map.towerThreats()->size(), 1u) << "only units whose kind stops or weakens towers";
    EXPECT_TRUE(level.map.isTowerDisabled(tower));
    EXPECT_FALSE(level.map.isTowerDebuffed(tower));
    // Positions and the held state are read as they are now, not as collected.
    blocker->mX = 41.0f;
    EXPECT_FALSE(level.map.isTowerDisabled(tower));
    blocker->mX = 10.0f;
    blocker->mSpeedPenalty = 1.0f;
    EXPECT_FALSE(level.map.isTowerDisabled(tower));
    blocker->mSpeedPenalty = 0.0f;
    blocker->mX = 300.0f;
    // A unit that came after the collection still counts.
    level.unit(4, 0, 80);
    EXPECT_EQ(level.map.towerThreats(), nullptr) << "stale once the units changed";
    EXPECT_TRUE(level.map.isTowerDebuffed(tower));
    level.map.dropTowerThreats();
    EXPECT_EQ(level.map.towerThreats(), nullptr);
    EXPECT_TRUE(level.map.isTowerDebuffed(tower));
}

TEST(TowerDrawing, DirectionColumns)
{
    const std::pair<float, int> cases[] = {{0.0f, 31}, {11.25f, 30}, {11.2f, 31}, {180.0f, 15}, {359.0f, 0}, {360.0f, 31}};
    for (auto [facing, column] : cases)
        EXPECT_EQ(TDTower::directionFor(facing), column) << facing;
}

TEST(TowerDrawing, PicksTheFrameOfItsStateAndPlacesItOnTheBasePoint)
{
    Level level;
    auto sprite = Sprite(4, 6, 1);
    auto* base = new TDFrameEntry;
    base->mX = 48.0f;
    base->mY = 108.0f;
    sprite->lists["base_point"].push_back(base);
    UnitPrototype* tier = level.map.mPrototypes->find(100);
    tier->sprite = sprite.get();
    TDTower* tower = level.tower(100);
    tower->extent[0] = 96.0f;
    tower->extent[1] = 128.0f;

    struct Case {
        int state;
        float animTime;
        const wchar_t* frame;
    };
    const Case cases[] = {
        {TDTower::Idle, 0.25f, L"idle#2"},
        {TDTower::Idle, 9.0f, L"idle#3"},      // held at the last frame
        {TDTower::Blast, 0.35f, L"blast#3"},
        {TDTower::AwaitShell, 0.6f, L"blast#5"}, // the shell's wait shows the last blast frame
        {TDTower::Tracking, 0.0f, L"idle#0"},
    };
    for (const Case& c : cases) {
        tower->state = c.state;
        tower->animTime = c.animTime;
        TDFrameEntry out;
        ASSERT_TRUE(tower->frameEntry(out));
        EXPECT_EQ(out.mName, c.frame) << c.state << " at " << c.animTime;
    }

    // Placement: the canvas's base point stands on the anchor; depth is the anchor's y.
    tower->state = TDTower::Idle;
    tower->animTime = 0.0f;
    tower->fade = 0.5f;
    TDFrameEntry out;
    ASSERT_TRUE(tower->frameEntry(out));
    EXPECT_FLOAT_EQ(out.mTransform.PostX() + out.mTransform.PreX(), 5.0f - 48.0f);
    EXPECT_FLOAT_EQ(out.mTransform.PostY() + out.mTransform.PreY(), 5.0f - 108.0f);
    EXPECT_FLOAT_EQ(out.mDepth, 0.0f);
    EXPECT_FLOAT_EQ(out.mColor.w, 0.5f);

    // Without idle frames the first unnamed frame shows.
    DropList(*sprite, "idle");
    ASSERT_TRUE(tower->frameEntry(out));
    EXPECT_EQ(out.mName, L"#0");
    // Nothing at all: nothing queued.
    for (const char* name : {"", "blast", "base_point"})
        DropList(*sprite, name);
    EXPECT_FALSE(tower->frameEntry(out));
    tier->sprite = nullptr;
}

TEST(TowerDrawing, RotatingBlastNeverPassesItsDirectionsFourFrames)
{
    Level level;
    auto sprite = Sprite(0, 0, 128);
    UnitPrototype* tier = level.map.mPrototypes->find(140);
    tier->sprite = sprite.get();
    TDTower* tower = level.tower(140);
    tower->facing = 0.0f; // direction 31: frames 124..127
    tower->state = TDTower::Blast;
    TDFrameEntry out;
    for (auto [time, frame] : {std::pair{0.0f, L"#124"}, {0.25f, L"#126"}, {0.4f, L"#127"}}) {
        tower->animTime = time; // at exactly 4 / fps the step would be a fifth frame
        ASSERT_TRUE(tower->frameEntry(out));
        EXPECT_EQ(out.mName, frame) << time;
        EXPECT_EQ(tower->directionIndex, 31);
    }
    tower->facing = 11.25f;
    tower->state = TDTower::Idle;
    ASSERT_TRUE(tower->frameEntry(out));
    EXPECT_EQ(out.mName, L"#120");
    tier->sprite = nullptr;
}

TEST(TowerUpgrade, PaysInGoldOrOffersCrystalsOrTheGemShop)
{
    const bool savedUpgrade = gPremiumPointsTowerUpgrade;
    const bool savedInApp = gInAppPurchases;
    gPremiumPointsTowerUpgrade = true;
    gInAppPurchases = true;
    FeatureConfig::instance()->parse(
        "<config><features><feature name='low_premium_points_dialog' is_active='true'/></features></config>");

    Level level;
    TDTower* tower = level.tower(100);
    TDPlayerStats& wallet = *level.map.mStats;
    wallet.mMoney = 150;
    tower->upgrade(1, 149.5f);
    EXPECT_EQ(wallet.mMoney, 1) << "149 charged";
    EXPECT_EQ(tower->tierLevel, 1);
    EXPECT_EQ(tower->currentPrototype()->id, 101);
    EXPECT_FLOAT_EQ(tower->stats.r, 220.0f);
    EXPECT_EQ(level.map.mScreen, 0);

    // Short of gold with gems enough: the crystal conversion waits for its answer.
    Level second;
    TDTower* other = second.tower(100);
    second.map.mStats->mMoney = 100;
    second.map.mStats->mGems = 3;
    other->upgrade(1, 120.0f);
    EXPECT_EQ(other->tierLevel, 0);
    EXPECT_EQ(second.map.mStats->mMoney, 100);
    EXPECT_EQ(second.map.mScreen, 21);
    EXPECT_EQ(second.map.mSpeed, 0.0f);
    EXPECT_EQ(second.map.mPendingUpgradeTower, other);
    EXPECT_EQ(second.map.mPendingUpgradeItem, 1);
    EXPECT_FLOAT_EQ(second.map.mPendingUpgradeGold, 120.0f);
    // ... and without the gems, the gem shop is offered.
    second.map.mScreen = 0;
    second.map.mStats->mGems = 2;
    other->upgrade(1, 120.0f);
    EXPECT_EQ(second.map.mScreen, 19);
    // A tier that does not exist costs nothing.
    second.map.mStats->mMoney = 1000;
    other->upgrade(7, 10.0f);
    EXPECT_EQ(second.map.mStats->mMoney, 1000);

    gPremiumPointsTowerUpgrade = savedUpgrade;
    gInAppPurchases = savedInApp;
}

// The gem shop follows the configuration as it stands: one process tries both settings.
TEST(TowerUpgrade, GemShopOfferFollowsTheLowGemsSwitchOfTheCurrentConfiguration)
{
    const bool savedUpgrade = gPremiumPointsTowerUpgrade;
    const bool savedInApp = gInAppPurchases;
    gPremiumPointsTowerUpgrade = true;
    gInAppPurchases = true;
    for (auto [active, screen] : {std::pair{"false", 0}, std::pair{"true", 19}, std::pair{"false", 0}}) {
        FeatureConfig::instance()->parse(std::string("<config><features><feature name='low_premium_points_dialog' "
                                                     "is_active='") +
                                         active + "'/></features></config>");
        Level level;
        TDTower* tower = level.tower(100);
        level.map.mStats->mMoney = 100;
        level.map.mStats->mGems = 0;
        tower->upgrade(1, 120.0f);
        EXPECT_EQ(tower->tierLevel, 0) << active;
        EXPECT_EQ(level.map.mScreen, screen) << active;
    }
    gPremiumPointsTowerUpgrade = savedUpgrade;
    gInAppPurchases = savedInApp;
}

TEST(TowerUpgrade, InfoLinesShowOnlyFinitePercentages)
{
    LocalStrings* texts = LocalStrings::Instance();
    texts->appendPath.clear();
    texts->table[L"towerUpgradeInfoRange"] = L"R%d ";
    texts->table[L"towerUpgradeInfoDamage"] = L"D%d ";
    texts->table[L"towerUpgradeInfoRof"] = L"F%d ";
    texts->table[L"towerUpgradeInfoIncome"] = L"I%d ";
    auto tier = [](float r, float strength, float cooldown, int income) {
        UnitPrototype p;
        p.r = r;
        p.strength = strength;
        p.cooldown = cooldown;
        p.goldIncome = income;
        return p;
    };
    struct Case {
        UnitPrototype from, to;
        const wchar_t* info;
    };
    const Case cases[] = {
        {tier(100, 10, 1.0f, 0), tier(100, 10, 0.8f, 0), L"F25 "},
        {tier(100, 10, 1.0f, 10), tier(150, 15, 1.0f, 15), L"R50 D50 I50 "},
        {tier(100, 0, 1.0f, 0), tier(100, 5, 1.0f, 0), L""},                // no damage line from 0
        {tier(0, 10, 0.0f, 0), tier(100, 10, 1.0f, 12), L""},               // no infinite or -100 %
        {tier(100, 10, 1.0f, 0), tier(100, 10, 0.0f, 0), L""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TDTower::upgradeInfo(c.from, c.to), c.info);
}

TEST(TowerIncome, PaysTheSpotsShare)
{
    Level level;
    level.spot->mParams->number("income_mult") = 1.5f;
    TDTower* tower = level.tower(130);
    level.map.mStats->mMoney = 0;
    tower->payIncome();
    EXPECT_EQ(level.map.mStats->mMoney, 15);
    ASSERT_FALSE(level.map.mFloatingLabels->mLabels.empty());
    EXPECT_EQ(level.map.mFloatingLabels->mLabels.back()->text, L"+15");
    EXPECT_EQ(tower->state, TDTower::Blast);
    // Without the parameter the spot pays nothing.
    level.spot->mParams->numbers.erase("income_mult");
    tower->payIncome();
    EXPECT_EQ(level.map.mStats->mMoney, 15);

    // The tower's standing income effect pays once per tier cooldown (2 s).
    level.spot->mParams->number("income_mult") = 1.5f;
    ASSERT_EQ(tower->effects.size(), 1u);
    level.run(tower, 1.9f);
    EXPECT_EQ(level.map.mStats->mMoney, 15);
    level.run(tower, 0.2f);
    EXPECT_EQ(level.map.mStats->mMoney, 30);
}

TEST(TowerEffects, BoostTowersComeFirstAndTeleportShotsStrikeAtOnce)
{
    Level level;
    TDTower* plain = level.tower(100);
    TDTower* booster = level.tower(180);
    EXPECT_EQ(level.map.mTowers, (std::vector<TDTower*>{booster, plain}));
    EXPECT_EQ(booster->effects.size(), 1u);
    EXPECT_TRUE(plain->effects.empty());

    // With its ammunition known or not: the teleport shot uses none.
    for (int id : {170, 171}) {
        SCOPED_TRACE(id);
        Level second;
        TDTower* teleporter = second.tower(id);
        TDMob* unit = second.unit(1, 0, 60);
        second.run(teleporter, 0.1f); // out of its first pause, then the shot
        EXPECT_EQ(second.bullets(), 0u) << "no bullet flies";
        EXPECT_EQ(unit->mState, TDMob::Effect);
        EXPECT_FLOAT_EQ(unit->mHealth, 90.0f) << "the hit comes at once";
        EXPECT_EQ(teleporter->state, TDTower::AfterTeleport);
        ASSERT_EQ(second.map.mParticles.size(), 1u);
        auto* beam = dynamic_cast<TDBeamParticle*>(second.map.mParticles[0]);
        ASSERT_NE(beam, nullptr);
        EXPECT_EQ(beam->mTarget, unit);
        // A unit already being teleported is not struck again.
        teleporter->state = TDTower::Blast;
        teleporter->cooldownLeft = 0.0f;
        second.run(teleporter, 0.05f);
        EXPECT_EQ(second.map.mParticles.size(), 1u);
        EXPECT_FLOAT_EQ(unit->mHealth, 90.0f);
        // The hold's end lets the tower go back to idle.
        teleporter->release(unit);
        EXPECT_EQ(teleporter->state, TDTower::Idle);
        EXPECT_EQ(teleporter->target, nullptr);
    }
}

TEST(TowerSale, RefundsHalfTheTierAndItsParentOnce)
{
    Level level;
    TDTower* tower = level.tower(150);
    level.map.mStats->mMoney = 0;
    level.map.sellTower(tower);
    EXPECT_EQ(level.map.mStats->mMoney, 62) << "floor((75 + 50) x 0.5)";
    EXPECT_TRUE(level.map.mTowers.empty());
    EXPECT_TRUE(level.entry.mVisible) << "the spot shows again";

    // Not in the list (sold already, or never built here): no refund.
    TDTower stray(level.proto(150), &level.entry, 0, 0, &level.map);
    level.map.sellTower(&stray);
    EXPECT_EQ(level.map.mStats->mMoney, 62);
}

TEST(TowerSale, EndsWhatTheTowerDidToUnits)
{
    Level level;
    TDTower* sold = level.tower(100);
    TDTower* kept = level.tower(160);
    const EffectWorld world = level.map.effectWorld();
    // One unit poisoned by the tower that goes and stunned by the one that stays, one
    // held by it.
    TDMob* poisoned = level.unit(1, 300, 0);
    poisoned->mModifiers = {new DotModifier(world, "health", sold, 0.5f, 2.0f),
                            new StunModifier(world, "speed", kept, 0.5f, 3.0f)};
    TDMob* held = level.unit(1, 310, 0);
    held->mModifiers = {new HoldModifier(world, "speed", sold, 0.5f, 3.0f)};
    // And one the teleport tower has struck: in its hold, under its beam.
    TDTower* teleporter = level.tower(170);
    TDMob* teleported = level.unit(1, 0, 60);
    level.run(teleporter, 0.1f);
    ASSERT_EQ(teleported->mState, TDMob::Effect);
    ASSERT_EQ(teleported->mModifiers.size(), 1u);

    level.map.sellTower(sold);
    ASSERT_EQ(poisoned->mModifiers.size(), 1u);
    EXPECT_EQ(poisoned->mModifiers[0]->mOwner, kept) << "another tower's effect stays";
    EXPECT_TRUE(held->mModifiers.empty());

    level.map.sellTower(teleporter);
    EXPECT_TRUE(teleported->mModifiers.empty()) << "no teleport comes after the sale";
    EXPECT_EQ(teleported->mState, TDMob::Walking);
    for (TDMob* unit : level.map.mWaves->mobs)
        for (const TDModifier* effect : unit->mModifiers)
            EXPECT_TRUE(effect->mOwner != sold && effect->mOwner != teleporter) << "no effect keeps a sold tower";
}

TEST(TowerBuild, PaysOrOffersTheConversion)
{
    const bool saved = gPremiumPointsTowerBuy;
    gPremiumPointsTowerBuy = true;
    Level level;
    level.map.mStats->mMoney = 100;
    level.map.mStats->mGems = 3;
    const UnitPrototype* expensive = level.proto(101); // cost 75
    level.map.mStats->mMoney = 50;
    EXPECT_EQ(level.map.buildTower(expensive, &level.entry), nullptr);
    EXPECT_EQ(level.map.mScreen, 21);
    EXPECT_EQ(level.map.mPendingBuildPrototype, expensive);
    EXPECT_FLOAT_EQ(level.map.mPendingBuildGold, 75.0f);
    EXPECT_TRUE(level.map.mTowers.empty());

    level.map.mStats->mMoney = 80;
    TDTower* tower = level.map.buildTower(expensive, &level.entry);
    ASSERT_NE(tower, nullptr);
    EXPECT_EQ(level.map.mStats->mMoney, 5);
    EXPECT_FALSE(level.entry.mVisible);
    EXPECT_FLOAT_EQ(tower->x, 0.0f);
    EXPECT_FLOAT_EQ(tower->y, 0.0f);
    gPremiumPointsTowerBuy = saved;
}

TEST(TowerTierStep, RefusedPastTheLastStepBeforePaying)
{
    Level level;
    TDTower* tower = level.tower(100); // two steps of 5, 10 % each
    level.map.mBudget = 12;
    EXPECT_TRUE(level.map.stepTowerTier(tower));
    EXPECT_EQ(level.map.mBudget, 7);
    EXPECT_FLOAT_EQ(tower->stats.r, 220.0f);
    EXPECT_FLOAT_EQ(tower->stats.strength, 11.0f);
    tower->resetStats();
    EXPECT_FLOAT_EQ(tower->stats.r, 220.0f) << "a bought step outlives the tick's reset";
    EXPECT_TRUE(level.map.stepTowerTier(tower));
    EXPECT_EQ(level.map.mBudget, 2);
    level.map.mBudget = 100;
    EXPECT_FALSE(level.map.stepTowerTier(tower));
    EXPECT_EQ(level.map.mBudget, 100) << "nothing taken";
    EXPECT_EQ(tower->tierSteps, 2);
    EXPECT_FLOAT_EQ(tower->stats.r, 240.0f);
    // Short budget: refused too.
    TDTower* other = level.tower(100);
    level.map.mBudget = 4;
    EXPECT_FALSE(level.map.stepTowerTier(other));
    EXPECT_EQ(level.map.mBudget, 4);
}

TEST(LinkLength, MeasuresTheWholeLink)
{
    Level level;
    tinyxml2::XMLDocument doc;
    doc.Parse("<points><point id='1' x='0' y='0'/><point id='2' x='100' y='0'/></points>");
    level.map.loadPoints(doc.RootElement());
    ASSERT_EQ(level.map.mPoints.size(), 2u);
    const TDLink straight(1, 2, 50.0f, 0.0f);
    EXPECT_NEAR(level.map.linkLength(straight), 100.0f, 0.01f);
    // A bent link is longer than its chord and close to its arc length.
    const TDLink bent(1, 2, 50.0f, 50.0f);
    EXPECT_GT(level.map.linkLength(bent), 110.0f);
    EXPECT_LT(level.map.linkLength(bent), 118.0f);
    // A link whose points are missing has no length.
    EXPECT_EQ(level.map.linkLength(TDLink(1, 9, 0.0f, 0.0f)), 0.0f);
}
