#include "Source/TD/Tutorial/TDTutorial.h"

#include "Core/Base/Log.h"
#include "Core/Base/StringEncoding.h"
#include "Core/File/FileManager.h"
#include "Core/File/FileUtils.h"
#include "Core/File/ImageContainer.h"
#include "Core/Render/Image.h"
#include "Core/Render/Render.h"
#include "Framework/Layer/ImageLayer.h"
#include "Framework/Layer/TextLayer.h"
#include "Source/TD/Hud/HUD.h"
#include "Source/TD/Shell/Game.h"
#include "Source/TD/Shell/GameWindow.h"
#include "Source/TD/Shell/PlayerProgress.h"
#include "Source/TD/Tutorial/TDTutorialStep.h"
#include "Source/TD/Tutorial/TutorialButton.h"
#include "Source/TD/World/ParamSet.h"
#include "Source/TD/World/TDFrameEntry.h"
#include "Source/TD/World/TDMap.h"
#include "Source/TD/World/TDPlayerStats.h"

#include <algorithm>
#include <tinyxml2.h>

namespace {

GameWindow* RootBoard()
{
    return Game::sInstance ? Game::sInstance->mGameWindow : nullptr;
}

TDMap* Level()
{
    GameWindow* board = RootBoard();
    return board ? board->mMap : nullptr;
}

PlayerProgress* Progress()
{
    TDMap* map = Level();
    return map ? map->mProgress : nullptr;
}

HUD* Hud()
{
    TDMap* map = Level();
    return map ? map->mHud : nullptr;
}

void Unlink(layer::Layer* layer)
{
    if (layer && layer->parent)
        layer->parent->RemoveChild(layer);
}

} // namespace

TDTutorial::TDTutorial()
{
    images.reset(file::FileManager::Instance()->OpenImageContainer(kImagesPath));
    if (!images)
        GE_LOG(L"Tutorial images '%s' could not be opened: the overlays show no pictures.\n") << kImagesPath;
    PlayerProgress* progress = Progress();
    active = !progress || progress->isTutorialAvailable() ? 1 : 0;
    readScript(file::ReadUtf8TextFile(kScriptPath));
    imageRoot = new layer::Layer;
    textRoot = new layer::Layer;
    resetSteps();
    buildSkipButton();
    // At exit the application (and with it the level, which hands back the overlay's
    // and the skip button's textures and fonts) must go before the tutorial: left to
    // the creation order, the tutorial could free its button after the renderer and
    // the resources it was made from were gone.
    if (framework::GameApplication* application = framework::GetGameApplication())
        base::AddDestroyOrder(application, this);
}

TDTutorial::~TDTutorial()
{
    clearOverlay();
    for (TDTutorialStep* step : steps)
        delete step;
    steps.clear();
    delete skipButton;
    delete imageRoot;
    delete textRoot;
}

bool TDTutorial::readScript(const std::string& text)
{
    for (TDTutorialStep* step : steps)
        delete step;
    steps.clear();
    if (text.empty()) {
        GE_LOG(L"Tutorial script '%s' is missing or empty: the tutorial has no steps.\n") << kScriptPath;
        return false;
    }
    tinyxml2::XMLDocument document;
    if (document.Parse(text.c_str(), text.size()) != tinyxml2::XML_SUCCESS) {
        GE_LOG(L"Tutorial script '%s' is damaged (%s): the tutorial has no steps.\n") << kScriptPath
                                                                                    << XmlErrorText(document);
        return false;
    }
    const tinyxml2::XMLElement* root = document.FirstChildElement("tutorial");
    if (!root) {
        GE_LOG(L"Tutorial script '%s' has no 'tutorial' element: the tutorial has no steps.\n") << kScriptPath;
        return false;
    }
    PlayerProgress* progress = Progress();
    for (const tinyxml2::XMLElement* element = root->FirstChildElement("step"); element;
         element = element->NextSiblingElement("step")) {
        if (TDTutorialStep* step = TDTutorialStep::read(element, images.get(), progress))
            steps.push_back(step);
    }
    return true;
}

int TDTutorial::storedState(TDTutorialStep* step)
{
    if (PlayerProgress* progress = Progress())
        step->state = progress->getTutorialStepState(step->id);
    return step->state;
}

void TDTutorial::storeState(TDTutorialStep* step, int state)
{
    step->state = state;
    if (PlayerProgress* progress = Progress())
        progress->setTutorialStepState(step->id, state);
}

