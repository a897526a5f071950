#include "Framework/Widget/Frame.h"
#include "Core/Base/Log.h"
#include "Framework/Layer/RectHitLayer.h"
#include "Framework/Widget/FrameManager.h"
#include "Framework/Widget/WidgetListener.h"
#include <array>

namespace widget {

namespace {

// The ancestors of `widget`, nearest first, ending with the root's empty parent (a
// null widget has only that entry).
// Returns the number of entries used, or -1 when the chain does not fit.
int CollectChain(Widget* widget, std::array<Widget*, Frame::kMaxHoverAncestors + 1>& chain)
{
    int count = 0;
    if (!widget) {
        chain[0] = nullptr;
        return 1;
    }
    for (Widget* w = widget->parent;; w = w->parent) {
        if (count == int(chain.size()))
            return -1;
        chain[count++] = w;
        if (!w)
            return count;
    }
}

} // namespace

Frame::Frame()
{
    frame = this;
    focusedWidget = this;
    hitLayer = new layer::RectHitLayer;
    SetLayer(hitLayer, true);
}

Frame::~Frame()
{
    if (manager)
        manager->ForgetFrame(this);
    hoveredWidget = nullptr;
    focusedWidget = nullptr;
    // The widget part must not treat this half-destroyed frame as a live one.
    frame = nullptr;
}

GEResultEnum Frame::ForgetWidget(Widget* gone)
{
    if (!gone)
        return GE_OK;
    if (focusedWidget && focusedWidget->IsWithin(gone))
        focusedWidget = nullptr;
    Widget* hovered = hoveredWidget;
    if (!hovered || !hovered->IsWithin(gone))
        return GE_OK;
    hoveredWidget = nullptr;
    for (Widget* w = hovered; w != gone->parent; w = w->parent) {
        w->hovered = false;
        w->hoverWithin = false;
    }
    for (Widget* ancestor = gone->parent; ancestor; ancestor = ancestor->parent) {
        ancestor->hoverWithin = false;
        if (ancestor->listener) {
            if (GEResultEnum result = ancestor->listener->OnChildHoverChange(false))
                return result;
        }
    }
    return GE_OK;
}

const TypeId& Frame::GetTypeId() const
{
    return FrameTypeId();
}

TypeId& Frame::FrameTypeId()
{
    static TypeId id = MakeDerivedTypeId(Widget::RootTypeId());
    return id;
}

GEResultEnum Frame::SetHoverWidget(Widget* widget)
{
    Widget* old = hoveredWidget;
    if (old == widget)
        return GE_OK;

    std::array<Widget*, kMaxHoverAncestors + 1> newChain;
    std::array<Widget*, kMaxHoverAncestors + 1> oldChain;
    int newCount = CollectChain(widget, newChain);
    int oldCount = CollectChain(old, oldChain);
    if (newCount < 0 || oldCount < 0) {
        GE_LOG(L"Hover change refused: a widget has more than %d ancestors.\n") << int(kMaxHoverAncestors);
        return GE_FAIL;
    }
    // Drop the common tail: the ancestors that keep their hover-within state.
    while (newCount > 0 && oldCount > 0 && newChain[newCount - 1] == oldChain[oldCount - 1]) {
        --newCount;
        --oldCount;
    }

    if (old) {
        old->hovered = false;
        if (old->listener) {
            if (GEResultEnum result = old->listener->OnHoverChange(false))
                return result;
        }
        for (int i = 0; i < oldCount; ++i) {
            Widget* ancestor = oldChain[i];
            ancestor->hoverWithin = false;
            if (ancestor->listener) {
                if (GEResultEnum result = ancestor->listener->OnChildHoverChange(false))
                    return result;
            }
        }
    }

    hoveredWidget = widget;
    if (manager && widget) {
        if (manager->hoverFrame && manager->hoverFrame != this) {
            if (GEResultEnum result = manager->hoverFrame->SetHoverWidget(nullptr))
                return result;
        }
        manager->hoverFrame = this;
    }

    if (widget) {
        widget->hovered = true;
        if (widget->listener) {
            if (GEResultEnum result = widget->listener->OnHoverChange(true))
                return result;
        }
        for (int i = 0; i < newCount; ++i) {
            Widget* ancestor = newChain[i];
            ancestor->hoverWithin = true;
            if (ancestor->listener) {
                if (GEResultEnum result = ancestor->listener->OnChildHoverChange(true))
                    return result;
            }
        }
    }
    return GE_OK;
}

} // namespace widget
