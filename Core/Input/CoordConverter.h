#pragma once
// Turns window positions into the game's virtual screen.
#include "Core/Input/InputListener.h"

namespace input {

class CoordConverter {
public:
    virtual ~CoordConverter() = default;
    virtual point ScreenToVirtual(const point& windowPos) = 0;
    virtual point Rotate(const point& p, int orientation) = 0;
};

} // namespace input
