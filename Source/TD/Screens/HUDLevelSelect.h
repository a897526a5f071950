#pragma once
// The level select: the levels of the current episode as a grid of plates under the
// episode's title. The level object asks hitTest for the plate under a click and
// decides whether the level may start; "back" and "upgrade" are plain buttons.
#include "Source/TD/Hud/HUDWindow.h"

#include <vector>

namespace layer {
class TextLayer;
}

class LevelPlate;

class HUDLevelSelect : public HUDWindow {
public:
    HUDLevelSelect();
    ~HUDLevelSelect() override;

    void draw(render::Graphics* graphics) override;
    void update(float dt) override;
    void onMouseMove(int x, int y) override;
    // Index of the first plate strictly holding the point (locked ones too), else -1.
    int hitTest(int x, int y) override;

    // Takes the title out of the root board's layer and deletes it; nothing the
    // second time.
    void dropEpisodeTitle();

    std::vector<LevelPlate*> plates; // owned, in level order
    layer::TextLayer* episodeTitle = nullptr;
    int episode = 0;
};
