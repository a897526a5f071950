// The HUD, its windows and the level result in the running game. The windows are
// opened the way the level object opens them.
#include "Core/Render/Image.h"
#include "Source/TD/Hud/HUD.h"
#include "Source/TD/Hud/HUDIngameMenu.h"
#include "Source/TD/Hud/HUDLevelName.h"
#include "Source/TD/Hud/HUDLevelResultWindow.h"
#include "Source/TD/Hud/HUDModalMessage.h"
#include "Source/TD/Hud/HUDSpellButton.h"
#include "Source/TD/Hud/TDButtonFrame.h"
#include "Source/TD/Shell/Game.h"
#include "Source/TD/Shell/GameWindow.h"
#include "Source/TD/Shell/LocalStrings.h"
#include "Source/TD/Shell/PlayerProgress.h"
#include "Source/TD/Tutorial/TDTutorial.h"
#include "Source/TD/World/TDMap.h"
#include "Source/TD/World/InterfaceAtlas.h"
#include "Source/TD/World/PrototypeStore.h"
#include "Source/TD/World/TDFrameEntry.h"
#include "Source/TD/World/TDPlayerStats.h"
#include "Source/TD/World/UnitPrototype.h"
#include "Source/TD/Towers/SpellTable.h"
#include "Source/TD/Towers/TDSpot.h"
#include "Source/TD/Towers/TDTower.h"
#include "tests/Support/ClickPlayer.h"
#include "tests/Support/GameHarness.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

TDMap* Level(GameHarness& h)
{
    return h.game() && h.game()->mGameWindow ? h.game()->mGameWindow->mMap : nullptr;
}

std::wstring Text(const wchar_t* key)
{
    return LocalStrings::Instance()->get(key);
}

// Level 1 of episode 1, running, with the splash and any intro window gone.
TDMap* StartLevelOne(GameHarness& h)
{
    EXPECT_EQ(h.Start(), GE_OK);
    TDMap* map = Level(h);
    if (!map)
        return nullptr;
    map->mEpisode = 0;
    map->mLevel = 0;
    EXPECT_TRUE(map->startLevel());
    h.Step(5);
    // The first level teaches; its overlay would hide what these tests look at.
    TDTutorial* tutorial = TDTutorial::Instance();
    tutorial->visible = 0;
    tutorial->hideLayers();
    map->mHud->clearWindows();
    map->mScreen = 0;
    h.Step(2);
    return map;
}

// What the level object does on a victory or a defeat, as far as the window needs.
HUDLevelResultWindow* OpenResult(TDMap* map, bool won)
{
    map->mGameResult = won ? 1 : 2;
    map->mScreen = won ? 1 : 2;
    map->mSpeed = 0.0f;
    auto* window = new HUDLevelResultWindow;
    map->mHud->open(window, HUD::kKeepScreen);
    for (const wchar_t* image : {L"diffictly", L"diffictly_lose", L"victory_label", L"defeat_label"})
        window->setImageVisible(image, false);
    window->setImageVisible(won ? L"back_lose" : L"back_win", false);
    window->setText(L"levelResult", Text(won ? L"game_win" : L"game_lose"));
    window->setText(L"levelName", Text(L"episode0") + L" 1 - " + std::to_wstring(map->mLevel + 1));
    window->setText(L"killScore", Text(L"game_kill_score") + L"0");
    window->setText(L"goldBonus", L"");
    window->setText(L"lifeBonus", Text(L"game_life_bonus") + L"0");
    window->setText(L"totalScore", Text(L"game_total_score") + L"0");
    return window;
}

} // namespace

