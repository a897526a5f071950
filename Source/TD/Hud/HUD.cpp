#include "Source/TD/Hud/HUD.h"

#include "Core/Base/ImageInfo.h"
#include "Core/Base/Log.h"
#include "Core/Base/WideFormat.h"
#include "Core/File/ImageContainer.h"
#include "Core/File/Path.h"
#include "Core/Render/Graphics.h"
#include "Source/TD/Hud/HUDSpellButton.h"
#include "Source/TD/Hud/TDButtonFrame.h"
#include "Source/TD/Shell/Game.h"
#include "Source/TD/Shell/GameWindow.h"
#include "Source/TD/Shell/LocalStrings.h"
#include "Source/TD/Towers/SpellTable.h"
#include "Source/TD/World/PathGraph.h"
#include "Source/TD/World/TDAnimationSet.h"
#include "Source/TD/World/TDMap.h"
#include "Source/TD/World/TDPlayerStats.h"
#include "Source/TD/World/TDWaves.h"
#include "Source/TD/World/UnlocksTable.h"

#include <algorithm>

namespace {

bool OneOf(int value, std::initializer_list<int> list)
{
    return std::find(list.begin(), list.end(), value) != list.end();
}

} // namespace

HUD::HUD()
{
    std::unique_ptr<file::ImageContainer> document = OpenScreenDocument(L"td/ui", L"HUD");
    if (document) {
        std::vector<std::wstring> layers;
        document->ListLayers(L"", false, layers, true);
        // Listing order is drawing order here.
        for (const std::wstring& layer : layers)
            if (TDFrameEntry* image = frameOf<TDFrameEntry>(document.get(), layer, true))
                images.push_back(image);
        layers.clear();
        document->ListLayers(L"button/", false, layers, false);
        for (const std::wstring& layer : layers)
            if (TDButtonFrame* button = frameOf<TDButtonFrame>(document.get(), layer, true)) {
                button->mName = file::GetFileNameWithoutExtension(layer);
                buttons.push_back(button);
            }
        layers.clear();
        document->ListLayers(L"spell/", false, layers, false);
        for (const std::wstring& layer : layers)
            if (TDFrameEntry* slot = frameOf<TDFrameEntry>(document.get(), layer, false)) {
                slot->mName = file::GetFileNameWithoutExtension(layer);
                spellSlots.push_back(slot);
            }
        layers.clear();
        document->ListLayers(L"text/", false, layers, false);
        for (const std::wstring& layer : layers)
            addTextAnchor(document.get(), layer);
    }
    spellCastEffect = std::make_unique<TDAnimationSet>(L"td/spell_cast");
}

HUD::~HUD()
{
    DeleteOwnedVector(spellButtons);
    DeleteOwnedVector(spellSlots);
    DeleteOwnedVector(windows);
    // Windows still waiting to join, or to be deleted, are the HUD's too.
    DeleteOwnedVector(queued);
    DeleteOwnedVector(retired);
}

void HUD::draw(render::Graphics* graphics)
{
    TDMap* map = CurrentLevel();
    const int screen = map ? map->mScreen : 0;
    if (!OneOf(screen, {12, 121, 7, 6, 5})) {
        if (map && map->mSelectedSpell && spellCastEffect) {
            const GameWindow* root = Game::sInstance ? Game::sInstance->mGameWindow : nullptr;
            if (root)
                spellCastEffect->draw(graphics, static_cast<float>(root->mPointerX),
                                      static_cast<float>(root->mPointerY), 0.0f);
        }
        for (HUDSpellButton* button : spellButtons)
            button->draw(graphics);
        HUDWindow::draw(graphics);
    }
    if (OneOf(screen, {5, 6, 8, 13, 14, 15, 16, 18, 20, 24, 25, 26}) && Game::sInstance)
        Game::sInstance->drawSidePanels(*graphics);
    graphics->SetBlendMode(1);
    graphics->dirty = 1;
    graphics->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
}

void HUD::deleteRetired()
{
    // Swapped out first: a destructor may retire or open windows of its own.
    std::vector<HUDWindow*> going;
    going.swap(retired);
    DeleteOwnedVector(going);
}

void HUD::update(float dt)
{
    deleteRetired();
    time += dt;
    fadeTime += dt;
    for (TDButtonFrame* button : buttons)
        button->update(dt);
    if (spellCastEffect)
        spellCastEffect->advance(dt);
    if (fadeState == 1) {
        fadeTime += dt; // the opening runs at double speed
        if (fadeTime > 0.1f)
            fadeState = 2;
        if (fadeTime > 1.0f)
            fadeTime = 1.0f;
    }
    for (HUDSpellButton* button : spellButtons)
        button->update(dt);
    // By index: an update may open windows (queued) or retire others.
    for (size_t i = 0; i < windows.size(); ++i)
        windows[i]->update(dt);

    std::vector<HUDWindow*> closed;
    for (HUDWindow* window : windows)
        if (!window->alive)
            closed.push_back(window);
    for (HUDWindow* window : closed)
        window->onClosed();
    for (HUDWindow* window : closed) {
        auto at = std::find(windows.begin(), windows.end(), window);
        if (at != windows.end()) {
            windows.erase(at);
            window->onRemoved();
            delete window;
        }
    }
    windows.insert(windows.end(), queued.begin(), queued.end());
    queued.clear();
}

void HUD::drawLayer(render::Graphics* graphics, int layer)
{
    for (HUDWindow* window : windows)
        if (window->drawLayer == layer)
            window->draw(graphics);
}

