// The draw walk without a device: callbacks, visibility, opacity and transforms.
#include "Framework/Layer/Layer.h"
#include "Framework/Widget/TypeId.h"
#include "Framework/Widget/Widget.h"
#include "Framework/Widget/WidgetListener.h"
#include <gtest/gtest.h>
#include <numbers>
#include <string>
#include <vector>

namespace {

class Tracer : public widget::WidgetListener {
public:
    GEResultEnum OnDrawBegin(render::Graphics*, layer::Layer* l) override
    {
        calls.push_back("begin:" + Name(l));
        return beginResult;
    }
    GEResultEnum OnDrawEnd(render::Graphics*, layer::Layer* l) override
    {
        calls.push_back("end:" + Name(l));
        return GE_OK;
    }
    std::string Name(layer::Layer* l) const { return l == root ? "root" : "child"; }

    layer::Layer* root = nullptr;
    std::vector<std::string> calls;
    GEResultEnum beginResult = GE_OK;
};

TEST(LayerDraw, ListenerDrawHooksWrapTheSubtree)
{
    Tracer tracer;
    widget::Widget parent(new layer::Layer, true);
    widget::Widget child(new layer::Layer, true);
    tracer.root = parent.layer;
    parent.SetListener(&tracer, true);
    child.SetListener(&tracer, true);
    parent.AddChild(&child);

    EXPECT_EQ(parent.layer->DrawTree(nullptr), GE_OK);
    EXPECT_EQ(tracer.calls, (std::vector<std::string>{"begin:root", "begin:child", "end:child", "end:root"}));

    // An invisible child is skipped with its callbacks; a failing callback stops the walk.
    tracer.calls.clear();
    child.layer->visible = false;
    parent.layer->DrawTree(nullptr);
    EXPECT_EQ(tracer.calls, (std::vector<std::string>{"begin:root", "end:root"}));
    tracer.calls.clear();
    tracer.beginResult = GE_FAIL;
    EXPECT_EQ(parent.layer->DrawTree(nullptr), GE_FAIL);
    EXPECT_EQ(tracer.calls, (std::vector<std::string>{"begin:root"}));

    // Unbinding clears the callbacks.
    tracer.calls.clear();
    parent.SetListener(&tracer, false);
    tracer.beginResult = GE_OK;
    parent.layer->DrawTree(nullptr);
    EXPECT_TRUE(tracer.calls.empty());
    parent.Remove(&child, false);
}

TEST(LayerDraw, OpacityChainsThroughTheTree)
{
    layer::Layer root, mid, leaf;
    root.AddChild(&mid);
    mid.AddChild(&leaf);
    root.opacity = 0.5f;
    mid.opacity = 0.5f;
    leaf.opacity = 0.8f;
    root.DrawTree(nullptr);
    EXPECT_FLOAT_EQ(leaf.effectiveOpacity, 0.2f);
    // Without the chain a layer multiplies only the parent's base opacity.
    leaf.opacityChain = false;
    root.DrawTree(nullptr);
    EXPECT_FLOAT_EQ(leaf.effectiveOpacity, 0.4f);
    // A fully transparent parent makes its children draw with alpha 0.
    leaf.opacityChain = true;
    root.opacity = 0.0f;
    root.DrawTree(nullptr);
    EXPECT_FLOAT_EQ(leaf.effectiveOpacity, 0.0f);
    mid.RemoveChild(&leaf);
    root.RemoveChild(&mid);
}

TEST(LayerDraw, WorldTransformAppendsTheParents)
{
    layer::Layer root, child;
    root.AddChild(&child);
    root.SetPosition(100, 50, 0);
    root.SetScale(2, 2, 1);
    child.SetPosition(10, 0, 0);
    child.SetRotation(0, 0, std::numbers::pi_v<float> / 2);
    root.DrawTree(nullptr);
    math::Point3 p{5, 0, 0};
    child.transform.TransformPoint(&p);
    // (5, 0) rotated to (0, 5), moved to (10, 5), scaled to (20, 10), moved to (120, 60).
    EXPECT_NEAR(p.x, 120.0f, 1e-3f);
    EXPECT_NEAR(p.y, 60.0f, 1e-3f);
    // Moving the parent alone moves the child at the next draw.
    root.SetX(0);
    root.DrawTree(nullptr);
    p = math::Point3{5, 0, 0};
    child.transform.TransformPoint(&p);
    EXPECT_NEAR(p.x, 20.0f, 1e-3f);
    root.RemoveChild(&child);
}

TEST(WidgetTypeId, DerivedRecordsNumberThemselvesPerDepth)
{
    widget::TypeId root;
    widget::TypeId a = widget::MakeDerivedTypeId(root);
    widget::TypeId b = widget::MakeDerivedTypeId(root);
    widget::TypeId a1 = widget::MakeDerivedTypeId(a);
    widget::TypeId a11 = widget::MakeDerivedTypeId(a1);
    widget::TypeId a111 = widget::MakeDerivedTypeId(a11);
    widget::TypeId a1111 = widget::MakeDerivedTypeId(a111);
    struct Case {
        widget::TypeId id;
        u32 expectedId, expectedDepth;
    } cases[] = {
        {a, 1, 1}, {b, 2, 1}, {a1, 0x0101, 2}, {a11, 0x010101, 3}, {a111, 0x01010101, 4}, {a1111, 0, 5},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.id.id, c.expectedId);
        EXPECT_EQ(c.id.depth, c.expectedDepth);
    }
    EXPECT_EQ(root.childCounter, 2);
}

} // namespace