TEST(HudInGame, CountersMenuAndModalMessageOverLevelOne)
{
    RunGame("HudInGame.CountersMenuAndModalMessageOverLevelOne", {}, [](GameHarness& h) {
        TDMap* map = StartLevelOne(h);
        ASSERT_NE(map, nullptr);
        HUD* hud = map->mHud;

        // Counters: keyed by the names of their text places, so they are drawn.
        for (const wchar_t* name : {L"mana", L"coins", L"crystals", L"waves"})
            EXPECT_EQ(hud->textAnchors.count(name), 1u) << "td/ui lacks text/" << std::string(name, name + 4);
        map->mHealth = 20.0f;
        map->mMaxHealth = 25.0f;
        hud->setManaText();
        EXPECT_EQ(*hud->findText(L"mana"), L"20/25");
        hud->setCoinsText();
        EXPECT_EQ(*hud->findText(L"coins"), std::to_wstring(map->mStats->mShownMoney));
        hud->setWavesText();
        ASSERT_NE(hud->findText(L"waves"), nullptr);
        EXPECT_EQ(hud->findText(L"waves")->rfind(Text(L"game_wave") + L" 1/", 0), 0u) << "the first wave shows 1";
        EXPECT_GE(hud->spellButtons.size(), 1u);
        EXPECT_LE(hud->spellButtons.size(), hud->spellSlots.size());
        h.Step(30);
        h.Screenshot("hud-in-play");

        // The in-game menu, as the options button opens it.
        map->pause();
        h.Step(20);
        EXPECT_EQ(h.Screen(), 4);
        auto* menu = dynamic_cast<HUDIngameMenu*>(hud->topWindow());
        ASSERT_NE(menu, nullptr);
        ASSERT_EQ(menu->overButtons.size(), 5u);
        const HUDButtonOver* resume = menu->overButtons[0];
        const float rx = resume->normalFrame->centerX(), ry = resume->normalFrame->centerY();
        h.MouseMove(rx, ry);
        h.Step(20);
        h.Screenshot("ingame-menu");
        EXPECT_EQ(menu->click(static_cast<int>(rx), static_cast<int>(ry)), L"resume");
        EXPECT_EQ(hud->hitTest(static_cast<int>(rx), static_cast<int>(ry)), -1);
        hud->popWindow();
        map->mScreen = 0;
        h.Step(2);
        EXPECT_EQ(hud->topWindow(), nullptr);

        // A modal message over the level; "ok" closes it and hands the screen back.
        hud->showModalMessage(0, Text(L"convertCristallToMoneyDialogTitle"), Text(L"gemShopDialogText"));
        h.Step(20);
        EXPECT_EQ(h.Screen(), 16);
        auto* message = dynamic_cast<HUDModalMessage*>(hud->topWindow());
        ASSERT_NE(message, nullptr);
        h.Screenshot("modal-message");
        ASSERT_GE(message->overButtons.size(), 2u);
        const TDFrameEntry* ok = message->overButtons[1]->normalFrame.get();
        EXPECT_EQ(message->click(static_cast<int>(ok->centerX() + 120.0f), static_cast<int>(ok->centerY())), L"ok");
        hud->popWindow();
        EXPECT_EQ(h.Screen(), 0);
        h.Step(2);

        // The level title fades in, holds and goes by itself.
        GameWindow* root = h.game()->mGameWindow;
        delete root->mModal2;
        root->mModal2 = new HUDLevelName;
        h.Step(40);
        h.Screenshot("level-title");
        h.StepSeconds(3.2f);
        EXPECT_EQ(root->mModal2, nullptr);
    });
}

