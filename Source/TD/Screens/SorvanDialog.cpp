#include "Source/TD/Screens/SorvanDialog.h"
#include "Core/Base/ImageInfo.h"
#include "Core/Base/Log.h"
#include "Core/Base/StringEncoding.h"
#include "Core/File/ImageContainer.h"
#include "Framework/GameApplication.h"
#include "Framework/Layer/RectHitLayer.h"
#include "Framework/Widget/FrameManager.h"
#include "Source/TD/Hud/HUDDocument.h"
#include "Source/TD/Screens/SorvanButton.h"
#include "Source/TD/Shell/LocalStrings.h"

SorvanDialog::SorvanDialog()
{
    // The dialog covers the virtual screen, so that as a modal frame it takes every
    // pointer event over it.
    hitLayer->SetRect(layer::Rect{0.0f, 0.0f, 1024.0f, 768.0f});
    disabled = true;
    PropagateDisabled();
}

SorvanDialog::~SorvanDialog()
{
    Clear(true, true, false);
}

GEResultEnum SorvanDialog::OnShown()
{
    disabled = false;
    if (GEResultEnum result = PropagateDisabled())
        return result;
    // A control under a resting pointer shows its hover at once.
    if (manager)
        return manager->OnMouseMove(manager->lastPointer);
    return GE_OK;
}

GEResultEnum SorvanDialog::Hide(bool deleteAfterClose)
{
    disabled = true;
    if (GEResultEnum result = PropagateDisabled())
        return result;
    return widget::Dialog::Hide(deleteAfterClose);
}

GEResultEnum SorvanDialog::OpenSkin(const std::wstring& skinName)
{
    if (GEResultEnum result = Open(skinName, this, static_cast<widget::WidgetHitTestListener*>(this))) {
        GE_LOG(L"Dialog image '%s' cannot be opened.\n") << skinName;
        return result;
    }
    return GE_OK;
}

GEResultEnum AddSkinTextLayer(gui::GameControlHelper* helper, const layer::TextLayer::FontHandle& font,
                              const std::wstring& text, layer::TextLayer** out)
{
    if (!helper)
        return GE_FAIL;
    auto* made = new layer::TextLayer(font, text);
    made->SetAlign(2, 2);
    made->layout.alignment = 1; // lines centred (this font layout counts 1 as centre)
    made->InvalidateLocalBounds();
    if (GEResultEnum result = helper->AddLayer(made, 0)) {
        if (!made->parent)
            delete made;
        return result;
    }
    made->SnapToPixels();
    if (out)
        *out = made;
    return GE_OK;
}

GEResultEnum SorvanDialog::AddText(const std::wstring& anchorName, const std::wstring& textKey,
                                   const FontHandle& font, layer::TextLayer** out)
{
    const base::ImageInfo* entry = container ? container->FindLayer(anchorName) : nullptr;
    if (!entry) {
        GE_LOG(L"Dialog text anchor '%s' is missing from its image.\n") << anchorName;
        return GE_FAIL;
    }
    layer::TextLayer* made = nullptr;
    if (GEResultEnum result = AddSkinTextLayer(this, font, LocalStrings::Instance()->get(textKey), &made))
        return result;
    // Long texts wrap inside their entry instead of running past the dialog.
    made->layout.maxWidth = entry->width;
    made->InvalidateLocalBounds();
    made->SetPosition(entry->x + entry->width * 0.5f, entry->y + entry->height * 0.5f, 0.0f);
    made->SnapToPixels();
    if (out)
        *out = made;
    return GE_OK;
}

GEResultEnum SorvanDialog::AddSkinButton(SorvanButton** out, const std::wstring& normal,
                                        const std::wstring& highlight, const std::wstring& underlay,
                                        widget::ButtonListener* listener)
{
    SorvanButton* button = MakeControl<SorvanButton>();
    const GEResultEnum built = button->Init(GetContainer(), normal, highlight, underlay);
    button->buttonListener = listener;
    return AdoptControl(button, built, out);
}

GEResultEnum SorvanDialog::ShowModal(SorvanDialog* dialog, widget::FrameManager* manager)
{
    if (!dialog)
        return GE_FAIL;
    if (!manager) {
        framework::GameApplication* application = framework::GetGameApplication();
        manager = application ? application->frameManager.get() : nullptr;
    }
    const GEResultEnum built = dialog->Init();
    if (built || !manager) {
        // A half-built modal frame would take every click with nothing to close it.
        GE_LOG(L"Dialog '%s' could not be built (result %d); it is not shown.\n")
            << ConvertToWide(dialog->name) << static_cast<int>(built);
        delete dialog;
        return built ? built : GE_FAIL;
    }
    manager->QueueAdd(widget::FrameAddRecord{dialog, widget::kFrameModal, true});
    return GE_OK;
}

SorvanDialog::FontHandle SorvanDialog::SkinFont(const wchar_t* path)
{
    return layer::TextLayer::ShareFont(::GameFont(path));
}
