#pragma once
#include "Core/App/Win32/TimerLocalWin32.h"

namespace app {

class TimerLocal : public TimerLocalWin32 {};

} // namespace app
