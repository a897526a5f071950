#include "Framework/Layer/Layer.h"
#include <algorithm>
#include <cmath>

namespace layer {

namespace {

bool Rotated(float angle)
{
    return std::fabs(angle) > kBoundsTolerance;
}

// Which child-event bit each event kind answers to.
template <typename Event> constexpr u32 ChildBit();
template <> constexpr u32 ChildBit<OnMouseDown>()
{
    return kChildMouseDown;
}
template <> constexpr u32 ChildBit<OnMouseUp>()
{
    return kChildMouseUp;
}
template <> constexpr u32 ChildBit<OnMouseMove>()
{
    return kChildMouseMove;
}
template <> constexpr u32 ChildBit<OnMouseDrag>()
{
    return kChildMouseDrag;
}
template <> constexpr u32 ChildBit<OnMouseWheel>()
{
    return kChildMouseWheel;
}

template <typename Event>
GEResultEnum NotifyOne(HitTestContext<Event>& context, Layer* layer, const HitTestLevel& level,
                       bool childEvent, bool takenBelow)
{
    HitTestParam param;
    param.acceptingLayer = context.acceptingLayer;
    param.acceptingPoint = context.hitPoint;
    param.notifiedLayer = layer;
    param.notifiedPoint = level.point ? *level.point : math::Point3{};
    param.listener = level.listener;
    param.state = context.state;
    param.childEvent = childEvent;
    param.takenBelow = takenBelow;
    if (GEResultEnum result = (*context.hook)(param, *context.event))
        return result;
    context.state = param.state;
    if (context.state == kHitClaimed)
        context.claimingLayer = layer;
    return GE_OK;
}

template <typename Event>
GEResultEnum Notify(HitTestContext<Event>& context, Layer* layer, const HitTestLevel& level, bool childEvent,
                    bool takenBelow)
{
    if (GEResultEnum result = NotifyOne(context, layer, level, childEvent, takenBelow))
        return result;
    // Ancestors that asked for their descendants' events of this kind, nearest first.
    bool takenSeen = false;
    for (HitTestLevel* above = level.enclosing; above; above = above->enclosing) {
        if (!above->listener || !(above->listener->childEvents & ChildBit<Event>()))
            continue;
        takenSeen = takenSeen || context.state == kHitTaken;
        NotifyOne(context, above->layer, *above, true, takenSeen ? true : takenBelow);
    }
    return GE_OK;
}

bool InsideParentBounds(const math::BoundingBox& box, const math::Point3& p)
{
    return !(p.x < box.min.x || p.x >= box.max.x || p.y < box.min.y || p.y >= box.max.y || p.z < box.min.z);
}

bool InsideLocalBounds(const math::BoundingBox& box, const math::Point3& p)
{
    return box.min.x <= p.x && p.x < box.max.x && box.min.y <= p.y && p.y < box.max.y && p.z <= box.min.z;
}

template <typename Event> GEResultEnum Walk(Layer* layer, HitTestLevel& in, HitTestContext<Event>& context)
{
    if (!layer->visible || (!layer->hitEnabled && !layer->childrenHitTestable))
        return GE_OK;
    const math::Point3 point = in.point ? *in.point : math::Point3{};
    if (!InsideParentBounds(layer->parentBounds, point))
        return GE_OK;

    math::Point3 local;
    HitTestLevel level;
    level.point = &local;
    level.layer = layer;
    level.listener = layer->hitListener;
    level.enclosing = in.listener ? &in : in.enclosing;

    if (!layer->IsRotatedXY()) {
        local = layer->ToLocal(point);
        // Index walk: a listener may not change the tree, but a stale index must not
        // read past the end if one does.
        for (size_t i = layer->children.size(); i-- > 0;) {
            if (i >= layer->children.size())
                continue;
            if (GEResultEnum result = Walk(layer->children[i], level, context))
                return result;
            if (context.state == kHitTaken)
                return GE_OK;
            if (context.state == kHitClaimed) {
                if (context.claimingLayer != layer)
                    return GE_OK;
                context.state = kHitNotTaken;
                context.claimingLayer = nullptr;
                break;
            }
        }
        if (context.state == kHitClaimed)
            context.state = kHitNotTaken;
    }

    if (!layer->hitListener && !level.enclosing)
        return GE_OK;
    if (!layer->hasLocalBounds || !InsideLocalBounds(layer->localBounds, local) || !layer->hitEnabled ||
        !layer->HitTestPoint(local))
        return GE_OK;

    context.state = kHitTaken;
    context.hitPoint = local;
    context.acceptingLayer = layer;
    context.claimingLayer = nullptr;
    if (layer->hitListener)
        return Notify(context, layer, level, false, false);
    return Notify(context, level.enclosing->layer, *level.enclosing, false, false);
}

template <typename Event>
GEResultEnum TestSubtree(Layer* layer, const math::Point3& point, bool* taken,
                         const HitTestHookHandle<Event>& hook)
{
    if (taken)
        *taken = false;
    if (!layer || !hook)
        return GE_OK;
    layer->Update();
    Event event;
    event.x = point.x;
    event.y = point.y;
    event.z = point.z;
    math::Point3 p = point;
    HitTestLevel top;
    top.point = &p;
    top.layer = layer;
    HitTestContext<Event> context;
    context.event = &event;
    context.hook = hook.get();
    GEResultEnum result = Walk(layer, top, context);
    if (taken)
        *taken = context.state == kHitTaken;
    return result;
}

void Widen(math::BoundingBox& box, const math::BoundingBox& other)
{
    box.min.x = std::min(box.min.x, other.min.x);
    box.min.y = std::min(box.min.y, other.min.y);
    box.min.z = std::min(box.min.z, other.min.z);
    box.max.x = std::max(box.max.x, other.max.x);
    box.max.y = std::max(box.max.y, other.max.y);
    box.max.z = std::max(box.max.z, other.max.z);
}

} // namespace

Layer::~Layer()
{
    for (Layer* child : children)
        child->parent = nullptr;
    if (parent)
        parent->RemoveChild(this);
}

void Layer::UpdateBounds() {}

bool Layer::HitTestPoint(const math::Point3&)
{
    return false;
}

void Layer::GetChildrenEnd(ChildList::const_iterator* out) const
{
    *out = children.end();
}

void Layer::GetChildren(ChildList::const_iterator* out) const
{
    *out = children.begin();
}

void Layer::Adopt(Layer* child)
{
    if (child->parent)
        child->parent->RemoveChild(child);
    if (transformChanged)
        child->parentChanged = true;
    child->parent = this;
    childrenChanged = true;
}

void Layer::AddChild(Layer* child)
{
    if (!child || child == this)
        return;
    Adopt(child);
    children.push_back(child);
}

void Layer::InsertChild(Layer* child)
{
    if (!child || child == this)
        return;
    Adopt(child);
    children.insert(children.begin(), child);
}

void Layer::RemoveChild(Layer* child)
{
    auto it = std::find(children.begin(), children.end(), child);
    if (it == children.end())
        return;
    children.erase(it);
    child->parent = nullptr;
    childrenChanged = true;
}

void Layer::RebuildTransform()
{
    if (!transformChanged && !parentChanged)
        return;
    transform.Reset();
    if (scale.x != 1.0f || scale.y != 1.0f || scale.z != 1.0f)
        transform.Scale(scale.x, scale.y, scale.z);
    if (rotation.x != 0.0f || rotation.y != 0.0f || rotation.z != 0.0f)
        transform.Rotate(rotation.x, rotation.y, rotation.z);
    if (position.x != 0.0f || position.y != 0.0f || position.z != 0.0f)
        transform.Translate(position.x, position.y, position.z);
    if (parent)
        transform.Append(parent->transform);
    transformChanged = true;
    for (Layer* child : children)
        child->parentChanged = true;
    parentChanged = false;
}

GEResultEnum Layer::DrawSelf(render::Graphics* g)
{
    RebuildTransform();
    if (opacityChain) {
        baseOpacity = opacity;
        effectiveOpacity = opacity * (parent ? parent->effectiveOpacity : 1.0f);
    } else {
        baseOpacity = parent ? parent->baseOpacity : 1.0f;
        effectiveOpacity = opacity * baseOpacity;
    }
    return Draw(g);
}

GEResultEnum Layer::DrawTree(render::Graphics* g)
{
    if (!visible)
        return GE_OK;
    if (preDraw) {
        if (GEResultEnum result = (*preDraw)(g, this))
            return result;
    }
    if (GEResultEnum result = DrawSelf(g))
        return result;
    for (size_t i = 0; i < children.size(); ++i) {
        if (GEResultEnum result = children[i]->DrawTree(g))
            return result;
    }
    if (postDraw)
        return (*postDraw)(g, this);
    return GE_OK;
}

bool Layer::Update()
{
    bool changed = false;
    if (hasLocalBounds && !localBoundsValid) {
        UpdateBounds();
        localBoundsValid = true;
        changed = true;
    }
    for (Layer* child : children) {
        if (child->Update())
            changed = true;
    }
    if (childrenChanged) {
        childrenChanged = false;
        changed = true;
    }
    if (!changed) {
        if (subtreeBoundsValid)
            return false;
        ComputeParentBounds();
        return true;
    }
    subtreeBounds.Reset();
    for (Layer* child : children)
        Widen(subtreeBounds, child->parentBounds);
    if (hasLocalBounds)
        Widen(subtreeBounds, localBounds);
    ComputeParentBounds();
    return true;
}

void Layer::ComputeParentBounds()
{
    subtreeBoundsValid = true;
    parentBounds = subtreeBounds;
    math::BoundingBox empty;
    if (BoxesEqual(parentBounds, empty))
        return;
    math::Point3& mn = parentBounds.min;
    math::Point3& mx = parentBounds.max;
    if (scale.x != 1.0f) {
        mn.x *= scale.x;
        mx.x *= scale.x;
    }
    if (scale.y != 1.0f) {
        mn.y *= scale.y;
        mx.y *= scale.y;
    }
    if (scale.z != 1.0f) {
        mn.z *= scale.z;
        mx.z *= scale.z;
    }
    // A negative (mirroring) scale swaps the ends of an axis; keep the box ordered.
    if (mn.x > mx.x)
        std::swap(mn.x, mx.x);
    if (mn.y > mx.y)
        std::swap(mn.y, mx.y);
    if (mn.z > mx.z)
        std::swap(mn.z, mx.z);

    if (Rotated(rotation.x) || Rotated(rotation.y)) {
        const math::Matrix4 e = math::Transform3D::EulerMatrix(rotation.x, rotation.y, rotation.z);
        math::BoundingBox rotatedBox;
        for (int i = 0; i < 8; ++i) {
            math::Point3 c;
            parentBounds.GetCorner(i, &c);
            const double x = double(c.x) * e.m[0][0] + double(c.y) * e.m[1][0] + double(c.z) * e.m[2][0];
            const double y = double(c.x) * e.m[0][1] + double(c.y) * e.m[1][1] + double(c.z) * e.m[2][1];
            const double z = double(c.x) * e.m[0][2] + double(c.y) * e.m[1][2] + double(c.z) * e.m[2][2];
            rotatedBox.AddPoint(math::Point3{float(x), float(y), float(z)});
        }
        parentBounds = rotatedBox;
    } else if (Rotated(rotation.z)) {
        const double c = std::cos(double(rotation.z)), s = std::sin(double(rotation.z));
        math::BoundingBox rotatedBox;
        const float xs[2] = {mn.x, mx.x}, ys[2] = {mn.y, mx.y};
        for (float cx : xs) {
            for (float cy : ys) {
                // Row-vector rotation, the same as the draw transform's.
                const double x = cx * c - cy * s;
                const double y = cx * s + cy * c;
                rotatedBox.AddPoint(math::Point3{float(x), float(y), mn.z});
            }
        }
        rotatedBox.max.z = mx.z;
        parentBounds = rotatedBox;
    }
    if (position.x != 0.0f) {
        parentBounds.min.x += position.x;
        parentBounds.max.x += position.x;
    }
    if (position.y != 0.0f) {
        parentBounds.min.y += position.y;
        parentBounds.max.y += position.y;
    }
    if (position.z != 0.0f) {
        parentBounds.min.z += position.z;
        parentBounds.max.z += position.z;
    }
}

bool Layer::IsRotatedXY() const
{
    return Rotated(rotation.x) || Rotated(rotation.y);
}

math::Point3 Layer::ToLocal(const math::Point3& p) const
{
    math::Point3 q{p.x - position.x, p.y - position.y, p.z - position.z};
    if (Rotated(rotation.z)) {
        const float c = std::cos(rotation.z), s = std::sin(rotation.z);
        q = math::Point3{q.x * c + q.y * s, q.y * c - q.x * s, q.z};
    }
    if (scale.x != 1.0f)
        q.x /= scale.x;
    if (scale.y != 1.0f)
        q.y /= scale.y;
    if (scale.z != 1.0f)
        q.z /= scale.z;
    return q;
}

math::Point3 Layer::GlobalToLocal(const math::Point3& p) const
{
    math::Point3 q = parent ? parent->GlobalToLocal(p) : p;
    if (IsRotatedXY())
        return q;
    return ToLocal(q);
}

GEResultEnum Layer::HitTestWalk(HitTestLevel& in, HitTestContext<OnMouseDown>& context)
{
    return context.hook ? Walk(this, in, context) : GE_OK;
}

GEResultEnum Layer::HitTestWalk(HitTestLevel& in, HitTestContext<OnMouseUp>& context)
{
    return context.hook ? Walk(this, in, context) : GE_OK;
}

GEResultEnum Layer::HitTestWalk(HitTestLevel& in, HitTestContext<OnMouseMove>& context)
{
    return context.hook ? Walk(this, in, context) : GE_OK;
}

GEResultEnum Layer::HitTestWalk(HitTestLevel& in, HitTestContext<OnMouseDrag>& context)
{
    return context.hook ? Walk(this, in, context) : GE_OK;
}

GEResultEnum Layer::HitTestWalk(HitTestLevel& in, HitTestContext<OnMouseWheel>& context)
{
    return context.hook ? Walk(this, in, context) : GE_OK;
}

GEResultEnum TestMove(Layer* layer, const math::Point3& point, bool* taken)
{
    return TestSubtree<OnMouseMove>(layer, point, taken, MouseMoveHook());
}

GEResultEnum TestDrag(Layer* layer, const math::Point3& point, bool* taken)
{
    return TestSubtree<OnMouseDrag>(layer, point, taken, MouseDragHook());
}

} // namespace layer
