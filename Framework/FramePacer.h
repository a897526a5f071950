#pragma once
// The main loop's pace: never faster than the display. The next pass starts a refresh
// period after the start of the last one (at once when that pass ran late: there is no
// catching up), whatever the swap did, since on Xvfb, headless or without vertical
// sync it returns at once. A pass that presented nothing (its picture had not
// changed, or the window is minimised) lets the wait end early on input, and a
// present that input brings on still comes a period after the last present.
#include <chrono>

namespace framework {

class FramePacer {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr int kDefaultHz = 60;

    // The display's refresh rate; one at or below 1 (unknown) counts as kDefaultHz.
    void SetRefreshRate(int hz);
    Clock::duration Period() const { return period; }

    // The pass that starts at `now`; Presented, during it, when it presented a frame.
    void PassStarted(Clock::time_point now);
    void Presented();

    struct Wait {
        Clock::time_point until;     // the next pass starts then at the latest,
        bool wakesForInput = false;  // or as soon as input arrives,
        Clock::time_point notBefore; // but in that case not before this
    };
    Wait NextWait(Clock::time_point now) const;

private:
    Clock::duration period = std::chrono::duration_cast<Clock::duration>(std::chrono::seconds(1)) / kDefaultHz;
    Clock::time_point passStart{};
    Clock::time_point lastPresent{}; // the start of the last pass that presented
    bool presented = false;
    bool everPresented = false;
};

} // namespace framework
