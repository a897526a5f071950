#pragma once
// The tutorial overlay's skip button: a layer button that asks for confirmation and
// then switches the tutorial off.
#include "Source/TD/Hud/HUDLayerButton.h"

#include <memory>

namespace file {
class ImageContainer;
}
class TDTutorial;

class TutorialButton : public HUDLayerButton {
public:
    static constexpr const wchar_t* kDocument = L"td/data/tutorial/skip";

    // The button of kDocument ("button/b4_normal", "button/b4_over"), centred on the
    // over picture's rectangle; null (with one log line) without them.
    static TutorialButton* create(TDTutorial* tutorial);

    // Whether the point lies strictly inside the button's normal picture.
    bool contains(float x, float y) const;
    // A click inside a visible button opens the skip confirmation.
    void onClick(int x, int y) override;

    u8 flag = 0;

private:
    TutorialButton(TDTutorial* tutorial, const TDFrameEntry* normal, const TDFrameEntry* over,
                   const std::wstring& label);

    TDTutorial* tutorial;
    std::unique_ptr<file::ImageContainer> document; // the pictures' textures were loaded from it
};
