#pragma once
// What the skinned controls share: the dialog's layered image lent to a control's
// helper, amounts that approach a target at a fixed rate, and transform writes
// skipped while nothing visibly changes.
#include "Core/File/ImageContainer.h"
#include "Framework/Gui/GameControlHelper.h"
#include "Framework/Layer/Layer.h"
#include "Framework/Widget/Button.h"
#include "Framework/Widget/ButtonMediator.h"
#include <cmath>

namespace skin {

// The control's helper works on the owner dialog's image without owning it; the
// control gives it back (ReturnContainer) before its helper part is destroyed.
inline void LendContainer(gui::GameControlHelper& helper, file::ImageContainer* skin, widget::Widget* owner,
                          layer::Layer* root, layer::HitTestListener* listener)
{
    helper.container.release();
    helper.container.reset(skin);
    helper.containerOpen = skin != nullptr;
    helper.ownerWidget = owner;
    helper.rootLayer = root;
    helper.hitListener = listener;
}

// A skinned button drives itself: its mediator is its own, its layer is the control,
// and its helper works on the owner's image (steps 1 to 3 of every skinned button).
template <class SkinnedButton> void WireButton(SkinnedButton* button, file::ImageContainer* skin)
{
    button->SetButton(button, false);
    button->SetLayer(static_cast<gui::GameControl*>(button), false);
    button->SetListener(static_cast<widget::ButtonMediator*>(button), false);
    LendContainer(*button, skin, button, button, static_cast<widget::WidgetHitTestListener*>(button));
}

// The visual state shown by which image takes hits: the resting one in state 0, the
// highlight in states 1 and 2; other states change nothing.
inline void ShowHitState(layer::Layer* resting, layer::Layer* highlight, int state)
{
    if (!resting || !highlight)
        return;
    if (state == widget::kButtonNormal) {
        resting->hitEnabled = true;
        highlight->hitEnabled = false;
    } else if (state == widget::kButtonOver || state == widget::kButtonPressed) {
        resting->hitEnabled = false;
        highlight->hitEnabled = true;
    }
}

inline void ReturnContainer(gui::GameControlHelper& helper)
{
    helper.container.release();
    helper.containerOpen = false;
}

// Moves `value` by `step` toward `target`, snapping when it is closer than a step.
inline float StepToward(float value, float target, float step)
{
    const float distance = target - value;
    if (std::fabs(distance) < step)
        return target;
    return distance > 0.0f ? value + step : value - step;
}

// Writes a uniform x/y scale only when a component differs by more than the
// tolerance, so that a resting control never marks its transform dirty. The depth
// scale is kept: these are flat layers.
inline void SetUniformScale(layer::Drawable& drawable, float s)
{
    if (std::fabs(drawable.scale.x - s) > layer::kBoundsTolerance ||
        std::fabs(drawable.scale.y - s) > layer::kBoundsTolerance)
        drawable.SetScale(s, s, drawable.scale.z);
}

} // namespace skin
