#pragma once
// The skinned message box of "td/data/mm": one localised text and either one button
// (an information message) or OK and Cancel (a confirmation whose OK runs a game
// command through the level object).
#include "Framework/Widget/Button.h"
#include "Source/TD/Screens/SorvanDialog.h"
#include <functional>
#include <string>

class SorvanButton;

class TMessageBox : public SorvanDialog, public widget::ButtonListener {
public:
    TMessageBox(const std::wstring& textKey, const std::wstring& command);

    GEResultEnum Init() override;
    GEResultEnum OnButtonClick(widget::Button* button) override;

    std::wstring textKey;
    std::wstring command; // empty: an information message
    SorvanButton* firstButton = nullptr;  // OK of a message, Cancel of a confirmation
    SorvanButton* secondButton = nullptr; // OK of a confirmation
    // Where a confirmed command goes; the level object's menu command by default.
    std::function<void(const std::wstring&)> runCommand;

private:
    GEResultEnum MakeButton(SorvanButton** out, float x, const std::wstring& labelAnchor, const std::wstring& labelKey);
};
