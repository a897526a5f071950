// Spells, tower upgrades and crystal drops played by clicks on the first level. Every
// spell cast on its HUD button and then on a unit walking the route: what it does to
// the units (or the towers), that its button refuses a second cast while it recharges
// on game time, and casts again once ready. A tower upgraded with gold, then with gems
// bought in the gem shop the level offers. A crystal that arcs out of a dying unit and
// is picked up by a click.
#include "Source/TD/Audio/SoundTags.h"
#include "Source/TD/Hud/HUD.h"
#include "Source/TD/Hud/HUDSpellButton.h"
#include "Source/TD/Screens/HUDBuyGemScreen.h"
#include "Source/TD/Shell/PlayerProgress.h"
#include "Source/TD/Towers/SpellTable.h"
#include "Source/TD/Towers/TDCrystalDrop.h"
#include "Source/TD/Towers/TDSpot.h"
#include "Source/TD/Towers/TDTower.h"
#include "Source/TD/Units/DotModifierArea.h"
#include "Source/TD/Units/FireSplashModifier.h"
#include "Source/TD/Units/MapImpassableArea.h"
#include "Source/TD/Units/StunModifier.h"
#include "Source/TD/Units/TDMob.h"
#include "Source/TD/Units/TowersBoost.h"
#include "Source/TD/World/PrototypeStore.h"
#include "Source/TD/World/TDMap.h"
#include "Source/TD/World/TDPlayerStats.h"
#include "Source/TD/World/TDWaves.h"
#include "Source/TD/World/UnitPrototype.h"
#include "tests/Game/World/FirstLevel.h"
#include "tests/Support/ClickPlayer.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

namespace {

// The first level as shipped with its waves played three times over, so units still
// walk while the longest recharge runs.
std::string FirstLevelWithLongerWaves()
{
    std::ifstream in(std::filesystem::path(GE_BINARY_DIR "/content/td/levels_normal/level_01_01.xml"));
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t open = text.find('>', text.find("<waves"));
    const size_t close = text.find("</waves>");
    if (open == std::string::npos || close == std::string::npos)
        return text;
    const std::string waves = text.substr(open + 1, close - open - 1);
    return text.insert(close, waves + waves);
}

GameSetup EverySpellOnTheFirstLevel()
{
    GameSetup setup;
    // A player who has seen the tutorial: no step holds the waves or blocks the buttons.
    setup.profiles = "<Profiles currentProfile=\"P\"><Profile name=\"P\"><tutorial/></Profile></Profiles>";
    setup.contentFiles["td/unlocks.csv"] = "0;0;10000,10001,10002,20000,3001,3002,3003,3004,3005\n";
    setup.contentFiles["td/levels_normal/level_01_01.xml"] = FirstLevelWithLongerWaves();
    return setup;
}

int Played(const GameHarness& h, const std::wstring& name)
{
    return static_cast<int>(std::count(h.sounds.begin(), h.sounds.end(), name));
}

template <class T> int AreaCount(const TDMap* map)
{
    return static_cast<int>(std::count_if(map->mAreaModifiers.begin(), map->mAreaModifiers.end(),
                                          [](const TDModifier* m) { return dynamic_cast<const T*>(m) != nullptr; }));
}

bool Has(const std::vector<TDMob*>& units, const TDMob* unit)
{
    return std::find(units.begin(), units.end(), unit) != units.end();
}

template <class T> bool Carries(const TDMob* unit)
{
    return std::any_of(unit->mModifiers.begin(), unit->mModifiers.end(),
                       [](const TDModifier* m) { return dynamic_cast<const T*>(m) != nullptr; });
}

// A unit walking on the visible map, untouched so far, and far from every earlier
// cast; the aim of the next one.
TDMob* FreshUnit(TDMap* map, const std::vector<std::pair<float, float>>& casts)
{
    for (TDMob* unit : map->mWaves->mobs) {
        const UnitPrototype* kind = map->mPrototypes->find(unit->mPrototypeId);
        if (unit->mState != TDMob::Walking || !kind || unit->mHealth < kind->health || !unit->mModifiers.empty())
            continue;
        if (unit->mX < 60.0f || unit->mX > 960.0f || unit->mY < 60.0f || unit->mY > 600.0f)
            continue;
        if (std::all_of(casts.begin(), casts.end(), [unit](const std::pair<float, float>& at) {
                return std::hypot(at.first - unit->mX, at.second - unit->mY) > 200.0f;
            }))
            return unit;
    }
    return nullptr;
}

} // namespace

