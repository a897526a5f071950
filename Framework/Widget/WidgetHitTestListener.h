#pragma once
// Sits on a widget's layer and turns the layer walk's pointer events into widget
// events, with frame activation, hover tracking, the disabled filter and capture. As a
// trap (TrapHitTestListener) it takes every event over its layer for the owner's frame
// and passes none on as a widget event.
#include "Framework/Layer/HitTestListener.h"

namespace widget {

class Widget;
struct CaptureInfo;

class WidgetHitTestListener : public layer::HitTestListener {
public:
    explicit WidgetHitTestListener(Widget* owner = nullptr) : owner(owner) {}

    GEResultEnum OnMouseDown(layer::HitTestParam& param, const layer::OnMouseDown& event) override;
    GEResultEnum OnMouseUp(layer::HitTestParam& param, const layer::OnMouseUp& event) override;
    GEResultEnum OnMouseDoubleClick(layer::HitTestParam& param, const layer::OnMouseDown& event) override;
    GEResultEnum OnMouseMove(layer::HitTestParam& param) override;
    GEResultEnum OnMouseDrag(layer::HitTestParam& param) override;
    GEResultEnum OnMouseWheel(layer::HitTestParam& param, const layer::OnMouseWheel& event) override;

    // The widget-level events; `point` is the notified layer's local point.
    virtual GEResultEnum OnWidgetMouseDown(const math::Point3&, const layer::OnMouseDown&) { return GE_OK; }
    virtual GEResultEnum OnWidgetMouseUp(const math::Point3&, const layer::OnMouseUp&) { return GE_OK; }
    virtual GEResultEnum OnWidgetMouseDoubleClick(const math::Point3&, const layer::OnMouseDown&)
    {
        return GE_OK;
    }
    virtual GEResultEnum OnWidgetMouseMove(const math::Point3&) { return GE_OK; }
    virtual GEResultEnum OnWidgetMouseDrag(const math::Point3&) { return GE_OK; }
    virtual GEResultEnum OnWidgetMouseWheel(const math::Point3&, const layer::OnMouseWheel&) { return GE_OK; }
    // Fills the capture taken by a press: {owner, notified layer, point, flag set}.
    virtual GEResultEnum GetCaptureInfo(const math::Point3& point, CaptureInfo* out);

    Widget* owner;

protected:
    struct TrapTag {};
    WidgetHitTestListener(Widget* owner, TrapTag) : owner(owner), trap(true) {}

    GEResultEnum ActivateOwnerFrame();
    // The owner becomes the frame's hover widget; over a trap the hover ends.
    GEResultEnum HoverOwner();
    bool OwnerDisabled() const;

private:
    // Whether the event goes on as a widget event: not for a disabled owner (the state
    // stays as the walk left it), never for a trap (the walk ends taken).
    bool PassesOn();

    bool trap = false;
};

} // namespace widget
