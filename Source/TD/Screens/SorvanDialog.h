#pragma once
// The base of the modal dialogs built as UI-toolkit frames: a dialog tied to a
// layered image of its own, disabled while it is being shown or hidden, with helpers
// that put localised texts on named entries of its image.
#include "Framework/Gui/GameControlHelper.h"
#include "Framework/Layer/TextLayer.h"
#include "Framework/Widget/Dialog.h"
#include <string>

namespace widget {
class FrameManager;
}

class SorvanDialog : public widget::Dialog, public gui::GameControlHelper {
public:
    using FontHandle = layer::TextLayer::FontHandle;

    SorvanDialog();
    // Deletes the child widgets (the controls) before the image they were made from.
    ~SorvanDialog() override;

    GEResultEnum OnShown() override;
    GEResultEnum Hide(bool deleteOnClose) override;

    // Opens the dialog's layered image, with the dialog as the root of its layers.
    GEResultEnum OpenSkin(const std::wstring& name);
    // A localised text centred on the entry `anchorName`; 1 when the image has no
    // such entry.
    GEResultEnum AddText(const std::wstring& anchorName, const std::wstring& textKey, const FontHandle& font,
                         layer::TextLayer** out = nullptr);

    // Builds the dialog (Init) and queues it as a modal, activated frame. A dialog
    // whose build failed is not shown: it is deleted, one log line names it, and the
    // failure is returned to the opener. `manager` defaults to the application's.
    static GEResultEnum ShowModal(SorvanDialog* dialog, widget::FrameManager* manager = nullptr);

    // The root board's font of that path, as a text layer takes it (empty without one).
    static FontHandle SkinFont(const wchar_t* path);
};

// A centred text layer for `font` and `text`, adopted top-most by `helper` (a
// dialog's or a control's) and snapped to whole pixels.
GEResultEnum AddSkinTextLayer(gui::GameControlHelper* helper, const layer::TextLayer::FontHandle& font,
                              const std::wstring& text, layer::TextLayer** out = nullptr);
