#pragma once
// Something that a time can be applied to.
#include "Core/Base/Types.h"

namespace animation {

class Anim {
public:
    virtual ~Anim() = default;
    virtual u32 Apply(float time) = 0;
};

} // namespace animation
