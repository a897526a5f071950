// The root board in the running game: the wallet it starts, and where pointer input
// goes with and without a modal window.
#include "Source/TD/Hud/HUD.h"
#include "Source/TD/Hud/HUDWindow.h"
#include "Source/TD/Shell/Game.h"
#include "Source/TD/Shell/GameWindow.h"
#include "Source/TD/Shell/PlayerProgress.h"
#include "Source/TD/World/TDMap.h"
#include "Source/TD/World/TDPlayerStats.h"
#include "tests/Game/World/FirstLevel.h"
#include "tests/Support/GameHarness.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

// A window that writes down what reaches it.
class RecordingWindow : public HUDWindow {
public:
    explicit RecordingWindow(std::vector<std::string>* log, const char* name, bool* deleted = nullptr)
        : log(log), name(name), deleted(deleted)
    {
    }
    ~RecordingWindow() override
    {
        if (deleted)
            *deleted = true;
    }
    void update(float) override { note("update"); }
    void onMousePressed(int x, int y) override { note("press " + std::to_string(x) + "," + std::to_string(y)); }
    void onMouseReleased(int, int) override { note("release"); }
    void onMouseMove(int x, int y) override { note("move " + std::to_string(x) + "," + std::to_string(y)); }
    void onKeyDown(int key) override { note("key " + std::to_string(key)); }
    std::wstring click(int, int) override
    {
        note("click");
        return std::wstring();
    }

    void note(const std::string& what) { log->push_back(name + ": " + what); }
    std::vector<std::string>* log;
    std::string name;
    bool* deleted;
};

} // namespace

TEST(GameWindow, WalletAndInputRouting)
{
    RunGame("GameWindow.WalletAndInputRouting", {}, [](GameHarness& h) {
        ASSERT_EQ(h.Start(), GE_OK);
        GameWindow* board = h.game()->mGameWindow;
        ASSERT_NE(board, nullptr);
        TDMap* map = board->mMap;
        ASSERT_NE(map, nullptr);
        EXPECT_EQ(map->mStats->mGems, map->mProgress->getGems()) << "the wallet holds the profile's gems";
        EXPECT_EQ(board->mModal, nullptr);
        EXPECT_EQ(board->mModal2, nullptr);

        std::vector<std::string> log;
        // The HUD's top window stands for the level's screens.
        map->mHud->pushWindow(new RecordingWindow(&log, "screen"));
        ASSERT_TRUE(h.StepUntil([map] { return !map->mHud->windows.empty(); }, 60));
        log.clear();

        const math::Point3 point{100.7f, 200.2f, 0.0f};
        // A right-button press reaches nothing; its release still reaches the level.
        board->OnWidgetMouseDown(point, layer::OnMouseDown{100.7f, 200.2f, 0.0f, 3});
        EXPECT_TRUE(log.empty());
        board->OnWidgetMouseUp(point, layer::OnMouseUp{100.7f, 200.2f, 0.0f, 3});
        ASSERT_FALSE(log.empty());
        EXPECT_EQ(log.front(), "screen: click");
        log.clear();
        board->OnWidgetMouseDown(point, layer::OnMouseDown{100.7f, 200.2f, 0.0f, 1});
        EXPECT_EQ(log, (std::vector<std::string>{"screen: move 100,200", "screen: press 100,200"}));
        log.clear();

        // With a modal window, presses, releases and moves go only to it; a drag moves
        // the level's pointer as well. The second slot is updated but takes no input.
        bool modalDeleted = false;
        board->mModal = new RecordingWindow(&log, "modal", &modalDeleted);
        board->mModal2 = new RecordingWindow(&log, "modal2");
        board->OnWidgetMouseDown(point, layer::OnMouseDown{100.7f, 200.2f, 0.0f, 1});
        board->OnWidgetMouseUp(point, layer::OnMouseUp{100.7f, 200.2f, 0.0f, 1});
        board->OnWidgetMouseMove(math::Point3{5.0f, 6.0f, 0.0f});
        EXPECT_EQ(board->mPointerX, 5);
        EXPECT_EQ(board->mPointerY, 6);
        EXPECT_EQ(log, (std::vector<std::string>{"modal: press 100,200", "modal: move 100,200", "modal: release",
                                                 "modal: move 5,6"}));
        log.clear();
        board->OnWidgetMouseDrag(math::Point3{7.0f, 8.0f, 0.0f});
        EXPECT_EQ(log, (std::vector<std::string>{"screen: move 7,8", "modal: move 7,8"}));
        log.clear();

        // Keys go to every window of the HUD's stack.
        board->OnKeyDown(65);
        EXPECT_EQ(log, (std::vector<std::string>{"screen: key 65"}));
        log.clear();

        // A modal window that closes is deleted at the start of the next update.
        board->mModal->alive = 0;
        board->OnUpdate(0.01f);
        EXPECT_TRUE(modalDeleted);
        EXPECT_EQ(board->mModal, nullptr);
        ASSERT_FALSE(log.empty());
        EXPECT_EQ(log.front(), "modal2: update");
        // The recording windows write into this scope: they go before it ends.
        delete board->mModal2;
        board->mModal2 = nullptr;
        map->mHud->clearWindows();
        h.Step(2);
    });
}

// Closing the window deletes the root board with the level in it. The focus lost that
// the window manager reports as the window goes must find no board any more: a level
// being played would otherwise be paused through the freed board and level object.
TEST(GameWindow, FocusLostAfterTheWindowClosedDuringALevel)
{
    RunGame("GameWindow.CloseDuringALevel", {}, [](GameHarness& h) {
        TDMap* map = StartFirstLevel(h);
        ASSERT_NE(map, nullptr);
        ASSERT_EQ(h.Screen(), 0);
        h.Close();
        EXPECT_EQ(h.game()->mGameWindow, nullptr) << "the board went with the window";
        h.Deactivate();
        h.Step(2);
        h.game()->OnDeactivate();
        EXPECT_EQ(h.Screen(), -1);
    });
}
