#pragma once
// Drives a button: as its widget listener it follows hover, disabled changes and the
// captured release; as the hit-test listener of its layers it takes the press. It
// keeps the button's visual state and clicks when the pointer is released over it.
#include "Framework/Widget/WidgetHitTestListener.h"
#include "Framework/Widget/WidgetListener.h"

namespace widget {

class Button;

class ButtonMediator : public WidgetListener, public WidgetHitTestListener {
public:
    ButtonMediator() = default;

    // Becomes the button's listener (draw hooks bound) and mediator; with `owned` the
    // button deletes this mediator.
    virtual void SetButton(Button* newButton, bool owned);
    // Shows the state; nothing in the base (skinned buttons show the matching layer).
    virtual GEResultEnum SetVisualState(int) { return GE_OK; }

    // WidgetListener
    GEResultEnum OnHoverChange(bool hovered) override;
    GEResultEnum OnDisabledChange(bool disabled) override;
    GEResultEnum OnCapturedMouseUp(const CaptureInfo& capture, const math::Point3& point,
                                   int button) override;

    // WidgetHitTestListener
    GEResultEnum OnWidgetMouseDown(const math::Point3& point, const layer::OnMouseDown& event) override;
    // {button, the button's own layer, point, capture flag set}.
    GEResultEnum GetCaptureInfo(const math::Point3& point, CaptureInfo* out) override;

    Button* button = nullptr;

protected:
    // Moves the button to `target` through SetVisualState when it differs; the button
    // keeps the new value only when showing it succeeded.
    GEResultEnum ChangeState(int target);
};

} // namespace widget