TEST(HudInGame, ResultWindowStarsGemsCountUpAndProfile)
{
    RunGame("HudInGame.ResultWindowStarsGemsCountUpAndProfile", {}, [](GameHarness& h) {
        TDMap* map = StartLevelOne(h);
        ASSERT_NE(map, nullptr);
        PlayerProgress* progress = map->mProgress;
        const int levels = map->episodeLevelCount(0);
        ASSERT_GE(levels, 2);

        // health, won, stars shown, gems awarded (the stored stars grow row by row).
        struct Row {
            float health;
            bool won;
            int stars;
            int gems;
            int storedStars;
        } rows[] = {
            {0.0f, false, 0, 0, 0},   // a defeat stores nothing and awards nothing
            {5.0f, true, 1, 15, 1},   // first win with 1 star
            {25.0f, true, 3, 30, 3},  // later 3 stars: two more
            {25.0f, true, 3, 0, 3},   // again: no star gems
            {12.5f, true, 2, 0, 3},   // fewer stars keep the stored 3
        };
        int row = 0;
        for (const Row& r : rows) {
            map->mMaxHealth = 25.0f;
            map->mHealth = r.health;
            map->mStats->mKillRewardSum = 120;
            map->mStats->mComboBonusSum = 0;
            const int gemsBefore = map->mStats->mGems;
            HUDLevelResultWindow* window = OpenResult(map, r.won);
            EXPECT_EQ(window->stars, r.stars) << "row " << row;
            EXPECT_EQ(window->gemsAwarded, r.gems) << "row " << row;
            EXPECT_EQ(map->mStats->mGems, gemsBefore + r.gems) << "row " << row;
            for (int k = 0; k < 3; ++k) {
                for (const TDFrameEntry* image : window->images) {
                    if (image->mName == L"star" + std::to_wstring(k)) {
                        EXPECT_EQ(image->mVisible, k < r.stars) << "row " << row << " star " << k;
                    }
                }
            }
            EXPECT_EQ(progress->getLevelResult(0, 0).stars, r.storedStars) << "row " << row;
            EXPECT_EQ(*window->findText(L"gems"), Text(L"gems") + L": " + std::to_wstring(r.gems));
            if (row == 2) {
                h.Step(20);
                h.Screenshot("victory");
            }
            // The counts end on their exact values: kills, life bonus, total. Long frames
            // keep the run short; each phase still sees several.
            h.Step(50, 0.1f);
            EXPECT_EQ(window->state, HUDLevelResultWindow::Finished) << "row " << row;
            const int life = static_cast<int>(r.health * 100.0f);
            EXPECT_EQ(*window->findText(L"killScore"), Text(L"game_kill_score") + L"120");
            EXPECT_EQ(*window->findText(L"lifeBonus"), Text(L"game_life_bonus") + std::to_wstring(life));
            EXPECT_EQ(*window->findText(L"totalScore"), Text(L"game_total_score") + std::to_wstring(120 + life));
            if (row == 0)
                h.Screenshot("defeat");
            map->mHud->clearWindows();
            h.Step(1);
            ++row;
        }
        EXPECT_NE(h.ProfilesXml().find("stars"), std::string::npos);

        // The episode bonus comes with the result that completes the episode, once.
        LevelResult done;
        done.stars = 1;
        for (int level = 1; level + 1 < levels; ++level)
            progress->setLevelResult(0, level, done);
        map->mLevel = levels - 1;
        map->mHealth = map->mMaxHealth;
        HUDLevelResultWindow* last = OpenResult(map, true);
        EXPECT_EQ(last->gemsAwarded, 45 + 100);
        map->mHud->clearWindows();
        h.Step(1);
        HUDLevelResultWindow* again = OpenResult(map, true);
        EXPECT_EQ(again->gemsAwarded, 0);
    }, {}, 240);
}

TEST(HudInGame, ALevelLostAfterKillsShowsTheirBounty)
{
    RunGame("HudInGame.LostAfterKills", {}, [](GameHarness& h) {
        TDMap* map = StartLevelOne(h);
        ASSERT_NE(map, nullptr);
        TDTutorial::Instance()->disable();
        // A dart tower by the road kills a few units; then it goes, and one life is
        // left for the next unit through.
        const std::vector<TDSpot*> spots = click::FreeSpots(map);
        ASSERT_FALSE(spots.empty());
        TDTower* tower = click::Build(h, spots[0], 20000);
        ASSERT_NE(tower, nullptr);
        ASSERT_TRUE(click::Button(h, L"speed_btn"));
        ASSERT_TRUE(h.StepUntil([&] { return map->mStats->mKills >= 2; }, 60 * 120)) << "no kills";
        map->sellTower(tower);
        map->mHealth = 1.0f;
        ASSERT_TRUE(h.StepUntil([&] { return h.Screen() != 0; }, 60 * 150));
        ASSERT_EQ(h.Screen(), 2) << "lost";
        const int bounty = map->mStats->mKillRewardSum;
        EXPECT_GT(bounty, 0);

        h.Step(2);
        auto* result = dynamic_cast<HUDLevelResultWindow*>(map->mHud->topWindow());
        ASSERT_NE(result, nullptr);
        ASSERT_TRUE(h.StepUntil([&] { return result->state == HUDLevelResultWindow::Finished; }, 60 * 10));
        EXPECT_EQ(*result->findText(L"killScore"), Text(L"game_kill_score") + std::to_wstring(bounty));
        EXPECT_EQ(*result->findText(L"totalScore"), Text(L"game_total_score") + std::to_wstring(bounty));
        // The figure is the gold the kills paid, not their number: its label says so.
        EXPECT_EQ(Text(L"game_kill_score").find(L"Kills"), std::wstring::npos) << "the label reads as a count";
        h.Screenshot("defeat-after-kills");
    }, {}, 240);
}