void HUD::onMouseMove(int x, int y)
{
    pointerX = static_cast<float>(x);
    pointerY = static_cast<float>(y);
    for (TDButtonFrame* button : buttons)
        button->onMouseMove(x, y);
    if (HUDWindow* top = topWindow())
        top->onMouseMove(x, y);
    for (HUDSpellButton* button : spellButtons)
        button->onHover(x, y);
}

void HUD::onMouseReleased(int x, int y)
{
    if (HUDWindow* top = topWindow())
        top->onMouseReleased(x, y);
}

void HUD::onMousePressed(int x, int y)
{
    if (HUDWindow* top = topWindow())
        top->onMousePressed(x, y);
}

void HUD::onWheel(int delta)
{
    for (size_t i = 0; i < windows.size(); ++i)
        windows[i]->onWheel(delta);
}

int HUD::hitTest(int x, int y)
{
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        const int hit = (*it)->hitTest(x, y);
        if (hit != -1)
            return hit;
    }
    if (!windows.empty())
        return -1;
    const int own = HUDWindow::hitTest(x, y);
    if (own != -1)
        return own;
    for (HUDSpellButton* button : spellButtons) {
        if (button->onClick(x, y))
            return button->index;
        if (button->hitTest(x, y))
            return -2;
    }
    return -1;
}

std::wstring HUD::click(int x, int y)
{
    if (HUDWindow* top = topWindow())
        return top->click(x, y);
    // Only the name: the level's release asks hitTest next, which runs the button's
    // click (a bought recharge, a gem dialog) once.
    for (HUDSpellButton* button : spellButtons)
        if (button->accepts(x, y))
            return button->name;
    return HUDWindow::click(x, y);
}

void HUD::pushWindow(HUDWindow* window)
{
    if (window && std::find(queued.begin(), queued.end(), window) == queued.end())
        queued.push_back(window);
}

void HUD::open(HUDWindow* window, int screenId)
{
    if (!window)
        return;
    if (screenId != kKeepScreen)
        if (TDMap* map = CurrentLevel())
            map->mScreen = screenId;
    if (windows.empty()) {
        fadeState = 1;
        fadeTime = 0.0f;
    }
    pushWindow(window);
}

void HUD::popWindow()
{
    if (windows.empty())
        return;
    HUDWindow* top = windows.back();
    windows.pop_back();
    top->onRemoved();
    retired.push_back(top);
}

bool HUD::retireWindow(HUDWindow* window)
{
    for (std::vector<HUDWindow*>* list : {&windows, &queued}) {
        auto at = std::find(list->begin(), list->end(), window);
        if (at != list->end()) {
            list->erase(at);
            window->onRemoved();
            retired.push_back(window);
            return true;
        }
    }
    return false;
}

void HUD::clearWindows()
{
    while (!windows.empty())
        popWindow();
    for (HUDWindow* window : queued) {
        window->onRemoved();
        retired.push_back(window);
    }
    queued.clear();
}

void HUD::addSpellButton(int spellId)
{
    TDMap* map = CurrentLevel();
    const SpellDefinition* definition = map && map->mSpells ? map->mSpells->find(spellId) : nullptr;
    if (!definition || !map->mUnlocks || !map->mUnlocks->isUnlocked(definition->prototypeId))
        return;
    placeSpellButton(new HUDSpellButton(spellId));
}

bool HUD::placeSpellButton(HUDSpellButton* button)
{
    const size_t n = spellButtons.size();
    if (n >= spellSlots.size()) {
        GE_LOG(L"HUD: no 'spell/' place is left for spell %d ('td/ui' has %d).\n")
            << button->spellId << static_cast<int>(spellSlots.size());
        delete button;
        return false;
    }
    const TDFrameEntry* slot = spellSlots[n];
    button->x = slot->centerX();
    button->y = slot->centerY();
    button->index = static_cast<int>(n);
    button->name = slot->mName;
    spellButtons.push_back(button);
    return true;
}

void HUD::clearSpellButtons()
{
    DeleteOwnedVector(spellButtons);
}

void HUD::resetSpellButtons()
{
    for (HUDSpellButton* button : spellButtons)
        button->resetRecharge();
}

void HUD::setManaText()
{
    const TDMap* map = CurrentLevel();
    if (!map)
        return;
    WideFormatBase health;
    health.WriteFloat(map->mHealth);
    WideFormatBase maximum;
    maximum.WriteFloat(map->mMaxHealth);
    setText(L"mana", health.Output() + L"/" + maximum.Output());
}

void HUD::setWavesText()
{
    const TDMap* map = CurrentLevel();
    if (!map || !map->mWaves)
        return;
    int total = 0;
    for (const TDWaveProto* wave : map->mWaves->protos)
        if (wave->linked == -1)
            ++total;
    WideFormatBase shown;
    shown.WriteFloat(static_cast<float>(std::min(map->mWaves->finishedBatches + 1, total)));
    setText(L"waves", LocalStrings::Instance()->get(L"game_wave") + L" " + shown.Output() + L"/" +
                               std::to_wstring(total));
}

void HUD::setCoinsText()
{
    if (const TDMap* map = CurrentLevel())
        if (map->mStats)
            setText(L"coins", std::to_wstring(map->mStats->mShownMoney));
}

void HUD::setCrystalsText()
{
    if (const TDMap* map = CurrentLevel())
        if (map->mStats)
            setText(L"crystals", std::to_wstring(map->mStats->mGems));
}

void HUD::setButtonVisible(const std::wstring& name, bool visible)
{
    if (TDButtonFrame* button = findButton(name))
        button->mVisible = visible;
}
