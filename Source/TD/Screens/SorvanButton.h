#pragma once
// The push button of the skinned dialogs: a normal and a highlight image of the
// dialog's layered image over an underlay, cross-faded by hover and shrunk while
// held. Clicks reach the owner through the button's listener.
#include "Framework/Gui/GameControl.h"
#include "Framework/Widget/Button.h"
#include "Framework/Widget/ButtonMediator.h"
#include <string>

namespace file {
class ImageContainer;
}

class SorvanButton : public gui::GameControl, public widget::Button, public widget::ButtonMediator {
public:
    static constexpr float kHoverRate = 3.0f;
    static constexpr float kPressRate = 5.0f;

    SorvanButton();
    ~SorvanButton() override;

    const widget::TypeId& GetTypeId() const override;
    static widget::TypeId& SorvanButtonTypeId();

    // Builds the look from entries of `skin` (the owner's image, not taken over). An
    // empty state name or a missing entry fails; a button that failed must not be used.
    GEResultEnum Init(file::ImageContainer* skin, const std::wstring& normalName, const std::wstring& highlightName,
                      const std::wstring& underlayName);

    GEResultEnum SetVisualState(int state) override;
    GEResultEnum OnUpdate(float dt) override;

    float hover = 0.0f;
    float press = 0.0f;
    bool built = false; // Init succeeded
};
