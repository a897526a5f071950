// The tutorial in the running game: steps fire on events, run their commands and show
// their overlay; their progress lives in the profile across a restart; the skip
// button ends the tutorial; unfinished groups start over at a level start.
#include "Framework/Layer/ImageLayer.h"
#include "Framework/Layer/TextLayer.h"
#include "Source/TD/Hud/HUD.h"
#include "Source/TD/Hud/ButtonOverWindow.h"
#include "Source/TD/Hud/HUDButtonOver.h"
#include "Source/TD/Towers/TDContextMenu.h"
#include "Source/TD/Towers/TDSpot.h"
#include "Source/TD/Towers/TDTower.h"
#include "Source/TD/World/LevelArt.h"
#include "Source/TD/Shell/Game.h"
#include "Source/TD/Shell/GameWindow.h"
#include "Source/TD/Shell/LocalStrings.h"
#include "Source/TD/Shell/PlayerProgress.h"
#include "Source/TD/Tutorial/TDTutorial.h"
#include "Source/TD/Tutorial/TDTutorialStep.h"
#include "Source/TD/Tutorial/TutorialButton.h"
#include "Source/TD/World/PrototypeStore.h"
#include "Source/TD/World/TDFloatingLabels.h"
#include "Source/TD/World/TDMap.h"
#include "Source/TD/World/TDPlayerStats.h"
#include "Source/TD/World/UnitPrototype.h"
#include "tests/Support/ClickPlayer.h"
#include "tests/Support/GameHarness.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <vector>

namespace {

TDMap* Level(GameHarness& h)
{
    return h.game() && h.game()->mGameWindow ? h.game()->mGameWindow->mMap : nullptr;
}

// Step 10 has commands of every kind; completing it activates step 11 (later in the
// file, runs anywhere) and marks step 12 done through the profile only.
const char* const kSteps = R"(<?xml version="1.0"?>
<tutorial>
  <step id="10" activate="go" complete="done">
    <condition shop="-1" episode="0" level="0"/>
    <show folder="build"><text place="build/text" string="tutorial_build"/></show>
    <cmds>
      <cmd param="pause" value="1"/><cmd param="spot" value="3"/><cmd param="blockUI" value="2"/>
      <cmd param="blockShop" value="1"/><cmd param="addGems" value="7"/><cmd param="addMoney" value="11"/>
      <cmd param="dropChanceOverride" value="1"/><cmd param="noSuchCommand" value="9"/>
    </cmds>
    <onComplete><cmd param="pause" value="0"/><cmd param="completeStep" value="12"/></onComplete>
  </step>
  <step id="11" activate="done" complete="later">
    <condition/>
    <show folder="upgrade"><text place="upgrade/text" string="tutorial_upgrade"/></show>
  </step>
  <step id="12" activate="x" complete="y">
    <condition/>
    <show folder="wave"/>
  </step>
</tutorial>)";

// Two steps on the same event "e": A completes and B activates. `bFirst` puts B
// before A in the file.
std::string PairScript(bool bFirst)
{
    const std::string a = R"(<step id="20" activate="start" complete="e"><condition/><show folder="build"/></step>)";
    const std::string b = R"(<step id="21" activate="e" complete="f"><condition/><show folder="wave"/></step>)";
    return "<tutorial>" + (bFirst ? b + a : a + b) + "</tutorial>";
}

// Starts the game and brings the tutorial up with `script`.
TDTutorial* StartWith(GameHarness& h, const char* script)
{
    EXPECT_EQ(h.Start(), GE_OK);
    h.Step(2);
    TDTutorial* tutorial = TDTutorial::Instance();
    EXPECT_TRUE(tutorial->readScript(script));
    return tutorial;
}

} // namespace

