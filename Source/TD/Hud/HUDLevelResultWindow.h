#pragma once
// The window over a finished level ("td/ui_levelresult"): judges the stars, awards
// gems, shows the best score, stores the level's result in the profile (all at
// construction), then counts the scores up one after the other. The level object
// sets the caption, the level name and the first texts, and acts on the buttons.
#include "Source/TD/Hud/HUDWindow.h"

class HUDLevelResultWindow : public HUDWindow {
public:
    // Phases (the window's state): fade-in, kill score, combo bonus, life bonus, total,
    // finished.
    enum Phase { FadeIn = 0, Kills = 1, Combo = 2, Life = 3, Total = 4, Finished = 5 };

    HUDLevelResultWindow();

    void update(float dt) override;
    void draw(render::Graphics* graphics) override;

    // 3 at full health exactly, 2 from half, 1 above none, else 0 (also above full).
    static int starsFor(float health, float maxHealth);
    // The count shown t seconds into a one-second count-up to `value`.
    static int countUp(int value, float t);
    // Gems for stars beyond the stored ones: 15 a star.
    static int starGems(int stars, int storedStars);
    // The completion event of an episode; -1 when the episode has none.
    static int episodeEventId(int episode);

    int stars = 0;
    int killScore = 0;
    int comboBonus = 0;
    int lifeBonus = 0;
    int gemsAwarded = 0;

private:
    void setPhase(int phase);
    // The text `key` (localised) followed by the count.
    void setCount(const wchar_t* name, const wchar_t* key, int value);
};
