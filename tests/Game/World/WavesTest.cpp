// Waves running in a level: spawn times, batches and victory, wipe awards, gem drops,
// spawning faults, kill rewards and deaths, carriers, and the position of a unit on
// its sampled curve. Each game runs a small level of its own: a straight road from
// spawn point 1 over point 2 to the goal 3.
#include "Core/Render/Math/Random.h"
#include "Source/TD/Shell/Game.h"
#include "Source/TD/Shell/GameWindow.h"
#include "Source/TD/Towers/TDCrystalDrop.h"
#include "Source/TD/Towers/TDTowerDrop.h"
#include "Source/TD/Units/TDMob.h"
#include "Source/TD/World/TDFloatingLabels.h"
#include "Source/TD/World/TDMap.h"
#include "Source/TD/World/TDPlayerStats.h"
#include "Source/TD/World/TDPoint.h"
#include "Source/TD/World/TDWaves.h"
#include "tests/Game/World/FirstLevel.h"
#include "tests/Support/GameHarness.h"
#include "tests/Support/LogCapture.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

// Units: 1 walker (cost 4, strength 3), 2 flyer going straight, 6 carrier, 11 its
// cargo, 20 and 21 with drop chances 0 and 100.
const char* const kUnits =
    "id;parent;levelid;name;health;speed;cost;fps;strength;straight;carrier;dropChance;psd;particlesDeath\n"
    "1;-1;0;walker;60;40;4;10;3;0;0;0;unit_01;death_puff\n"
    "2;-1;0;flyer;60;40;4;10;1;1;0;0;unit_03\n"
    "6;-1;0;carrier;100;30;10;10;2;0;1;0;unit_06\n"
    "11;-1;0;cargo;20;50;2;10;1;0;0;0;unit_11\n"
    "20;-1;0;never;10;40;1;10;1;0;0;0;unit_01\n"
    "21;-1;0;always;10;40;1;10;1;0;0;100;unit_01\n";

std::string Level(const std::string& waves, const std::string& points = "")
{
    const std::string road = points.empty()
                                 ? "<point id='1' x='20' y='384'><p name='spawn' value='1'/></point>"
                                   "<point id='2' x='500' y='384'/>"
                                   "<point id='3' x='1000' y='384'><p name='goal' value='1'/></point>"
                                 : points;
    return "<map><li>./td/data/maps/ep01/</li><budget>100</budget><points>" + road +
           "</points><links><link sid='1' eid='2' anchor_x='260' anchor_y='384'/>"
           "<link sid='2' eid='3' anchor_x='750' anchor_y='384'/></links><spots/>" +
           waves + "</map>";
}

GameSetup LevelSetup(const std::string& level)
{
    GameSetup setup;
    setup.contentFiles["td/levels_normal/level_01_01.xml"] = level;
    setup.contentFiles["td/units_sheet.csv"] = kUnits;
    return setup;
}

// Slow under the sanitizers: a game gets four minutes.
void Play(const std::string& test, const GameSetup& setup, const std::function<void(GameHarness&)>& script)
{
    RunGame(test, setup, script, {}, 240);
}

// The live unit of the entry, or null.
TDMob* UnitOf(TDMap& map, const TDWaveEnemy* entry)
{
    for (TDMob* mob : map.mWaves->mobs)
        if (mob->mWaveEntry == entry)
            return mob;
    return nullptr;
}

} // namespace

