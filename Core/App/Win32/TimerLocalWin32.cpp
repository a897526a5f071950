#include "Core/App/Win32/TimerLocalWin32.h"
#include "Platform/Win32/Windows.h"

namespace app {

TimerLocalWin32::TimerLocalWin32()
{
    Reset();
}

TimerLocalWin32::~TimerLocalWin32()
{
    // The last reading on release, as the loop's timer always did.
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    last = now.QuadPart;
}

void TimerLocalWin32::Reset()
{
    LARGE_INTEGER value{};
    QueryPerformanceFrequency(&value);
    frequency = value.QuadPart;
    QueryPerformanceCounter(&value);
    last = value.QuadPart;
}

float TimerLocalWin32::Update()
{
    LARGE_INTEGER now{};
    QueryPerformanceCounter(&now);
    const double seconds =
        frequency > 0 ? static_cast<double>(now.QuadPart - last) / static_cast<double>(frequency) : 0.0;
    last = now.QuadPart;
    frameTime = static_cast<float>(seconds);
    return frameTime;
}

} // namespace app
