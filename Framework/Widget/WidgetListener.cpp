#include "Framework/Widget/WidgetListener.h"
#include "Framework/Layer/Layer.h"
#include "Framework/Widget/Frame.h"
#include "Framework/Widget/FrameManager.h"

namespace widget {

GEResultEnum WidgetListener::OnCapturedMouseUp(const CaptureInfo& capture, const math::Point3&, int)
{
    Widget* widget = capture.widget;
    if (!widget)
        return GE_OK;
    FrameManager* manager = widget->frame ? widget->frame->manager : nullptr;
    if (!manager) {
        widget->pressed = false;
        return GE_OK;
    }
    manager->DropCapture(widget);
    // Hover follows the pointer again.
    return manager->OnMouseMove(manager->lastPointer);
}

GEResultEnum WidgetListener::OnCapturedMouseMove(const CaptureInfo& capture, const math::Point3& point)
{
    Widget* widget = capture.widget;
    if (!widget || !widget->enabled)
        return GE_OK;
    bool taken = false;
    return layer::TestMove(widget->layer, point, &taken);
}

GEResultEnum WidgetListener::OnCapturedMouseDrag(const CaptureInfo& capture, const math::Point3& point)
{
    Widget* widget = capture.widget;
    if (!widget || !widget->enabled)
        return GE_OK;
    if (widget->frame && widget->frame->layer)
        widget->frame->layer->Update();
    bool taken = false;
    if (GEResultEnum result = layer::TestDrag(widget->layer, point, &taken))
        return result;
    if (!taken && widget->frame)
        return widget->frame->SetHoverWidget(nullptr);
    return GE_OK;
}

} // namespace widget
