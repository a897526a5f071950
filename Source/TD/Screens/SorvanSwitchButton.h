#pragma once
// The two-state (radio-style) button of the skinned dialogs: a selected, an
// unselected and a highlight image over an underlay. A selected switch swallows
// presses and cannot be clicked; only its owner changes the selection.
#include "Framework/Gui/GameControl.h"
#include "Framework/Widget/Button.h"
#include "Framework/Widget/ButtonMediator.h"
#include <string>

namespace file {
class ImageContainer;
}

class SorvanSwitchButton : public gui::GameControl, public widget::Button, public widget::ButtonMediator {
public:
    static constexpr float kHoverRate = 3.0f;
    static constexpr float kSelectRate = 5.0f;
    enum State : int { kSelected = 0, kUnselected = 1, kHighlight = 2 };

    SorvanSwitchButton();
    ~SorvanSwitchButton() override;

    const widget::TypeId& GetTypeId() const override;
    static widget::TypeId& SorvanSwitchButtonTypeId();

    // Fails, with one log line, on an empty state name or a missing entry.
    GEResultEnum Init(file::ImageContainer* skin, const std::wstring& unselectedName,
                      const std::wstring& highlightName, const std::wstring& selectedName,
                      const std::wstring& underlayName);
    void SetSelected(bool value);

    GEResultEnum SetVisualState(int state) override;
    GEResultEnum OnUpdate(float dt) override;

    bool selected = false;
    float hover = 0.0f;
    float selectedAmount = 0.0f;
    bool built = false;
};