TEST(TutorialGame, StepsFireOnEventsRunCommandsAndShowTheirOverlay)
{
    RunGame("TutorialGame.StepsFireOnEvents", {}, [](GameHarness& h) {
        TDTutorial* tutorial = StartWith(h, kSteps);
        TDMap* map = Level(h);
        ASSERT_NE(map, nullptr);
        ASSERT_EQ(tutorial->steps.size(), 3u);
        ASSERT_TRUE(tutorial->active);
        map->mSpeed = 2.0f;
        const int gems = map->mStats->mGems;
        const int money = map->mStats->mMoney;

        tutorial->fireEvent(L"later"); // completes step 11, which is not active: nothing
        EXPECT_EQ(map->mProgress->getTutorialStepState(10), 0);
        tutorial->fireEvent(L"go");
        EXPECT_EQ(map->mProgress->getTutorialStepState(10), 1);
        EXPECT_EQ(map->mSpeed, 0.0f);
        EXPECT_EQ(map->mAllowedSpot, 3);
        EXPECT_EQ(map->mHud->uiBlock, 2);
        EXPECT_EQ(map->mHud->shopBlock, 1);
        EXPECT_EQ(map->mStats->mGems, gems + 7);
        EXPECT_EQ(map->mProgress->getGems(), gems + 7);
        EXPECT_EQ(map->mStats->mMoney, money + 11);
        EXPECT_EQ(map->mDropChanceOverride, 1.0f);
        EXPECT_EQ(map->mProgress->getTutorialParam(L"dropChanceOverride"), 1);

        // The overlay: the folder's pictures, its text place with the step's text, the
        // skip button, all under the root board's layer.
        EXPECT_EQ(tutorial->visible, 1);
        EXPECT_EQ(tutorial->overlayImages.size(), 2u) << "build/panel and build/arrow";
        ASSERT_EQ(tutorial->overlayTexts.size(), 1u);
        EXPECT_EQ(tutorial->overlayTexts[0]->GetText(), LocalStrings::Instance()->get(L"tutorial_build"));
        layer::Layer* board = h.game()->mGameWindow->layer;
        EXPECT_EQ(tutorial->imageRoot->parent, board);
        EXPECT_EQ(tutorial->textRoot->parent, board);
        ASSERT_NE(tutorial->skipButton, nullptr);
        EXPECT_EQ(tutorial->skipButton->parent, board);
        h.Step(2);
        h.Screenshot("step-10-overlay");

        // Completing 10 activates 11 (later in the file): its overlay replaces 10's.
        tutorial->fireEvent(L"done");
        EXPECT_EQ(map->mProgress->getTutorialStepState(10), 2);
        EXPECT_EQ(map->mProgress->getTutorialStepState(11), 1);
        EXPECT_EQ(map->mSpeed, 1.0f) << "pause 1 then pause 0 leaves normal speed, not the fast one";
        EXPECT_EQ(map->mProgress->getTutorialStepState(12), 2) << "completeStep marks the profile";
        EXPECT_EQ(tutorial->visible, 1);
        ASSERT_EQ(tutorial->overlayTexts.size(), 1u);
        EXPECT_EQ(tutorial->overlayTexts[0]->GetText(), LocalStrings::Instance()->get(L"tutorial_upgrade"));

        // A done step never runs again, and step 12 (done in the profile) ignores its event.
        tutorial->fireEvent(L"go");
        tutorial->fireEvent(L"x");
        EXPECT_EQ(map->mSpeed, 1.0f);
        EXPECT_EQ(map->mStats->mGems, gems + 7);
        EXPECT_EQ(tutorial->steps[2]->state, 2);

        tutorial->fireEvent(L"later");
        EXPECT_EQ(tutorial->visible, 0);
        EXPECT_TRUE(tutorial->overlayImages.empty());
        EXPECT_EQ(tutorial->imageRoot->parent, nullptr);
    });
}

TEST(TutorialGame, ConditionAndFileOrderOfSteps)
{
    RunGame("TutorialGame.ConditionAndOrder", {}, [](GameHarness& h) {
        TDTutorial* tutorial = StartWith(h, kSteps);
        TDMap* map = Level(h);
        ASSERT_NE(map, nullptr);
        // Step 10 is tied to episode 0, level 0 (shop -1): elsewhere it does not react.
        map->mEpisode = 1;
        tutorial->fireEvent(L"go");
        EXPECT_EQ(map->mProgress->getTutorialStepState(10), 0);
        map->mEpisode = 0;
        tutorial->fireEvent(L"go");
        EXPECT_EQ(map->mProgress->getTutorialStepState(10), 1);
        // Step 11 has no shop: it reacts in any level.
        map->mEpisode = 1;
        tutorial->fireEvent(L"done");
        EXPECT_EQ(map->mProgress->getTutorialStepState(11), 1);
        map->mEpisode = 0;

        // One event completes A and activates B: B's overlay stays, also when B comes
        // before A and A's completion clears it (B, still active, shows it again).
        struct Case {
            bool bFirst;
            int visible;
        } cases[] = {{false, 1}, {true, 1}};
        for (const Case& c : cases) {
            for (int id : {20, 21})
                map->mProgress->setTutorialStepState(id, 0);
            ASSERT_TRUE(tutorial->readScript(PairScript(c.bFirst)));
            tutorial->fireEvent(L"start");
            tutorial->fireEvent(L"e");
            EXPECT_EQ(map->mProgress->getTutorialStepState(20), 2) << c.bFirst;
            EXPECT_EQ(map->mProgress->getTutorialStepState(21), 1) << c.bFirst;
            EXPECT_EQ(tutorial->visible, c.visible) << "B first: " << c.bFirst;
            EXPECT_EQ(tutorial->skipButtonShown, 1) << "B first: " << c.bFirst;
        }
    });
}

