#pragma once
// A unit with a haste aura doubles the speed of the other units within its range; the
// haste eases in and lasts 5 s after the last apply.
#include "Source/TD/Units/UnitAuraModifier.h"

class HasteAreaModifier : public UnitAuraModifier {
public:
    using UnitAuraModifier::UnitAuraModifier;

protected:
    void touch(TDMob& unit) override;
};