TEST(Waves, EntriesSpawnAtTheirScaledTimes)
{
    struct Row {
        const char* attributes;
        float x;
        float due;
    };
    // Waves linked to the first all run in its batch; the waves element adds 1 s.
    const Row rows[] = {
        {"timeout='4' scale='0.5'", 90.0f, 6.0f}, // 0.5 x 2 + 4 + 1
        {"timeout='1'", 45.0f, 3.0f},              // scale absent: 1
        {"timeout='0' scale='0'", 90.0f, 3.0f},    // scale 0 reads 1
        {"timeout='3' scale='-1'", 45.0f, 3.0f},   // negative scale kept: earlier
    };
    std::string waves = "<waves timeout='1.5'>";
    for (size_t i = 0; i < std::size(rows); ++i)
        waves += std::string("<wave spawn='1' ") + rows[i].attributes + (i ? " linked='0'" : "") + "><e id='1' x='" +
                 std::to_string(rows[i].x) + "' y='-65'/></wave>";
    waves += "</waves>";
    Play("Waves.EntriesSpawnAtTheirScaledTimes", LevelSetup(Level(waves)), [&](GameHarness& h) {
        TDMap* map = StartFirstLevel(h);
        ASSERT_NE(map, nullptr);
        TDWaves& set = *map->mWaves;
        ASSERT_EQ(set.protos.size(), std::size(rows));
        float spawnedAt[std::size(rows)] = {};
        for (int tick = 1; tick <= 40; ++tick) {
            set.tick(0.25f);
            for (size_t i = 0; i < std::size(rows); ++i)
                if (spawnedAt[i] == 0.0f && set.protos[i]->entries[0]->state == 7)
                    spawnedAt[i] = 0.25f * static_cast<float>(tick);
        }
        for (size_t i = 0; i < std::size(rows); ++i)
            EXPECT_FLOAT_EQ(spawnedAt[i], rows[i].due) << "row " << i << ": " << rows[i].attributes;
        EXPECT_EQ(set.active.size(), std::size(rows)) << "one batch";
        EXPECT_EQ(set.mobs.size(), std::size(rows));
    });
}

TEST(Waves, BatchesEndAndTheLastWinsTheLevel)
{
    // Wave 1 runs with wave 0; wave 2 only once both have ended.
    const std::string waves = "<waves><wave spawn='1'><e id='1'/></wave><wave spawn='1' linked='0'><e id='1'/></wave>"
                              "<wave spawn='1' timeout='1'><e id='1'/><e id='1' x='45'/></wave></waves>";
    Play("Waves.BatchesEndAndTheLastWinsTheLevel", LevelSetup(Level(waves)), [](GameHarness& h) {
        TDMap* map = StartFirstLevel(h);
        ASSERT_NE(map, nullptr);
        TDWaves& set = *map->mWaves;
        set.tick(0.1f);
        ASSERT_EQ(set.active.size(), 2u);
        EXPECT_EQ(set.mobs.size(), 2u);
        for (TDMob* mob : set.mobs)
            mob->mActive = 0; // both killed
        set.tick(0.1f);
        EXPECT_TRUE(set.active.empty()) << "the batch vanished";
        EXPECT_EQ(set.nextIndex, 1);
        EXPECT_EQ(map->mFinishedBatches, 1);
        // Index 1 is linked, never a head: the next batch is wave 2.
        set.tick(0.1f);
        ASSERT_EQ(set.active.size(), 1u);
        EXPECT_EQ(set.active[0], set.protos[2]);
        EXPECT_EQ(set.nextIndex, 2);
        for (int i = 0; i < 30 && set.mobs.size() < 2; ++i)
            set.tick(0.1f);
        ASSERT_EQ(set.mobs.size(), 2u);
        set.mobs[0]->mActive = 0;
        set.mobs[1]->mActive = 0;
        set.mobs[1]->mReachedGoal = 1;
        set.tick(0.1f);
        EXPECT_EQ(map->mScreen, 0) << "the victory comes on the tick after the last batch";
        set.tick(0.1f);
        EXPECT_EQ(map->mScreen, 1);
    });
}

TEST(Waves, LevelWithoutWavesIsWonAtOnce)
{
    Play("Waves.LevelWithoutWavesIsWonAtOnce", LevelSetup(Level("<waves><wave spawn='1'/></waves>")),
            [](GameHarness& h) {
                TDMap* map = StartFirstLevel(h, 1);
                ASSERT_NE(map, nullptr);
                EXPECT_TRUE(map->mWaves->protos.empty()) << "a wave without entries is dropped";
                EXPECT_EQ(map->mGameResult, 1);
            });
}

