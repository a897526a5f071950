#include "Framework/Widget/ButtonMediator.h"
#include "Framework/Widget/Button.h"
#include "Framework/Widget/FrameManager.h"

namespace widget {

void ButtonMediator::SetButton(Button* newButton, bool owned)
{
    button = newButton;
    owner = newButton;
    if (!newButton)
        return;
    newButton->SetListener(this, true);
    newButton->mediator = this;
    newButton->ownsMediator = owned;
}

GEResultEnum ButtonMediator::ChangeState(int target)
{
    if (!button || button->visualState == target)
        return GE_OK;
    if (GEResultEnum result = SetVisualState(target))
        return result;
    button->visualState = target;
    return GE_OK;
}

GEResultEnum ButtonMediator::OnHoverChange(bool hovered)
{
    if (!button)
        return GE_OK;
    int target = kButtonNormal;
    if (hovered && !button->CountsDisabled())
        target = button->pressed ? kButtonPressed : kButtonOver;
    return ChangeState(target);
}

GEResultEnum ButtonMediator::OnDisabledChange(bool disabled)
{
    if (!button)
        return GE_OK;
    if (disabled)
        return ChangeState(kButtonNormal);
    return ChangeState(button->hovered ? kButtonOver : kButtonNormal);
}

GEResultEnum ButtonMediator::OnCapturedMouseUp(const CaptureInfo& capture, const math::Point3& point,
                                               int pointerButton)
{
    // Ending the capture re-sends a move, which brings the hover back when the pointer
    // is still over the button.
    if (GEResultEnum result = WidgetListener::OnCapturedMouseUp(capture, point, pointerButton))
        return result;
    if (!button)
        return GE_OK;
    if (button->hovered) {
        if (GEResultEnum result = ChangeState(kButtonOver))
            return result;
        return button->Click();
    }
    return ChangeState(kButtonNormal);
}

GEResultEnum ButtonMediator::OnWidgetMouseDown(const math::Point3&, const layer::OnMouseDown&)
{
    return ChangeState(kButtonPressed);
}

GEResultEnum ButtonMediator::GetCaptureInfo(const math::Point3& point, CaptureInfo* out)
{
    *out = CaptureInfo{button, button ? button->layer : nullptr, point.x, point.y, point.z, true};
    return GE_OK;
}

} // namespace widget
