#include "Framework/FramePacer.h"

#include <algorithm>

namespace framework {

void FramePacer::SetRefreshRate(int hz)
{
    period = std::chrono::duration_cast<Clock::duration>(std::chrono::seconds(1)) / (hz > 1 ? hz : kDefaultHz);
}

void FramePacer::PassStarted(Clock::time_point now)
{
    passStart = now;
    presented = false;
}

void FramePacer::Presented()
{
    presented = true;
    everPresented = true;
    lastPresent = passStart;
}

FramePacer::Wait FramePacer::NextWait(Clock::time_point now) const
{
    Wait wait;
    wait.until = std::max(now, passStart + period);
    wait.wakesForInput = !presented;
    wait.notBefore = everPresented ? std::min(lastPresent + period, wait.until) : now;
    return wait;
}

} // namespace framework
