// Dialogs shown, hidden and closed through the frame manager, with and without a
// show/hide effects task.
#include "Framework/Widget/Dialog.h"
#include "Framework/Widget/DialogEffects.h"
#include "Framework/Widget/DialogEffectsManager.h"
#include "Framework/Widget/FrameManager.h"
#include "tests/Support/LogCapture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

using Log = std::vector<std::string>;

class TestDialog : public widget::Dialog {
public:
    explicit TestDialog(Log* log, const std::string& dialogName = "") : log(log) { name = dialogName; }
    ~TestDialog() override { log->push_back("deleted"); }
    GEResultEnum OnShown() override
    {
        log->push_back("shown");
        return GE_OK;
    }
    Log* log;
};

// Effects that only record what they are asked; the test ends show and hide itself.
class ScriptedEffects : public widget::DialogEffects {
public:
    ScriptedEffects() { latest = this; }
    ~ScriptedEffects() override
    {
        if (latest == this)
            latest = nullptr;
        ++destroyed;
    }
    GEResultEnum Show() override
    {
        ++shows;
        return GE_OK;
    }
    GEResultEnum Hide() override
    {
        ++hides;
        return GE_OK;
    }
    // What the effect does when its hide has played: close the dialog and stop the
    // task, still knowing the dialog (its destructor then clears the dialog's pointer).
    GEResultEnum FinishHide()
    {
        const GEResultEnum result = dialog->Close();
        base::Task::Stop();
        return result;
    }

    int shows = 0;
    int hides = 0;
    static inline ScriptedEffects* latest = nullptr;
    static inline int destroyed = 0;
};

// An effect kind whose lookup always fails.
class FailingEffectsManagerSetup {
public:
    FailingEffectsManagerSetup()
    {
        auto* effects = widget::DialogEffectsManager::Instance();
        effects->RegisterEffectCreator("scripted",
                                       std::make_unique<widget::DialogEffectsCreator<ScriptedEffects>>());
        effects->AssignEffect("with-effects", "scripted");
        // Named after an effect that exists nowhere: the lookup answers 1.
        effects->AssignEffect("broken", "no-such-effect");
    }
};

bool OnStack(const widget::FrameManager& manager, const widget::Frame* frame)
{
    return std::any_of(manager.stack.begin(), manager.stack.end(),
                       [frame](const widget::FrameEntry& e) { return e.frame == frame; });
}

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override { static FailingEffectsManagerSetup setup; }
    void TearDown() override { manager.DetachAll(); }

    void Show(widget::Dialog* dialog) { manager.QueueAdd({dialog, widget::kFrameModal, true}); }

    widget::FrameManager manager;
    Log log;
};

TEST_F(DialogTest, UnnamedDialogIsShownInTheUpdateThatAddsIt)
{
    auto* dialog = new TestDialog(&log);
    Show(dialog);
    EXPECT_TRUE(log.empty());
    ASSERT_EQ(manager.Update(0.016f), GE_OK);
    EXPECT_EQ(log, Log{"shown"});
    ASSERT_EQ(manager.stack.size(), 1u);
    EXPECT_EQ(manager.stack.back().frame, dialog);
    EXPECT_EQ(manager.stack.back().mode, widget::kFrameModal);
    EXPECT_EQ(manager.activeFrame, dialog);
    EXPECT_EQ(dialog->effects, nullptr);
}

TEST_F(DialogTest, HideKeepsOrDeletesTheDialogAfterTheRemoval)
{
    auto* kept = new TestDialog(&log);
    Show(kept);
    ASSERT_EQ(manager.Update(0.016f), GE_OK);

    ASSERT_EQ(kept->Hide(false), GE_OK);
    EXPECT_TRUE(OnStack(manager, kept)); // removal waits for the next update
    ASSERT_EQ(manager.Update(0.016f), GE_OK);
    EXPECT_FALSE(OnStack(manager, kept));
    EXPECT_EQ(kept->manager, nullptr);
    EXPECT_EQ(log, Log{"shown"});

    // Kept: the game can show it again.
    Show(kept);
    ASSERT_EQ(manager.Update(0.016f), GE_OK);
    EXPECT_TRUE(OnStack(manager, kept));
    EXPECT_EQ(log, (Log{"shown", "shown"}));

    ASSERT_EQ(kept->Hide(true), GE_OK);
    ASSERT_EQ(manager.Update(0.016f), GE_OK);
    EXPECT_TRUE(manager.stack.empty());
    EXPECT_EQ(log, (Log{"shown", "shown", "deleted"}));
}