TEST(Waves, WipeAwardIsPaidOnceAndNotForALeak)
{
    const std::string waves = "<waves><wave spawn='1' wipeAward='25'><e id='1'/><e id='1'/><e id='1'/></wave>"
                              "<wave spawn='1' wipeAward='40' linked='0'><e id='1'/><e id='1'/></wave></waves>";
    Play("Waves.WipeAwardIsPaidOnceAndNotForALeak", LevelSetup(Level(waves)), [](GameHarness& h) {
        TDMap* map = StartFirstLevel(h);
        ASSERT_NE(map, nullptr);
        TDWaves& set = *map->mWaves;
        set.tick(0.1f);
        ASSERT_EQ(set.mobs.size(), 5u);
        TDWaveProto& wiped = *set.protos[0];
        TDWaveProto& leaked = *set.protos[1];
        const int money = map->mStats->mMoney;

        UnitOf(*map, wiped.entries[0])->mActive = 0;
        UnitOf(*map, wiped.entries[1])->mActive = 0;
        set.tick(0.1f);
        EXPECT_EQ(map->mStats->mMoney, money) << "one unit of the wave still walks";
        UnitOf(*map, wiped.entries[2])->mActive = 0;
        set.tick(0.1f);
        EXPECT_EQ(map->mStats->mMoney, money + 25);

        // A unit raised in the wiped wave and killed later does not pay the award again.
        auto* raised = new TDWaveEnemy(&wiped);
        raised->id = 1;
        raised->x = -1.0f;
        wiped.entries.push_back(raised);
        ASSERT_NE(map->spawnMob(raised, map->firstSpawnPoint()), nullptr);
        UnitOf(*map, raised)->mActive = 0;
        set.tick(0.1f);
        EXPECT_EQ(map->mStats->mMoney, money + 25);

        TDMob* through = UnitOf(*map, leaked.entries[0]);
        through->mActive = 0;
        through->mReachedGoal = 1;
        UnitOf(*map, leaked.entries[1])->mActive = 0;
        set.tick(0.1f);
        EXPECT_EQ(leaked.entries[0]->state, 3);
        EXPECT_EQ(leaked.entries[1]->state, 2);
        EXPECT_EQ(map->mStats->mMoney, money + 25) << "a wave with a leak pays nothing";
    });
}

TEST(Waves, GemDrops)
{
    // Units 20 drop with 0 %, units 21 with 100 %; the level's override forces drops.
    const std::string waves = "<waves><wave spawn='1'><e id='20'/><e id='20'/><e id='20'/><e id='21'/><e id='21'/>"
                              "</wave><wave spawn='1'><e id='20'/><e id='20'/></wave></waves>";
    Play("Waves.GemDrops", LevelSetup(Level(waves)), [](GameHarness& h) {
        TDMap* map = StartFirstLevel(h);
        ASSERT_NE(map, nullptr);
        TDWaves& set = *map->mWaves;
        map->mDropChanceOverride = 0.0f;
        set.tick(0.1f);
        ASSERT_EQ(set.mobs.size(), 5u);
        for (TDMob* mob : set.mobs)
            mob->mActive = 0;
        set.tick(0.1f);
        EXPECT_EQ(map->mSpecials.size(), 2u) << "only the 100 % units drop";

        set.tick(0.1f); // the second wave starts
        ASSERT_EQ(set.mobs.size(), 2u);
        map->mDropChanceOverride = 1.0f;
        set.mobs[0]->mActive = 0;
        set.mobs[1]->mActive = 0;
        set.mobs[1]->mReachedGoal = 1;
        set.tick(0.1f);
        EXPECT_EQ(map->mSpecials.size(), 3u) << "forced: the killed 0 % unit drops, the one through does not";

        // A 0 % chance never drops, even on a draw of exactly 0; a forced drop always does.
        EXPECT_FALSE(TDCrystallSpecial::drops(0, 0.0f, 0.0f));
        EXPECT_TRUE(TDCrystallSpecial::drops(0, 1.0f, 0.999f));
        EXPECT_TRUE(TDCrystallSpecial::drops(100, 0.0f, 0.999f));
    });
}

