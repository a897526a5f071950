#pragma once
// The name entry of "td/data/mm": the player types a new profile's name (screen id
// 14) or a new name for the current profile (15). "ok" shows only while the name is
// new and not empty; the typed text is kept in the level object's PendingProfileName.
#include "Source/TD/Hud/ButtonOverWindow.h"

#include <string>
#include <vector>

class HUDModalInput : public ButtonOverWindow {
public:
    static constexpr size_t kMaxLength = 16;
    static constexpr int kBackspace = 8;

    HUDModalInput();

    // Digits, Latin and Cyrillic letters (without U+0401 and U+0451).
    static bool isAccepted(int ch);
    bool isNameValid() const;

    void draw(render::Graphics* graphics) override;
    void onChar(int ch) override;
    void onKeyDown(int key) override;
    std::wstring click(int x, int y) override;

    TDFrameEntry* inputFrame = nullptr; // not owned: where the text is drawn
    std::wstring text;
    std::vector<std::wstring> profileNames; // every profile of the file, the default one too

private:
    // Copies the text to the level object and shows "ok" when the name may be taken.
    void textChanged();
    HUDButtonOver* okButton() const;
};