TEST(TutorialGame, ResetStartsUnfinishedGroupsOver)
{
    RunGame("TutorialGame.Reset", {}, [](GameHarness& h) {
        TDTutorial* tutorial = StartWith(h, kSteps);
        TDMap* map = Level(h);
        ASSERT_NE(map, nullptr);
        PlayerProgress& progress = *map->mProgress;
        // (states before of steps 0 1 2 3 4 5 51 6 7 8) -> after
        struct Case {
            std::vector<int> before, after;
        } cases[] = {
            {{1, 1, 1, 1, 1, 1, 1, 1, 1, 1}, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
            {{2, 2, 2, 2, 2, 2, 2, 2, 2, 2}, {2, 2, 2, 2, 2, 2, 2, 2, 2, 2}},
            // Step 1 done keeps 0; 4 done keeps 3; 51 undone resets 5 only when 5 is undone.
            {{1, 2, 1, 1, 2, 2, 1, 2, 1, 2}, {1, 2, 0, 1, 2, 2, 0, 2, 0, 2}},
            {{2, 1, 2, 2, 1, 1, 2, 1, 2, 1}, {0, 0, 2, 0, 0, 1, 2, 0, 2, 0}},
        };
        const int ids[] = {0, 1, 2, 3, 4, 5, 51, 6, 7, 8};
        for (const Case& c : cases) {
            for (size_t i = 0; i < 10; ++i)
                progress.setTutorialStepState(ids[i], c.before[i]);
            map->mAllowedSpot = 4;
            map->mHud->uiBlock = 1;
            map->mHud->shopBlock = 1;
            map->mDropChanceOverride = 1.0f;
            ResetTutorialSteps();
            for (size_t i = 0; i < 10; ++i)
                EXPECT_EQ(progress.getTutorialStepState(ids[i]), c.after[i]) << "step " << ids[i];
            EXPECT_EQ(map->mAllowedSpot, -1);
            EXPECT_EQ(map->mHud->uiBlock, 0);
            EXPECT_EQ(map->mHud->shopBlock, 0);
            EXPECT_EQ(map->mDropChanceOverride, 0.0f);
        }
        (void)tutorial;
    });
}

TEST(TutorialGame, ProgressSurvivesARestartAndSkipEndsIt)
{
    std::string saved;
    RunGame(
        "TutorialGame.ProgressFirstRun", {},
        [](GameHarness& h) {
            TDTutorial* tutorial = StartWith(h, kSteps);
            tutorial->fireEvent(L"go");
            tutorial->fireEvent(L"done");
        },
        [&](const std::filesystem::path& user) {
            std::ifstream in(user / "profiles.xml");
            saved.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        });
    ASSERT_NE(saved.find("<step id=\"10\" state=\"2\"/>"), std::string::npos) << saved;
    ASSERT_NE(saved.find("<step id=\"11\" state=\"1\"/>"), std::string::npos) << saved;

    GameSetup setup;
    setup.profiles = saved;
    std::string afterSkip;
    RunGame(
        "TutorialGame.ProgressSecondRun", setup,
        [](GameHarness& h) {
            TDTutorial* tutorial = StartWith(h, kSteps);
            TDMap* map = Level(h);
            ASSERT_NE(map, nullptr);
            EXPECT_EQ(tutorial->steps[0]->state, 2);
            EXPECT_EQ(tutorial->steps[1]->state, 1);
            map->mSpeed = 2.0f;
            tutorial->fireEvent(L"go"); // done in the saved profile: nothing runs
            EXPECT_EQ(map->mSpeed, 2.0f);

            // Show an overlay again and skip it through the button's rectangle.
            map->mProgress->setTutorialStepState(12, 0);
            tutorial->steps[2]->state = 0;
            map->mAllowedSpot = 3;
            tutorial->fireEvent(L"x");
            ASSERT_EQ(tutorial->visible, 1);
            TutorialButton* button = tutorial->skipButton;
            ASSERT_NE(button, nullptr);
            ASSERT_NE(button->normalLayer, nullptr);
            const float left = button->position.x + button->normalLayer->position.x;
            const float top = button->position.y + button->normalLayer->position.y;
            // The edge itself does not skip (strict bounds).
            EXPECT_FALSE(tutorial->onRelease(static_cast<int>(left), static_cast<int>(top) + 10));
            EXPECT_EQ(tutorial->skipPending, 0);
            // Hover follows the pointer inside the same rectangle.
            tutorial->onMouseMove(static_cast<int>(left) + 10, static_cast<int>(top) + 10);
            EXPECT_TRUE(button->hovered);
            h.Step(10);
            EXPECT_GT(button->scale, 1.0f) << "a hovered button grows";
            EXPECT_TRUE(tutorial->onRelease(static_cast<int>(left) + 10, static_cast<int>(top) + 10));
            EXPECT_EQ(tutorial->skipPending, 1);
            EXPECT_EQ(tutorial->visible, 0) << "input stops while the confirmation is open";

            // Cancelling gives input back; confirming switches the tutorial off.
            tutorial->cancelSkip();
            EXPECT_EQ(tutorial->visible, 1);
            EXPECT_EQ(tutorial->skipPending, 0);
            tutorial->confirmSkip();
            EXPECT_EQ(tutorial->active, 0);
            EXPECT_EQ(tutorial->visible, 0);
            EXPECT_EQ(map->mAllowedSpot, -1);
            EXPECT_FALSE(map->mProgress->isTutorialAvailable());
            map->mProgress->setTutorialStepState(11, 1);
            tutorial->fireEvent(L"later"); // off: nothing happens
            EXPECT_EQ(map->mProgress->getTutorialStepState(11), 1);
        },
        [&](const std::filesystem::path& user) {
            std::ifstream in(user / "profiles.xml");
            afterSkip.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        });
    EXPECT_NE(afterSkip.find("avail=\"0\""), std::string::npos) << afterSkip;
}

TEST(TutorialGame, ProfileWithoutAvailHasTheTutorialOff)
{
    GameSetup setup;
    setup.profiles = "<Profiles currentProfile=\"P\"><Profile name=\"P\"><tutorial/></Profile></Profiles>";
    RunGame("TutorialGame.NoAvail", setup, [](GameHarness& h) {
        TDTutorial* tutorial = StartWith(h, kSteps);
        tutorial->loadProgress();
        EXPECT_EQ(tutorial->active, 0);
        tutorial->fireEvent(L"go");
        EXPECT_EQ(Level(h)->mProgress->getTutorialStepState(10), 0);
    });
}

TEST(TutorialGame, AHintThatCutsInHandsTheOverlayBackToTheStepStillActive)
{
    RunGame("TutorialGame.HintCutsIn", {}, [](GameHarness& h) {
        ASSERT_EQ(h.Start(), GE_OK);
        h.Step(2);
        TDMap* map = Level(h);
        ASSERT_NE(map, nullptr);
        TDTutorial* tutorial = TDTutorial::Instance();
        PlayerProgress* progress = map->mProgress;
        map->mEpisode = map->mLevel = 0;
        ASSERT_TRUE(map->startLevel());
        h.Step(2);
        for (int clicks = 0; map->mScreen == 11 && clicks < 12; ++clicks)
            ASSERT_TRUE(click::Button(h, L"ok"));
        ASSERT_EQ(map->mScreen, 0);

        // The marked spot's tower: the upgrade step is active and holds the spot.
        const std::vector<TDSpot*> marked = click::FreeSpots(map);
        ASSERT_EQ(marked.size(), 1u);
        ASSERT_TRUE(click::OpenSpot(h, marked[0]));
        TDTower* tower = click::Build(h, marked[0], map->mContextMenu->items[0]->command);
        if (!tower) {
            click::CloseMenu(h);
            tower = click::Build(h, marked[0], 20000);
        }
        ASSERT_NE(tower, nullptr);
        ASSERT_EQ(progress->getTutorialStepState(1), 1);
        ASSERT_EQ(map->mAllowedSpot, 0);
        // The game stands still for the first tower; the player lets it run.
        EXPECT_EQ(map->mSpeed, 0.0f);
        ASSERT_TRUE(click::Button(h, L"play_btn"));

        // A crystal drops meanwhile: its hint takes the overlay.
        for (UnitPrototype* kind : map->mPrototypes->mPrototypes)
            if (kind->type == 0) {
                kind->dropChance = 100;
                for (UnitPrototype* tier : kind->children)
                    tier->dropChance = 100;
            }
        ASSERT_TRUE(h.StepUntil([&] { return progress->getTutorialStepState(4) == 1; }, 60 * 60)) << "no crystal";
        EXPECT_EQ(tutorial->overlayTexts[0]->GetText(), LocalStrings::Instance()->get(L"tutorial_drop"));
        ASSERT_TRUE(h.StepUntil([&] { return click::CollectDrop(h); }, 120));
        h.Step(2);
        ASSERT_EQ(progress->getTutorialStepState(4), 2);

        // Its completion hands the overlay back to the upgrade step, Skip included:
        // the spot the step holds comes with the hint that names it.
        EXPECT_EQ(progress->getTutorialStepState(1), 1);
        EXPECT_EQ(tutorial->visible, 1);
        EXPECT_EQ(tutorial->skipButtonShown, 1);
        ASSERT_EQ(tutorial->overlayTexts.size(), 1u);
        EXPECT_EQ(tutorial->overlayTexts[0]->GetText(), LocalStrings::Instance()->get(L"tutorial_upgrade"));
        h.Screenshot("upgrade-hint-again");

        // Doing what it asks ends it, and every spot opens.
        ASSERT_TRUE(click::TowerAction(h, tower, 1));
        EXPECT_EQ(progress->getTutorialStepState(1), 2);
        EXPECT_EQ(map->mAllowedSpot, -1);
        const std::vector<TDSpot*> open = click::FreeSpots(map);
        ASSERT_GT(open.size(), 1u);
        EXPECT_TRUE(click::OpenSpot(h, open.back()));
    });
}

TEST(TutorialGame, TheLevelsResultTakesDownTheHintOfAStepLeftUndone)
{
    RunGame("TutorialGame.ResultOverHint", {}, [](GameHarness& h) {
        ASSERT_EQ(h.Start(), GE_OK);
        h.Step(2);
        TDMap* map = Level(h);
        ASSERT_NE(map, nullptr);
        TDTutorial* tutorial = TDTutorial::Instance();
        const struct {
            const char* name;
            void (TDMap::*show)();
            const char* step;
        } results[] = {{"victory", &TDMap::showVictory, "30"}, {"defeat", &TDMap::showDefeat, "31"}};
        for (const auto& result : results) {
            SCOPED_TRACE(result.name);
            map->mEpisode = map->mLevel = 0;
            ASSERT_TRUE(map->startLevel());
            h.Step(2);
            // A step of its own for each round: the one before stays active.
            ASSERT_TRUE(tutorial->readScript(std::string(R"(<tutorial><step id=")") + result.step +
                                             R"(" activate="start" complete="never"><condition/>)"
                                             R"(<show folder="wave"/></step></tutorial>)"));
            tutorial->fireEvent(L"start");
            ASSERT_EQ(tutorial->visible, 1);
            (map->*result.show)();
            h.Step(2);
            // The window's title and buttons are the player's; no hint or Skip over them.
            EXPECT_EQ(tutorial->visible, 0);
            EXPECT_EQ(tutorial->skipButtonShown, 0);
            EXPECT_EQ(tutorial->imageRoot->parent, nullptr);
            EXPECT_EQ(tutorial->textRoot->parent, nullptr);
            EXPECT_EQ(tutorial->skipButton->parent, nullptr);
            h.Screenshot(std::string("result-") + result.name);
        }
    });
}

