#include "Framework/Widget/TrapHitTestListener.h"
#include "Framework/Widget/Frame.h"
#include "Framework/Widget/FrameManager.h"

namespace widget {

GEResultEnum TrapHitTestListener::ActivateOwnerFrame()
{
    state = layer::kHitTaken;
    if (!owner || !owner->frame || !owner->frame->manager)
        return GE_OK;
    return owner->frame->manager->ActivateFrame(owner->frame);
}

GEResultEnum TrapHitTestListener::ClearHover()
{
    state = layer::kHitTaken;
    if (!owner || !owner->frame)
        return GE_OK;
    return owner->frame->SetHoverWidget(nullptr);
}

GEResultEnum TrapHitTestListener::OnMouseDown(layer::HitTestParam&, const layer::OnMouseDown&)
{
    return ActivateOwnerFrame();
}

GEResultEnum TrapHitTestListener::OnMouseUp(layer::HitTestParam&, const layer::OnMouseUp&)
{
    state = layer::kHitTaken;
    return GE_OK;
}

GEResultEnum TrapHitTestListener::OnMouseDoubleClick(layer::HitTestParam&, const layer::OnMouseDown&)
{
    return ActivateOwnerFrame();
}

GEResultEnum TrapHitTestListener::OnMouseMove(layer::HitTestParam&)
{
    return ClearHover();
}

GEResultEnum TrapHitTestListener::OnMouseDrag(layer::HitTestParam&)
{
    return ClearHover();
}

GEResultEnum TrapHitTestListener::OnMouseWheel(layer::HitTestParam&, const layer::OnMouseWheel&)
{
    state = layer::kHitTaken;
    return GE_OK;
}

} // namespace widget