TEST(SpellPlay, EachSpellCastByClicksActsAndRecharges)
{
    RunGame(
        "SpellPlay.EachSpellCastByClicks", EverySpellOnTheFirstLevel(),
        [](GameHarness& h) {
            TDMap* map = StartFirstLevel(h);
            ASSERT_NE(map, nullptr);
            // Played at speed 2, so the units come and the spells run their course in
            // fewer frames.
            ASSERT_TRUE(click::Button(h, L"speed_btn"));
            ASSERT_EQ(map->mSpeed, 2.0f);
            // The walkers must not end the level before the longest recharge is over.
            map->mHealth = map->mMaxHealth = 1000.0f;
            std::vector<HUDSpellButton*>& buttons = map->mHud->spellButtons;
            ASSERT_EQ(buttons.size(), 5u) << "a button for each spell the level offers";
            for (size_t i = 0; i < buttons.size(); ++i)
                EXPECT_EQ(buttons[i]->spellId, static_cast<int>(i)) << "buttons in the order of their spell ids";

            // What each cast does, seen on the unit it was aimed at (the boost: on the
            // tower). `after` runs once the cast's click has been handled. The longest
            // recharges go first, so the wait for all of them is short.
            struct Kind {
                int spellId;
                const char* name;
                std::function<void(GameHarness&, TDMap*, TDMob*, float health)> after;
            };
            TDTower* tower = nullptr;
            const Kind kinds[] = {
                {3, "freeze",
                 [](GameHarness& h, TDMap* map, TDMob* unit, float) {
                     EXPECT_EQ(AreaCount<MapImpassableArea>(map), 1) << "the ground is blocked";
                     h.Step(2);
                     const float x = unit->mX, y = unit->mY;
                     h.StepSeconds(0.5f);
                     EXPECT_NEAR(std::hypot(unit->mX - x, unit->mY - y), 0.0f, 0.5f) << "held where it stands";
                 }},
                {4, "boost",
                 [&tower](GameHarness& h, TDMap* map, TDMob*, float) {
                     EXPECT_EQ(AreaCount<TowersBoost>(map), 1);
                     h.Step(2);
                     ASSERT_NE(tower, nullptr);
                     EXPECT_TRUE(tower->boosted) << "the tower strikes harder";
                 }},
                {0, "fire",
                 [](GameHarness& h, TDMap* map, TDMob* unit, float health) {
                     EXPECT_EQ(AreaCount<FireSplashModifier>(map), 1) << "the ground burns";
                     // The blow on landing: at least its strength, at once.
                     if (Has(map->mWaves->mobs, unit)) {
                         EXPECT_LE(unit->mHealth, health - 12.0f);
                     }
                     h.StepSeconds(1.5f);
                     if (Has(map->mWaves->mobs, unit)) {
                         EXPECT_LT(unit->mHealth, health - 12.0f) << "and the burning goes on";
                     }
                 }},
                {2, "acid",
                 [](GameHarness& h, TDMap* map, TDMob* unit, float health) {
                     EXPECT_EQ(AreaCount<DotModifierArea>(map), 1) << "the cloud";
                     h.StepSeconds(1.5f);
                     if (Has(map->mWaves->mobs, unit)) {
                         EXPECT_LT(unit->mHealth, health) << "eats the units in it";
                     }
                 }},
                {1, "stun",
                 [](GameHarness& h, TDMap* map, TDMob* unit, float) {
                     EXPECT_TRUE(h.StepUntil([&] { return Carries<StunModifier>(unit); }, 30)) << "stunned";
                     // Half its speed is taken: it walks, at about half its pace, over a
                     // quarter second (half a second of game time at speed 2).
                     const float pace = unit->getPrototype(*map->mPrototypes)->speed * map->mSpeed * 0.25f;
                     const float x = unit->mX, y = unit->mY;
                     h.StepSeconds(0.25f);
                     const float walked = std::hypot(unit->mX - x, unit->mY - y);
                     EXPECT_GT(walked, 0.3f * pace);
                     EXPECT_LT(walked, 0.7f * pace);
                 }},
            };

            std::vector<std::pair<float, float>> casts;
            for (const Kind& kind : kinds) {
                SCOPED_TRACE(kind.name);
                HUDSpellButton* button = buttons[static_cast<size_t>(kind.spellId)];
                const UnitPrototype* prototype = map->mPrototypes->find(button->definition()->prototypeId);
                ASSERT_NE(prototype, nullptr);
                const std::wstring sound = L"spell" + std::to_wstring(kind.spellId);
                EXPECT_NE(std::find_if(k2::SoundTags::Instance()->entries.begin(), k2::SoundTags::Instance()->entries.end(),
                                       [&](const auto& entry) { return entry->name == sound; }),
                          k2::SoundTags::Instance()->entries.end())
                    << "the cast's sound is in the sounds sheet";

                TDMob* unit = nullptr;
                float health = 0.0f;
                if (prototype->boostTower) {
                    // The boost has nothing to aim at: it needs a tower, and the fifth
                    // button casts at once.
                    EXPECT_EQ(button->index, 4);
                    const std::vector<TDSpot*> spots = click::FreeSpots(map);
                    ASSERT_FALSE(spots.empty());
                    tower = click::Build(h, spots[0], 10000);
                    ASSERT_NE(tower, nullptr);
                    click::At(h, button->x, button->y);
                } else {
                    ASSERT_TRUE(h.StepUntil([&] { return (unit = FreshUnit(map, casts)) != nullptr; }, 60 * 40))
                        << "no fresh unit walks in";
                    health = unit->mHealth;
                    casts.emplace_back(unit->mX, unit->mY);
                    ASSERT_TRUE(click::CastSpell(h, button->index, unit->mX, unit->mY));
                }
                EXPECT_EQ(Played(h, sound), 1) << "cast once";
                EXPECT_EQ(map->mSelectedSpell, nullptr);
                EXPECT_EQ(button->pressed, 1) << "recharging";
                EXPECT_NEAR(button->time, prototype->cooldown, 0.5f);
                kind.after(h, map, unit, health);
                h.Step(6);
                h.Screenshot(std::string(kind.name) + "-cast");

                // A click on the busy button does not aim; without gems for an instant
                // recharge it offers the gem shop, and its cancel resumes the level.
                map->mStats->mGems = 0;
                click::At(h, button->x, button->y);
                EXPECT_EQ(map->mSelectedSpell, nullptr);
                EXPECT_EQ(map->mScreen, 19);
                EXPECT_TRUE(click::Button(h, L"cancel"));
                h.Step(2);
                EXPECT_EQ(map->mScreen, 0);
                EXPECT_EQ(map->mSpeed, 1.0f);
                EXPECT_EQ(button->pressed, 1);
                EXPECT_EQ(Played(h, sound), 1) << "no second cast";
                ASSERT_TRUE(click::Button(h, L"speed_btn"));
            }
            h.Screenshot("all-recharging");

            // At speed 2 each button is ready after half the game time it still had to go.
            ASSERT_EQ(map->mSpeed, 2.0f);
            std::vector<float> left;
            std::vector<int> readyAt(buttons.size(), -1);
            for (const HUDSpellButton* button : buttons)
                left.push_back(button->time);
            int frame = 0;
            h.StepUntil(
                [&] {
                    ++frame;
                    for (size_t i = 0; i < buttons.size(); ++i)
                        if (readyAt[i] < 0 && !buttons[i]->pressed)
                            readyAt[i] = frame;
                    return std::none_of(readyAt.begin(), readyAt.end(), [](int f) { return f < 0; });
                },
                static_cast<int>(60.0f / GameHarness::kStep));
            for (size_t i = 0; i < buttons.size(); ++i) {
                SCOPED_TRACE(i);
                ASSERT_GT(readyAt[i], 0) << "never ready";
                EXPECT_NEAR(readyAt[i] * GameHarness::kStep * 2.0f, left[i], 3 * 2.0f * GameHarness::kStep);
                EXPECT_EQ(buttons[i]->time, 0.0f);
            }
            ASSERT_GT(map->mWaves->mobs.size(), 0u) << "units still walk";
            ASSERT_EQ(map->mScreen, 0);

            // Ready again: every button casts again by clicks.
            for (const Kind& kind : kinds) {
                SCOPED_TRACE(kind.name);
                HUDSpellButton* button = buttons[static_cast<size_t>(kind.spellId)];
                if (button->index == 4) {
                    click::At(h, button->x, button->y);
                } else {
                    const TDMob* unit = nullptr;
                    ASSERT_TRUE(h.StepUntil([&] { return (unit = FreshUnit(map, {})) != nullptr; }, 60 * 20));
                    ASSERT_TRUE(click::CastSpell(h, button->index, unit->mX, unit->mY));
                }
                EXPECT_EQ(Played(h, L"spell" + std::to_wstring(kind.spellId)), 2);
                EXPECT_EQ(button->pressed, 1);
            }
            h.Step(10);
            h.Screenshot("cast-again");
        },
        {}, 600);
}

