#pragma once
// The caption over a level as it begins: the episode's name and the level's number,
// fading in (0.5 s), holding (2 s) and fading out (0.5 s). The root board keeps it in
// a slot of its own and drops it once it has closed itself.
#include "Source/TD/Hud/HUDWindow.h"

class HUDLevelName : public HUDWindow {
public:
    // The texts of the level object's current episode and level.
    HUDLevelName();

    void update(float dt) override;
    void draw(render::Graphics* graphics) override;
    // 0..1 of the phase's fade; negative timer: nothing to draw.
    float currentAlpha() const;
    // Vertical centres of the two lines for their fonts' line heights: one block centred
    // on `cy`, with a gap between the lines so that they never touch.
    static void lineCentres(float cy, float nameHeight, float levelHeight, float* nameY, float* levelY);

    std::wstring episodeName;
    std::wstring levelText;
    float timer = 0.5f;
    int phase = 0; // 0 fade-in, 1 hold, 2 fade-out
};
