#pragma once
// A unit with an invisibility aura hides the other units within its range each
// interval; it stays visible itself.
#include "Source/TD/Units/UnitAuraModifier.h"

class InvisibleAreaModifier : public UnitAuraModifier {
public:
    using UnitAuraModifier::UnitAuraModifier;

protected:
    void touch(TDMob& unit) override;
};
