#include "Source/TD/Hud/HUD.h"

#include "Source/TD/Hud/HUDSpellButton.h"
#include "Source/TD/Hud/HUDWindow.h"
#include "Source/TD/World/PathGraph.h"

#include <algorithm>

HUD::~HUD()
{
    clearWindows();
    clearSpellButtons();
}

void HUD::update(float dt)
{
    if (fadeState == 1) {
        fadeTime = std::min(fadeTime + dt, 1.0f);
        if (fadeTime >= 0.1f)
            fadeState = 2;
    }
    for (HUDWindow* window : windows)
        window->update(dt);
    // Closed windows go; the ones queued meanwhile join on top.
    for (size_t i = 0; i < windows.size();) {
        if (windows[i]->alive) {
            ++i;
            continue;
        }
        HUDWindow* closed = windows[i];
        windows.erase(windows.begin() + static_cast<std::ptrdiff_t>(i));
        closed->onClosed();
        delete closed;
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

std::wstring HUD::click(int x, int y)
{
    HUDWindow* top = topWindow();
    return top ? top->click(x, y) : std::wstring();
}

void HUD::onMousePressed(int x, int y)
{
    if (HUDWindow* top = topWindow())
        top->onMousePressed(x, y);
}

void HUD::onMouseReleased(int x, int y)
{
    if (HUDWindow* top = topWindow())
        top->onMouseReleased(x, y);
}

void HUD::onMouseMove(int x, int y)
{
    if (HUDWindow* top = topWindow())
        top->onMouseMove(x, y);
}

void HUD::onWheel(int delta)
{
    for (HUDWindow* window : windows)
        window->onWheel(delta);
}

void HUD::pushWindow(HUDWindow* window)
{
    queued.push_back(window);
}

void HUD::popWindow()
{
    if (windows.empty())
        return;
    delete windows.back();
    windows.pop_back();
}

void HUD::clearWindows()
{
    DeleteOwnedVector(windows);
    DeleteOwnedVector(queued);
}

void HUD::addSpellButton(int index)
{
    spellButtons.push_back(new HUDSpellButton(index));
}

void HUD::clearSpellButtons()
{
    DeleteOwnedVector(spellButtons);
}

void HUD::setButtonVisible(const std::wstring& name, bool visible)
{
    auto found = std::find(hiddenButtons.begin(), hiddenButtons.end(), name);
    if (!visible && found == hiddenButtons.end())
        hiddenButtons.push_back(name);
    else if (visible && found != hiddenButtons.end())
        hiddenButtons.erase(found);
}
