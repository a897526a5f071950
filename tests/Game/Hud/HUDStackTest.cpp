#include "Source/TD/Hud/HUD.h"
#include "Source/TD/Hud/HUDSpellButton.h"
#include "Source/TD/Hud/TDButtonFrame.h"
#include "tests/Game/Hud/ScreenDocument.h"
#include "tests/Support/LogCapture.h"

#include <gtest/gtest.h>

using hudtest::Layer;

namespace {

// What happened to the probes, in order.
std::vector<std::string> gEvents;

// A screen that records its calls; it can close itself in its update or pop the
// HUD's top (itself) inside its own click and then go on touching its members.
class Probe : public HUDWindow {
public:
    Probe(std::string name, HUD* hud = nullptr) : name(std::move(name)), hud(hud) {}
    ~Probe() override { gEvents.push_back("delete " + name); }

    void update(float dt) override
    {
        HUDWindow::update(dt);
        if (closeInUpdate)
            close();
    }
    void onClosed() override { gEvents.push_back("closed " + name); }
    void onWheel(int) override { ++wheels; }
    void onMousePressed(int, int) override { ++presses; }
    int hitTest(int, int) override { return hit; }
    std::wstring click(int, int) override
    {
        if (hud)
            hud->popWindow();
        ++clicks; // still running after the pop
        return L"clicked";
    }

    std::string name;
    HUD* hud;
    bool closeInUpdate = false;
    int wheels = 0, presses = 0, clicks = 0;
    int hit = -1;
};

class HudStack : public ::testing::Test {
protected:
    void SetUp() override
    {
        gEvents.clear();
        // The overlay: a play button and two places for spell buttons.
        hudtest::WriteDocument("td/ui", {{"panel", 0, 0, 1024, 80},
                                         {"button/options_btn", 900, 10, 40, 40},
                                         {"button/deeper/not_a_button", 0, 0, 5, 5},
                                         {"spell/spell_1", 100, 700, 60, 60},
                                         {"spell/spell_2", 200, 700, 60, 60},
                                         {"text/coins", 10, 10, 100, 30}});
    }
};

} // namespace

TEST_F(HudStack, ReadsItsOverlayDocument)
{
    HUD hud;
    ASSERT_EQ(hud.buttons.size(), 1u) << "only direct children of button/";
    EXPECT_EQ(hud.buttons[0]->mName, L"options_btn");
    ASSERT_EQ(hud.spellSlots.size(), 2u);
    EXPECT_EQ(hud.spellSlots[1]->mName, L"spell_2");
    EXPECT_EQ(hud.textAnchors.count(L"coins"), 1u);
    EXPECT_EQ(hud.click(910, 20), L"options_btn");
    hud.setButtonVisible(L"options_btn", false);
    EXPECT_EQ(hud.click(910, 20), L"");
    EXPECT_EQ(hud.hitTest(910, 20), 0) << "hidden own buttons still hit";
}

TEST_F(HudStack, WindowsJoinAtTheEndOfTheUpdateAndOnlyTheTopTakesThePointer)
{
    HUD hud;
    auto* a = new Probe("a");
    auto* b = new Probe("b");
    hud.open(a, HUD::kKeepScreen);
    EXPECT_EQ(hud.fadeState, 1) << "opening on an empty stack starts the fade";
    hud.open(b, HUD::kKeepScreen);
    EXPECT_EQ(hud.topWindow(), nullptr);
    EXPECT_EQ(hud.click(910, 20), L"options_btn") << "queued windows take nothing yet";
    hud.update(0.05f);
    EXPECT_EQ(hud.topWindow(), b);
    EXPECT_EQ(hud.fadeState, 1);
    hud.update(0.05f);
    EXPECT_EQ(hud.fadeState, 2) << "more than 0.1 s at double speed";

    hud.onMousePressed(1, 1);
    hud.onWheel(1);
    EXPECT_EQ(a->presses, 0);
    EXPECT_EQ(b->presses, 1);
    EXPECT_EQ(a->wheels, 1) << "the wheel reaches every window";
    EXPECT_EQ(b->wheels, 1);
    EXPECT_EQ(hud.hitTest(910, 20), -1) << "with a stack the own buttons take nothing";
    a->hit = 3;
    EXPECT_EQ(hud.hitTest(910, 20), 3) << "a lower window's hit counts";
    b->hit = 7;
    EXPECT_EQ(hud.hitTest(910, 20), 7);
}

