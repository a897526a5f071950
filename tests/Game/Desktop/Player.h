#pragma once
// A person at the real window: finds the game's window on the X display, turns places
// of the design screen into the window's real coordinates (the 4:3 picture inside the
// client area, between bars), clicks and types there, and reads the screen back:
// whether it shows what the headless run saw, and pictures for a person to look at.
#include "tests/Game/Desktop/GameRun.h"
#include "tests/Game/Desktop/Layout.h"
#include "tests/Game/Desktop/XDisplay.h"

#include <chrono>
#include <functional>
#include <string>

namespace desktop {

class Player {
public:
    // Screenshots go to <build>/test-shots/<shots>/.
    Player(XDisplay& display, GameRun& game, const Layout& layout, const std::string& shots);

    // Waits until the game's window shows and takes its place; false after `limit`.
    bool WaitForWindow(std::chrono::seconds limit = std::chrono::seconds(60));
    // Clicks through the splash slides, where the main menu has no button, until the
    // main menu shows (`share` of it alike); false after two minutes.
    bool ThroughSplash(double share);
    // Takes the window's place, size and picture fit again (after a mode switch or a
    // resize); false when the window is gone.
    bool Locate();
    const Rect& Client() const { return client; }

    // The screen point of a design point.
    void ToScreen(Point p, int& x, int& y) const;
    void Click(Point p, int gapMs = 300);
    void Click(const std::string& place, int gapMs = 300) { Click(layout.At(place), gapMs); }
    void MoveTo(Point p);

    // The share of the design screen (or of `area` of it) that looks as the headless
    // run's picture `reference` did, 0 to 1; with `shift`, `area` of the reference is
    // looked for that far away on the screen (the same menu at another spot).
    double Likeness(const std::string& reference, const DesignRect* area = nullptr, Point shift = {});
    // Waits until the likeness reaches `share`; after `limit`, fails the test, takes a
    // picture of what shows instead and returns false.
    bool WaitFor(const std::string& reference, std::chrono::milliseconds limit, double share = 0.9,
                 const DesignRect* area = nullptr);
    // Waits until `done` holds, looking every 100 ms; false after `limit`.
    static bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit);

    // The window's picture, as the design screen's pixels at the window's scale: a
    // design point's pixel (nearest sample).
    std::uint32_t DesignPixel(const Picture& screen, float x, float y) const;
    // The share of `area` whose pixels differ by more than `tolerance` between two screens.
    double Difference(const Picture& a, const Picture& b, const DesignRect& area, int tolerance = 40) const;

    // Writes the client area to <build>/test-shots/<shots>/<name>.png, and fails the test
    // when anything but black or the side panels is drawn in its side bars.
    void Shot(const std::string& name);

    XDisplay& display;
    GameRun& game;
    const Layout& layout;

private:
    std::string shots;
    unsigned long window = 0;
    Rect client;
    // The picture inside the client: its top-left corner on the screen and its scale.
    float originX = 0.0f, originY = 0.0f, scale = 1.0f;
};

} // namespace desktop
