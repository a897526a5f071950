#pragma once
// The items a level makes available (towers or spells), announced one at a time before
// it starts: an icon, a caption, a text per item and an "ok" button that steps to the
// next item. The level sees "ok" only once, after the last item.
#include "Source/TD/Hud/HUDWindow.h"

#include <memory>
#include <vector>

class HUDUnlockMessage : public HUDWindow {
public:
    static constexpr const wchar_t* kDocument = L"td/data/message";

    // The ids without an icon layer in the document's "icons" group are left out.
    explicit HUDUnlockMessage(const std::vector<int>& ids);
    ~HUDUnlockMessage() override;

    int hitTest(int, int) override { return -1; }
    // "ok" after the last item (or on the first click when no item has an icon); empty
    // while items remain.
    std::wstring click(int x, int y) override;

    // Shows the icon and the text of the item.
    void showItem(int id);

    std::vector<int> items;
    size_t current = 0;
    std::vector<TDFrameEntry*> icons; // not owned: the image list owns them

    // The caption in the caption font, the button's label in "main_42_2", the rest in
    // "main_32_2".
    FontHandle textFont(const std::wstring& name) const override;

private:
    std::unique_ptr<file::ImageContainer> document; // the icons' textures were loaded from it
};