TEST(HudInGame, AClickOnARechargingSpellButtonDoesOneThing)
{
    RunGame("HudInGame.OneClickOneAction", {}, [](GameHarness& h) {
        TDMap* map = StartLevelOne(h);
        ASSERT_NE(map, nullptr);
        TDTutorial::Instance()->disable();
        ASSERT_FALSE(map->mHud->spellButtons.empty());
        HUDSpellButton* button = map->mHud->spellButtons[0];
        const int price = button->rechargePrice();
        ASSERT_GT(price, 0);
        auto dialogs = [map] {
            int n = 0;
            for (const HUDWindow* window : map->mHud->windows)
                n += dynamic_cast<const HUDModalDialog*>(window) != nullptr;
            return n;
        };

        // Enough gems: the click buys the recharge and selects nothing.
        button->startRecharge();
        map->mStats->mGems = price * 3;
        h.MouseMove(button->x, button->y);
        h.Click(button->x, button->y);
        h.Step(2);
        EXPECT_EQ(map->mStats->mGems, price * 2) << "paid once";
        EXPECT_EQ(button->pressed, 0);
        EXPECT_EQ(map->mSelectedSpell, nullptr) << "buying is not aiming";

        // Too few gems: one dialog, not two.
        button->startRecharge();
        map->mStats->mGems = 0;
        h.Click(button->x, button->y);
        h.Step(3);
        EXPECT_EQ(map->mScreen, 19);
        EXPECT_EQ(dialogs(), 1);
        EXPECT_EQ(map->mSelectedSpell, nullptr);
        h.Screenshot("one-gem-dialog");
    });
}

TEST(HudInGame, ARechargingSpellButtonShowsItsGemPriceOnATag)
{
    RunGame("HudInGame.SpellPriceTag", {}, [](GameHarness& h) {
        TDMap* map = StartLevelOne(h);
        ASSERT_NE(map, nullptr);
        ASSERT_FALSE(map->mHud->spellButtons.empty());
        ASSERT_NE(map->mInterface->priceTag, nullptr);
        HUDSpellButton* button = map->mHud->spellButtons[0];
        const render::Image* first = button->definition()->texture.get();
        const render::Image* second = button->definition()->texture2.get();
        const render::Image* tag = map->mInterface->priceTag->mImage.get();
        ASSERT_TRUE(first && second && tag);
        // The tag's centre: its right edge 8 left of the button's centre, its bottom 2
        // above the button's top (content scale 1).
        const float left = button->x - static_cast<float>(first->GetWidth() / 2);
        const float top = button->y - static_cast<float>(first->GetHeight() / 2);
        const int tx = static_cast<int>(left + static_cast<float>(second->GetWidth()) / 2 - 8 -
                                        static_cast<float>(tag->GetWidth()) / 2);
        const int ty = static_cast<int>(top - static_cast<float>(tag->GetHeight()) / 2 - 2);
        map->mSpeed = 0.0f;
        button->startRecharge();
        h.Step(2);
        h.Screenshot("price-tag");
        std::vector<std::uint32_t> pixels;
        int width = 0, height = 0;
        ASSERT_TRUE(h.ReadPixels(pixels, width, height));
        ASSERT_TRUE(tx >= 0 && ty >= 0 && tx < width && ty < height);
        // The window is the design screen's size: the tag's gem shows there.
        ASSERT_EQ(width, 1024);
        const std::uint32_t argb = pixels[static_cast<size_t>(ty) * static_cast<size_t>(width) + static_cast<size_t>(tx)];
        const int r = static_cast<int>((argb >> 16) & 0xff), b = static_cast<int>(argb & 0xff);
        EXPECT_GT(b, 150) << std::hex << argb;
        EXPECT_GT(b, r + 60) << std::hex << argb << " the tag's gem";
    });
}

