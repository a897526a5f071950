#include "Core/Base/Task.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

// A task that writes what happens to it into a shared journal.
class ProbeTask : public base::Task {
public:
    ProbeTask(std::vector<std::string>& journal, std::string name, bool autoDelete = false,
              bool stopWhenChildrenDone = false, bool keepsParentRunning = false, bool threadSafe = true)
        : Task(autoDelete, stopWhenChildrenDone, keepsParentRunning, threadSafe), journal(journal),
          name(std::move(name))
    {
    }
    ~ProbeTask() override
    {
        journal.push_back(name + ".deleted");
        if (deleted)
            *deleted = true;
    }

    GEResultEnum OnStart() override
    {
        journal.push_back(name + ".start");
        return startResult;
    }
    GEResultEnum Tick(float dt) override
    {
        journal.push_back(name + ".tick");
        lastDt = dt;
        if (onTick)
            onTick();
        return tickResult;
    }
    void OnStop() override
    {
        journal.push_back(name + ".stop");
        if (finishOnStop)
            base::Task::OnStop();
    }

    std::vector<std::string>& journal;
    std::string name;
    GEResultEnum startResult = GE_OK;
    GEResultEnum tickResult = GE_OK;
    bool finishOnStop = true;
    float lastDt = 0.0f;
    bool* deleted = nullptr;
    std::function<void()> onTick;
};

class TaskTest : public ::testing::Test {
protected:
    // Tasks owned by the test (not auto-deleted), kept alive until the end.
    ProbeTask* Make(const std::string& name, bool stopWhenChildrenDone = false,
                    bool keepsParentRunning = false)
    {
        owned.push_back(
            std::make_unique<ProbeTask>(journal, name, false, stopWhenChildrenDone, keepsParentRunning));
        return owned.back().get();
    }
    // "root" over "a" and "b", and "a1" under "a".
    struct Tree {
        ProbeTask *root, *a, *b, *a1;
    };
    Tree MakeTree()
    {
        Tree tree{Make("root"), Make("a"), Make("b"), Make("a1")};
        tree.root->AddChild(tree.a);
        tree.root->AddChild(tree.b);
        tree.a->AddChild(tree.a1);
        return tree;
    }
    std::vector<std::string> TakeJournal()
    {
        std::vector<std::string> result;
        result.swap(journal);
        return result;
    }

    std::vector<std::string> journal;
    std::vector<std::unique_ptr<ProbeTask>> owned;
};

using Journal = std::vector<std::string>;

TEST_F(TaskTest, StartsOnceAndUpdatesChildrenBeforeTheParentsTick)
{
    const auto [root, a, b, a1] = MakeTree();

    // Frame 1: children join the list at the end of the frame, so only the root runs.
    EXPECT_EQ(root->Update(0.5f), GE_OK);
    EXPECT_EQ(TakeJournal(), (Journal{"root.start", "root.tick"}));
    EXPECT_EQ(root->children.size(), 2u);
    EXPECT_TRUE(root->pendingChildren.empty());

    EXPECT_EQ(root->Update(0.25f), GE_OK);
    EXPECT_EQ(TakeJournal(), (Journal{"a.start", "a.tick", "b.start", "b.tick", "root.tick"}));

    EXPECT_EQ(root->Update(0.125f), GE_OK);
    EXPECT_EQ(TakeJournal(), (Journal{"a1.start", "a1.tick", "a.tick", "b.tick", "root.tick"}));
    EXPECT_FLOAT_EQ(a1->lastDt, 0.125f);
}

