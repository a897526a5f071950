// Widgets and frames that go away in the middle of the toolkit's work: deleted while
// hovered, focused or captured, deleted from their own click handlers, a dialog queued
// twice, a child added twice. Run under the sanitizer build, a stale pointer shows as
// a use of freed memory.
#include "Framework/Widget/Button.h"
#include "Framework/Widget/ButtonMediator.h"
#include "WidgetTestSupport.h"
#include <gtest/gtest.h>
#include <memory>

using uitest::At;
using uitest::Log;
using uitest::TestBoard;
using uitest::TestWidget;

namespace {

// A widget that deletes its children with itself, as screens and panels do.
class OwningWidget : public TestWidget {
public:
    using TestWidget::TestWidget;
    ~OwningWidget() override { Clear(true, true, false); }
};

// A button over a hit rectangle, driven by a mediator it owns.
widget::Button* MakeButton(const layer::Rect& rect)
{
    auto* button = new widget::Button(new layer::RectHitLayer(rect), true);
    auto* mediator = new widget::ButtonMediator;
    mediator->SetButton(button, true);
    button->layer->hitListener = static_cast<widget::WidgetHitTestListener*>(mediator);
    button->captureOnPress = 1;
    return button;
}

struct ClickCounter : widget::ButtonListener {
    GEResultEnum OnButtonClick(widget::Button*) override
    {
        ++clicks;
        return GE_OK;
    }
    int clicks = 0;
};

// A click handler that makes widgets go: deleted at once, or queued for deletion.
struct Demolisher {
    GEResultEnum DeleteNow()
    {
        for (widget::Widget* w : victims)
            delete w;
        return GE_OK;
    }
    GEResultEnum DeleteLater()
    {
        for (widget::Widget* w : victims)
            manager->AddDeferredDelete(w);
        return GE_OK;
    }
    widget::ClickDelegateHandle Bind(GEResultEnum (Demolisher::*how)())
    {
        return std::make_shared<base::MemberDelegate0<Demolisher, GEResultEnum>>(this, how);
    }
    std::vector<widget::Widget*> victims;
    widget::FrameManager* manager = nullptr;
};

class WidgetLifetime : public ::testing::Test {
protected:
    void SetUp() override
    {
        screen = new TestBoard("screen", &log, {0, 0, 100, 100});
        manager.QueueAdd(widget::FrameAddRecord{screen, widget::kFrameNormal, true});
        ASSERT_EQ(manager.Update(0.0f), GE_OK);
    }
    ~WidgetLifetime() override { manager.DetachAll(); }

    // The pointer goes over (x, y), presses and releases there.
    void Click(float x, float y)
    {
        ASSERT_EQ(manager.OnMouseMove(At(x, y)), GE_OK);
        ASSERT_EQ(manager.OnMouseDown(At(x, y), 1), GE_OK);
        ASSERT_EQ(manager.OnMouseUp(At(x, y), 1), GE_OK);
    }

    // Pointer and key paths that read the frame's and the manager's widget pointers.
    void PokeEverything()
    {
        for (float x : {5.0f, 35.0f, 80.0f, 5.0f}) {
            EXPECT_EQ(manager.OnMouseMove(At(x, x)), GE_OK);
            EXPECT_EQ(manager.OnMouseDrag(At(x, x)), GE_OK);
        }
        EXPECT_EQ(manager.OnMouseDown(At(5, 5), 1), GE_OK);
        EXPECT_EQ(manager.OnMouseUp(At(5, 5), 1), GE_OK);
        EXPECT_EQ(screen->SetHoverWidget(nullptr), GE_OK);
        EXPECT_EQ(manager.Update(0.0f), GE_OK);
    }