TEST_F(DialogTest, SecondCloseFailsTheSecondRemoval)
{
    for (const bool deleteOnClose : {false, true}) {
        log.clear();
        auto* dialog = new TestDialog(&log);
        Show(dialog);
        ASSERT_EQ(manager.Update(0.016f), GE_OK);
        dialog->deleteOnClose = deleteOnClose;
        ASSERT_EQ(dialog->Close(), GE_OK);
        ASSERT_EQ(dialog->Close(), GE_OK);
        EXPECT_EQ(manager.Update(0.016f), GE_FAIL) << deleteOnClose;
        EXPECT_TRUE(manager.stack.empty());
        // Nothing stays queued to fail again.
        EXPECT_EQ(manager.Update(0.016f), GE_OK);
        EXPECT_EQ(log.back(), deleteOnClose ? "deleted" : "shown");
        if (!deleteOnClose)
            delete dialog;
    }
}

TEST_F(DialogTest, CloseOfADialogThatIsNotShownFails)
{
    TestDialog dialog(&log, "options");
    LogCapture capture;
    EXPECT_EQ(dialog.Close(), GE_FAIL);
    EXPECT_EQ(dialog.Hide(false), GE_FAIL);
    EXPECT_EQ(capture.Count(L"Dialog 'options' cannot close"), 2);
}

TEST_F(DialogTest, EffectsShowThenHideThenCloseAndDeleteTheDialog)
{
    auto* dialog = new TestDialog(&log, "with-effects");
    Show(dialog);
    ASSERT_EQ(manager.Update(0.016f), GE_OK);
    ScriptedEffects* effects = ScriptedEffects::latest;
    ASSERT_NE(effects, nullptr);
    EXPECT_EQ(dialog->effects, effects);
    EXPECT_EQ(effects->dialog, dialog);
    EXPECT_EQ(effects->shows, 1);
    EXPECT_TRUE(log.empty()); // shown only when the effect says so
    // The effects run as a task of the frame manager.
    const auto& pending = manager.pendingChildren;
    EXPECT_NE(std::find(pending.begin(), pending.end(), effects), pending.end());

    ASSERT_EQ(dialog->Hide(true), GE_OK);
    EXPECT_EQ(effects->hides, 1);
    ASSERT_EQ(manager.Update(0.016f), GE_OK);
    EXPECT_TRUE(OnStack(manager, dialog)); // still there while the hide plays

    const int destroyedBefore = ScriptedEffects::destroyed;
    ASSERT_EQ(effects->FinishHide(), GE_OK);
    // The manager deletes the stopped task, then removes and deletes the dialog.
    ASSERT_EQ(manager.Update(0.016f), GE_OK);
    EXPECT_TRUE(manager.stack.empty());
    EXPECT_EQ(log, Log{"deleted"});
    EXPECT_EQ(ScriptedEffects::destroyed, destroyedBefore + 1);
    EXPECT_TRUE(manager.children.empty());
}

TEST_F(DialogTest, KeptDialogWithEffectsCanBeShownAgainAfterItsEffectsAreGone)
{
    auto* dialog = new TestDialog(&log, "with-effects");
    Show(dialog);
    ASSERT_EQ(manager.Update(0.016f), GE_OK);
    ASSERT_EQ(dialog->Hide(false), GE_OK);
    ASSERT_EQ(ScriptedEffects::latest->FinishHide(), GE_OK);
    ASSERT_EQ(manager.Update(0.016f), GE_OK); // the task deleted, the dialog removed
    EXPECT_FALSE(OnStack(manager, dialog));
    EXPECT_EQ(dialog->effects, nullptr);

    Show(dialog);
    ASSERT_EQ(manager.Update(0.016f), GE_OK);
    ASSERT_NE(ScriptedEffects::latest, nullptr);
    EXPECT_EQ(dialog->effects, ScriptedEffects::latest);
    EXPECT_EQ(ScriptedEffects::latest->shows, 1);
    delete dialog; // stops its effects; the manager deletes the task
    ASSERT_EQ(manager.Update(0.016f), GE_OK);
    EXPECT_TRUE(manager.children.empty());
    EXPECT_TRUE(manager.stack.empty());
}

TEST_F(DialogTest, FailedEffectsLookupFailsTheUpdateAndLeavesTheDialogWithoutEffects)
{
    auto* dialog = new TestDialog(&log, "broken");
    Show(dialog);
    EXPECT_EQ(manager.Update(0.016f), GE_FAIL);
    EXPECT_TRUE(OnStack(manager, dialog));
    EXPECT_EQ(dialog->effects, nullptr);
    EXPECT_TRUE(log.empty());
}

} // namespace
