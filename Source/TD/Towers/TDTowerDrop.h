#pragma once
// The base of the collectible drops lying on the field (gold and crystals): a clock
// and a state whose values the subclasses give meaning to.
#include "Core/Base/Types.h"

namespace render {
class Graphics;
}

class TDTowerSpecial {
public:
    virtual ~TDTowerSpecial() = default;
    virtual void update(float dt) { clock += dt; }
    virtual void draw(render::Graphics*) {}
    virtual void hook() {}
    virtual i32 setState(i32 value) { return state = value; }

    float clock = 0.0f;
    i32 state = 0;
    u8 alive = 1; // cleared when the drop is to be removed
};
