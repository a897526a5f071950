#pragma once
// A node of the retained drawing tree: children drawn first to last and hit-tested
// last to first, optional draw callbacks and a hit-test listener.
#include "Core/Base/Delegate.h"
#include "Framework/Layer/Drawable.h"
#include "Framework/Layer/HitTestListener.h"
#include <vector>

namespace layer {

class Layer;

using DrawCallback = base::Delegate2<render::Graphics*, Layer*, GEResultEnum>;
using DrawCallbackHandle = base::DelegateHandle<DrawCallback>;

class Layer : public Drawable {
public:
    using ChildList = std::vector<Layer*>;

    Layer() = default;
    // Children are not deleted, but they and the parent forget this layer, so that no
    // pointer to it is left behind.
    ~Layer() override;

    // Recomputes the local bounds; nothing in a bare layer.
    virtual void UpdateBounds();
    virtual GEResultEnum DrawTree(render::Graphics* g);
    // Whether a point in the layer's own space hits it (after the bounds test).
    virtual bool HitTestPoint(const math::Point3& local);
    virtual void GetChildrenEnd(ChildList::const_iterator* out) const;
    virtual void GetChildren(ChildList::const_iterator* out) const;

    // Appends the child as the top-most one, taking it from its old parent.
    void AddChild(Layer* child);
    // Inserts the child as the bottom-most one, taking it from its old parent.
    void InsertChild(Layer* child);
    // Removes the first occurrence; nothing happens when absent.
    void RemoveChild(Layer* child);

    void SetPreDrawCallback(const DrawCallbackHandle& callback) { preDraw = callback; }
    void SetPostDrawCallback(const DrawCallbackHandle& callback) { postDraw = callback; }

    // Brings the bounds of the subtree up to date; true when this layer's parent-space
    // bounds were recomputed.
    bool Update();

    // Parent-space point into this layer's space (rotation about z only).
    math::Point3 ToLocal(const math::Point3& p) const;
    // Root-space point into this layer's space.
    math::Point3 GlobalToLocal(const math::Point3& p) const;
    bool IsRotatedXY() const;

    GEResultEnum HitTestWalk(HitTestLevel& in, HitTestContext<OnMouseDown>& context);
    GEResultEnum HitTestWalk(HitTestLevel& in, HitTestContext<OnMouseUp>& context);
    GEResultEnum HitTestWalk(HitTestLevel& in, HitTestContext<OnMouseMove>& context);
    GEResultEnum HitTestWalk(HitTestLevel& in, HitTestContext<OnMouseDrag>& context);
    GEResultEnum HitTestWalk(HitTestLevel& in, HitTestContext<OnMouseWheel>& context);

    // Rebuilds the world transform when this layer or its parent moved.
    void RebuildTransform();
    // Transform rebuild, opacities, then slot Draw.
    GEResultEnum DrawSelf(render::Graphics* g);

    Layer* parent = nullptr;
    ChildList children;
    HitTestListener* hitListener = nullptr;
    DrawCallbackHandle preDraw;
    DrawCallbackHandle postDraw;
    bool parentChanged = false;
    bool opacityChain = true;
    float baseOpacity = 1.0f;
    float effectiveOpacity = 1.0f;
    bool childrenHitTestable = false;

private:
    void Adopt(Layer* child);
    void ComputeParentBounds();

    // The child list changed: the subtree union must be rebuilt at the next Update.
    bool childrenChanged = false;
};

// Update, then a move or drag walk over one subtree from a point in the layer's parent
// space with a fresh context; `taken` tells whether the walk ended taken.
GEResultEnum TestMove(Layer* layer, const math::Point3& point, bool* taken);
GEResultEnum TestDrag(Layer* layer, const math::Point3& point, bool* taken);

} // namespace layer
