#pragma once
// Modal messages and confirm dialogs over "td/data/mm", drawn above the screens
// (draw layer 1). A message shows one button (the document's second, shifted 120 to
// the right; the level object expects "ok"); a dialog shows two, cancel and confirm.
// A document with fewer buttons still gives a window that closes: on its remaining
// button, or on any click when it has none.
#include "Source/TD/Hud/ButtonOverWindow.h"

class HUDModalMessage : public ButtonOverWindow {
public:
    // restoreId: the screen id the level object gets back when the window goes; -1
    // none.
    HUDModalMessage(const std::wstring& caption, const std::wstring& message, int restoreId);
    ~HUDModalMessage() override;

    // Time, frames and buttons; the pointer follows the root board's last position.
    void update(float dt) override;
    void onMouseMove(int x, int y) override { moveFramesAndButtons(x, y); }
    // The shown button's name; with one button it answers "ok", with none any click does.
    std::wstring click(int x, int y) override;
    // Hands the restore id back to the level object (once).
    void onRemoved() override;

    int restoreId = -1;

};

class HUDModalDialog : public HUDModalMessage {
public:
    HUDModalDialog(const std::wstring& caption, const std::wstring& message);

    // Over the first button: cancel; over the second: confirm; others pass. With one
    // button it confirms; with none, any release cancels (and a click answers
    // "cancel").
    void onMouseReleased(int x, int y) override;
    std::wstring click(int x, int y) override;
    virtual void onConfirm() { close(); }
    virtual void onCancel() { close(); }
};

// Asked from the profiles screen's "delete".
class HUDConfirmProfileDeletionDialog : public HUDModalDialog {
public:
    HUDConfirmProfileDeletionDialog();
    void onConfirm() override;
};

// Asked from the options dialog's reset, in the root board's modal slot.
class HUDConfirmProfileResetDialog : public HUDModalDialog {
public:
    HUDConfirmProfileResetDialog();
    void onConfirm() override;
};

// Asked from the tutorial's skip button, in the root board's modal slot.
class HUDConfirmTutorialCancelDialog : public HUDModalDialog {
public:
    HUDConfirmTutorialCancelDialog();
    void onConfirm() override;
    void onCancel() override;
};
