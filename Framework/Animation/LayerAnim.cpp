#include "Framework/Animation/LayerAnim.h"
#include "Framework/Animation/AnimData.h"
#include "Framework/Layer/Layer.h"

namespace animation {

namespace {

// NaN, which a damaged file can produce, counts as 0.
float Clamp01(float value)
{
    if (!(value > 0.0f))
        return 0.0f;
    return value < 1.0f ? value : 1.0f;
}

} // namespace

LayerAnim::LayerAnim(layer::Layer* target, const AnimObject* object) : target(target), object(object) {}

u32 LayerAnim::Apply(float time)
{
    if (!target || !object)
        return 0;
    layer::Layer& l = *target;
    float v[kDissolve];
    for (u32 channel = 0; channel < kDissolve; ++channel)
        v[channel] = EvaluateEnvelope(object->motion[channel], time);

    // Only a changed value goes through the setter, so an unchanged layer keeps its
    // bounds; a NaN never compares equal and is always written.
    if (v[kPositionX] != l.position.x)
        l.SetX(v[kPositionX]);
    if (v[kPositionY] != l.position.y)
        l.SetY(v[kPositionY]);
    if (v[kPositionZ] != l.position.z)
        l.SetZ(v[kPositionZ]);
    if (v[kRotationX] != l.rotation.x)
        l.SetRotation(v[kRotationX], l.rotation.y, l.rotation.z);
    if (v[kRotationY] != l.rotation.y)
        l.SetRotation(l.rotation.x, v[kRotationY], l.rotation.z);
    if (v[kRotationZ] != l.rotation.z)
        l.SetRotation(l.rotation.x, l.rotation.y, v[kRotationZ]);
    if (v[kScaleX] != l.scale.x)
        l.SetScale(v[kScaleX], l.scale.y, l.scale.z);
    if (v[kScaleY] != l.scale.y)
        l.SetScale(l.scale.x, v[kScaleY], l.scale.z);
    if (v[kScaleZ] != l.scale.z)
        l.SetScale(l.scale.x, l.scale.y, v[kScaleZ]);

    l.opacity = 1.0f - Clamp01(EvaluateEnvelope(object->motion[kDissolve], time));

    if (object->colour) {
        const auto& colour = *object->colour;
        l.color.x = Clamp01(EvaluateEnvelope(colour[kColourRed], time));
        l.color.y = Clamp01(EvaluateEnvelope(colour[kColourGreen], time));
        l.color.z = Clamp01(EvaluateEnvelope(colour[kColourBlue], time));
        l.tintAmount = Clamp01(EvaluateEnvelope(colour[kColourTintAmount], time));
    }
    return 0;
}

} // namespace animation
