#pragma once
// A unit born invisible hides itself each interval (from its first update on); a hit
// shows it again until the next hide.
#include "Source/TD/Units/TDModifier.h"

class InvisibleModifier : public TDModifier {
public:
    explicit InvisibleModifier(float interval);
    void apply(TDMob* unit, float dt) override;

    // How long one hide lasts and the opacity the unit fades to.
    static constexpr float kHideTime = 2.0f;
    static constexpr float kHiddenAlpha = 0.4f;
};
