#pragma once
// The logo slides shown when the game starts, listed in "logo/logo.ini": each fades
// in from black, stays and fades out; a click skips the current one. The main menu
// follows the last slide (or at once when there are none).
#include "Source/TD/Hud/HUDWindow.h"
#include "Source/TD/World/TDFrameEntry.h"

#include <string>
#include <vector>

class TDSplashScreens : public HUDWindow {
public:
    static constexpr float kFadeIn = 0.5f;
    static constexpr float kHold = 1.5f;
    static constexpr float kFadeOut = 0.5f;

    struct Slide {
        ImageHandle image; // empty when the picture did not load; the slide still runs
        int phase = 0;     // 0 fading in, 1 holding, 2 fading out, 3 finished
        float clock = 0.0f;
    };

    // Reads "logo/logo.ini" and loads its pictures.
    TDSplashScreens();
    // Slides for the picture names given (tests, and the constructor above).
    explicit TDSplashScreens(const std::vector<std::wstring>& names);

    // The picture names of a "logo/logo.ini" text, in order.
    static std::vector<std::wstring> ParseList(const std::string& text);

    void update(float dt) override;
    void draw(render::Graphics* graphics) override;
    // Skips the current slide; past the last one the window closes. Never a command.
    std::wstring click(int x, int y) override;
    // The main menu follows.
    void onClosed() override;

    std::vector<Slide> slides;
    int current = 0;

private:
    void loadSlides(const std::vector<std::wstring>& names);
    void advance();
};