TEST_F(TaskTest, ChildAddedDuringTheParentsOwnUpdateIsNotUpdatedInThatFrame)
{
    ProbeTask* root = Make("root");
    ProbeTask* sibling = Make("sibling");
    ProbeTask* fromChild = Make("fromChild");
    ProbeTask* fromTick = Make("fromTick");
    root->AddChild(sibling);
    root->Update(0.0f);
    root->Update(0.0f);
    TakeJournal();

    // Added while the children are updated: joins at the end of the list this
    // frame, first updated next frame.
    sibling->onTick = [&] { root->AddChild(fromChild); };
    root->Update(0.0f);
    sibling->onTick = nullptr;
    EXPECT_EQ(TakeJournal(), (Journal{"sibling.tick", "root.tick"}));
    EXPECT_EQ(root->children.size(), 2u);

    // Added by the parent's own tick, after this frame's hand-over: waits in the
    // pending list for one more frame.
    root->onTick = [&] { root->AddChild(fromTick); };
    root->Update(0.0f);
    root->onTick = nullptr;
    EXPECT_EQ(TakeJournal(), (Journal{"sibling.tick", "fromChild.start", "fromChild.tick", "root.tick"}));
    EXPECT_EQ(root->pendingChildren.size(), 1u);

    root->Update(0.0f);
    EXPECT_EQ(TakeJournal(), (Journal{"sibling.tick", "fromChild.tick", "root.tick"}));
    root->Update(0.0f);
    EXPECT_EQ(TakeJournal(),
              (Journal{"sibling.tick", "fromChild.tick", "fromTick.start", "fromTick.tick", "root.tick"}));
}

