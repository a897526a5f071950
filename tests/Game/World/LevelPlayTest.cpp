// The first shipped level played headless with fixed steps: units come on schedule and
// walk their routes smoothly, leaks cost health until the level is lost, killing every
// unit wins it, and a scripted run always ends in the same state.
#include "Core/Render/Math/Random.h"
#include "Source/TD/Hud/HUD.h"
#include "Source/TD/Shell/Game.h"
#include "Source/TD/Shell/GameWindow.h"
#include "Source/TD/Units/TDMob.h"
#include "Source/TD/World/PrototypeStore.h"
#include "Source/TD/World/TDMap.h"
#include "Source/TD/World/TDPlayerStats.h"
#include "Source/TD/World/TDWaves.h"
#include "Source/TD/World/UnitPrototype.h"
#include "tests/Game/World/FirstLevel.h"
#include "tests/Support/GameHarness.h"

#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <map>

namespace {

// Fixed steps of 1/30 s: half the frames of real play, the same rules.
constexpr float kDt = 1.0f / 30.0f;

// Where a unit was on the previous frame.
struct Track {
    float x = 0.0f;
    float y = 0.0f;
    int pathIndex = 0;
    float t = 0.0f;
    // Set on the frame a unit turns onto its next link: the first step on a link starts
    // from the end of the link before (a corner of the sideways track), which the step
    // test leaves out.
    bool fresh = true;
};

// Kills each walking unit of `kill` once it has come past x = 300.
void KillPast300(TDMap& map, const std::function<bool(const TDMob&)>& kill)
{
    for (TDMob* mob : map.mWaves->mobs)
        if (mob->mState == TDMob::Walking && mob->mX > 300.0f && kill(*mob))
            mob->damage(1000.0f);
}

// FNV-1a over the end state: money, health, kills, each unit's position rounded.
u64 EndStateHash(const TDMap& map)
{
    u64 hash = 14695981039346656037ull;
    auto mix = [&hash](long long value) {
        for (int i = 0; i < 8; ++i) {
            hash ^= static_cast<u64>(value >> (8 * i)) & 0xFF;
            hash *= 1099511628211ull;
        }
    };
    mix(map.mStats->mMoney);
    mix(static_cast<long long>(map.mHealth));
    mix(map.mStats->mKills);
    for (const TDMob* mob : map.mWaves->mobs) {
        mix(std::lround(mob->mX));
        mix(std::lround(mob->mY));
    }
    return hash;
}

} // namespace

