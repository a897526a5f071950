#pragma once
// Where things are on the 1024 x 768 design screen and what the screens look like
// there, read off the game's own objects by a headless run of the steps a player takes
// (the game harness): the real window is then played by these places and its screen
// compared with these pictures, so the suite follows the content wherever it moves.
#include "tests/Game/Desktop/XDisplay.h"

#include <map>
#include <string>
#include <vector>

namespace desktop {

struct Point {
    float x = 0.0f, y = 0.0f;
};

struct DesignRect {
    float x = 0.0f, y = 0.0f, width = 0.0f, height = 0.0f;
};

class Layout {
public:
    // How far the headless run goes: through the menus to the episodes and the levels,
    // or on into level 1 with its tutorial.
    enum class Reach { Menus, FirstLevel };

    // Plays the headless game once (in a child process) and reads what it wrote; false,
    // with a failure reported, when that run failed.
    bool Measure(Reach reach);
    // The layout measured once for the whole test program (which asks for one reach).
    static const Layout& Shared(Reach reach);
    // Whether the measuring run went through.
    bool Complete() const { return complete; }

    // A place by name ("menu.play", "spot.1", "ring.upgrade"); a missing one fails the
    // test and gives the screen's centre.
    Point At(const std::string& name) const;
    bool Has(const std::string& name) const { return points.count(name) != 0; }
    DesignRect Area(const std::string& name) const;
    // The places named prefix + "0", prefix + "1", ... in order.
    std::vector<Point> Series(const std::string& prefix) const;
    // The design screen as the headless run saw it at the step of that name.
    const Picture& Reference(const std::string& name) const;

private:
    std::map<std::string, Point> points;
    std::map<std::string, DesignRect> areas;
    std::map<std::string, Picture> references;
    bool complete = false;
};

} // namespace desktop