TEST(Spawning, BadSpawnIdsAndMissingGoalSpawnNothing)
{
    // Wave 0 names spawn point 9, which the level does not have.
    const std::string waves = "<waves><wave spawn='9'><e id='1' x='450'/><e id='1' x='900'/></wave>"
                              "<wave spawn='1'><e id='1'/></wave></waves>";
    GameSetup setup = LevelSetup(Level(waves));
    // Level 2: no goal point at all.
    setup.contentFiles["td/levels_normal/level_01_02.xml"] =
        Level("<waves><wave spawn='1'><e id='1'/></wave></waves>",
              "<point id='1' x='20' y='384'><p name='spawn' value='1'/></point><point id='2' x='500' y='384'/>"
              "<point id='3' x='1000' y='384'/>");
    Play("Spawning.BadSpawnIdsAndMissingGoalSpawnNothing", setup, [](GameHarness& h) {
        TDMap* map = StartFirstLevel(h);
        ASSERT_NE(map, nullptr);
        TDWaves& set = *map->mWaves;
        {
            LogCapture log;
            for (int i = 0; i < 100 && set.nextIndex == 0; ++i)
                set.tick(0.25f);
            EXPECT_TRUE(set.mobs.empty());
            EXPECT_EQ(log.Count(L"has no spawn point: not spawned"), 2) << "one line per entry";
            // The wave ended without units, so the next one runs.
            EXPECT_EQ(set.nextIndex, 1);
            set.tick(0.25f);
            EXPECT_EQ(set.mobs.size(), 1u);
        }
        LogCapture log;
        map->mLevel = 1;
        ASSERT_TRUE(map->startLevel());
        map->mWaves->tick(0.25f);
        EXPECT_TRUE(map->mWaves->mobs.empty());
        EXPECT_EQ(log.Count(L"The level has no goal point: unit 1 not spawned."), 1);
    });
}

TEST(Spawning, RoutesAndStraightFlightsAimAtOneGoal)
{
    // Two goal points: 3 at the end of the road, 4 off it. The routes lead to the last one.
    const std::string points = "<point id='1' x='20' y='384'><p name='spawn' value='1'/></point>"
                               "<point id='2' x='500' y='384'><p name='goal' value='1'/></point>"
                               "<point id='3' x='1000' y='384'><p name='goal' value='1'/></point>";
    const std::string waves = "<waves><wave spawn='1'><e id='1'/><e id='2'/></wave></waves>";
    Play("Spawning.RoutesAndStraightFlightsAimAtOneGoal", LevelSetup(Level(waves, points)), [](GameHarness& h) {
        TDMap* map = StartFirstLevel(h);
        ASSERT_NE(map, nullptr);
        map->mWaves->tick(0.1f);
        ASSERT_EQ(map->mWaves->mobs.size(), 2u);
        EXPECT_EQ(map->routeOf(1), (std::vector<i32>{1, 2, 3}));
        EXPECT_EQ(map->mWaves->mobs[0]->mPathNodes, (std::vector<i32>{1, 2, 3}));
        EXPECT_EQ(map->mWaves->mobs[1]->mPathNodes, (std::vector<i32>{1, 3})) << "a straight flight has two ids";
        EXPECT_EQ(map->goalPoint()->id, 3);
        // The flyer heads for goal 3, not 2: it passes 2 without arriving.
        TDMob* flyer = map->mWaves->mobs[1];
        const float health = map->mHealth;
        for (int i = 0; i < 60 * 20 && flyer->mX < 700.0f; ++i)
            h.Step(1);
        EXPECT_GE(flyer->mX, 700.0f);
        EXPECT_EQ(map->mHealth, health);
    });
}

