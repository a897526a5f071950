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

    // The typed text with its caret, as the field shows it, and its scale there: 1, or
    // less for a name wider than the field.
    std::wstring fieldText() const { return text + L"|"; }
    float fieldScale() const;
    // Where the field's text stands: from 30 units inside its left edge to as far
    // inside its right edge.
    static constexpr float kFieldInset = 30.0f;

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
