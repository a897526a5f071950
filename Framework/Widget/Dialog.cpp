#include "Framework/Widget/Dialog.h"
#include "Core/Base/Log.h"
#include "Core/Base/StringEncoding.h"
#include "Framework/Layer/RectHitLayer.h"
#include "Framework/Widget/DialogEffects.h"
#include "Framework/Widget/DialogEffectsManager.h"
#include "Framework/Widget/FrameManager.h"

namespace widget {

Dialog::Dialog() : WidgetHitTestListener(this)
{
    SetListener(this, true);
    hitLayer->hitListener = static_cast<WidgetHitTestListener*>(this);
}

Dialog::~Dialog()
{
    DropEffects();
}

void Dialog::DropEffects()
{
    if (DialogEffects* old = effects) {
        effects = nullptr;
        old->Stop();
    }
}

GEResultEnum Dialog::Close()
{
    if (!manager) {
        GE_LOG(L"Dialog '%s' cannot close: it is not shown.\n") << ConvertToWide(name);
        return GE_FAIL;
    }
    manager->QueueRemove(FrameRemoveRecord{this, deleteOnClose});
    return GE_OK;
}

GEResultEnum Dialog::Hide(bool deleteAfterClose)
{
    deleteOnClose = deleteAfterClose;
    if (effects)
        return effects->Hide();
    return Close();
}

GEResultEnum Dialog::SetEffects(DialogEffects* newEffects)
{
    DropEffects();
    if (!newEffects)
        return OnShown();
    if (!manager) {
        // Nothing would ever drive (or delete) an effects task without a manager.
        GE_LOG(L"Dialog '%s' got effects while it is not shown; they are dropped.\n") << ConvertToWide(name);
        newEffects->Stop();
        delete newEffects;
        return GE_FAIL;
    }
    effects = newEffects;
    manager->AddChild(newEffects);
    return newEffects->Show();
}

GEResultEnum Dialog::OnDetachedFromFrame()
{
    DropEffects();
    return GE_OK;
}

GEResultEnum Dialog::OnDetachedFromManager()
{
    DropEffects();
    return GE_OK;
}

GEResultEnum Dialog::OnAttachedToManager()
{
    if (name.empty())
        return SetEffects(nullptr);
    DialogEffects* made = nullptr;
    if (GEResultEnum result = DialogEffectsManager::Instance()->GetEffects(this, &made))
        return result;
    return SetEffects(made);
}

} // namespace widget