TEST(Mob, ManyHitsInTheDyingFrameMakeOneDeath)
{
    const std::string waves = "<waves><wave spawn='1'><e id='1'/><e id='1' x='450'/></wave></waves>";
    Play("Mob.ManyHitsInTheDyingFrameMakeOneDeath", LevelSetup(Level(waves)), [](GameHarness& h) {
        TDMap* map = StartFirstLevel(h);
        ASSERT_NE(map, nullptr);
        h.Step(30);
        ASSERT_EQ(map->mWaves->mobs.size(), 1u);
        TDMob* mob = map->mWaves->mobs[0];
        const int money = map->mStats->mMoney;
        const size_t effects = map->mEffects.size();
        const size_t labels = map->mFloatingLabels->mLabels.size();
        LogCapture log;
        mob->damage(50.0f);
        mob->damage(50.0f);
        mob->damage(50.0f);
        EXPECT_EQ(map->mEffects.size() + static_cast<size_t>(log.Count(L"could not be made")), effects + 1)
            << "one death effect";
        h.Step(1);
        EXPECT_EQ(mob->mState, TDMob::Dying);
        mob->damage(50.0f); // ignored while dying
        h.Step(1);
        EXPECT_EQ(map->mStats->mMoney, money + 4) << "one kill reward: the cost";
        EXPECT_EQ(map->mStats->mKills, 1);
        EXPECT_EQ(map->mFloatingLabels->mLabels.size(), labels + 1);
        EXPECT_EQ(map->mFloatingLabels->mLabels.back()->text, L"+ 4");
        EXPECT_EQ(map->mEffects.size() + static_cast<size_t>(log.Count(L"could not be made")), effects + 1);
        // Its death plays out and the wave set lets it go.
        EXPECT_TRUE(h.StepUntil([&] { return map->mWaves->mobs.empty(); }, 240));
        EXPECT_EQ(map->mWaves->protos[0]->entries[0]->state, 2);
    });
}

TEST(Mob, KillRewardTable)
{
    Play("Mob.KillRewardTable", LevelSetup(Level("<waves><wave spawn='1'><e id='1'/><e id='6'/></wave></waves>")),
            [](GameHarness& h) {
                TDMap* map = StartFirstLevel(h);
                ASSERT_NE(map, nullptr);
                map->mWaves->tick(0.1f);
                ASSERT_EQ(map->mWaves->mobs.size(), 2u);
                struct Row {
                    size_t unit;
                    float factor;
                    int reward;
                };
                // cost + ceil(factor x cost), with no gold tower around.
                const Row rows[] = {{0, 0.0f, 4}, {0, 0.25f, 5}, {0, 0.1f, 5}, {1, 0.0f, 10}, {1, 0.5f, 15}};
                for (const Row& row : rows) {
                    map->mEnemyCostFactor = row.factor;
                    EXPECT_EQ(map->mWaves->mobs[row.unit]->killReward(*map), row.reward)
                        << "unit " << row.unit << " factor " << row.factor;
                }
            });
}

TEST(Mob, ReachingTheGoalCostsHealthOnceAndGuardsItsPrototype)
{
    // Unit 77 is in no sheet.
    const std::string waves = "<waves><wave spawn='1'><e id='1'/><e id='77'/></wave></waves>";
    Play("Mob.ReachingTheGoalCostsHealthOnceAndGuardsItsPrototype", LevelSetup(Level(waves)), [](GameHarness& h) {
        TDMap* map = StartFirstLevel(h);
        ASSERT_NE(map, nullptr);
        map->mWaves->tick(0.1f);
        ASSERT_EQ(map->mWaves->mobs.size(), 2u);
        TDMob* walker = map->mWaves->mobs[0];
        TDMob* unknown = map->mWaves->mobs[1];
        map->mHealth = 4.0f;
        map->onMobReachedGoal(unknown);
        EXPECT_EQ(map->mHealth, 4.0f) << "no prototype, no loss";
        EXPECT_EQ(map->mStats->mPassedMobs, 1);
        map->onMobReachedGoal(walker);
        EXPECT_EQ(map->mHealth, 1.0f);
        map->onMobReachedGoal(walker);
        EXPECT_EQ(map->mHealth, 1.0f) << "a unit reaches the goal once";
        EXPECT_EQ(map->mStats->mDamage, 3);
        EXPECT_EQ(map->mScreen, 0);
        // Health 1 and strength 3: health stops at 0 and the level is lost, once.
        auto* entry = new TDWaveEnemy(map->mWaves->protos[0]);
        entry->id = 1;
        entry->x = -1.0f;
        map->mWaves->protos[0]->entries.push_back(entry);
        TDMob* second = map->spawnMob(entry, map->firstSpawnPoint());
        ASSERT_NE(second, nullptr);
        map->onMobReachedGoal(second);
        EXPECT_EQ(map->mHealth, 0.0f);
        EXPECT_EQ(map->mScreen, 2);
    });
}