void TDTutorial::fireEvent(const std::wstring& name)
{
    if (events.size() >= kEventMemory)
        events.erase(events.begin());
    events.push_back(name);
    if (!active)
        return;
    TDMap* map = Level();
    const int episode = map ? map->mEpisode : 0;
    const int level = map ? map->mLevel : 0;
    bool cleared = false, completed = false;
    std::vector<const TDTutorialStep*> activatedNow;
    for (TDTutorialStep* step : steps) {
        const int state = storedState(step);
        if (state == TDTutorialStep::Done || !step->conditionHolds(episode, level))
            continue;
        if (state == TDTutorialStep::Waiting && name == step->activate) {
            storeState(step, TDTutorialStep::Active);
            runCommands(step->commands);
            showOverlay(step);
            activatedNow.push_back(step);
            cleared = false;
        } else if (state == TDTutorialStep::Active && name == step->complete) {
            storeState(step, TDTutorialStep::Done);
            runCommands(step->completion);
            clearOverlay();
            cleared = completed = true;
        }
    }
    if (!completed)
        return;
    // A step that holds the player to a spot keeps its hint: a step that began with
    // this very event waits behind it, or the spot would stand restricted unexplained.
    TDTutorialStep* still = nullptr;
    for (TDTutorialStep* step : steps) {
        if (storedState(step) != TDTutorialStep::Active || !step->conditionHolds(episode, level))
            continue;
        const bool holdsSpot = std::any_of(step->commands.begin(), step->commands.end(),
                                           [](const TDTutorialCommand& c) { return c.name == L"spot" && c.value >= 0; });
        const bool isNew = std::find(activatedNow.begin(), activatedNow.end(), step) != activatedNow.end();
        if (holdsSpot && !isNew) {
            showOverlay(step);
            return;
        }
        // Otherwise the last active step in file order, as showing each in turn would leave it.
        still = step;
    }
    if (cleared && still)
        showOverlay(still);
}

void TDTutorial::runCommands(const std::vector<TDTutorialCommand>& commands)
{
    TDMap* map = Level();
    HUD* hud = Hud();
    PlayerProgress* progress = Progress();
    for (const TDTutorialCommand& command : commands) {
        const std::wstring& name = command.name;
        const int value = command.value;
        if (name == L"pause") {
            if (!map)
                continue;
            if (value == 0)
                map->mSpeed = 1.0f;
            else if (value == 1)
                map->mSpeed = 0.0f;
            if (value == 0 || value == 1)
                holdsPause = value;
            map->updateSpeedButtons();
        } else if (name == L"dropChanceOverride") {
            if (progress)
                progress->setTutorialParam(L"dropChanceOverride", value);
            if (map)
                map->mDropChanceOverride = static_cast<float>(value);
        } else if (name == L"blockShop") {
            if (hud)
                hud->shopBlock = value;
        } else if (name == L"blockUI") {
            if (hud)
                hud->uiBlock = value;
        } else if (name == L"addGems") {
            if (map && map->mStats) {
                map->mStats->addGems(value);
                map->showGift(L"tutorialGiftGems", value);
            }
        } else if (name == L"addMoney") {
            if (map && map->mStats) {
                map->mStats->addMoney(value);
                map->showGift(L"tutorialGiftGold", value);
            }
        } else if (name == L"spot") {
            if (map)
                map->mAllowedSpot = value;
        } else if (name == L"resetSpell") {
            if (hud)
                hud->resetSpellButtons();
        } else if (name == L"completeStep") {
            if (progress)
                progress->setTutorialStepState(value, TDTutorialStep::Done);
        }
    }
}

void TDTutorial::loadProgress()
{
    PlayerProgress* progress = Progress();
    if (!progress)
        return;
    active = progress->isTutorialAvailable() ? 1 : 0;
    for (TDTutorialStep* step : steps)
        step->state = progress->getTutorialStepState(step->id);
}

void TDTutorial::disable()
{
    active = 0;
    clearOverlay();
    PlayerProgress* progress = Progress();
    if (TDMap* map = Level()) {
        map->mDropChanceOverride = 0.0f;
        map->mAllowedSpot = -1;
        if (holdsPause && map->mScreen == 0) {
            map->mSpeed = 1.0f;
            map->updateSpeedButtons();
        }
    }
    holdsPause = 0;
    if (progress)
        progress->setTutorialParam(L"dropChanceOverride", 0);
    if (HUD* hud = Hud()) {
        hud->shopBlock = 0;
        hud->uiBlock = 0;
    }
    if (progress)
        progress->setTutorialAvailable();
}

void TDTutorial::resetSteps()
{
    PlayerProgress* progress = Progress();
    if (progress) {
        auto done = [&](int id) { return progress->getTutorialStepState(id) == TDTutorialStep::Done; };
        auto reset = [&](int id) { progress->setTutorialStepState(id, TDTutorialStep::Waiting); };
        if (!done(1)) {
            reset(0);
            reset(1);
        }
        if (!done(2))
            reset(2);
        if (!done(4)) {
            reset(4);
            reset(3);
        }
        if (!done(51)) {
            if (!done(5))
                reset(5);
            reset(51);
        }
        for (int id : {6, 7, 8})
            if (!done(id))
                reset(id);
        for (TDTutorialStep* step : steps)
            step->state = progress->getTutorialStepState(step->id);
    }
    if (TDMap* map = Level()) {
        map->mDropChanceOverride = 0.0f;
        map->mAllowedSpot = -1;
    }
    holdsPause = 0;
    if (HUD* hud = Hud()) {
        hud->shopBlock = 0;
        hud->uiBlock = 0;
    }
}

