// A long session of play: the game driven by seeded random clicks for a fixed span of
// game time (30 minutes unless GE_SOAK_MINUTES says otherwise), with the level running
// at double speed, across the menus, the shops and every level the profile opens.
// Nothing may crash, nothing a player does may put an error line in the log, and the
// resident memory measured at the end of each level stays within 5 % of what it was
// after the first one.
//
// Not part of the ordinary test run: scripts/soak.sh builds and starts it.
#include "Source/TD/Shell/Game.h"
#include "Source/TD/Shell/PlayerProgress.h"
#include "Source/TD/World/TDMap.h"
#include "tests/Support/ClickPlayer.h"
#include "tests/Support/GameHarness.h"
#include "tests/Support/LogCapture.h"
#include "tests/Support/RandomPlayer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwctype>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kFramesPerMinute = 60 * 60;
constexpr double kMemoryLimit = 1.05;

int EnvNumber(const char* name, int fallback, int low, int high)
{
    const char* text = std::getenv(name);
    if (!text || !*text)
        return fallback;
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (*end != '\0' || value < low || value > high) {
        std::fprintf(stderr, "%s=%s is not a number from %d to %d; using %d\n", name, text, low, high, fallback);
        return fallback;
    }
    return static_cast<int>(value);
}

// Resident memory of this process in KiB, from /proc/self/statm (0 when unreadable).
long ResidentKib()
{
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    if (!(statm >> size >> resident))
        return 0;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

// Words that mark a log line as reporting something wrong. The content is whole, so
// any such line during play is a fault the player's clicks uncovered.
bool IsErrorLine(const std::wstring& line)
{
    std::wstring lower = line;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](wchar_t c) { return std::towlower(c); });
    static const wchar_t* const kMarks[] = {L"error", L"fail", L"cannot", L"can't", L"not found", L"missing",
                                            L"invalid", L"damaged", L"not readable", L"unknown", L"could not"};
    for (const wchar_t* mark : kMarks)
        if (lower.find(mark) != std::wstring::npos)
            return true;
    return false;
}

std::vector<std::wstring> ErrorLines(const std::wstring& text)
{
    std::vector<std::wstring> found;
    std::wistringstream lines(text);
    for (std::wstring line; std::getline(lines, line);)
        if (IsErrorLine(line))
            found.push_back(line);
    return found;
}

std::string Narrow(const std::wstring& text)
{
    std::string out;
    for (wchar_t c : text)
        out += c < 128 ? static_cast<char>(c) : '?';
    return out;
}

TEST(Soak, RandomPlayKeepsTheGameWholeAndItsMemoryFlat)
{
    const int minutes = EnvNumber("GE_SOAK_MINUTES", 30, 1, 24 * 60);
    const unsigned seed = static_cast<unsigned>(EnvNumber("GE_SOAK_SEED", 20261210, 0, 2147483647));
    GameSetup setup;
    RunGame(
        "Soak", setup,
        [minutes, seed](GameHarness& h) {
            LogCapture log;
            ASSERT_EQ(h.Start(), GE_OK);
            TDMap* map = click::Level(h);
            ASSERT_NE(map, nullptr);
            // Every level of the first episode open, so that the chance picks among them.
            map->mProgress->renameProfile(L"Soak");
            LevelResult played;
            played.stars = 3;
            for (int level = 0; level < 5; ++level)
                map->mProgress->setLevelResult(0, level, played);
            const std::wstring startLog = log.text;
            log.Clear();

            RandomPlayer player(h, seed);
            const long totalFrames = long(minutes) * kFramesPerMinute;
            long frames = 0;
            int levelsEnded = 0, previousScreen = map->mScreen;
            std::vector<long> atLevelEnd; // resident KiB at each level's result
            long highest = 0;
            while (frames < totalFrames && !h.game()->IsDone()) {
                player.Act();
                const int settle = map->mScreen == 0 ? player.Between(5, 60) : player.Between(3, 20);
                h.Step(settle);
                frames += settle; // clicks step frames of their own: the session runs a little longer
                const int screen = map->mScreen;
                if (screen != previousScreen) {
                    if ((screen == 1 || screen == 2) && previousScreen != 1 && previousScreen != 2) {
                        ++levelsEnded;
                        h.Step(30);
                        atLevelEnd.push_back(ResidentKib());
                        std::printf("soak: level %d-%d %s after %.1f min, resident %ld KiB\n", map->mEpisode + 1,
                                    map->mLevel + 1, screen == 1 ? "won" : "lost", double(frames) / kFramesPerMinute,
                                    atLevelEnd.back());
                        std::fflush(stdout);
                    }
                    previousScreen = screen;
                }
                if (atLevelEnd.size() > 0)
                    highest = std::max(highest, ResidentKib());
            }
            const std::vector<std::wstring> errors = ErrorLines(log.text);
            std::printf("soak: %d min of game time (%ld frames), seed %u, %d levels played to their end\n", minutes,
                        frames, seed, levelsEnded);
            if (!atLevelEnd.empty())
                std::printf("soak: resident after the first level %ld KiB, after the last %ld KiB, highest since %ld "
                            "KiB, at the end %ld KiB\n",
                            atLevelEnd.front(), atLevelEnd.back(), highest, ResidentKib());
            std::printf("soak: %zu error lines in the log\n", errors.size());
            EXPECT_FALSE(h.game()->IsDone()) << "the session ended before its time";
            for (const std::wstring& line : ErrorLines(startLog))
                ADD_FAILURE() << "log at the start: " << Narrow(line);
            for (const std::wstring& line : errors)
                ADD_FAILURE() << "log: " << Narrow(line);
            // A long session plays several levels to their end; a short one (while the
            // soak itself is worked on) may not reach the first.
            if (minutes >= 10) {
                ASSERT_GE(levelsEnded, 2) << "fewer than two levels came to an end";
            }
            for (size_t i = 1; i < atLevelEnd.size(); ++i)
                EXPECT_LE(double(atLevelEnd[i]), double(atLevelEnd.front()) * kMemoryLimit)
                    << "resident memory at the end of level " << i + 1 << " against the first";
        },
        {}, minutes * 60 * 8 + 600); // a loaded machine plays slower than real time
}

} // namespace
