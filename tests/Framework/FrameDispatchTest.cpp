// Frame stack placement, pointer dispatch through the frames, capture, hover and
// disabled propagation.
#include "WidgetTestSupport.h"
#include <gtest/gtest.h>
#include <memory>

using uitest::At;
using uitest::Log;
using uitest::TestBoard;
using uitest::TestWidget;

namespace {

class FrameDispatch : public ::testing::Test {
protected:
    ~FrameDispatch() override { manager.DetachAll(); }

    // Queues the frame and applies the queue.
    TestBoard* Show(const std::string& name, const layer::Rect& rect, int mode)
    {
        auto* board = new TestBoard(name, &log, rect);
        manager.QueueAdd(widget::FrameAddRecord{board, mode, true});
        EXPECT_EQ(manager.Update(0.0f), GE_OK);
        return board;
    }

    std::vector<widget::Frame*> StackFrames() const
    {
        std::vector<widget::Frame*> frames;
        for (const widget::FrameEntry& e : manager.stack)
            frames.push_back(e.frame);
        return frames;
    }

    Log log;
    widget::FrameManager manager;
};

TEST_F(FrameDispatch, ModalFrameBlocksPressesBelowAndStaysActive)
{
    TestBoard* screen = Show("screen", {0, 0, 100, 100}, widget::kFrameNormal);
    TestBoard* dialog = Show("dialog", {40, 40, 20, 20}, widget::kFrameModal);
    EXPECT_EQ(manager.activeFrame, dialog);
    log.clear();

    // Outside the dialog, over the screen: nobody takes it and the dialog stays active.
    EXPECT_EQ(manager.OnMouseDown(At(10, 10), 1), GE_OK);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(manager.activeFrame, dialog);
    EXPECT_TRUE(dialog->active);

    EXPECT_EQ(manager.OnMouseDown(At(50, 50), 1), GE_OK);
    EXPECT_EQ(log, (Log{"dialog:press"}));
    (void)screen;
}

TEST_F(FrameDispatch, PressOnEmptySpaceDeactivatesANormalFrame)
{
    TestBoard* screen = Show("screen", {0, 0, 50, 50}, widget::kFrameNormal);
    log.clear();
    manager.OnMouseDown(At(80, 80), 1);
    EXPECT_EQ(log, (Log{"screen:deactivated"}));
    EXPECT_EQ(manager.activeFrame, nullptr);
    EXPECT_FALSE(screen->active);
    // A press on it activates it again before the widget event.
    log.clear();
    manager.OnMouseDown(At(10, 10), 1);
    EXPECT_EQ(log, (Log{"screen:activated", "screen:press"}));
}

TEST_F(FrameDispatch, FramesArePlacedByMode)
{
    TestBoard* a = Show("a", {0, 0, 10, 10}, widget::kFrameNormal);
    TestBoard* modal = Show("modal", {0, 0, 10, 10}, widget::kFrameModal);
    TestBoard* b = Show("b", {0, 0, 10, 10}, widget::kFrameNormal);
    TestBoard* overlay = Show("overlay", {0, 0, 10, 10}, widget::kFrameOverlay);
    TestBoard* modal2 = Show("modal2", {0, 0, 10, 10}, widget::kFrameModal);
    TestBoard* c = Show("c", {0, 0, 10, 10}, widget::kFrameNormal);
    EXPECT_EQ(StackFrames(), (std::vector<widget::Frame*>{a, b, c, overlay, modal, modal2}));
    // A normal frame added under a modal one is activated, yet presses still go to the
    // modal frame on top.
    log.clear();
    manager.OnMouseDown(At(5, 5), 1);
    EXPECT_EQ(log.back(), "modal2:press");
}

TEST_F(FrameDispatch, PressFallsThroughFramesUntilOneTakesIt)
{
    Show("screen", {0, 0, 100, 100}, widget::kFrameNormal);
    Show("panel", {0, 0, 30, 30}, widget::kFrameOverlay);
    log.clear();
    manager.OnMouseDown(At(50, 50), 1);
    EXPECT_EQ(log, (Log{"panel:deactivated", "screen:activated", "screen:press"}));
}

TEST_F(FrameDispatch, CaptureBypassesTheFrameWalk)
{
    TestBoard* screen = Show("screen", {0, 0, 100, 100}, widget::kFrameNormal);
    auto* holder = new layer::Layer;
    holder->SetPosition(10, 10, 0);
    screen->hitLayer->AddChild(holder);
    auto* knob = new TestWidget("knob", &log, {0, 0, 10, 10});
    knob->layer->SetPosition(5, 5, 0);
    knob->captureOnPress = 1;
    screen->AddChild(knob, holder);
    auto* other = new TestWidget("other", &log, {60, 60, 20, 20});
    screen->AddChild(other);
    log.clear();

    manager.OnMouseDown(At(17, 17), 1);
    EXPECT_EQ(log, (Log{"knob:press"}));
    EXPECT_EQ(manager.capture.widget, knob);
    EXPECT_TRUE(knob->pressed);

    // While captured, a frame above and the widget under the pointer see nothing.
    Show("top", {0, 0, 100, 100}, widget::kFrameNormal);
    log.clear();
    manager.OnMouseMove(At(70, 70));
    manager.OnMouseDown(At(70, 70), 1);
    EXPECT_EQ(log, (Log{"knob:captured-move", "knob:captured-down"}));
    // The captured point is in the space of the knob layer's parent.
    EXPECT_FLOAT_EQ(knob->recorder.lastCaptured.x, 60);
    EXPECT_FLOAT_EQ(knob->recorder.lastCaptured.y, 60);

    // The release ends the capture and re-sends the move, which now walks the frames.
    log.clear();
    manager.OnMouseUp(At(70, 70), 1);
    EXPECT_EQ(manager.capture.widget, nullptr);
    EXPECT_FALSE(knob->pressed);
    EXPECT_EQ(log, (Log{"knob:captured-up", "top:hover1"}));
    screen->hitLayer->RemoveChild(holder);
    delete holder;
}

TEST_F(FrameDispatch, RemovingTheFrameOfACapturedWidgetEndsTheCapture)
{
    TestBoard* dialog = Show("dialog", {0, 0, 100, 100}, widget::kFrameModal);
    auto* knob = new TestWidget("knob", &log, {0, 0, 10, 10});
    knob->captureOnPress = 1;
    dialog->AddChild(knob);
    manager.OnMouseDown(At(5, 5), 1);
    ASSERT_EQ(manager.capture.widget, knob);
    manager.QueueRemove(widget::FrameRemoveRecord{dialog, false});
    EXPECT_EQ(manager.Update(0), GE_OK);
    EXPECT_EQ(manager.capture.widget, nullptr);
    EXPECT_FALSE(knob->pressed);
    delete dialog;
}

class HoverTree : public FrameDispatch {
protected:
    void SetUp() override
    {
        screen = Show("screen", {0, 0, 100, 100}, widget::kFrameNormal);
        panel = new TestWidget("panel", &log, {0, 0, 60, 60});
        screen->AddChild(panel);
        left = new TestWidget("left", &log, {0, 0, 20, 20});
        right = new TestWidget("right", &log, {30, 0, 20, 20});
        panel->AddChild(left);
        panel->AddChild(right);
        log.clear();
    }
    TestBoard* screen = nullptr;
    TestWidget* panel = nullptr;
    TestWidget* left = nullptr;
    TestWidget* right = nullptr;
};

TEST_F(HoverTree, MovingBetweenSiblingsNotifiesOnlyThoseTwo)
{
    manager.OnMouseMove(At(5, 5));
    EXPECT_EQ(log, (Log{"left:hover1", "panel:within1", "screen:within1"}));
    log.clear();
    manager.OnMouseMove(At(35, 5));
    EXPECT_EQ(log, (Log{"left:hover0", "right:hover1"}));
    EXPECT_TRUE(panel->hoverWithin);
    EXPECT_EQ(screen->hoveredWidget, right);
}

TEST_F(HoverTree, MovingOntoAnAncestorAndOffEveryFrame)
{
    manager.OnMouseMove(At(5, 5));
    log.clear();
    manager.OnMouseMove(At(5, 40)); // over the panel itself
    // The pointer left the panel's subtree below and is now over the panel itself.
    EXPECT_EQ(log, (Log{"left:hover0", "panel:within0", "panel:hover1"}));
    EXPECT_FALSE(panel->hoverWithin);
    EXPECT_TRUE(screen->hoverWithin);
    log.clear();
    manager.OnMouseMove(At(150, 150)); // empty space clears the hover of its frame
    EXPECT_EQ(log, (Log{"panel:hover0", "screen:within0"}));
    EXPECT_EQ(screen->hoveredWidget, nullptr);
    EXPECT_EQ(manager.hoverFrame, nullptr);
}

TEST_F(HoverTree, DisabledWidgetSwallowsPressesButActivatesItsFrame)
{
    left->disabled = true;
    screen->active = false;
    manager.activeFrame = nullptr;
    manager.OnMouseDown(At(5, 5), 1);
    EXPECT_EQ(log, (Log{"screen:activated"}));
    EXPECT_EQ(manager.activeFrame, screen);
}

TEST_F(HoverTree, DisablingAParentNotifiesEachDescendantOnce)
{
    auto* leaf = new TestWidget("leaf", &log, {0, 0, 5, 5});
    left->AddChild(leaf);
    auto* deep = new TestWidget("deep", &log, {30, 0, 5, 5});
    right->AddChild(deep);
    right->notifyMode = true;
    // `deep` is already inherited-disabled through `right`.
    right->disabled = true;
    ASSERT_EQ(right->PropagateDisabled(), GE_OK);
    EXPECT_EQ(log, (Log{"deep:disabled1"}));
    log.clear();

    panel->disabled = true;
    ASSERT_EQ(panel->PropagateDisabled(), GE_OK);
    EXPECT_EQ(log, (Log{"left:disabled1", "leaf:disabled1", "right:inherited1"}));
    EXPECT_TRUE(leaf->CountsDisabled());

    // A child added under a disabled widget inherits it; removing it undoes that.
    log.clear();
    auto late = std::make_unique<TestWidget>("late", &log, layer::Rect{0, 0, 5, 5});
    panel->AddChild(late.get());
    EXPECT_EQ(log, (Log{"late:disabled1"}));
    log.clear();
    EXPECT_EQ(panel->Remove(late.get(), true), GE_OK);
    EXPECT_EQ(log, (Log{"late:disabled0"}));
    EXPECT_EQ(late->frame, nullptr);
    EXPECT_EQ(late->layer->parent, nullptr);
    EXPECT_EQ(panel->Remove(late.get(), true), GE_FAIL);

    log.clear();
    panel->disabled = false;
    ASSERT_EQ(panel->PropagateDisabled(), GE_OK);
    // `right` is still disabled by itself, so `deep` hears nothing.
    EXPECT_EQ(log, (Log{"left:disabled0", "leaf:disabled0", "right:inherited0"}));
}

TEST_F(HoverTree, HoverChainDeeperThanTheBuffersIsRefused)
{
    std::vector<std::unique_ptr<widget::Widget>> chain;
    widget::Widget* parent = left;
    for (int i = 0; i < 300; ++i) {
        chain.push_back(std::make_unique<widget::Widget>());
        chain.back()->parent = parent;
        parent = chain.back().get();
    }
    // left has 3 ancestors (panel, screen, none): chain[251] has exactly 255.
    EXPECT_EQ(screen->SetHoverWidget(chain[251].get()), GE_OK);
    EXPECT_EQ(screen->SetHoverWidget(chain[299].get()), GE_FAIL);
    EXPECT_EQ(screen->hoveredWidget, chain[251].get());
    EXPECT_EQ(screen->SetHoverWidget(nullptr), GE_OK);
    for (auto& w : chain)
        w->parent = nullptr;
}

TEST_F(FrameDispatch, FailedRemovalAnswersOnceAndDoesNotRepeat)
{
    TestBoard* dialog = Show("dialog", {0, 0, 10, 10}, widget::kFrameModal);
    manager.QueueRemove(widget::FrameRemoveRecord{dialog, false});
    manager.QueueRemove(widget::FrameRemoveRecord{dialog, false});
    EXPECT_EQ(manager.Update(0), GE_FAIL);
    EXPECT_TRUE(manager.stack.empty());
    EXPECT_EQ(manager.Update(0), GE_OK);
    EXPECT_EQ(manager.Update(0), GE_OK);
    delete dialog;
}

TEST_F(FrameDispatch, FailedAttachKeepsTheFrameOnceAndIsNotRetried)
{
    auto* board = new TestBoard("b", &log, {0, 0, 10, 10});
    board->attachResult = GE_FAIL;
    manager.QueueAdd(widget::FrameAddRecord{board, widget::kFrameModal, true});
    manager.QueueRemove(widget::FrameRemoveRecord{nullptr, false}); // later record still applied
    EXPECT_EQ(manager.Update(0), GE_FAIL);
    EXPECT_EQ(StackFrames(), (std::vector<widget::Frame*>{board}));
    log.clear();
    EXPECT_EQ(manager.Update(0), GE_OK);
    EXPECT_EQ(StackFrames(), (std::vector<widget::Frame*>{board}));
    EXPECT_TRUE(log.empty());
}

TEST_F(FrameDispatch, FrameDeletedWhileShownLeavesTheManager)
{
    TestBoard* board = Show("b", {0, 0, 10, 10}, widget::kFrameNormal);
    manager.OnMouseMove(At(5, 5));
    ASSERT_EQ(manager.hoverFrame, board);
    delete board;
    EXPECT_TRUE(manager.stack.empty());
    EXPECT_EQ(manager.activeFrame, nullptr);
    EXPECT_EQ(manager.hoverFrame, nullptr);
    EXPECT_EQ(manager.OnMouseMove(At(6, 6)), GE_OK);
}

TEST_F(FrameDispatch, DeferredDeletionsHappenAtTheEndOfTheUpdate)
{
    struct Probe : base::DeferredDeletable {
        explicit Probe(int* count) : count(count) {}
        ~Probe() override { ++*count; }
        int* count;
    };
    int deleted = 0;
    auto* probe = new Probe(&deleted);
    manager.AddDeferredDelete(probe);
    manager.AddDeferredDelete(probe); // a second request is ignored
    EXPECT_EQ(deleted, 0);
    manager.Update(0);
    EXPECT_EQ(deleted, 1);
}

TEST(FrameManagerLifetime, ChildTasksFlaggedForDeletionGoWithTheManager)
{
    struct Counted : base::Task {
        explicit Counted(bool autoDelete, int& deleted)
            : base::Task(autoDelete, false, true, false), deleted(deleted)
        {
        }
        ~Counted() override { ++deleted; }
        int& deleted;
    };
    int deleted = 0;
    Counted kept(false, deleted); // not flagged: its owner deletes it
    {
        widget::FrameManager manager;
        manager.AddChild(new Counted(true, deleted));
        manager.Update(0.01f);                        // joins the child list
        manager.AddChild(new Counted(true, deleted)); // still pending
        manager.AddChild(&kept);
    }
    EXPECT_EQ(deleted, 2);
}

} // namespace
