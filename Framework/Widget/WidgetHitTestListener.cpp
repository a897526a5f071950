#include "Framework/Widget/WidgetHitTestListener.h"
#include "Framework/Widget/Frame.h"
#include "Framework/Widget/FrameManager.h"

namespace widget {

GEResultEnum WidgetHitTestListener::ActivateOwnerFrame()
{
    if (!owner || !owner->frame || !owner->frame->manager)
        return GE_OK;
    return owner->frame->manager->ActivateFrame(owner->frame);
}

GEResultEnum WidgetHitTestListener::HoverOwner()
{
    if (!owner || !owner->frame)
        return GE_OK;
    return owner->frame->SetHoverWidget(trap ? nullptr : owner);
}

bool WidgetHitTestListener::OwnerDisabled() const
{
    return !owner || owner->CountsDisabled();
}

bool WidgetHitTestListener::PassesOn()
{
    if (trap) {
        state = layer::kHitTaken;
        return false;
    }
    return !OwnerDisabled();
}

GEResultEnum WidgetHitTestListener::OnMouseDown(layer::HitTestParam&, const layer::OnMouseDown& event)
{
    if (GEResultEnum result = ActivateOwnerFrame())
        return result;
    // A disabled widget swallows the press: the state stays taken.
    if (!PassesOn())
        return GE_OK;
    if (owner->captureOnPress && owner->frame && owner->frame->manager) {
        CaptureInfo record;
        record.widget = nullptr;
        record.layer = nullptr;
        record.captureFlag = false;
        if (GEResultEnum result = GetCaptureInfo(localPoint, &record))
            return result;
        if (GEResultEnum result = owner->frame->manager->SetCapture(record))
            return result;
    }
    return OnWidgetMouseDown(localPoint, event);
}

GEResultEnum WidgetHitTestListener::OnMouseUp(layer::HitTestParam&, const layer::OnMouseUp& event)
{
    if (!PassesOn())
        return GE_OK;
    return OnWidgetMouseUp(localPoint, event);
}

GEResultEnum WidgetHitTestListener::OnMouseDoubleClick(layer::HitTestParam&, const layer::OnMouseDown& event)
{
    if (GEResultEnum result = ActivateOwnerFrame())
        return result;
    if (!PassesOn())
        return GE_OK;
    return OnWidgetMouseDoubleClick(localPoint, event);
}

GEResultEnum WidgetHitTestListener::OnMouseMove(layer::HitTestParam&)
{
    if (GEResultEnum result = HoverOwner())
        return result;
    if (!PassesOn())
        return GE_OK;
    return OnWidgetMouseMove(localPoint);
}

GEResultEnum WidgetHitTestListener::OnMouseDrag(layer::HitTestParam&)
{
    if (GEResultEnum result = HoverOwner())
        return result;
    if (!PassesOn())
        return GE_OK;
    return OnWidgetMouseDrag(localPoint);
}

GEResultEnum WidgetHitTestListener::OnMouseWheel(layer::HitTestParam&, const layer::OnMouseWheel& event)
{
    if (!PassesOn())
        return GE_OK;
    return OnWidgetMouseWheel(localPoint, event);
}

GEResultEnum WidgetHitTestListener::GetCaptureInfo(const math::Point3& point, CaptureInfo* out)
{
    *out = CaptureInfo{owner, notifiedLayer, point.x, point.y, point.z, true};
    return GE_OK;
}

} // namespace widget
