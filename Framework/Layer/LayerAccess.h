#pragma once

namespace layer {

// Common base of the objects that layers call back (widget listeners).
class LayerAccess {
public:
    virtual ~LayerAccess() = default;
};

} // namespace layer
