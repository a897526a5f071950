#pragma once
// Put on a layer that must swallow every pointer event over its area (the backdrop of
// a skinned control): presses activate the owner's frame, moves and drags clear the
// frame's hover, and the walk always ends taken.
#include "Framework/Widget/WidgetHitTestListener.h"

namespace widget {

class TrapHitTestListener : public WidgetHitTestListener {
public:
    explicit TrapHitTestListener(Widget* owner = nullptr) : WidgetHitTestListener(owner, TrapTag{}) {}
};

} // namespace widget
