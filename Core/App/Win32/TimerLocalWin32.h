#pragma once
// The frame timer over the 64-bit performance counter; no clamp on long frames.
#include "Core/App/TimerBase.h"

namespace app {

class TimerLocalWin32 : public TimerBase {
public:
    TimerLocalWin32();
    ~TimerLocalWin32() override;
    void Reset() override;
    float Update() override;

    i64 frequency = 0;
    i64 last = 0;
};

} // namespace app
