#pragma once
// The base of the modal dialogs built as UI-toolkit frames: a dialog tied to a
// layered image of its own, disabled while it is being shown or hidden, with helpers
// that put localised texts on named entries of its image.
#include "Framework/Gui/GameControlHelper.h"
#include "Framework/Layer/TextLayer.h"
#include "Framework/Widget/Dialog.h"
#include <string>

class SorvanButton;
namespace widget {
class ButtonListener;
class FrameManager;
} // namespace widget

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

    // A control made with this dialog's renderer.
    template <class Control> Control* MakeControl()
    {
        auto* control = new Control;
        control->renderer = renderer;
        return control;
    }
    // A control whose build gave `built`: a child widget of the dialog (and `*out`), or
    // deleted when the build or the adding failed.
    template <class Control> GEResultEnum AdoptControl(Control* control, GEResultEnum built, Control** out)
    {
        if (!built)
            built = widget::Dialog::AddChild(control);
        if (built) {
            delete control;
            return built;
        }
        if (out)
            *out = control;
        return GE_OK;
    }
    // A push button of this dialog's image that clicks into `listener`.
    GEResultEnum AddSkinButton(SorvanButton** out, const std::wstring& normal, const std::wstring& highlight,
                               const std::wstring& underlay, widget::ButtonListener* listener);

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
