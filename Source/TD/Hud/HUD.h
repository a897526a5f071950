#pragma once
// The in-game HUD: the overlay of "td/ui" (counters, play-screen buttons, spell
// buttons, the aiming animation) and the stack of screen windows. Openers queue a
// window; queued windows join the stack at the end of the next update. The top
// window takes the pointer; the HUD's own buttons only while the stack is empty.
//
// No window is deleted while its own operations may run: a closed window (alive
// cleared) goes at the end of the next update, after onClosed; a window taken off the
// stack by popWindow, retireWindow or clearWindows leaves the stack at once (it gets
// no more input and is no longer the top) and is deleted at the start of the next
// update.
#include "Source/TD/Hud/HUDWindow.h"

#include <memory>
#include <string>
#include <vector>

class HUDSpellButton;
class TDAnimationSet;

class HUD : public HUDWindow {
public:
    // Built from "td/ui"; a missing document gives an empty overlay with one log line.
    HUD();
    ~HUD() override;

    void draw(render::Graphics* graphics) override;
    void update(float dt) override;
    void onMouseMove(int x, int y) override;
    void onMouseReleased(int x, int y) override;
    void onMousePressed(int x, int y) override;
    void onWheel(int delta) override;
    // Stacked windows top to bottom; with an empty stack the own buttons (index), the
    // spell buttons (slot index when clickable, -2 when only hit); else -1.
    int hitTest(int x, int y) override;
    // The top window's answer; with an empty stack a spell button's or own button's name.
    std::wstring click(int x, int y) override;

    // Every stacked window of that draw layer, bottom to top.
    void drawLayer(render::Graphics* graphics, int layer);

    // Queues a window (the HUD owns it from now on).
    void pushWindow(HUDWindow* window);
    HUDWindow* topWindow() const { return windows.empty() ? nullptr : windows.back(); }
    // Takes the top window off the stack (without onClosed); deleted at the next update.
    void popWindow();
    // Takes the window off the stack or out of the queue; deleted at the next update.
    // False when the HUD does not hold it.
    bool retireWindow(HUDWindow* window);
    // Takes every stacked and queued window off; deleted at the next update.
    void clearWindows();

    // Openers: build the screen, write its screen id into the level object, start the
    // opening fade when the stack is empty, queue it.
    void showEpisodeSelect();
    void showLevelSelect();
    void showShop(int mode);
    void showMainMenu();
    void showUnlockMessage(const std::vector<int>& ids);
    void showSplashScreens();
    void showProfiles();
    void showGemShop(const std::wstring& returnName);
    void showBoostShop();
    void showModalInput();
    void showModalMessage(int restoreId, const std::wstring& caption, const std::wstring& text);
    void showModalDialog(int restoreId, const std::wstring& caption, const std::wstring& text);
    // The two confirm dialogs of the root board's modal slot.
    void showTutorialCancelDialog();
    void showProfileResetDialog();
    // The next level of the episode, or the episode selection after its last level.
    void nextLevel();

    // A button for the spell when its definition exists and it is unlocked now, on the
    // next free "spell/" place; a document with too few places gives no button and
    // one log line.
    void addSpellButton(int spellId);
    // Puts the button on the next free place (centre, slot index and name from it);
    // false, with one log line and the button deleted, when no place is left.
    bool placeSpellButton(HUDSpellButton* button);
    void clearSpellButtons();
    // Every spell button ready at once, without the flash.
    void resetSpellButtons();

    // Counter texts from the level object.
    void setManaText();
    void setWavesText();
    void setCoinsText();
    void setCrystalsText();
    // Shows or hides one of the own buttons by name; nothing when there is none.
    void setButtonVisible(const std::wstring& name, bool visible);

    // Writes the screen id (unless kKeepScreen), starts the opening fade on an empty
    // stack and queues the window.
    static constexpr int kKeepScreen = -1000;
    void open(HUDWindow* window, int screenId);

    std::vector<TDFrameEntry*> spellSlots; // owned: places of the spell buttons
    std::unique_ptr<TDAnimationSet> spellCastEffect;
    int shopBlock = 0;
    int uiBlock = 0;
    std::vector<HUDWindow*> windows;           // owned, bottom to top
    std::vector<HUDWindow*> queued;            // owned until they join
    std::vector<HUDWindow*> retired;           // owned, deleted at the next update
    std::vector<HUDSpellButton*> spellButtons; // owned
    // Opening fade: 0 none, 1 opening (time runs twice as fast, capped at 1), 2 open.
    int fadeState = 0;
    float fadeTime = 0.0f;

private:
    void deleteRetired();
};
