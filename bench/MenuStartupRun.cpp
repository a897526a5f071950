// Started afresh by bench_menu_startup for every measurement: the game, headless on the
// generated content, from its start to the first frame that shows the main menu. Each
// splash picture is clicked away as soon as it is up, as a player in a hurry does, so
// the figure is the program's own work rather than the pictures' display time. Writes
// "started <ns>" (start-up done) and "menu <ns>" (the menu presented) on the monotonic
// clock to the file named by GE_MENU_STAMPS, then leaves without the exit save.
#include "Core/Base/Singletone.h"
#include "Source/TD/Hud/HUD.h"
#include "Source/TD/Screens/HUDMainMenu.h"
#include "Source/TD/Shell/Game.h"
#include "Source/TD/Shell/GameWindow.h"
#include "Source/TD/World/TDMap.h"
#include "tests/Support/GameHarness.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <unistd.h>

namespace {

long long Now()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

constexpr int kMaxFrames = 3000;

int Measure(const char* out)
{
    GameHarness h("MenuStartup", GameSetup{});
    if (h.Start() != GE_OK) {
        std::fprintf(stderr, "the game did not start\n");
        return 2;
    }
    const long long started = Now();
    TDMap* map = h.game()->mGameWindow ? h.game()->mGameWindow->mMap : nullptr;
    if (!map) {
        std::fprintf(stderr, "the game has no level object\n");
        return 2;
    }
    int frames = 0;
    while (!dynamic_cast<HUDMainMenu*>(map->mHud->topWindow())) {
        if (++frames > kMaxFrames) {
            std::fprintf(stderr, "no main menu after %d frames (screen %d)\n", kMaxFrames, h.Screen());
            return 3;
        }
        if (h.Screen() == 12 && frames % 8 == 0)
            h.Click(500, 400);
        else
            h.Step(1);
    }
    h.Step(1); // the menu drawn and presented
    const long long menu = Now();
    std::FILE* file = std::fopen(out, "w");
    if (!file) {
        std::fprintf(stderr, "cannot write %s\n", out);
        return 4;
    }
    std::fprintf(file, "started %lld\nmenu %lld\n", started, menu);
    std::fclose(file);
    return 0;
}

} // namespace

int main()
{
    const char* out = std::getenv("GE_MENU_STAMPS");
    if (!out || !*out) {
        std::fprintf(stderr, "GE_MENU_STAMPS names no file\n");
        return 1;
    }
    const int result = Measure(out);
    std::fflush(stdout);
    std::fflush(stderr);
    base::DestroySingletones();
    _exit(result);
}
