#include "Framework/Widget/DialogAnimEffects.h"
#include "Core/Base/Log.h"
#include "Framework/Animation/AnimData.h"
#include "Framework/Animation/LayerAnim.h"
#include "Framework/Widget/Dialog.h"
#include "Framework/Widget/DialogAnimEffectsData.h"

namespace widget {

DialogAnimEffects::DialogAnimEffects() = default;

// The layer animation goes before the animations it reads.
DialogAnimEffects::~DialogAnimEffects()
{
    anim.reset();
}

GEResultEnum DialogAnimEffects::SetDialog(Dialog*)
{
    return GE_FAIL;
}

GEResultEnum DialogAnimEffects::Setup(Dialog* target, DialogAnimEffectsData* data)
{
    dialog = target;
    if (!data)
        return GE_FAIL;
    if (data->preload) {
        showAnim = data->showAnim;
        hideAnim = data->hideAnim;
    } else {
        if (const GEResultEnum result = LoadDialogAnimation(data->showAnimName, showAnim))
            return result;
        if (const GEResultEnum result = LoadDialogAnimation(data->hideAnimName, hideAnim))
            return result;
    }
    for (const auto* handle : {&showAnim, &hideAnim}) {
        if (!*handle || (*handle)->objects.size() != 1) {
            GE_LOG(L"Dialog effects: animation '%s' must hold exactly one object.\n")
                << (*handle ? (*handle)->name : std::wstring());
            return GE_FAIL;
        }
    }
    return GE_OK;
}

GEResultEnum DialogAnimEffects::Start(animation::AnimData* data, u32 newState)
{
    if (!data || data->objects.empty() || !dialog || !dialog->layer)
        return GE_FAIL;
    anim = std::make_unique<animation::LayerAnim>(dialog->layer, data->objects.front().get());
    time = data->startTime;
    endTime = data->endTime;
    anim->Apply(time);
    state = newState;
    return GE_OK;
}

GEResultEnum DialogAnimEffects::Show()
{
    return Start(showAnim.Get(), kShowing);
}

GEResultEnum DialogAnimEffects::Hide()
{
    if (state == kShowing) {
        hideRequested = 1;
        return GE_OK;
    }
    // A hide that runs or has run is not started again.
    if (state == kHiding || state == kHidden)
        return GE_OK;
    return Start(hideAnim.Get(), kHiding);
}

GEResultEnum DialogAnimEffects::Tick(float dt)
{
    if ((state != kShowing && state != kHiding) || !anim)
        return GE_OK;
    time += dt;
    // Also ends an animation whose end time is not a number.
    const bool ended = !(time < endTime);
    if (ended)
        time = endTime;
    anim->Apply(time);
    if (!ended)
        return GE_OK;
    anim.reset();

    if (state == kShowing) {
        state = kShown;
        if (dialog) {
            if (const GEResultEnum result = dialog->OnShown())
                return result;
        }
        if (hideRequested) {
            hideRequested = 0;
            return Hide();
        }
        return GE_OK;
    }

    state = kHidden;
    const GEResultEnum result = dialog ? dialog->Close() : GE_OK;
    // Stopped whatever Close said: nothing is left to play.
    base::Task::Stop();
    return result;
}

} // namespace widget