    Log log;
    widget::FrameManager manager;
    TestBoard* screen = nullptr;
};

// The three ways a widget goes, for a hovered, focused and captured widget and for the
// parent of one.
TEST_F(WidgetLifetime, AWidgetThatGoesLeavesNoHoverFocusOrCapture)
{
    enum How { kDelete, kDeferred, kRemoveThenDelete, kRemoveClearingHoverThenDelete };
    struct Case {
        const char* what;
        How how;
        bool parentGoes; // the parent of the hovered widget goes, not the widget itself
    };
    const Case cases[] = {
        {"deleted", kDelete, false},
        {"deleted through the queue", kDeferred, false},
        {"removed, then deleted", kRemoveThenDelete, false},
        {"removed clearing hover, then deleted", kRemoveClearingHoverThenDelete, false},
        {"parent deleted", kDelete, true},
        {"parent deleted through the queue", kDeferred, true},
        {"parent removed, then deleted", kRemoveThenDelete, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto* panel = new TestWidget("panel", &log, {0, 0, 60, 60});
        auto* knob = new TestWidget("knob", &log, {0, 0, 20, 20});
        ASSERT_EQ(screen->AddChild(panel), GE_OK);
        ASSERT_EQ(panel->AddChild(knob), GE_OK);
        knob->captureOnPress = 1;
        ASSERT_EQ(manager.OnMouseMove(At(5, 5)), GE_OK);
        ASSERT_EQ(manager.OnMouseDown(At(5, 5), 1), GE_OK);
        screen->focusedWidget = knob;
        ASSERT_EQ(screen->hoveredWidget, knob);
        ASSERT_EQ(manager.capture.widget, knob);
        ASSERT_TRUE(panel->hoverWithin);

        widget::Widget* going = c.parentGoes ? static_cast<widget::Widget*>(panel) : knob;
        widget::Widget* survivor = c.parentGoes ? knob : nullptr; // orphaned, deleted below
        switch (c.how) {
        case kDelete:
            delete going;
            break;
        case kDeferred:
            manager.AddDeferredDelete(going);
            ASSERT_EQ(manager.Update(0.0f), GE_OK);
            break;
        case kRemoveThenDelete:
        case kRemoveClearingHoverThenDelete:
            ASSERT_EQ(going->parent->Remove(going, c.how == kRemoveClearingHoverThenDelete), GE_OK);
            EXPECT_EQ(screen->hoveredWidget, nullptr);
            delete going;
            break;
        }
        EXPECT_EQ(screen->hoveredWidget, nullptr);
        EXPECT_EQ(screen->focusedWidget, nullptr);
        EXPECT_EQ(manager.capture.widget, nullptr);
        EXPECT_FALSE(screen->hoverWithin);
        if (!c.parentGoes) {
            EXPECT_FALSE(panel->hoverWithin);
        }
        PokeEverything();

        if (survivor) {
            EXPECT_EQ(survivor->parent, nullptr);
            EXPECT_EQ(survivor->frame, nullptr);
            delete survivor;
        } else {
            delete panel;
        }
        EXPECT_TRUE(screen->children.empty());
        screen->focusedWidget = screen;
        log.clear();
    }
}

TEST_F(WidgetLifetime, AFrameDeletedBeforeItsChildrenLeavesThemUnattached)
{
    // A bare frame leaves its children alive when it goes.
    auto* dialog = new widget::Frame;
    dialog->hitLayer->SetRect({0, 0, 50, 50});
    manager.QueueAdd(widget::FrameAddRecord{dialog, widget::kFrameModal, true});
    ASSERT_EQ(manager.Update(0.0f), GE_OK);
    auto panel = std::make_unique<TestWidget>("panel", &log, layer::Rect{0, 0, 40, 40});
    auto knob = std::make_unique<TestWidget>("knob", &log, layer::Rect{0, 0, 20, 20});
    ASSERT_EQ(dialog->AddChild(panel.get()), GE_OK);
    ASSERT_EQ(panel->AddChild(knob.get()), GE_OK);
    ASSERT_EQ(manager.OnMouseMove(At(5, 5)), GE_OK);
    ASSERT_EQ(dialog->hoveredWidget, knob.get());

    delete dialog;
    EXPECT_EQ(panel->parent, nullptr);
    EXPECT_EQ(panel->frame, nullptr);
    EXPECT_EQ(knob->frame, nullptr);
    PokeEverything();
    knob.reset();
    EXPECT_TRUE(panel->children.empty());
}

TEST_F(WidgetLifetime, ClickHandlersMayDeleteTheirButtonAndItsParent)
{
    struct Case {
        const char* what;
        bool deferred;
        bool parentToo;
        int listenerClicks; // the listener hears a click only from a button still there
    };
    const Case cases[] = {
        {"button deletes itself", false, false, 0},
        {"button deletes its parent, which deletes the button", false, true, 0},
        {"button queues itself", true, false, 1},
        {"button queues its parent and itself", true, true, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto* panel = new OwningWidget("panel", &log, {0, 0, 60, 60});
        widget::Button* button = MakeButton({0, 0, 20, 20});
        ASSERT_EQ(screen->AddChild(panel), GE_OK);
        ASSERT_EQ(panel->AddChild(button), GE_OK);
        ClickCounter counter;
        button->buttonListener = &counter;
        Demolisher demolisher;
        demolisher.manager = &manager;
        if (c.parentToo)
            demolisher.victims.push_back(panel);
        if (!c.parentToo || c.deferred)
            demolisher.victims.push_back(button);
        button->clickDelegate = demolisher.Bind(c.deferred ? &Demolisher::DeleteLater : &Demolisher::DeleteNow);

        Click(5, 5);
        EXPECT_EQ(counter.clicks, c.listenerClicks);
        ASSERT_EQ(manager.Update(0.0f), GE_OK);
        EXPECT_EQ(screen->hoveredWidget, nullptr);
        EXPECT_EQ(manager.capture.widget, nullptr);
        PokeEverything();
        if (!c.parentToo)
            delete panel;
        EXPECT_TRUE(screen->children.empty());
    }
}

TEST_F(WidgetLifetime, ADelegateFailureStillStopsBeforeTheListener)
{
    struct Failing {
        GEResultEnum Fail() { return GE_FAIL; }
    } failing;
    widget::Button* button = MakeButton({0, 0, 20, 20});
    ASSERT_EQ(screen->AddChild(button), GE_OK);
    ClickCounter counter;
    button->buttonListener = &counter;
    button->clickDelegate = std::make_shared<base::MemberDelegate0<Failing, GEResultEnum>>(&failing, &Failing::Fail);
    EXPECT_EQ(button->Click(), GE_FAIL);
    EXPECT_EQ(counter.clicks, 0);
    button->clickDelegate.reset();
    EXPECT_EQ(button->Click(), GE_OK);
    EXPECT_EQ(counter.clicks, 1);
}

TEST_F(WidgetLifetime, ADialogQueuedTwiceGetsOneEntryAndIsDeletedOnce)
{
    auto* dialog = new TestBoard("dialog", &log, {40, 40, 20, 20});
    // A double click on the button that opens it, in one frame.
    manager.QueueAdd(widget::FrameAddRecord{dialog, widget::kFrameModal, true});
    manager.QueueAdd(widget::FrameAddRecord{dialog, widget::kFrameModal, true});
    ASSERT_EQ(manager.Update(0.0f), GE_OK);
    ASSERT_EQ(manager.stack.size(), 2u);
    EXPECT_EQ(manager.stack[1].frame, dialog);

    // Asked again while shown, as a modal or a normal frame: still one entry.
    manager.QueueAdd(widget::FrameAddRecord{dialog, widget::kFrameModal, true});
    ASSERT_EQ(manager.Update(0.0f), GE_OK);
    EXPECT_EQ(manager.AddFrame(dialog, false, true, false), GE_OK);
    ASSERT_EQ(manager.stack.size(), 2u);

    // Hiding deletes it; nothing of it is left to draw or delete again.
    manager.QueueRemove(widget::FrameRemoveRecord{dialog, true});
    ASSERT_EQ(manager.Update(0.0f), GE_OK);
    ASSERT_EQ(manager.stack.size(), 1u);
    EXPECT_EQ(manager.stack[0].frame, screen);
    EXPECT_EQ(manager.Draw(nullptr), GE_OK);
    PokeEverything();
}

TEST_F(WidgetLifetime, AChildIsAddedOnceAndUnderOneParent)
{
    auto* panel = new TestWidget("panel", &log, {0, 0, 60, 60});
    auto* other = new TestWidget("other", &log, {60, 0, 40, 40});
    auto* knob = new TestWidget("knob", &log, {0, 0, 20, 20});
    ASSERT_EQ(screen->AddChild(panel), GE_OK);
    ASSERT_EQ(screen->AddChild(other), GE_OK);
    ASSERT_EQ(panel->AddChild(knob), GE_OK);

    EXPECT_EQ(panel->AddChild(knob), GE_FAIL);   // already there
    EXPECT_EQ(other->AddChild(knob), GE_FAIL);   // has another parent
    EXPECT_EQ(knob->AddChild(panel), GE_FAIL);   // an ancestor: a loop
    EXPECT_EQ(knob->AddChild(screen), GE_FAIL);  // the frame itself
    EXPECT_EQ(panel->children.size(), 1u);
    EXPECT_TRUE(other->children.empty());
    EXPECT_EQ(knob->parent, panel);
    EXPECT_EQ(knob->layer->parent, panel->layer);

    // Removed first, it moves.
    ASSERT_EQ(panel->Remove(knob, true), GE_OK);
    ASSERT_EQ(other->AddChild(knob), GE_OK);
    EXPECT_EQ(knob->parent, other);
    EXPECT_EQ(knob->frame, screen);
    EXPECT_TRUE(panel->children.empty());
    // The board deletes its children; each exactly once.
}

} // namespace
