#pragma once
// Value types of the window: integer positions and sizes, and the monitor entries
// from which the screen mode is chosen.
#include "Core/Base/Types.h"
#include <vector>

namespace app {

struct point {
    i32 x = 0;
    i32 y = 0;
};

struct size {
    i32 width = 0;
    i32 height = 0;
};

// One display, in enumeration order.
struct MonitorInfo {
    i32 x = 0, y = 0, width = 0, height = 0;
    i32 workX = 0, workY = 0, workWidth = 0, workHeight = 0;
    u8 primary = 0;
};

using MonitorList = std::vector<MonitorInfo>;

} // namespace app
