#pragma once
// A widget that roots a screen, board or dialog: the frame manager keeps a stack of
// them. Its layer is a hit rectangle it owns.
#include "Framework/Widget/Widget.h"

namespace layer {
class RectHitLayer;
}

namespace widget {

class Frame : public Widget {
public:
    Frame();
    // A frame deleted while still shown leaves no pointer to it in its manager.
    ~Frame() override;

    const TypeId& GetTypeId() const override;
    static TypeId& FrameTypeId();

    virtual GEResultEnum OnActivated() { return GE_OK; }
    virtual GEResultEnum OnDeactivated() { return GE_OK; }

    // Moves the hover to `widget` (null: nothing hovered), notifying the widgets that
    // lose or gain it and the ancestors whose subtree the pointer leaves or enters.
    GEResultEnum SetHoverWidget(Widget* widget);
    // `gone` or its subtree is leaving this frame (removed or deleted): a hover or focus
    // inside it is dropped. The leaving widgets lose their hover flags without a call to
    // their listeners; the ancestors above `gone` hear that the pointer left them.
    GEResultEnum ForgetWidget(Widget* gone);

    // Ancestor chains longer than this are refused by SetHoverWidget.
    static constexpr int kMaxHoverAncestors = 255;

    FrameManager* manager = nullptr;
    layer::RectHitLayer* hitLayer = nullptr;
    bool active = false;
    Widget* hoveredWidget = nullptr;
    Widget* focusedWidget = nullptr;
};

} // namespace widget