TEST_F(TaskTest, StopWhenChildrenDoneFollowsKeepsParentRunning)
{
    struct Case {
        const char* what;
        std::vector<bool> childrenKeepRunning; // added before the first frame
        bool addNonKeepingChildDuringTick;
        bool stopsInFrame1;
        bool stopsInFrame2;
    };
    const Case cases[] = {
        {"no children at all", {}, false, true, true},
        {"only children that do not keep it running", {false, false}, false, true, true},
        {"one child keeps it running", {false, true}, false, false, false},
        {"a child still pending holds the stop back for a frame", {}, true, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        journal.clear();
        ProbeTask* parent = Make("parent", true);
        for (bool keeps : c.childrenKeepRunning)
            parent->AddChild(Make("child", false, keeps));
        if (c.addNonKeepingChildDuringTick) {
            ProbeTask* late = Make("late");
            parent->onTick = [parent, late, added = false]() mutable {
                if (!added)
                    parent->AddChild(late);
                added = true;
            };
        }
        parent->Update(0.0f);
        EXPECT_EQ(parent->stopping != 0, c.stopsInFrame1);
        if (parent->stopping) {
            // Stop reached the children first, then the parent itself.
            EXPECT_EQ(journal.back(), "parent.stop");
            for (base::Task* child : parent->children)
                EXPECT_TRUE(child->stopping);
        }
        parent->Update(0.0f);
        EXPECT_EQ(parent->stopping != 0, c.stopsInFrame2);
    }
}

TEST_F(TaskTest, FailingChildCutsTheRestOfTheFrameOnly)
{
    ProbeTask* root = Make("root");
    ProbeTask* first = Make("first");
    ProbeTask* failing = Make("failing");
    ProbeTask* last = Make("last");
    ProbeTask* pending = Make("pending");
    for (ProbeTask* t : {first, failing, last})
        root->AddChild(t);
    root->Update(0.0f);
    root->Update(0.0f);
    TakeJournal();

    failing->tickResult = GE_FAIL;
    first->finished = 1; // done: would be removed at the end of a full frame
    root->AddChild(pending);
    EXPECT_EQ(root->Update(0.0f), GE_FAIL);
    EXPECT_EQ(TakeJournal(), (Journal{"failing.tick"}));
    // Neither the hand-over of pending children nor the removals happened.
    EXPECT_EQ(root->children.size(), 3u);
    EXPECT_EQ(root->pendingChildren.size(), 1u);

    failing->tickResult = GE_OK;
    EXPECT_EQ(root->Update(0.0f), GE_OK);
    EXPECT_EQ(TakeJournal(), (Journal{"failing.tick", "last.tick", "root.tick"}));
    EXPECT_EQ(root->children, (std::list<base::Task*>{failing, last, pending}));
}

TEST_F(TaskTest, FailingStartIsReturnedAndNotRepeated)
{
    ProbeTask* task = Make("task");
    task->startResult = GE_FAIL;
    EXPECT_EQ(task->Update(0.0f), GE_FAIL);
    EXPECT_EQ(TakeJournal(), (Journal{"task.start"}));
    EXPECT_EQ(task->Update(0.0f), GE_OK);
    EXPECT_EQ(TakeJournal(), (Journal{"task.tick"}));
}

TEST_F(TaskTest, DoneChildrenAreRemovedAndOnlyAutoDeleteOnesDeleted)
{
    ProbeTask* root = Make("root");
    bool autoDeleted = false;
    auto* owned = new ProbeTask(journal, "auto", true);
    owned->deleted = &autoDeleted;
    ProbeTask* kept = Make("kept");
    root->AddChild(owned);
    root->AddChild(kept);
    root->Update(0.0f);
    root->Update(0.0f);

    owned->Stop();
    kept->Stop();
    TakeJournal();
    root->Update(0.0f);
    // A finished task is not updated and is gone at the end of the same frame.
    EXPECT_EQ(TakeJournal(), (Journal{"auto.deleted", "root.tick"}));
    EXPECT_TRUE(autoDeleted);
    EXPECT_TRUE(root->children.empty());
    EXPECT_TRUE(kept->IsDone()); // removed from the tree, still ours
}

TEST_F(TaskTest, FinishedChildStaysUntilItsOwnChildrenAreGone)
{
    ProbeTask* root = Make("root");
    ProbeTask* middle = Make("middle");
    ProbeTask* leaf = Make("leaf");
    root->AddChild(middle);
    middle->AddChild(leaf);
    for (int i = 0; i < 3; ++i)
        root->Update(0.0f);
    ASSERT_EQ(middle->children.size(), 1u);

    middle->finished = 1;
    root->Update(0.0f);
    EXPECT_EQ(root->children.size(), 1u) << "finished but not childless";
    EXPECT_FALSE(middle->IsDone());

    leaf->finished = 1;
    root->Update(0.0f);
    // The leaf leaves middle's list in this frame; middle is then done and leaves too.
    EXPECT_TRUE(middle->children.empty());
    EXPECT_TRUE(root->children.empty());
}

TEST_F(TaskTest, StopIsDepthFirstChildrenBeforeParentAndMayRepeat)
{
    const auto [root, a, b, a1] = MakeTree();
    for (int i = 0; i < 3; ++i)
        root->Update(0.0f);
    TakeJournal();

    root->finishOnStop = false; // a subclass may finish later
    root->Stop();
    EXPECT_EQ(TakeJournal(), (Journal{"a1.stop", "a.stop", "b.stop", "root.stop"}));
    EXPECT_TRUE(root->stopping);
    EXPECT_FALSE(root->finished);
    root->Stop();
    EXPECT_EQ(TakeJournal().back(), "root.stop");
}

TEST_F(TaskTest, ChildrenAddedFromOtherThreadsAllJoin)
{
    ProbeTask* root = Make("root");
    constexpr int kThreads = 4;
    constexpr int kPerThread = 200;
    std::vector<std::unique_ptr<base::Task>> children;
    for (int i = 0; i < kThreads * kPerThread; ++i)
        children.push_back(std::make_unique<base::Task>(false, false, false, false));

    std::atomic<bool> go{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            while (!go)
                std::this_thread::yield();
            for (int i = 0; i < kPerThread; ++i)
                root->AddChild(children[static_cast<std::size_t>(t * kPerThread + i)].get());
        });
    }
    go = true;
    // The tree keeps updating on this thread while the others add.
    for (int frame = 0; frame < 50; ++frame)
        root->Update(0.0f);
    for (std::thread& thread : threads)
        thread.join();
    root->Update(0.0f);
    EXPECT_EQ(root->children.size(), static_cast<std::size_t>(kThreads * kPerThread));
    EXPECT_TRUE(root->pendingChildren.empty());
}

} // namespace