TEST(Mob, CarrierLetsOutItsCargo)
{
    Play("Mob.CarrierLetsOutItsCargo", LevelSetup(Level("<waves><wave spawn='1'><e id='6' y='-65'/></wave></waves>")),
            [](GameHarness& h) {
                TDMap* map = StartFirstLevel(h);
                ASSERT_NE(map, nullptr);
                ASSERT_TRUE(h.StepUntil([&] { return !map->mWaves->mobs.empty(); }, 60));
                TDMob* carrier = map->mWaves->mobs[0];
                ASSERT_TRUE(h.StepUntil([&] { return carrier->mSegmentT > 0.5f; }, 60 * 20));
                const float t = carrier->mSegmentT;
                carrier->damage(1000.0f);
                h.Step(1);
                TDWaveProto& wave = *map->mWaves->protos[0];
                ASSERT_EQ(wave.entries.size(), 4u);
                ASSERT_EQ(map->mWaves->mobs.size(), 4u);
                for (int i = 0; i < 3; ++i) {
                    const TDWaveEnemy& entry = *wave.entries[static_cast<size_t>(i) + 1];
                    EXPECT_EQ(entry.id, 11);
                    EXPECT_EQ(entry.x, -1.0f);
                    EXPECT_EQ(entry.y, -65.0f);
                    EXPECT_LE(entry.offset, 0.0f);
                    EXPECT_GT(entry.offset, -130.0f);
                    const TDMob& cargo = *map->mWaves->mobs[static_cast<size_t>(i) + 1];
                    EXPECT_EQ(cargo.mPathIndex, carrier->mPathIndex);
                    EXPECT_NEAR(cargo.mSegmentT, t - 0.1f + 0.1f * static_cast<float>(i), 0.02f);
                }
                // The wave ends once the cargo is gone too.
                for (size_t i = 1; i < map->mWaves->mobs.size(); ++i)
                    map->mWaves->mobs[i]->damage(1000.0f);
                EXPECT_TRUE(h.StepUntil([&] { return map->mWaves->mobs.empty(); }, 300));
                EXPECT_TRUE(wave.isFinished());
            });
}

TEST(Path, PositionOnPath)
{
    const std::vector<MobPoint> samples = {{0.0f, 0.0f}, {10.0f, 0.0f}, {20.0f, 10.0f}, {30.0f, 10.0f}};
    struct Row {
        float f;
        float x;
        float y;
    };
    const Row rows[] = {{0.0f, 0.0f, 0.0f},        {1.0f / 6.0f, 5.0f, 0.0f}, {1.0f / 3.0f, 10.0f, 0.0f},
                        {0.5f, 15.0f, 5.0f},       {0.9f, 27.0f, 10.0f},      {1.0f, 30.0f, 10.0f}};
    for (const Row& row : rows) {
        const MobPoint p = TDMap::positionOnPath(samples, row.f);
        EXPECT_NEAR(p.x, row.x, 1e-4f) << "f " << row.f;
        EXPECT_NEAR(p.y, row.y, 1e-4f) << "f " << row.f;
    }
    // Small equal steps of f give equal steps along the samples, never back.
    MobPoint previous = TDMap::positionOnPath(samples, 0.0f);
    for (int k = 1; k <= 300; ++k) {
        const MobPoint p = TDMap::positionOnPath(samples, static_cast<float>(k) / 300.0f);
        const float step = std::hypot(p.x - previous.x, p.y - previous.y);
        EXPECT_LE(step, 0.1f * std::sqrt(2.0f) + 1e-4f) << "k " << k;
        EXPECT_GE(p.x, previous.x) << "k " << k;
        previous = p;
    }
    EXPECT_EQ(TDMap::positionOnPath({}, 0.5f).x, 0.0f);
    EXPECT_EQ(TDMap::positionOnPath({{3.0f, 4.0f}}, 0.5f).y, 4.0f);
}