TEST(UpgradePlay, TierStepsThenATierForGoldThenOneForGemsFromTheGemShop)
{
    GameSetup setup = EverySpellOnTheFirstLevel();
    setup.contentFiles.erase("td/levels_normal/level_01_01.xml");
    RunGame("UpgradePlay.GoldThenGems", setup, [](GameHarness& h) {
        TDMap* map = StartFirstLevel(h);
        ASSERT_NE(map, nullptr);
        // Paused: no kill pays gold while the prices are checked.
        ASSERT_TRUE(click::Button(h, L"pause_btn"));
        EXPECT_EQ(map->mSpeed, 0.0f);
        const std::vector<TDSpot*> spots = click::FreeSpots(map);
        ASSERT_FALSE(spots.empty());
        TDTower* tower = click::Build(h, spots[0], 10000);
        ASSERT_NE(tower, nullptr);
        TDPlayerStats* stats = map->mStats;
        const int money = stats->mMoney;

        // The tower menu's upgrade first sells the tier's steps, from the tier budget.
        auto buySteps = [&] {
            const int budget = map->mBudget;
            for (int step = 1; step <= 3; ++step) {
                ASSERT_TRUE(click::TowerAction(h, tower, 1));
                EXPECT_EQ(tower->tierSteps, step);
                EXPECT_EQ(map->mBudget, budget - step);
            }
            EXPECT_EQ(stats->mMoney, money - (tower->tierLevel ? 60 : 0)) << "steps cost no gold";
        };
        buySteps();
        EXPECT_EQ(tower->tierLevel, 0);

        // Then the next tier, for its cost in gold.
        ASSERT_TRUE(click::TowerAction(h, tower, 1));
        EXPECT_EQ(tower->tierLevel, 1);
        EXPECT_EQ(tower->currentPrototype()->id, 10001);
        EXPECT_EQ(tower->tierSteps, 0);
        EXPECT_EQ(stats->mMoney, money - 60);
        EXPECT_EQ(Played(h, L"upgradeTower"), 1);
        buySteps();

        // The next tier costs 90: the gold is short and so are the 2 gems it converts
        // from, so the level offers the gem shop.
        ASSERT_LT(stats->mMoney, 90);
        stats->mGems = 1;
        ASSERT_TRUE(click::TowerAction(h, tower, 1));
        EXPECT_EQ(map->mScreen, 19);
        EXPECT_EQ(tower->tierLevel, 1);
        EXPECT_EQ(tower->tierSteps, 3) << "the steps bought stay while the tier is not";
        EXPECT_EQ(stats->mGems, 1);
        h.StepSeconds(0.3f);
        h.Screenshot("gem-shop-offer");
        ASSERT_TRUE(click::Button(h, L"ok"));
        ASSERT_TRUE(h.StepUntil([&] { return h.Screen() == 18 && dynamic_cast<HUDBuyGemScreen*>(click::TopWindow(h)); }, 60));
        h.StepSeconds(0.5f);
        ASSERT_TRUE(click::GemOffer(h, 0));
        ASSERT_TRUE(h.StepUntil([&] { return stats->mGems != 1; }, 180)) << "the store never answered";
        EXPECT_EQ(stats->mGems, 101);
        ASSERT_TRUE(click::Button(h, L"back_in"));
        ASSERT_TRUE(h.StepUntil([&] { return click::TopWindow(h) == nullptr; }, 60));
        EXPECT_EQ(map->mScreen, 0);
        if (map->mSpeed > 0.0f) {
            ASSERT_TRUE(click::Button(h, L"pause_btn"));
        }

        // Now the gems reach: the level asks to convert them, and "ok" buys the tier.
        const int gold = stats->mMoney;
        ASSERT_TRUE(click::TowerAction(h, tower, 1));
        EXPECT_EQ(map->mScreen, 21);
        EXPECT_EQ(tower->tierLevel, 1);
        h.StepSeconds(0.3f);
        h.Screenshot("convert-gems");
        ASSERT_TRUE(click::Button(h, L"ok"));
        h.Step(2);
        EXPECT_EQ(map->mScreen, 0);
        EXPECT_EQ(tower->tierLevel, 2);
        EXPECT_EQ(tower->currentPrototype()->id, 10002);
        EXPECT_EQ(stats->mGems, 99) << "ceil(90 / 50) gems";
        EXPECT_EQ(map->mProgress->getGems(), 99);
        EXPECT_EQ(stats->mMoney, gold + 2 * 50 - 90);
        EXPECT_EQ(Played(h, L"upgradeTower"), 2);
    });
}