void ResetTutorialSteps()
{
    TDTutorial::Instance()->resetSteps();
}

// -- overlay ------------------------------------------------------------------------------

void TDTutorial::buildSkipButton()
{
    skipButton = TutorialButton::create(this);
}

void TDTutorial::showOverlay(TDTutorialStep* step)
{
    clearOverlay();
    TDMap* map = Level();
    if (map) {
        map->mViewScale = 1.0f;
        map->mViewOffset[0] = map->mViewOffset[1] = 0.0f;
    }
    GameWindow* board = RootBoard();
    layer::Layer* parent = board ? board->layer : nullptr;
    if (parent) {
        parent->AddChild(imageRoot);
        parent->AddChild(textRoot);
        if (skipButton)
            parent->AddChild(skipButton);
    }
    imageRoot->visible = true;
    textRoot->visible = true;
    if (skipButton) {
        skipButton->visible = true;
        skipButtonShown = 1;
    }
    visible = 1;

    if (!images)
        return;
    std::vector<std::wstring> names;
    images->ListLayers(step->folder + L"/", true, names, false);
    render::Render* renderer = GameRenderer();
    for (const std::wstring& name : names) {
        const base::ImageInfo* info = images->FindLayer(name);
        if (!info)
            continue;
        render::Image* texture = nullptr;
        if (renderer && images->HasImageFile(name) &&
            renderer->LoadTexture(name, images.get(), &texture) == GE_OK && texture) {
            auto* picture = new layer::ImageLayer;
            picture->SetImage(texture, true);
            picture->SetPosition(info->x, info->y, 0.0f);
            overlayImages.push_back(picture);
            imageRoot->AddChild(picture);
            continue;
        }
        delete texture;
        layer::TextLayer::FontHandle font;
        if (board)
            font = layer::TextLayer::ShareFont(board->mFonts[0]);
        const auto text = step->texts.find(name);
        // Wrapped to the place's width, so a long text stays inside its panel.
        auto* label = new layer::TextLayer(font, text == step->texts.end() ? std::wstring() : text->second, 0.0f, 1,
                                           true, info->width);
        label->SetAlign(2, 2);
        label->SetPosition(info->x + info->width * 0.5f, info->y + info->height * 0.5f, 0.0f);
        overlayTexts.push_back(label);
        textRoot->AddChild(label);
    }
}

void TDTutorial::clearOverlay()
{
    for (layer::TextLayer* label : overlayTexts) {
        Unlink(label);
        delete label;
    }
    overlayTexts.clear();
    for (layer::ImageLayer* picture : overlayImages) {
        Unlink(picture);
        delete picture;
    }
    overlayImages.clear();
    Unlink(imageRoot);
    Unlink(textRoot);
    Unlink(skipButton);
    skipButtonShown = 0;
    visible = 0;
}

void TDTutorial::releaseGraphics()
{
    clearOverlay();
    delete skipButton;
    skipButton = nullptr;
}

void TDTutorial::hideLayers()
{
    for (layer::Layer* layer : {imageRoot, textRoot, static_cast<layer::Layer*>(skipButton)})
        if (layer)
            layer->visible = false;
}

void TDTutorial::showLayers()
{
    for (layer::Layer* layer : {imageRoot, textRoot, static_cast<layer::Layer*>(skipButton)})
        if (layer)
            layer->visible = true;
}

bool TDTutorial::skipButtonHit(int x, int y) const
{
    return skipButton && skipButton->visible && skipButton->contains(static_cast<float>(x), static_cast<float>(y));
}

void TDTutorial::onMouseMove(int x, int y)
{
    if (!visible || !active || !skipButton)
        return;
    skipButton->hovered = skipButtonHit(x, y);
}

bool TDTutorial::onRelease(int x, int y)
{
    if (!visible || !active || !skipButton)
        return false;
    const int wasPending = skipPending;
    skipButton->onClick(x, y);
    return skipPending && !wasPending;
}

void TDTutorial::updateSkipButton(float dt)
{
    if (skipButton)
        skipButton->update(dt);
}

void TDTutorial::openSkipConfirmation()
{
    if (HUD* hud = Hud()) {
        hud->showTutorialCancelDialog();
        return;
    }
    // Without a HUD nobody could answer: the skip is taken at once rather than leaving
    // the overlay without input.
    confirmSkip();
}

void TDTutorial::confirmSkip()
{
    skipPending = 0;
    disable();
}

void TDTutorial::cancelSkip()
{
    skipPending = 0;
    visible = 1;
}
