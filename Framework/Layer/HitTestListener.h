#pragma once
// Pointer events as the layer hit walk delivers them, and the listener that a layer
// carries to receive them.
#include "Core/Base/Delegate.h"
#include "Core/Base/Types.h"
#include "Core/Render/Math/Point4.h"

namespace layer {

class Layer;
class HitTestListener;

// Event records: the virtual-screen position (z = 0) and the button (1 left, 3 right)
// or the signed wheel delta. Double clicks travel as presses.
struct OnMouseDown {
    float x = 0.0f, y = 0.0f, z = 0.0f;
    int button = 0;
};
struct OnMouseUp {
    float x = 0.0f, y = 0.0f, z = 0.0f;
    int button = 0;
};
struct OnMouseMove {
    float x = 0.0f, y = 0.0f, z = 0.0f;
};
struct OnMouseDrag {
    float x = 0.0f, y = 0.0f, z = 0.0f;
};
struct OnMouseWheel {
    float x = 0.0f, y = 0.0f, z = 0.0f;
    int delta = 0;
};

// Walk states.
enum HitTestState : int {
    kHitTaken = 0,    // stop: nothing below is tried
    kHitNotTaken = 1, // go on to earlier siblings, then the parent itself
    kHitClaimed = 2,  // an ancestor wants the event for its own layer
};

// Bits of HitTestListener::childEvents: which descendants' events a listener asks for.
enum ChildEventBits : u32 {
    kChildMouseDown = 0x01,
    kChildMouseUp = 0x02,
    kChildMouseMove = 0x08,
    kChildMouseDrag = 0x10,
    kChildMouseWheel = 0x20,
};

// The record handed to a hook, built per notification.
struct HitTestParam {
    Layer* acceptingLayer = nullptr;
    math::Point3 acceptingPoint;
    Layer* notifiedLayer = nullptr;
    math::Point3 notifiedPoint;
    HitTestListener* listener = nullptr;
    int state = kHitNotTaken;
    bool childEvent = false;
    bool takenBelow = false;
};

class HitTestListener {
public:
    virtual ~HitTestListener() = default;
    virtual GEResultEnum OnMouseDown(HitTestParam&, const layer::OnMouseDown&) { return GE_OK; }
    virtual GEResultEnum OnMouseUp(HitTestParam&, const layer::OnMouseUp&) { return GE_OK; }
    // No walk delivers double clicks as such; they arrive as presses.
    virtual GEResultEnum OnMouseDoubleClick(HitTestParam&, const layer::OnMouseDown&) { return GE_OK; }
    virtual GEResultEnum OnMouseMove(HitTestParam&) { return GE_OK; }
    virtual GEResultEnum OnMouseDrag(HitTestParam&) { return GE_OK; }
    virtual GEResultEnum OnMouseWheel(HitTestParam&, const layer::OnMouseWheel&) { return GE_OK; }
    virtual GEResultEnum OnChildMouseDown(HitTestParam&, const layer::OnMouseDown&) { return GE_OK; }
    virtual GEResultEnum OnChildMouseUp(HitTestParam&, const layer::OnMouseUp&) { return GE_OK; }
    virtual GEResultEnum OnChildMouseDoubleClick(HitTestParam&, const layer::OnMouseDown&) { return GE_OK; }
    virtual GEResultEnum OnChildMouseMove(HitTestParam&) { return GE_OK; }
    virtual GEResultEnum OnChildMouseDrag(HitTestParam&) { return GE_OK; }
    virtual GEResultEnum OnChildMouseWheel(HitTestParam&, const layer::OnMouseWheel&) { return GE_OK; }

    // Filled by the default hook handlers before each call. A listener steers the
    // walk through `state`: left at 0 the event is taken, 1 lets it pass, 2 claims it.
    Layer* acceptingLayer = nullptr;
    Layer* notifiedLayer = nullptr;
    math::Point3 localPoint;
    int state = kHitNotTaken;
    bool takenBelow = false;
    u32 childEvents = 0;
};

template <typename Event>
using HitTestHook = base::StaticDelegate2<HitTestParam&, const Event&, GEResultEnum>;
template <typename Event> using HitTestHookHandle = base::DelegateHandle<HitTestHook<Event>>;

// The process-wide hooks, created on first use and bound to the default handlers.
// A walk whose hook handle is empty does nothing.
HitTestHookHandle<OnMouseDown>& MouseDownHook();
HitTestHookHandle<OnMouseUp>& MouseUpHook();
HitTestHookHandle<OnMouseMove>& MouseMoveHook();
HitTestHookHandle<OnMouseDrag>& MouseDragHook();
HitTestHookHandle<OnMouseWheel>& MouseWheelHook();

// Copy the param into the listener's fields, call its direct or child slot, and copy
// its state back into the param.
GEResultEnum DefaultMouseDown(HitTestParam& param, const OnMouseDown& event);
GEResultEnum DefaultMouseUp(HitTestParam& param, const OnMouseUp& event);
GEResultEnum DefaultMouseMove(HitTestParam& param, const OnMouseMove& event);
GEResultEnum DefaultMouseDrag(HitTestParam& param, const OnMouseDrag& event);
GEResultEnum DefaultMouseWheel(HitTestParam& param, const OnMouseWheel& event);

// One record per visited layer, on the stack.
struct HitTestLevel {
    math::Point3* point = nullptr;
    Layer* layer = nullptr;
    HitTestListener* listener = nullptr;
    // Nearest enclosing record whose layer has a listener.
    HitTestLevel* enclosing = nullptr;
};

// The state of one walk.
template <typename Event> struct HitTestContext {
    const Event* event = nullptr;
    const HitTestHook<Event>* hook = nullptr;
    int state = kHitNotTaken;
    math::Point3 hitPoint;
    Layer* acceptingLayer = nullptr;
    Layer* claimingLayer = nullptr;
};

} // namespace layer