TEST(HudInGame, SpellButtonRechargesOnGameTimeAndSellsAnInstantRecharge)
{
    RunGame("HudInGame.SpellButtonRechargesOnGameTimeAndSellsAnInstantRecharge", {}, [](GameHarness& h) {
        TDMap* map = StartLevelOne(h);
        ASSERT_NE(map, nullptr);
        ASSERT_FALSE(map->mHud->spellButtons.empty());
        HUDSpellButton* button = map->mHud->spellButtons[0];
        ASSERT_NE(button->definition(), nullptr);
        const UnitPrototype* prototype = map->mPrototypes->find(button->definition()->prototypeId);
        ASSERT_NE(prototype, nullptr);
        const float cooldown = prototype->cooldown;
        ASSERT_GT(cooldown, 1.0f);

        // Clicks: a ready button starts aiming; a busy one does not.
        const int cx = static_cast<int>(button->x), cy = static_cast<int>(button->y);
        EXPECT_TRUE(button->onClick(cx, cy));
        EXPECT_EQ(map->mHud->click(cx, cy), button->name);
        EXPECT_FALSE(button->onClick(cx + 200, cy));

        button->startRecharge();
        EXPECT_EQ(button->pressed, 1);
        EXPECT_FLOAT_EQ(button->time, cooldown);
        EXPECT_FLOAT_EQ(button->shadeFraction(), 1.0f);

        // The recharge runs on game time: not while paused, twice as fast at speed 2.
        map->mSpeed = 0.0f;
        button->update(1.0f);
        EXPECT_FLOAT_EQ(button->time, cooldown);
        map->mSpeed = 2.0f;
        button->update(0.5f);
        EXPECT_FLOAT_EQ(button->time, cooldown - 1.0f);
        EXPECT_NEAR(button->shadeFraction(), (cooldown - 1.0f) / cooldown, 1e-5f);

        // An upgrade that lengthens the cooldown past the stored one: the shade stays whole.
        button->time = cooldown * 1.5f;
        EXPECT_FLOAT_EQ(button->shadeFraction(), 1.0f);

        // An instant recharge for gems flashes "blik_6" at once and leaves it ready.
        const int price = button->rechargePrice();
        EXPECT_EQ(price, button->definition()->gemPrice);
        map->mStats->mGems = price + 3;
        EXPECT_FALSE(button->onClick(cx, cy)) << "buying is not aiming";
        EXPECT_EQ(map->mStats->mGems, 3);
        EXPECT_EQ(button->pressed, 0);
        EXPECT_EQ(button->time, 0.0f);
        EXPECT_NE(button->effect, nullptr);

        // Too few gems: the purchase dialog, and the game pauses.
        button->startRecharge();
        map->mSpeed = 1.0f;
        EXPECT_FALSE(button->onClick(cx, cy));
        EXPECT_EQ(map->mStats->mGems, 3);
        EXPECT_EQ(map->mScreen, 19);
        EXPECT_EQ(map->mSpeed, 0.0f);
        h.Step(2);
        EXPECT_NE(dynamic_cast<HUDModalDialog*>(map->mHud->topWindow()), nullptr);
        map->mHud->popWindow();
        map->mScreen = 0;

        // With upgrade 28 bought the price halves (integer division).
        map->mProgress->setUpgradeLevel(28, 0);
        EXPECT_EQ(button->rechargePrice(), button->definition()->gemPrice / 2);

        map->mSpeed = 1.0f;
        button->time = 2.3f;
        h.Step(10);
        h.Screenshot("spell-recharging");
    });
}
