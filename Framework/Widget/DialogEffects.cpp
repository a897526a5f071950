#include "Framework/Widget/DialogEffects.h"
#include "Framework/Widget/Dialog.h"

namespace widget {

DialogEffects::DialogEffects() : base::Task(true, false, true, false) {}

DialogEffects::~DialogEffects()
{
    if (dialog && dialog->effects == this)
        dialog->effects = nullptr;
}

GEResultEnum DialogEffects::SetDialog(Dialog* target)
{
    dialog = target;
    return GE_OK;
}

GEResultEnum DialogEffects::Stop()
{
    base::Task::Stop();
    dialog = nullptr;
    return GE_OK;
}

} // namespace widget
