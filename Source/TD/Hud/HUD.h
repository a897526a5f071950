#pragma once
// The in-game HUD: its counters, its five spell buttons and the stack of screen
// windows it owns. Windows opened during a frame join the stack at the end of the
// HUD's update.
#include <string>
#include <vector>

namespace render {
class Graphics;
}

class HUDWindow;
class HUDSpellButton;

class HUD {
public:
    HUD() = default;
    ~HUD();
    HUD(const HUD&) = delete;
    HUD& operator=(const HUD&) = delete;

    void update(float dt);
    void draw(render::Graphics*) {}
    void drawLayer(render::Graphics* graphics, int layer);

    // Pointer and wheel input for the top window (or the HUD's own buttons).
    std::wstring click(int x, int y);
    void onMousePressed(int x, int y);
    void onMouseReleased(int x, int y);
    void onMouseMove(int x, int y);
    void onWheel(int delta);

    // Queues a window; it joins the stack at the end of the next update.
    void pushWindow(HUDWindow* window);
    HUDWindow* topWindow() const { return windows.empty() ? nullptr : windows.back(); }
    void popWindow();
    void clearWindows();

    // The first screen of the game; the splash screens come with their own screen.
    void showSplashScreens() {}

    void addSpellButton(int index);
    void clearSpellButtons();

    // Counter texts from the level's wallet, health and waves.
    void setCoinsText() {}
    void setCrystalsText() {}
    void setManaText() {}
    void setWavesText() {}
    void setButtonVisible(const std::wstring& name, bool visible);

    std::vector<HUDWindow*> windows; // owned, bottom to top
    std::vector<HUDWindow*> queued;  // owned until they join
    std::vector<HUDSpellButton*> spellButtons; // owned
    std::vector<std::wstring> hiddenButtons;
    float fade = 0.0f;
    float fadeTime = 0.0f;
    int fadeState = 0; // 0 off, 1 fading in, 2 shown
    int blockLevel = 0;
};
