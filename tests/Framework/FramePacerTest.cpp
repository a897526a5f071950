// The main loop's pace: a period after the last pass, never sooner, with no catching up;
// a pass that presented nothing may end its wait on input, but a present waits out the
// period since the last one.
#include "Framework/FramePacer.h"

#include <gtest/gtest.h>

namespace {

using framework::FramePacer;
using Clock = FramePacer::Clock;
using std::chrono::milliseconds;

constexpr Clock::duration kSecond = std::chrono::duration_cast<Clock::duration>(std::chrono::seconds(1));

TEST(FramePacer, RefreshRateSetsThePeriodAndUnknownRatesCountAsSixtyHertz)
{
    const struct {
        int hz;
        Clock::duration period;
    } cases[] = {{0, kSecond / 60}, {1, kSecond / 60}, {-5, kSecond / 60}, {75, kSecond / 75}, {144, kSecond / 144}};
    for (const auto& c : cases) {
        FramePacer pacer;
        pacer.SetRefreshRate(c.hz);
        EXPECT_EQ(pacer.Period(), c.period) << c.hz;
    }
}

TEST(FramePacer, NextPassWaitsForThePeriodAndInputOnlyWhenNothingWasPresented)
{
    const Clock::time_point t0 = Clock::time_point{} + std::chrono::hours(1);
    const struct {
        const char* what;
        bool presented;           // by the pass that started at t0
        milliseconds now;         // after t0, when the wait is asked
        milliseconds lastPresent; // after t0 (negative: a pass before)
        milliseconds until, notBefore;
        bool wakesForInput;
    } cases[] = {
        {"a present, early", true, milliseconds(5), milliseconds(0), milliseconds(20), milliseconds(20), false},
        {"a present, late: no catching up", true, milliseconds(33), milliseconds(0), milliseconds(33),
         milliseconds(20), false},
        {"nothing new, the last present long ago", false, milliseconds(2), milliseconds(-100), milliseconds(20),
         milliseconds(-80), true},
        {"nothing new, the last present one pass before", false, milliseconds(2), milliseconds(-10),
         milliseconds(20), milliseconds(10), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FramePacer pacer;
        pacer.SetRefreshRate(50);
        pacer.PassStarted(t0 + c.lastPresent);
        pacer.Presented();
        pacer.PassStarted(t0);
        if (c.presented)
            pacer.Presented();
        const FramePacer::Wait wait = pacer.NextWait(t0 + c.now);
        EXPECT_EQ(wait.until, t0 + c.until);
        EXPECT_EQ(wait.wakesForInput, c.wakesForInput);
        if (c.wakesForInput) {
            EXPECT_EQ(wait.notBefore, t0 + c.notBefore);
        }
    }
}

TEST(FramePacer, FirstPassDoesNotWait)
{
    FramePacer pacer;
    const Clock::time_point now = Clock::now();
    const FramePacer::Wait wait = pacer.NextWait(now);
    EXPECT_LE(wait.until, now + pacer.Period());
    EXPECT_TRUE(wait.wakesForInput);
    EXPECT_LE(wait.notBefore, now);
}

} // namespace
