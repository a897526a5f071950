#pragma once
// The logical user-interface node: one layer (owned or borrowed), child widgets and
// a listener; attached to a frame when its ancestors reach one.
#include "Core/Base/DeferredDelete.h"
#include "Framework/Widget/TypeId.h"
#include "Framework/Widget/WidgetContainer.h"

namespace layer {
class Layer;
}

namespace widget {

class Frame;
class FrameManager;
class WidgetListener;

class Widget : public WidgetContainer, public base::DeferredDeletable {
public:
    Widget() = default;
    Widget(layer::Layer* layer, bool ownsLayer);
    // Deletes an owned layer. Children are not deleted; they and the parent forget
    // this widget, and its frame and frame manager drop every hover, focus and capture
    // held by it or a widget below it.
    ~Widget() override;

    // Removes the child: inherited-disabled undone, hover and focus cleared (with
    // clearHover; without it the child's subtree loses them silently), capture ended,
    // detached from manager and frame, layer detached. 1 when absent.
    GEResultEnum Remove(Widget* child, bool clearHover) override;
    // Appends the child and puts its layer under `parentLayer` (this widget's layer
    // when null); attaches it to this widget's frame and manager. A child that already
    // has a parent (this one or another) or is an ancestor of this widget is refused
    // with 1: remove it from its parent first.
    virtual GEResultEnum AddChild(Widget* child, layer::Layer* parentLayer = nullptr);
    // Whether this widget is `root` or lies below it.
    bool IsWithin(const Widget* root) const;
    virtual const TypeId& GetTypeId() const;
    static TypeId& RootTypeId();

    bool CountsDisabled() const { return disabled || inheritedDisabled; }
    // Brings the children's inherited-disabled flags in line with this widget.
    GEResultEnum PropagateDisabled();
    GEResultEnum SetFrame(Frame* newFrame);
    GEResultEnum SetFrameManager(FrameManager* manager);
    GEResultEnum UpdateTree(float dt);
    GEResultEnum ClearHoverAndFocus();
    // With bindDrawHooks and a listener, the layer's draw callbacks call the
    // listener's OnDrawBegin and OnDrawEnd; otherwise they are cleared.
    void SetListener(WidgetListener* newListener, bool bindDrawHooks);
    // Makes the layer the widget's, deleting an owned previous one.
    void SetLayer(layer::Layer* newLayer, bool owns);

    bool notifyMode = false;
    Widget* parent = nullptr;
    Frame* frame = nullptr;
    WidgetListener* listener = nullptr;
    layer::Layer* layer = nullptr;
    bool ownsLayer = false;
    u32 captureOnPress = 0;
    bool enabled = true;
    bool disabled = false;
    bool inheritedDisabled = false;
    bool hovered = false;
    bool hoverWithin = false;
    bool pressed = false;

protected:
    GEResultEnum NotifyDisabled(bool value);

private:
    // The subtree of an orphaned child belongs to no frame any more.
    void ForgetFrame();
    void BindDrawHooks();
    bool bindsDrawHooks = false;
};

} // namespace widget
