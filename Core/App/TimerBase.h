#pragma once
// Measures the time between successive calls, in seconds.
#include "Core/Base/Types.h"

namespace app {

class TimerBase {
public:
    virtual ~TimerBase() = default;
    // Starts measuring from now.
    virtual void Reset() = 0;
    // Seconds since the previous call (or Reset); also kept in frameTime.
    virtual float Update() = 0;

    float frameTime = 0.0f;
};

} // namespace app
