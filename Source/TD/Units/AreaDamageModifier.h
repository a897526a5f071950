#pragma once
// The mark of a splash hit, drawn by the range display fading over its duration; the
// splash damage itself is dealt by the hit.
#include "Source/TD/Units/TDModifier.h"

class AreaDamageModifier : public TDModifier {
public:
    static constexpr int kKind = 101;
    static constexpr float kDuration = 1.5f;
    static constexpr float kRadius = 100.0f;

    AreaDamageModifier(float x, float y);
};
