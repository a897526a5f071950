#pragma once
// The base of every timed effect on a unit, a tower or an area of the map.
#include "Core/Base/Types.h"

#include <string>

class TDModifier {
public:
    TDModifier(std::string name, void* owner, float value, float duration)
        : name(std::move(name)), owner(owner), value(value), duration(duration)
    {
    }
    virtual ~TDModifier() = default;
    // Advances the effect; the active flag clears once its duration has passed
    // (a duration of -1 lasts for ever).
    virtual void update(void* target, float dt);

    std::string name;
    void* owner;
    float value;
    float duration;
    float interval = -1.0f;
    float clock = 0.0f;
    i32 active = 1;
};
