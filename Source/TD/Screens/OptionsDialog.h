#pragma once
// The modal options dialog of "td/options": sound and music volumes (a slider and a
// pair of -/+ buttons each, applied at once and saved in the profile), window or full
// screen (two switches), two closing buttons, the developer keys, and the notice line
// when the configuration asks for it.
#include "Framework/Widget/Button.h"
#include "Framework/Widget/Slider.h"
#include "Source/TD/Screens/SorvanDialog.h"

class SorvanButton;
class SorvanSlider;
class SorvanSwitchButton;
class PlayerProgress;

class OptionsDialog : public SorvanDialog, public widget::ButtonListener, public widget::SliderListener {
public:
    static constexpr float kVolumeStep = 0.25f;

    OptionsDialog();
    ~OptionsDialog() override;

    GEResultEnum Init() override;
    GEResultEnum OnButtonClick(widget::Button* button) override;
    GEResultEnum OnSliderReleased(widget::Slider* slider, float value) override;

    SorvanButton* menuButton = nullptr;
    SorvanButton* okButton = nullptr;
    SorvanButton* cheatButton = nullptr;
    SorvanButton* musicDecrease = nullptr;
    SorvanButton* musicIncrease = nullptr;
    SorvanButton* soundDecrease = nullptr;
    SorvanButton* soundIncrease = nullptr;
    SorvanSlider* soundSlider = nullptr;
    SorvanSlider* musicSlider = nullptr;
    SorvanSwitchButton* windowSwitch = nullptr;
    SorvanSwitchButton* fullScreenSwitch = nullptr;

private:
    GEResultEnum AddSlider(SorvanSlider** out, const wchar_t* bar, const wchar_t* knob, const wchar_t* underlay);
    GEResultEnum AddSwitch(SorvanSwitchButton** out, const wchar_t* unselected, const wchar_t* highlight,
                           const wchar_t* selected, const wchar_t* underlay);
    // Selects the switch of the window's current mode.
    void ShowScreenMode();
    // A volume step of the -/+ buttons, offered to the slider's listener.
    GEResultEnum StepVolume(SorvanSlider* slider, float current, float delta);
    static PlayerProgress* Progress();

    int screenModeListener = 0;
};
