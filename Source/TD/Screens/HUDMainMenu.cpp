#include "Source/TD/Screens/HUDMainMenu.h"
#include "Core/Base/Log.h"
#include "Core/Base/StringEncoding.h"
#include "Core/File/ImageContainer.h"
#include "Core/Render/Graphics.h"
#include "Core/Render/ParticleEmitter.h"
#include "Core/Render/ParticleSystem.h"
#include "Source/TD/Audio/PlayMusicTrack.h"
#include "Source/TD/Audio/SoundTags.h"
#include "Source/TD/Screens/TMessageBox.h"
#include "Source/TD/Shell/FeatureConfig.h"
#include "Source/TD/Shell/LocalStrings.h"
#include "Source/TD/Shell/PlayerProgress.h"
#include "Source/TD/Shell/Profiles.h"
#include "Source/TD/World/TDMap.h"

namespace {

struct EmitterPlace {
    const char* effect;
    float x, y;
};

} // namespace

bool HUDMainMenu::loadDocument(ButtonOverWindow* window, const std::wstring& path, const wchar_t* user)
{
    std::unique_ptr<file::ImageContainer> document = OpenScreenDocument(path, user);
    if (!document)
        return false;
    window->build(document.get());
    // The style buttons replace the plain frames the build made of the "button" layers.
    DeleteFrameEntryVector(window->buttons);
    window->addButtonsFromDocument(document.get(), GameFont(L"td/data/fonts/main_42_3"));
    for (HUDButtonOver* button : window->overButtons)
        if (button->name == L"play")
            button->font = GameFont(L"td/data/fonts/main_80");
    return true;
}

HUDMainMenu::HUDMainMenu()
{
    k2::SoundTags::Instance();
    PlayMusicTrack(L"td/data/music/main_menu.ogg");
    loadDocument(this, L"td/main_menu", L"Main menu");
    TDMap* map = CurrentLevel();
    if (map)
        map->mReturnName = L"mmenu";

    const EmitterPlace places[] = {
        {"blik_1", 350.0f, 60.0f},
        {"blik_2", 660.0f, 60.0f},
        {"blik_3", 470.0f, 120.0f},
        {"blik_4", 370.0f, gSingleProfile ? 660.0f : 620.0f},
    };
    render::ParticleSystem* particles = render::ParticleSystem::Instance();
    for (const EmitterPlace& place : places) {
        render::ParticleEmitter* emitter = particles->CreateEmitter(place.effect);
        if (!emitter) {
            GE_LOG(L"Main menu: the particle effect '%s' is missing; the menu goes on without it.\n")
                << ConvertToWide(place.effect);
            continue;
        }
        const float at[2] = {place.x, place.y};
        emitter->SetPosition(at, 1);
        emitter->SetLoopMode(1);
        emitter->Start();
        emitters.push_back(emitter);
    }
    font = GameFont(L"td/data/fonts/main_42_3");
    refresh();

    const bool russian = map && map->mLanguageCode == L"ru";
    setImageVisible(L"ru", russian);
    setImageVisible(L"en", !russian);

    // A damaged profile file is reported once per run, by the first menu.
    if (file::Profiles::loadError) {
        file::Profiles::loadError = false;
        SorvanDialog::ShowModal(new TMessageBox(L"profile_corrupt", L""));
    }
}

HUDMainMenu::~HUDMainMenu()
{
    for (render::ParticleEmitter* emitter : emitters)
        delete emitter;
    emitters.clear();
}

void HUDMainMenu::refresh()
{
    if (gSingleProfile)
        return;
    LocalStrings* strings = LocalStrings::Instance();
    TDMap* map = CurrentLevel();
    std::wstring name = map && map->mProgress ? map->mProgress->profileName : std::wstring();
    if (name.empty())
        name = strings->get(L"unnamed_player");
    setText(L"greet", strings->get(L"greet_1") + name + strings->get(L"greet_2"));
}

FontHandle HUDMainMenu::textFont(const std::wstring& name) const
{
    if (name == L"greet")
        if (FontHandle small = GameFont(L"td/data/fonts/main_32_1"))
            return small;
    return ButtonOverWindow::textFont(name);
}

void HUDMainMenu::update(float dt)
{
    ButtonOverWindow::update(dt);
    for (render::ParticleEmitter* emitter : emitters)
        emitter->Update(dt);
}

void HUDMainMenu::draw(render::Graphics* graphics)
{
    ButtonOverWindow::draw(graphics);
    for (render::ParticleEmitter* emitter : emitters)
        graphics->DrawParticles(emitter);
}

std::wstring HUDMainMenu::click(int x, int y)
{
    // The whole band below the menu leads to the profiles, without the click sound.
    if (!gSingleProfile && y >= 721 && y <= 1023)
        return L"profile";
    return ButtonOverWindow::click(x, y);
}
