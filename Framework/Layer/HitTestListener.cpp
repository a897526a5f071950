#include "Framework/Layer/HitTestListener.h"

namespace layer {

namespace {

void CopyIn(HitTestParam& param)
{
    HitTestListener* listener = param.listener;
    listener->acceptingLayer = param.acceptingLayer;
    listener->notifiedLayer = param.notifiedLayer;
    listener->localPoint = param.notifiedPoint;
    listener->state = param.state;
    listener->takenBelow = param.takenBelow;
}

template <typename Call> GEResultEnum Deliver(HitTestParam& param, Call call)
{
    if (!param.listener)
        return GE_OK;
    CopyIn(param);
    if (GEResultEnum result = call(*param.listener))
        return result;
    param.state = param.listener->state;
    return GE_OK;
}

template <typename Event>
HitTestHookHandle<Event>& MakeHook(GEResultEnum (*handler)(HitTestParam&, const Event&))
{
    static HitTestHookHandle<Event> hook = std::make_shared<HitTestHook<Event>>(handler);
    return hook;
}

} // namespace

GEResultEnum DefaultMouseDown(HitTestParam& param, const OnMouseDown& event)
{
    return Deliver(param, [&](HitTestListener& l) {
        return param.childEvent ? l.OnChildMouseDown(param, event) : l.OnMouseDown(param, event);
    });
}

GEResultEnum DefaultMouseUp(HitTestParam& param, const OnMouseUp& event)
{
    return Deliver(param, [&](HitTestListener& l) {
        return param.childEvent ? l.OnChildMouseUp(param, event) : l.OnMouseUp(param, event);
    });
}

GEResultEnum DefaultMouseMove(HitTestParam& param, const OnMouseMove&)
{
    return Deliver(param, [&](HitTestListener& l) {
        return param.childEvent ? l.OnChildMouseMove(param) : l.OnMouseMove(param);
    });
}

GEResultEnum DefaultMouseDrag(HitTestParam& param, const OnMouseDrag&)
{
    return Deliver(param, [&](HitTestListener& l) {
        return param.childEvent ? l.OnChildMouseDrag(param) : l.OnMouseDrag(param);
    });
}

GEResultEnum DefaultMouseWheel(HitTestParam& param, const OnMouseWheel& event)
{
    return Deliver(param, [&](HitTestListener& l) {
        return param.childEvent ? l.OnChildMouseWheel(param, event) : l.OnMouseWheel(param, event);
    });
}

HitTestHookHandle<OnMouseDown>& MouseDownHook()
{
    return MakeHook<OnMouseDown>(&DefaultMouseDown);
}

HitTestHookHandle<OnMouseUp>& MouseUpHook()
{
    return MakeHook<OnMouseUp>(&DefaultMouseUp);
}

HitTestHookHandle<OnMouseMove>& MouseMoveHook()
{
    return MakeHook<OnMouseMove>(&DefaultMouseMove);
}

HitTestHookHandle<OnMouseDrag>& MouseDragHook()
{
    return MakeHook<OnMouseDrag>(&DefaultMouseDrag);
}

HitTestHookHandle<OnMouseWheel>& MouseWheelHook()
{
    return MakeHook<OnMouseWheel>(&DefaultMouseWheel);
}

} // namespace layer
