#pragma once
// Put on a layer that must swallow every pointer event over its area (the backdrop of
// a skinned control): presses activate the owner's frame, moves and drags clear the
// frame's hover, and the walk always ends taken.
#include "Framework/Layer/HitTestListener.h"

namespace widget {

class Widget;

class TrapHitTestListener : public layer::HitTestListener {
public:
    explicit TrapHitTestListener(Widget* owner = nullptr) : owner(owner) {}

    GEResultEnum OnMouseDown(layer::HitTestParam& param, const layer::OnMouseDown& event) override;
    GEResultEnum OnMouseUp(layer::HitTestParam& param, const layer::OnMouseUp& event) override;
    GEResultEnum OnMouseDoubleClick(layer::HitTestParam& param, const layer::OnMouseDown& event) override;
    GEResultEnum OnMouseMove(layer::HitTestParam& param) override;
    GEResultEnum OnMouseDrag(layer::HitTestParam& param) override;
    GEResultEnum OnMouseWheel(layer::HitTestParam& param, const layer::OnMouseWheel& event) override;

    Widget* owner;

private:
    GEResultEnum ActivateOwnerFrame();
    GEResultEnum ClearHover();
};

} // namespace widget
