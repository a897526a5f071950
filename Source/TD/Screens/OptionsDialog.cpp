#include "Source/TD/Screens/OptionsDialog.h"
#include "Core/Base/StringEncoding.h"
#include "Framework/GameApplication.h"
#include "Framework/GameWindow.h"
#include "Framework/Layer/TextLayer.h"
#include "Platform/Bass/Bass.h"
#include "Source/TD/Audio/Sound.h"
#include "Source/TD/Audio/SoundSystem.h"
#include "Source/TD/Audio/SoundTags.h"
#include "Source/TD/Screens/SorvanButton.h"
#include "Source/TD/Screens/SorvanSlider.h"
#include "Source/TD/Screens/SorvanSwitchButton.h"
#include "Source/TD/Screens/TMessageBox.h"
#include "Source/TD/Shell/FeatureConfig.h"
#include "Source/TD/Shell/Game.h"
#include "Source/TD/Shell/GameWindow.h"
#include "Source/TD/Shell/LocalStrings.h"
#include "Source/TD/Shell/PlayerProgress.h"
#include "Source/TD/World/TDMap.h"
#include <algorithm>

namespace {

constexpr const wchar_t* kFont80 = L"td/data/fonts/main_80";
constexpr const wchar_t* kFont42 = L"td/data/fonts/main_42_2";
constexpr const wchar_t* kFont42b = L"td/data/fonts/main_42_3";
constexpr const wchar_t* kFont32 = L"td/data/fonts/main_32_1";
constexpr const wchar_t* kUnderlay = L"buttons/menu/menu_sh";

TDMap* Map()
{
    Game* game = Game::sInstance;
    return game && game->mGameWindow ? game->mGameWindow->mMap : nullptr;
}

} // namespace

OptionsDialog::OptionsDialog()
{
    name = "Options";
}

PlayerProgress* OptionsDialog::Progress()
{
    TDMap* map = Map();
    return map ? map->mProgress : nullptr;
}

GEResultEnum OptionsDialog::AddSlider(SorvanSlider** out, const wchar_t* bar, const wchar_t* knob,
                                      const wchar_t* underlay)
{
    SorvanSlider* slider = MakeControl<SorvanSlider>();
    GEResultEnum built = slider->Init(GetContainer(), bar, knob, L"");
    if (!built)
        built = slider->InsertNamedLayer(underlay, gui::kInsertTrapHits);
    slider->sliderListener = this;
    return AdoptControl(slider, built, out);
}

GEResultEnum OptionsDialog::AddSwitch(SorvanSwitchButton** out, const wchar_t* unselected, const wchar_t* highlight,
                                      const wchar_t* selected, const wchar_t* underlay)
{
    SorvanSwitchButton* button = MakeControl<SorvanSwitchButton>();
    const GEResultEnum built = button->Init(GetContainer(), unselected, highlight, selected, underlay);
    button->buttonListener = this;
    return AdoptControl(button, built, out);
}

