// The layer tree's bounds and hit walk: edges, shielding parents, rotations, claims,
// child events.
#include "Framework/Layer/Layer.h"
#include "Framework/Layer/RectHitLayer.h"
#include <cmath>
#include <gtest/gtest.h>
#include <numbers>
#include <string>
#include <vector>

namespace {

// Records every notification as "<name>:<slot>" and answers with a chosen state.
class RecordingListener : public layer::HitTestListener {
public:
    RecordingListener(std::string name, std::vector<std::string>* log, int answer = layer::kHitTaken)
        : name(std::move(name)), log(log), answer(answer)
    {
    }
    GEResultEnum OnMouseDown(layer::HitTestParam& p, const layer::OnMouseDown&) override
    {
        return Record("down", p);
    }
    GEResultEnum OnChildMouseDown(layer::HitTestParam& p, const layer::OnMouseDown&) override
    {
        return Record(takenBelow ? "childdown+taken" : "childdown", p);
    }
    GEResultEnum OnMouseMove(layer::HitTestParam& p) override { return Record("move", p); }

    GEResultEnum Record(const char* what, layer::HitTestParam& p)
    {
        log->push_back(name + ":" + what);
        lastPoint = p.notifiedPoint;
        state = answer;
        return result;
    }

    std::string name;
    std::vector<std::string>* log;
    int answer;
    GEResultEnum result = GE_OK;
    math::Point3 lastPoint;
};

struct Walk {
    int state = layer::kHitNotTaken;
    layer::Layer* accepting = nullptr;
    GEResultEnum result = GE_OK;
};

Walk Press(layer::Layer& root, float x, float y)
{
    root.Update();
    layer::OnMouseDown event;
    event.x = x;
    event.y = y;
    event.button = 1;
    math::Point3 point{x, y, 0.0f};
    layer::HitTestLevel top;
    top.point = &point;
    top.layer = &root;
    layer::HitTestContext<layer::OnMouseDown> context;
    context.event = &event;
    context.hook = layer::MouseDownHook().get();
    Walk walk;
    walk.result = root.HitTestWalk(top, context);
    walk.state = context.state;
    walk.accepting = context.acceptingLayer;
    return walk;
}

layer::RectHitLayer* MakeRect(float x, float y, float w, float h)
{
    return new layer::RectHitLayer(layer::Rect{x, y, w, h});
}

// A root rectangle 0..100 with one child rectangle 10..30 (x) by 10..30 (y).
struct SmallTree : ::testing::Test {
    SmallTree()
    {
        root.SetRect(layer::Rect{0, 0, 100, 100});
        child.reset(MakeRect(10, 10, 20, 20));
        root.AddChild(child.get());
        root.hitListener = &rootListener;
        child->hitListener = &childListener;
    }
    std::vector<std::string> log;
    layer::RectHitLayer root;
    std::unique_ptr<layer::RectHitLayer> child;
    RecordingListener rootListener{"root", &log};
    RecordingListener childListener{"child", &log};
};

TEST_F(SmallTree, BoxEdgesMinimumHitsMaximumMisses)
{
    struct Case {
        float x, y;
        const char* expected;
    } cases[] = {
        {10.0f, 10.0f, "child"},                         // minimum corner hits
        {29.9f, 29.9f, "child"}, {30.0f, 15.0f, "root"}, // maximum x edge misses the child
        {15.0f, 30.0f, "root"},                          // maximum y edge misses the child
        {9.99f, 15.0f, "root"},  {100.0f, 50.0f, ""},    // the root's own maximum edge misses everything
        {-0.01f, 50.0f, ""},
    };
    for (const Case& c : cases) {
        log.clear();
        Walk walk = Press(root, c.x, c.y);
        std::string who = walk.accepting == child.get() ? "child" : walk.accepting == &root ? "root" : "";
        EXPECT_EQ(who, c.expected) << c.x << "," << c.y;
        EXPECT_EQ(walk.state, who.empty() ? layer::kHitNotTaken : layer::kHitTaken) << c.x << "," << c.y;
    }
}

TEST_F(SmallTree, InvisibleParentShieldsItsSubtree)
{
    layer::Layer group;
    group.AddChild(&root);
    group.visible = true;
    root.visible = false;
    EXPECT_EQ(Press(group, 15, 15).accepting, nullptr);
    EXPECT_TRUE(log.empty());
    root.visible = true;
    EXPECT_EQ(Press(group, 15, 15).accepting, child.get());
    group.RemoveChild(&root);
}

TEST_F(SmallTree, HitDisabledParentLetsChildrenTakeOnlyWhenAsked)
{
    root.hitEnabled = false;
    // Neither hit-enabled nor children hit-testable: the whole subtree is skipped.
    EXPECT_EQ(Press(root, 15, 15).accepting, nullptr);
    root.childrenHitTestable = true;
    EXPECT_EQ(Press(root, 15, 15).accepting, child.get());
    // ... but the parent itself never takes the event.
    EXPECT_EQ(Press(root, 50, 50).accepting, nullptr);
    EXPECT_EQ(log, (std::vector<std::string>{"child:down"}));
}

TEST_F(SmallTree, PassingListenerLetsTheParentTakeTheEvent)
{
    childListener.answer = layer::kHitNotTaken;
    Walk walk = Press(root, 15, 15);
    EXPECT_EQ(walk.accepting, &root);
    EXPECT_EQ(log, (std::vector<std::string>{"child:down", "root:down"}));
}

TEST_F(SmallTree, ClaimSkipsEarlierSiblingsAndDeliversToTheAncestor)
{
    // A second child under the first one (earlier sibling, same place) must be skipped.
    std::unique_ptr<layer::RectHitLayer> lower(MakeRect(10, 10, 20, 20));
    RecordingListener lowerListener{"lower", &log};
    lower->hitListener = &lowerListener;
    root.InsertChild(lower.get());
    // The child claims for its ancestor through the ancestor's child event.
    rootListener.childEvents = layer::kChildMouseDown;
    rootListener.answer = layer::kHitClaimed;
    Walk walk = Press(root, 15, 15);
    EXPECT_EQ(walk.accepting, &root);
    EXPECT_EQ(walk.state, layer::kHitClaimed); // the root's direct hit claims again
    EXPECT_EQ(log, (std::vector<std::string>{"child:down", "root:childdown+taken", "root:down"}));
    root.RemoveChild(lower.get());
}

TEST_F(SmallTree, ChildEventsReachOnlyAncestorsThatAskForThem)
{
    layer::RectHitLayer top;
    top.SetRect(layer::Rect{0, 0, 200, 200});
    RecordingListener topListener{"top", &log};
    top.hitListener = &topListener;
    top.AddChild(&root);
    topListener.childEvents = layer::kChildMouseDown;
    rootListener.childEvents = layer::kChildMouseUp; // wrong kind: not notified
    Press(top, 15, 15);
    EXPECT_EQ(log, (std::vector<std::string>{"child:down", "top:childdown+taken"}));
    top.RemoveChild(&root);
}

TEST_F(SmallTree, ListenerFailureStopsTheWalk)
{
    childListener.result = GE_FAIL;
    EXPECT_EQ(Press(root, 15, 15).result, GE_FAIL);
    EXPECT_EQ(log, (std::vector<std::string>{"child:down"}));
}

TEST_F(SmallTree, EmptyHookDoesNothing)
{
    auto saved = layer::MouseDownHook();
    layer::MouseDownHook().reset();
    Walk walk = Press(root, 15, 15);
    layer::MouseDownHook() = saved;
    EXPECT_EQ(walk.accepting, nullptr);
    EXPECT_TRUE(log.empty());
}

TEST(LayerHit, LayerWithoutListenerDeliversToEnclosingListener)
{
    std::vector<std::string> log;
    layer::RectHitLayer root(layer::Rect{0, 0, 100, 100});
    RecordingListener rootListener{"root", &log};
    root.hitListener = &rootListener;
    layer::RectHitLayer child(layer::Rect{0, 0, 10, 10});
    root.AddChild(&child);
    Walk walk = Press(root, 5, 5);
    EXPECT_EQ(walk.accepting, &child);
    EXPECT_EQ(log, (std::vector<std::string>{"root:down"}));
    root.RemoveChild(&child);
}

TEST(LayerHit, EmptyLayerNeverTakesEvents)
{
    std::vector<std::string> log;
    layer::Layer empty;
    RecordingListener listener{"empty", &log};
    empty.hitListener = &listener;
    empty.Update();
    EXPECT_TRUE(empty.parentBounds.IsEmpty());
    EXPECT_EQ(Press(empty, 0, 0).accepting, nullptr);
    EXPECT_TRUE(log.empty());
}

TEST(LayerHit, RotationAboutZMapsThePointIntoTheLayer)
{
    std::vector<std::string> log;
    layer::RectHitLayer root(layer::Rect{-100, -100, 200, 200});
    layer::RectHitLayer bar(layer::Rect{0, -1, 20, 2}); // a thin bar along +x
    RecordingListener barListener{"bar", &log};
    bar.hitListener = &barListener;
    bar.SetRotation(0, 0, std::numbers::pi_v<float> / 2); // now along +y
    root.AddChild(&bar);
    EXPECT_EQ(Press(root, 15, 0).accepting, nullptr);
    EXPECT_EQ(Press(root, 0, 15).accepting, &bar);
    EXPECT_NEAR(barListener.lastPoint.x, 15.0f, 1e-4f);
    EXPECT_NEAR(barListener.lastPoint.y, 0.0f, 1e-4f);
    // The parent-space bounds follow the rotation.
    EXPECT_NEAR(bar.parentBounds.min.x, -1.0f, 1e-4f);
    EXPECT_NEAR(bar.parentBounds.max.y, 20.0f, 1e-4f);
    root.RemoveChild(&bar);
}

TEST(LayerHit, RotationAboutXKeepsChildrenOutOfTheWalk)
{
    std::vector<std::string> log;
    layer::RectHitLayer tilted(layer::Rect{-50, -50, 100, 100});
    RecordingListener tiltedListener{"tilted", &log};
    tilted.hitListener = &tiltedListener;
    layer::RectHitLayer child(layer::Rect{0, 0, 10, 10});
    RecordingListener childListener{"child", &log};
    child.hitListener = &childListener;
    tilted.AddChild(&child);
    tilted.SetRotation(0.3f, 0, 0);
    Walk walk = Press(tilted, 5, 5);
    // Bounds still let the point in, the child is never visited, the layer itself is
    // tested (at its own origin) and takes it.
    EXPECT_EQ(walk.accepting, &tilted);
    EXPECT_EQ(log, (std::vector<std::string>{"tilted:down"}));
    tilted.RemoveChild(&child);
}

TEST(LayerBounds, ScaledAndTranslatedBoundsAndMirroring)
{
    layer::Layer group;
    layer::RectHitLayer a(layer::Rect{0, 0, 10, 10});
    group.AddChild(&a);
    a.SetScale(2, 3, 1);
    a.SetPosition(5, 7, 0);
    group.Update();
    EXPECT_FLOAT_EQ(a.parentBounds.min.x, 5);
    EXPECT_FLOAT_EQ(a.parentBounds.max.x, 25);
    EXPECT_FLOAT_EQ(a.parentBounds.max.y, 37);
    EXPECT_FLOAT_EQ(group.parentBounds.max.y, 37);
    // A mirrored layer keeps an ordered box, so it can still be hit.
    a.SetScale(-1, 1, 1);
    group.Update();
    EXPECT_FLOAT_EQ(a.parentBounds.min.x, -5);
    EXPECT_FLOAT_EQ(a.parentBounds.max.x, 5);
    group.RemoveChild(&a);
}

TEST(LayerBounds, AddingOrRemovingChildrenRebuildsTheUnion)
{
    layer::Layer group;
    layer::RectHitLayer a(layer::Rect{0, 0, 10, 10});
    group.AddChild(&a);
    group.Update();
    layer::RectHitLayer b(layer::Rect{50, 50, 10, 10});
    b.Update(); // b's bounds are up to date before it joins
    group.AddChild(&b);
    group.Update();
    EXPECT_FLOAT_EQ(group.parentBounds.max.x, 60);
    group.RemoveChild(&b);
    group.Update();
    EXPECT_FLOAT_EQ(group.parentBounds.max.x, 10);
    group.RemoveChild(&a);
}

TEST(LayerTree, RemovingAStrangerAndDeletingAChildLeaveNoDanglingLinks)
{
    layer::Layer group;
    layer::Layer stranger;
    auto* a = new layer::Layer;
    group.AddChild(a);
    group.RemoveChild(&stranger);
    EXPECT_EQ(group.children.size(), 1u);
    delete a;
    EXPECT_TRUE(group.children.empty());
    auto* parent = new layer::Layer;
    layer::Layer orphan;
    parent->AddChild(&orphan);
    delete parent;
    EXPECT_EQ(orphan.parent, nullptr);
}

TEST(LayerTree, AddChildMovesBetweenParents)
{
    layer::Layer p1, p2, c;
    p1.AddChild(&c);
    p2.AddChild(&c);
    EXPECT_TRUE(p1.children.empty());
    ASSERT_EQ(p2.children.size(), 1u);
    EXPECT_EQ(c.parent, &p2);
    p2.RemoveChild(&c);
}

TEST(LayerTree, GlobalToLocalWalksEveryLevel)
{
    layer::Layer a, b;
    a.SetPosition(10, 0, 0);
    a.SetScale(2, 2, 1);
    b.SetPosition(0, 5, 0);
    a.AddChild(&b);
    math::Point3 p = b.GlobalToLocal(math::Point3{30, 20, 0});
    EXPECT_FLOAT_EQ(p.x, 10); // (30 - 10) / 2
    EXPECT_FLOAT_EQ(p.y, 5);  // 20 / 2 - 5
    a.RemoveChild(&b);
}

} // namespace