TEST(DropPlay, ACrystalArcsOutOfADyingUnitAndAClickCreditsItsGems)
{
    RunGame("DropPlay.ClickedCrystal", EverySpellOnTheFirstLevel(), [](GameHarness& h) {
        TDMap* map = StartFirstLevel(h);
        ASSERT_NE(map, nullptr);
        // The first unit that dies drops a crystal, the others none.
        const auto dropChance = [map](int chance) {
            for (UnitPrototype* kind : map->mPrototypes->mPrototypes)
                if (kind->type == 0) {
                    kind->dropChance = chance;
                    for (UnitPrototype* tier : kind->children)
                        tier->dropChance = chance;
                }
        };
        dropChance(100);
        ASSERT_TRUE(click::Button(h, L"speed_btn"));
        // The fire spell on the first unit that walks in kills it.
        TDMob* unit = nullptr;
        ASSERT_TRUE(h.StepUntil([&] { return (unit = FreshUnit(map, {})) != nullptr; }, 60 * 20));
        ASSERT_TRUE(click::CastSpell(h, 0, unit->mX, unit->mY));
        ASSERT_TRUE(h.StepUntil([&] { return !map->mSpecials.empty(); }, 60 * 10)) << "nothing dropped";
        dropChance(0);
        auto* drop = dynamic_cast<TDCrystallSpecial*>(map->mSpecials.front());
        ASSERT_NE(drop, nullptr);
        EXPECT_EQ(drop->state, TDGoldSpecial::Flying);
        const float dropped = std::hypot(drop->to.x - drop->from.x, drop->to.y - drop->from.y);
        EXPECT_GE(dropped, 49.0f);
        EXPECT_LE(dropped, 101.0f);

        // It arcs: above both its ends on the way, then lies where it fell.
        float highest = drop->from.y;
        ASSERT_TRUE(h.StepUntil(
            [&] {
                highest = std::min(highest, drop->position.y);
                return drop->state == TDGoldSpecial::Lying;
            },
            120));
        EXPECT_LT(highest, std::min(drop->from.y, drop->to.y) - 5.0f);
        h.Step(2);
        EXPECT_FLOAT_EQ(drop->position.x, drop->to.x);
        EXPECT_FLOAT_EQ(drop->position.y, drop->to.y);
        h.Screenshot("crystal-lying");

        // A click on it: five gems at once, and it flies to the counter and goes.
        const int gems = map->mStats->mGems;
        const int saved = map->mProgress->getGems();
        ASSERT_TRUE(click::CollectDrop(h));
        EXPECT_EQ(drop->state, TDGoldSpecial::Collected);
        EXPECT_EQ(map->mStats->mGems, gems + 5);
        EXPECT_EQ(map->mProgress->getGems(), saved + 5);
        const auto gone = [&] { return std::find(map->mSpecials.begin(), map->mSpecials.end(), drop) == map->mSpecials.end(); };
        ASSERT_TRUE(h.StepUntil(gone, 60)) << "it never reached the counter";
        EXPECT_EQ(map->mStats->mGems, gems + 5) << "credited once";
    });
}