GEResultEnum OptionsDialog::Init()
{
    if (GEResultEnum result = OpenSkin(L"td/options"))
        return result;
    if (GEResultEnum result = AddNamedLayer(L"title", 0))
        return result;
    const struct {
        const wchar_t* anchor;
        const wchar_t* key;
        const wchar_t* font;
    } texts[] = {
        {L"main_options/options_title", L"options_OptionsTitle", kFont80},
        {L"main_options/sounds_and_music", L"options_OptionsSounds", kFont42},
        {L"main_options/game_type", L"options_OptionsGameType", kFont42},
        {L"main_options/window_type", L"options_OptionsWindowType", kFont42},
    };
    for (const auto& text : texts) {
        if (GEResultEnum result = AddText(text.anchor, text.key, SkinFont(text.font)))
            return result;
    }
    // Every push button sits over the same (invisible) underlay.
    const struct {
        SorvanButton** out;
        const wchar_t* normal;
        const wchar_t* highlight;
    } closing[] = {
        {&menuButton, L"buttons/menu/menu_in", L"buttons/menu/menu_ac"},
        {&okButton, L"buttons/close/ok_in", L"buttons/close/ok_ac"},
        {&cheatButton, L"buttons/cheat/cheat_in", L"buttons/cheat/cheat_ac"},
    }, steps[] = {
        {&musicDecrease, L"buttons/music_dec/b_in", L"buttons/music_dec/b_ac"},
        {&musicIncrease, L"buttons/music_inc/b_in", L"buttons/music_inc/b_ac"},
        {&soundDecrease, L"buttons/sound_dec/b_in", L"buttons/sound_dec/b_ac"},
        {&soundIncrease, L"buttons/sound_inc/b_in", L"buttons/sound_inc/b_ac"},
    };
    for (const auto& button : closing) {
        if (GEResultEnum result = AddSkinButton(button.out, button.normal, button.highlight, kUnderlay, this))
            return result;
    }
    if (GEResultEnum result = AddText(L"buttons/close/close_caption", L"options_OptionsOk", SkinFont(kFont80)))
        return result;
    if (GEResultEnum result = AddSlider(&soundSlider, L"main_options/sound/sound_bar",
                                        L"main_options/sound/sound_begunok", L"main_options/sound/sound_back"))
        return result;
    if (GEResultEnum result = AddSlider(&musicSlider, L"main_options/music/music_bar",
                                        L"main_options/music/music_begunok", L"main_options/music/music_back"))
        return result;
    for (const auto& step : steps) {
        if (GEResultEnum result = AddSkinButton(step.out, step.normal, step.highlight, kUnderlay, this))
            return result;
    }

    if (GEResultEnum result = AddSwitch(&windowSwitch, L"main_options/window/window_nonselected",
                                        L"main_options/window/window_ac", L"main_options/window/window_in",
                                        L"main_options/window/window_sh"))
        return result;
    LocalStrings* strings = LocalStrings::Instance();
    const FontHandle switchFont = SkinFont(kFont42b);
    layer::TextLayer* first = nullptr;
    layer::TextLayer* second = nullptr;
    if (GEResultEnum result = AddSkinTextLayer(windowSwitch, switchFont, strings->get(L"options_caption"), &first))
        return result;
    if (GEResultEnum result = AddSkinTextLayer(windowSwitch, switchFont, strings->get(L"options_window_add"), &second))
        return result;
    // The first line, top-aligned half a line (less a unit) above the switch's origin,
    // stands centred on the switch; the second starts at the origin.
    const float lineHeight = switchFont ? switchFont->GetLineAdvance() : 0.0f;
    for (layer::TextLayer* line : {first, second}) {
        line->SetAlign(2, 0);
        line->SetPosition(0.0f, line == first ? -(lineHeight - 2.0f) * 0.5f : 0.0f, 0.0f);
        line->SnapToPixels();
    }

    if (GEResultEnum result = AddSwitch(&fullScreenSwitch, L"main_options/fullscreen/fullscreen_nonselected",
                                        L"main_options/fullscreen/fullscreen_ac",
                                        L"main_options/fullscreen/main_menu_in", L"main_options/fullscreen/main_menu_sh"))
        return result;
    if (GEResultEnum result = AddSkinTextLayer(fullScreenSwitch, switchFont, strings->get(L"options_fs")))
        return result;

    // The profile's volumes are applied again before the sliders show them.
    SoundSystem* sound = SoundSystem::Instance();
    if (PlayerProgress* progress = Progress()) {
        sound->setMusicVolume(progress->getMusicVolume());
        sound->setSoundVolume(progress->getSoundVolume());
    }
    soundSlider->value = sound->mSoundVolume;
    soundSlider->OnValueChanged();
    musicSlider->value = sound->mMusicVolume;
    musicSlider->OnValueChanged();

    ShowScreenMode();

    if (gCopyrightsActive) {
        std::string key = FeatureConfig::instance()->getString("copyrights", "string_key");
        std::wstring wideKey;
        if (key.empty() || !TryConvertToWide(key, wideKey, L"config.xml copyrights string_key"))
            wideKey = L"copyrights_txt";
        layer::TextLayer* notice = nullptr;
        if (GEResultEnum result = AddSkinTextLayer(this, SkinFont(kFont32), strings->get(wideKey), &notice))
            return result;
        notice->SetScale(0.9f, 0.9f, 1.0f);
        notice->SetPosition(512.0f, 560.0f, 0.0f);
        notice->SnapToPixels();
    }
    return GE_OK;
}

void OptionsDialog::ShowScreenMode()
{
    // The window's own flag: the application's is only the mode it started in.
    framework::GameApplication* application = framework::GetGameApplication();
    bool windowed = true;
    if (application)
        windowed = application->window ? application->window->windowed != 0 : application->windowed != 0;
    if (fullScreenSwitch)
        fullScreenSwitch->SetSelected(!windowed);
    if (windowSwitch)
        windowSwitch->SetSelected(windowed);
}

GEResultEnum OptionsDialog::StepVolume(SorvanSlider* slider, float current, float delta)
{
    if (!slider)
        return GE_OK;
    return slider->OfferValue(std::clamp(current + delta, 0.0f, 1.0f));
}

GEResultEnum OptionsDialog::OnButtonClick(widget::Button* button)
{
    k2::SoundTags::Instance()->play(L"simple");
    const auto is = [button](widget::Button* part) { return part && part == button; };
    SoundSystem* sound = SoundSystem::Instance();
    framework::GameApplication* application = framework::GetGameApplication();
    if (is(menuButton) || is(okButton))
        return Hide(true);
    if (is(fullScreenSwitch) || is(windowSwitch)) {
        if (is(windowSwitch) && application && application->IsWindowTooLarge()) {
            auto* message = new TMessageBox(L"IllegalResolutionMessage", L"");
            message->renderer = renderer;
            return SorvanDialog::ShowModal(message, manager);
        }
        GEResultEnum result = application ? application->SwitchScreenMode() : GE_OK;
        ShowScreenMode();
        return result;
    }
    if (is(cheatButton)) {
        if (TDMap* map = Map())
            map->mDevKeys = true;
        return GE_OK;
    }
    if (is(musicDecrease) || is(musicIncrease))
        return StepVolume(musicSlider, sound->mMusicVolume, is(musicDecrease) ? -kVolumeStep : kVolumeStep);
    if (is(soundDecrease) || is(soundIncrease))
        return StepVolume(soundSlider, sound->mSoundVolume, is(soundDecrease) ? -kVolumeStep : kVolumeStep);
    return GE_OK;
}

GEResultEnum OptionsDialog::OnSliderReleased(widget::Slider* slider, float value)
{
    SoundSystem* sound = SoundSystem::Instance();
    PlayerProgress* progress = Progress();
    if (musicSlider && slider == static_cast<widget::Slider*>(musicSlider)) {
        sound->setMusicVolume(value);
        if (progress)
            progress->setMusicVolume(value);
    } else if (soundSlider && slider == static_cast<widget::Slider*>(soundSlider)) {
        sound->setSoundVolume(value);
        if (progress)
            progress->setSoundVolume(value);
    }
    return GE_OK;
}
