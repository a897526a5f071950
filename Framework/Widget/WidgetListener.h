#pragma once
// How a widget talks to the application: updates, draw hooks, attach and detach
// notices, hover and disabled changes, keys, and pointer events while it holds the
// capture.
#include "Core/Base/Types.h"
#include "Core/Render/Math/Point4.h"
#include "Framework/Layer/LayerAccess.h"

namespace render {
class Graphics;
}
namespace layer {
class Layer;
}

namespace widget {

struct CaptureInfo;

class WidgetListener : public layer::LayerAccess {
public:
    virtual GEResultEnum OnUpdate(float) { return GE_OK; }
    virtual GEResultEnum OnDrawBegin(render::Graphics*, layer::Layer*) { return GE_OK; }
    virtual GEResultEnum OnDrawEnd(render::Graphics*, layer::Layer*) { return GE_OK; }
    virtual GEResultEnum OnAttachedToFrame() { return GE_OK; }
    virtual GEResultEnum OnDetachedFromFrame() { return GE_OK; }
    virtual GEResultEnum OnAttachedToManager() { return GE_OK; }
    virtual GEResultEnum OnDetachedFromManager() { return GE_OK; }
    virtual GEResultEnum OnHoverChange(bool) { return GE_OK; }
    // The pointer entered or left the subtree below the widget.
    virtual GEResultEnum OnChildHoverChange(bool) { return GE_OK; }
    virtual GEResultEnum OnDisabledChange(bool) { return GE_OK; }
    // Sent instead of OnDisabledChange when the widget's notify mode is set.
    virtual GEResultEnum OnInheritedDisabledChange(bool) { return GE_OK; }
    virtual GEResultEnum OnKeyDown(int) { return GE_OK; }
    virtual GEResultEnum OnKeyUp(int) { return GE_OK; }
    virtual GEResultEnum OnChar(wchar_t) { return GE_OK; }

    // Pointer events while the widget holds the capture. `point` is in the captured
    // layer's parent space when the record's capture flag is set, else in its own.
    virtual GEResultEnum OnCapturedMouseDown(const CaptureInfo&, const math::Point3&, int) { return GE_OK; }
    // Ends the capture and re-sends a move so that hover follows the pointer again.
    virtual GEResultEnum OnCapturedMouseUp(const CaptureInfo& capture, const math::Point3& point, int button);
    virtual GEResultEnum OnCapturedMouseDoubleClick(const CaptureInfo&, const math::Point3&, int)
    {
        return GE_OK;
    }
    virtual GEResultEnum OnCapturedMouseMove(const CaptureInfo& capture, const math::Point3& point);
    virtual GEResultEnum OnCapturedMouseDrag(const CaptureInfo& capture, const math::Point3& point);
    virtual GEResultEnum OnCapturedMouseWheel(const CaptureInfo&, const math::Point3&, int) { return GE_OK; }
};

} // namespace widget