TEST(TutorialGame, LevelOneWithTheShippedTutorial)
{
    std::string saved;
    RunGame(
        "TutorialGame.LevelOne", {},
        [](GameHarness& h) {
            ASSERT_EQ(h.Start(), GE_OK);
            h.Step(2);
            TDMap* map = Level(h);
            ASSERT_NE(map, nullptr);
            TDTutorial* tutorial = TDTutorial::Instance();
            ASSERT_GE(tutorial->steps.size(), 5u) << "the shipped td/tutorial.xml";
            map->mEpisode = 0;
            map->mLevel = 0;
            ASSERT_TRUE(map->startLevel());
            h.Step(2);
            // The unlock message comes first, one item per click on its button.
            int clicks = 0;
            while (map->mScreen == 11 && clicks < 12) {
                h.Click(512, 538);
                h.Step(2);
                ++clicks;
            }
            EXPECT_EQ(map->mScreen, 0);
            EXPECT_GE(clicks, 2);
            // Step 0: build on the marked spot only, the game still; speed and spells
            // blocked.
            EXPECT_EQ(map->mProgress->getTutorialStepState(0), 1);
            EXPECT_EQ(map->mSpeed, 0.0f);
            EXPECT_EQ(tutorial->visible, 1);
            EXPECT_EQ(map->mAllowedSpot, 0);
            EXPECT_EQ(map->mHud->uiBlock, 2);
            h.Step(30);
            h.Screenshot("1-build-step");

            // Another spot opens nothing; the marked one opens its build menu.
            TDFrameEntry* other = map->mLevelArt->mSpotSprites[1];
            h.Click(other->centerX(), other->centerY());
            h.Step(2);
            EXPECT_EQ(map->mContextMenu, nullptr);
            TDFrameEntry* marked = map->mLevelArt->mSpotSprites[0];
            h.Click(marked->centerX(), marked->centerY());
            h.Step(20);
            ASSERT_NE(map->mContextMenu, nullptr);
            ASSERT_FALSE(map->mContextMenu->items.empty());
            float x = 0.0f, y = 0.0f;
            map->mContextMenu->itemCenter(*map->mContextMenu->items[0], 1.0f, &x, &y);
            h.Click(x, y);
            h.Step(30);
            ASSERT_EQ(map->mTowers.size(), 1u) << "a tower was built through the menu; screen " << map->mScreen
                                               << " money " << map->mStats->mMoney << " item at " << x << "," << y
                                               << " command " << (map->mContextMenu ? map->mContextMenu->hoverCommand : -9);
            // Step 0 is done and step 1 (upgrade) shows its overlay. Its gift of gold
            // rises where the player built.
            EXPECT_EQ(map->mProgress->getTutorialStepState(0), 2);
            EXPECT_EQ(map->mProgress->getTutorialStepState(1), 1);
            const TDFloatingLabels::Label* gift = nullptr;
            for (const TDFloatingLabels::Label* label : map->mFloatingLabels->mLabels)
                if (label->text == L"+60 gold")
                    gift = label;
            ASSERT_NE(gift, nullptr) << "the 60 gold of the upgrade step";
            EXPECT_NEAR(gift->x, x, 1.0f);
            EXPECT_LT(gift->y, y);
            EXPECT_EQ(map->mHud->uiBlock, 0);
            EXPECT_EQ(tutorial->visible, 1);
            h.Screenshot("2-upgrade-step");

            // The skip button asks first; confirming ends the tutorial.
            ASSERT_NE(tutorial->skipButton, nullptr);
            const float bx = tutorial->skipButton->position.x;
            const float by = tutorial->skipButton->position.y;
            h.MouseMove(bx, by);
            h.Click(bx, by);
            h.Step(5);
            EXPECT_EQ(tutorial->skipPending, 1);
            auto* dialog = dynamic_cast<ButtonOverWindow*>(h.game()->mGameWindow->mModal);
            ASSERT_NE(dialog, nullptr);
            h.Screenshot("3-skip-confirmation");
            // The confirming button is the dialog's second; find a point it takes.
            HUDButtonOver* confirm = dialog->buttonAt(1);
            ASSERT_NE(confirm, nullptr);
            int cx = -1, cy = -1;
            for (int y = 0; y < 768 && cx < 0; y += 4)
                for (int x = 0; x < 1024 && cx < 0; x += 4)
                    if (confirm->hitTest(x, y)) {
                        cx = x + 8;
                        cy = y + 8;
                    }
            ASSERT_GE(cx, 0);
            h.Click(static_cast<float>(cx), static_cast<float>(cy));
            h.Step(5);
            EXPECT_EQ(tutorial->active, 0);
            EXPECT_EQ(tutorial->visible, 0);
            EXPECT_EQ(tutorial->skipPending, 0);
            EXPECT_EQ(map->mSpeed, 1.0f) << "the game the tutorial held runs again";
            h.Screenshot("4-after-skip");
        },
        [&](const std::filesystem::path& user) {
            std::ifstream in(user / "profiles.xml");
            saved.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        });
    EXPECT_NE(saved.find("<step id=\"0\" state=\"2\"/>"), std::string::npos) << saved;
    EXPECT_NE(saved.find("avail=\"0\""), std::string::npos) << saved;
}
