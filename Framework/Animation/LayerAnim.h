#pragma once
// Plays one object of an animation onto a layer: position, rotation, scale, opacity
// and, when the object has them, colour and tint amount.
#include "Framework/Animation/Anim.h"

namespace layer {
class Layer;
}

namespace animation {

struct AnimObject;

class LayerAnim : public Anim {
public:
    // Neither the layer nor the object is owned; both must outlive this.
    LayerAnim(layer::Layer* target, const AnimObject* object);

    u32 Apply(float time) override;

    layer::Layer* target;
    const AnimObject* object;
};

} // namespace animation