TEST(LevelPlay, UnitsWalkOnScheduleAndLeaksLoseTheLevel)
{
    RunGame(
        "LevelPlay.UnitsWalkOnScheduleAndLeaksLoseTheLevel", {},
        [](GameHarness& h) {
            TDMap* map = StartFirstLevel(h);
            ASSERT_NE(map, nullptr);
            TDWaves& waves = *map->mWaves;
            std::map<const TDWaveEnemy*, Track> tracks;
            int spawned = 0;
            int lateSpawns = 0;
            int longSteps = 0;
            int backSteps = 0;
            int leaks = 0;
            float health = map->mHealth;
            bool shot = false;
            for (int frame = 0; frame < 30 * 240 && map->mScreen == 0; ++frame) {
                h.Step(1, kDt);
                for (const TDWaveProto* wave : waves.active) {
                    for (const TDWaveEnemy* entry : wave->entries) {
                        if (entry->state != 7 || tracks.count(entry))
                            continue;
                        // Spawned on the first frame its due time was reached.
                        ++spawned;
                        const float late = wave->clock - wave->dueTime(*entry);
                        if (late < 0.0f || late >= kDt * 1.001f)
                            ++lateSpawns;
                        // Its first step is measured from where it appeared.
                        for (const TDMob* mob : waves.mobs)
                            if (mob->mWaveEntry == entry)
                                tracks[entry] = Track{mob->mX, mob->mY, mob->mPathIndex, mob->mSegmentT, false};
                    }
                }
                for (const TDMob* mob : waves.mobs) {
                    auto found = tracks.find(mob->mWaveEntry);
                    if (found == tracks.end() || mob->mState != TDMob::Walking)
                        continue;
                    Track& track = found->second;
                    const UnitPrototype* prototype = mob->getPrototype(*map->mPrototypes);
                    ASSERT_NE(prototype, nullptr);
                    if (!track.fresh && mob->mPathIndex == track.pathIndex) {
                        const float step = std::hypot(mob->mX - track.x, mob->mY - track.y);
                        if (step > prototype->speed * kDt * 1.01f) {
                            ++longSteps;
                        }
                    }
                    if (mob->mPathIndex < track.pathIndex ||
                        (mob->mPathIndex == track.pathIndex && mob->mSegmentT < track.t))
                        ++backSteps;
                    track = Track{mob->mX, mob->mY, mob->mPathIndex, mob->mSegmentT,
                                  mob->mPathIndex != track.pathIndex};
                }
                if (map->mStats->mPassedMobs > leaks) {
                    leaks = map->mStats->mPassedMobs;
                    EXPECT_LT(map->mHealth, health) << "a leak costs health";
                    health = map->mHealth;
                    // and the HUD's lives counter shows it at once
                    EXPECT_EQ(*map->mHud->findText(L"mana"),
                              std::to_wstring(static_cast<int>(health)) + L"/" +
                                  std::to_wstring(static_cast<int>(map->mMaxHealth)));
                }
                if (!shot && waves.mobs.size() >= 5) {
                    h.Screenshot("units-walking");
                    shot = true;
                }
            }
            EXPECT_GE(spawned, 20);
            EXPECT_EQ(lateSpawns, 0);
            EXPECT_EQ(longSteps, 0) << "no step longer than speed x dt + 1 %";
            EXPECT_EQ(backSteps, 0);
            EXPECT_GT(leaks, 0);
            EXPECT_EQ(map->mHealth, 0.0f);
            EXPECT_EQ(map->mScreen, 2) << "doing nothing loses the level";
        },
        {}, 240);
}

TEST(LevelPlay, KillingEveryUnitWinsTheLevel)
{
    RunGame(
        "LevelPlay.KillingEveryUnitWinsTheLevel", {},
        [](GameHarness& h) {
            TDMap* map = StartFirstLevel(h);
            ASSERT_NE(map, nullptr);
            const float health = map->mHealth;
            for (int frame = 0; frame < 30 * 240 && map->mScreen == 0; ++frame) {
                KillPast300(*map, [](const TDMob&) { return true; });
                h.Step(1, kDt);
            }
            EXPECT_EQ(map->mScreen, 1);
            EXPECT_EQ(map->mHealth, health);
            EXPECT_EQ(map->mStats->mKills, 30);
            EXPECT_EQ(map->mWaves->finishedBatches, 3);
        },
        {}, 240);
}

// Changes only on purpose, when the level, its units or the rules of play change.
constexpr u64 kStoredEndState = 14482737454818853422ull;

// Two games, each in a fresh process, play the same script.
TEST(LevelPlay, ScriptedRunIsDeterministic)
{
    for (int run = 0; run < 2; ++run) {
        RunGame(
            "LevelPlay.ScriptedRunIsDeterministic", {},
            [run](GameHarness& h) {
                TDMap* map = StartFirstLevel(h);
                ASSERT_NE(map, nullptr);
                // Every other unit of each wave is killed; the rest walk on. 40 s of play.
                for (int frame = 0; frame < 30 * 40 && map->mScreen == 0; ++frame) {
                    KillPast300(*map, [](const TDMob& mob) {
                        const auto& entries = mob.mWaveEntry->owner->entries;
                        const auto at = std::find(entries.begin(), entries.end(), mob.mWaveEntry);
                        return (at - entries.begin()) % 2 == 0;
                    });
                    h.Step(1, kDt);
                }
                EXPECT_GT(map->mStats->mKills, 0);
                EXPECT_LT(map->mHealth, 25.0f);
                const u64 hash = EndStateHash(*map);
                EXPECT_EQ(hash, kStoredEndState) << "run " << run << ": end state hash " << hash;
            },
            {}, 240);
    }
}