TEST_F(HudStack, ClosedWindowsGoInTheSameUpdateAfterEveryOnClosed)
{
    HUD hud;
    auto* a = new Probe("a");
    auto* b = new Probe("b");
    auto* c = new Probe("c");
    for (Probe* p : {a, b, c})
        hud.pushWindow(p);
    hud.update(0.0f);
    a->closeInUpdate = true;
    c->closeInUpdate = true;
    auto* d = new Probe("d");
    hud.pushWindow(d);
    hud.update(0.0f);
    EXPECT_EQ(gEvents, (std::vector<std::string>{"closed a", "closed c", "delete a", "delete c"}));
    ASSERT_EQ(hud.windows.size(), 2u);
    EXPECT_EQ(hud.windows[0], b);
    EXPECT_EQ(hud.topWindow(), d) << "queued windows join after the closed ones left";
}

TEST_F(HudStack, AWindowPoppedInsideItsOwnClickIsDeletedAtTheNextUpdate)
{
    HUD hud;
    auto* below = new Probe("below");
    auto* top = new Probe("top", &hud);
    hud.pushWindow(below);
    hud.pushWindow(top);
    hud.update(0.0f);

    EXPECT_EQ(hud.click(5, 5), L"clicked");
    EXPECT_EQ(top->clicks, 1);
    EXPECT_TRUE(gEvents.empty()) << "nothing is deleted while its click runs";
    EXPECT_EQ(hud.topWindow(), below) << "but it is off the stack at once";
    hud.update(0.0f);
    EXPECT_EQ(gEvents, (std::vector<std::string>{"delete top"})) << "popped windows get no onClosed";

    // Cleared windows, stacked or queued, also go at the next update.
    hud.pushWindow(new Probe("queued"));
    hud.clearWindows();
    EXPECT_EQ(hud.topWindow(), nullptr);
    EXPECT_EQ(gEvents.size(), 1u);
    hud.update(0.0f);
    EXPECT_EQ(gEvents.size(), 3u);
}

TEST_F(HudStack, WindowsStillQueuedOrRetiredGoWithTheHud)
{
    {
        HUD hud;
        hud.pushWindow(new Probe("stacked"));
        hud.update(0.0f);
        hud.popWindow();
        hud.pushWindow(new Probe("queued"));
        auto* twice = new Probe("twice");
        hud.pushWindow(twice);
        hud.pushWindow(twice);
    }
    std::sort(gEvents.begin(), gEvents.end());
    EXPECT_EQ(gEvents, (std::vector<std::string>{"delete queued", "delete stacked", "delete twice"}));
}

TEST_F(HudStack, SpellButtonsTakeThePlacesOfTheDocumentAndNoMore)
{
    HUD hud;
    LogCapture log;
    EXPECT_TRUE(hud.placeSpellButton(new HUDSpellButton(1)));
    EXPECT_TRUE(hud.placeSpellButton(new HUDSpellButton(2)));
    EXPECT_FALSE(hud.placeSpellButton(new HUDSpellButton(3)));
    ASSERT_EQ(hud.spellButtons.size(), 2u);
    EXPECT_EQ(log.Count(L"spell 3"), 1) << log.text;
    const HUDSpellButton* second = hud.spellButtons[1];
    EXPECT_EQ(second->index, 1);
    EXPECT_EQ(second->name, L"spell_2");
    EXPECT_EQ(second->x, 230.0f);
    EXPECT_EQ(second->y, 730.0f);
}

TEST(HudWithoutDocument, IsAnEmptyOverlay)
{
    std::filesystem::remove_all("td/ui");
    LogCapture log;
    HUD hud;
    EXPECT_TRUE(hud.buttons.empty());
    EXPECT_EQ(log.Count(L"td/ui"), 1) << log.text;
    EXPECT_FALSE(hud.placeSpellButton(new HUDSpellButton(1)));
    EXPECT_EQ(hud.click(0, 0), L"");
}
