// Feeds arbitrary bytes to the animation reader, then uses what it accepted the way the
// dialog effects do: evaluates every envelope at times inside and outside the keys and
// plays every object onto a layer. Evaluation must end for any keys the file holds.
#include "Framework/Animation/AnimData.h"
#include "Framework/Animation/LayerAnim.h"
#include "Framework/Layer/Layer.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    animation::AnimData anim;
    anim.name = L"fuzz.anim";
    if (anim.Parse(data, size) != GE_OK)
        return 0;
    if (!std::isfinite(anim.startTime) || !std::isfinite(anim.endTime))
        std::abort(); // refused by the reader
    const float span = anim.endTime - anim.startTime;
    const float times[] = {anim.startTime,
                           anim.endTime,
                           anim.startTime + span * 0.37f,
                           anim.startTime - 3.0f,
                           anim.endTime + 7.5f,
                           -1e30f,
                           1e30f,
                           NAN,
                           INFINITY};
    for (const auto& object : anim.objects) {
        if (object->owner != &anim || (object->hasParent && object->parentIndex >= anim.objects.size()))
            std::abort();
        if (object->hasColour != (object->colour != nullptr))
            std::abort();
        for (const animation::Envelope& envelope : object->motion) {
            for (const float t : times)
                animation::EvaluateEnvelope(envelope, t);
        }
        layer::Layer target;
        animation::LayerAnim player(&target, object.get());
        for (const float t : times) {
            player.Apply(t);
            if (!(target.opacity >= 0.0f && target.opacity <= 1.0f))
                std::abort(); // dissolve is clamped, NaN included
            if (object->colour && !(target.tintAmount >= 0.0f && target.tintAmount <= 1.0f))
                std::abort();
        }
    }
    return 0;
}
