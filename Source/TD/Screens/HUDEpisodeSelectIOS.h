#pragma once
// The episode select: the episodes as a row of plates browsed with two arrows or by
// dragging; "play" or a click on the centred plate picks an open episode (the level
// object asks hitTest), "back" and "shop" are plain buttons.
#include "Source/TD/Hud/HUDWindow.h"
#include "Source/TD/Screens/EpisodePager.h"

#include <memory>

class TDMap;

class HUDEpisodeSelectIOS : public HUDWindow {
public:
    HUDEpisodeSelectIOS();
    ~HUDEpisodeSelectIOS() override;

    void draw(render::Graphics* graphics) override;
    void update(float dt) override;
    void onMouseMove(int x, int y) override;
    void onMouseReleased(int x, int y) override;
    void onMousePressed(int x, int y) override;
    // The episode to open (the centred one, when open and the row rests), else -1;
    // the arrows turn the row here.
    int hitTest(int x, int y) override;

    // An episode with levels whose star requirement the player's stars meet.
    static bool isEpisodeUnlocked(TDMap* map, int episode);

    void onPageChanged(int page);
    void onMotionStarted();
    void onMotionEnded();

    std::unique_ptr<EpisodePager> pager;
    int playFade = 0; // 0 shown, 1 fading out, 2 hidden, 3 fading in
    // The closed episode the last hit test was asked to open (play or its card); -1
    // when it was not refused one.
    int refused = -1;
    bool pressed = false;
    ImageHandle lockImage;
    ImageHandle newImage;
};
