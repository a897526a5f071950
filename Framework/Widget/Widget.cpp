#include "Framework/Widget/Widget.h"
#include "Core/Base/Log.h"
#include "Framework/Layer/Layer.h"
#include "Framework/Widget/Frame.h"
#include "Framework/Widget/FrameManager.h"
#include "Framework/Widget/WidgetListener.h"
#include <algorithm>

namespace widget {

Widget::Widget(layer::Layer* layer, bool ownsLayer) : layer(layer), ownsLayer(ownsLayer) {}

Widget::~Widget()
{
    // A frame clears its own field before this runs, so `frame` is another object.
    if (frame) {
        frame->ForgetWidget(this);
        if (frame->manager)
            frame->manager->DropCapture(this);
    }
    if (ownsLayer)
        delete layer;
    for (Widget* child : children) {
        if (child->parent == this) {
            child->parent = nullptr;
            child->ForgetFrame();
        }
    }
    if (parent)
        parent->WidgetContainer::Remove(this, false);
}

void Widget::ForgetFrame()
{
    frame = nullptr;
    for (Widget* child : children)
        child->ForgetFrame();
}

bool Widget::IsWithin(const Widget* root) const
{
    for (const Widget* w = this; w; w = w->parent) {
        if (w == root)
            return true;
    }
    return false;
}

const TypeId& Widget::GetTypeId() const
{
    return RootTypeId();
}

TypeId& Widget::RootTypeId()
{
    static TypeId root;
    return root;
}

GEResultEnum Widget::NotifyDisabled(bool value)
{
    if (!listener)
        return GE_OK;
    return notifyMode ? listener->OnInheritedDisabledChange(value) : listener->OnDisabledChange(value);
}

GEResultEnum Widget::AddChild(Widget* child, layer::Layer* parentLayer)
{
    if (!child || child == this)
        return GE_FAIL;
    // A second entry would be deleted twice, and an ancestor would make a loop.
    if (child->parent || std::find(children.begin(), children.end(), child) != children.end() ||
        IsWithin(child)) {
        GE_LOG(L"A widget cannot be added where it already has a parent or above itself; remove it first.\n");
        return GE_FAIL;
    }
    if (GEResultEnum result = Add(child))
        return result;
    child->parent = this;
    if (frame) {
        if (GEResultEnum result = child->SetFrame(frame))
            return result;
        if (frame->manager) {
            if (GEResultEnum result = child->SetFrameManager(frame->manager))
                return result;
        }
    }
    layer::Layer* target = parentLayer ? parentLayer : layer;
    if (child->layer && target)
        target->AddChild(child->layer);
    if (CountsDisabled() && !child->inheritedDisabled) {
        child->inheritedDisabled = true;
        if (GEResultEnum result = child->NotifyDisabled(true))
            return result;
        return child->PropagateDisabled();
    }
    return GE_OK;
}

GEResultEnum Widget::Remove(Widget* child, bool clearHover)
{
    // Nothing is undone for a widget that is not ours.
    if (std::find(children.begin(), children.end(), child) == children.end())
        return GE_FAIL;
    if (CountsDisabled() && child->inheritedDisabled) {
        child->inheritedDisabled = false;
        if (GEResultEnum result = child->NotifyDisabled(false))
            return result;
        if (GEResultEnum result = child->PropagateDisabled())
            return result;
    }
    if (frame) {
        if (clearHover) {
            if (GEResultEnum result = child->ClearHoverAndFocus())
                return result;
        }
        // The frame must not keep pointing into a subtree that leaves it.
        if (GEResultEnum result = frame->ForgetWidget(child))
            return result;
        if (frame->manager) {
            frame->manager->DropCapture(child);
            if (child->listener) {
                if (GEResultEnum result = child->listener->OnDetachedFromManager())
                    return result;
            }
            for (size_t i = 0; i < child->children.size(); ++i) {
                if (GEResultEnum result = child->children[i]->SetFrameManager(nullptr))
                    return result;
            }
        }
        GEResultEnum detached = child->listener ? child->listener->OnDetachedFromFrame() : GE_OK;
        if (detached == GE_OK) {
            child->frame = nullptr;
            for (size_t i = 0; i < child->children.size(); ++i) {
                if (GEResultEnum result = child->children[i]->SetFrame(nullptr))
                    return result;
            }
        }
    }
    if (GEResultEnum result = WidgetContainer::Remove(child, clearHover))
        return result;
    child->parent = nullptr;
    if (child->layer && child->layer->parent)
        child->layer->parent->RemoveChild(child->layer);
    return GE_OK;
}

GEResultEnum Widget::PropagateDisabled()
{
    const bool value = CountsDisabled();
    for (size_t i = 0; i < children.size(); ++i) {
        Widget* child = children[i];
        if (child->inheritedDisabled == value)
            continue;
        child->inheritedDisabled = value;
        if (GEResultEnum result = child->NotifyDisabled(value))
            return result;
        if (GEResultEnum result = child->PropagateDisabled())
            return result;
    }
    return GE_OK;
}

GEResultEnum Widget::SetFrame(Frame* newFrame)
{
    if (newFrame) {
        frame = newFrame;
        if (listener) {
            if (GEResultEnum result = listener->OnAttachedToFrame())
                return result;
        }
    } else {
        if (listener) {
            if (GEResultEnum result = listener->OnDetachedFromFrame())
                return result;
        }
        frame = nullptr;
    }
    for (size_t i = 0; i < children.size(); ++i) {
        if (GEResultEnum result = children[i]->SetFrame(newFrame))
            return result;
    }
    return GE_OK;
}

GEResultEnum Widget::SetFrameManager(FrameManager* manager)
{
    if (listener) {
        GEResultEnum result = manager ? listener->OnAttachedToManager() : listener->OnDetachedFromManager();
        if (result)
            return result;
    }
    for (size_t i = 0; i < children.size(); ++i) {
        if (GEResultEnum result = children[i]->SetFrameManager(manager))
            return result;
    }
    return GE_OK;
}

GEResultEnum Widget::UpdateTree(float dt)
{
    if (listener) {
        if (GEResultEnum result = listener->OnUpdate(dt))
            return result;
    }
    for (size_t i = 0; i < children.size(); ++i) {
        if (GEResultEnum result = children[i]->UpdateTree(dt))
            return result;
    }
    return GE_OK;
}

GEResultEnum Widget::ClearHoverAndFocus()
{
    if (frame) {
        if (frame->hoveredWidget == this) {
            if (GEResultEnum result = frame->SetHoverWidget(nullptr))
                return result;
        }
        if (frame->focusedWidget == this)
            frame->focusedWidget = nullptr;
    }
    for (size_t i = 0; i < children.size(); ++i) {
        if (GEResultEnum result = children[i]->ClearHoverAndFocus())
            return result;
    }
    return GE_OK;
}

void Widget::BindDrawHooks()
{
    if (!layer)
        return;
    if (bindsDrawHooks && listener) {
        using Hook = base::MemberDelegate2<WidgetListener, render::Graphics*, layer::Layer*, GEResultEnum>;
        layer->SetPreDrawCallback(std::make_shared<Hook>(listener, &WidgetListener::OnDrawBegin));
        layer->SetPostDrawCallback(std::make_shared<Hook>(listener, &WidgetListener::OnDrawEnd));
    } else {
        layer->SetPreDrawCallback(nullptr);
        layer->SetPostDrawCallback(nullptr);
    }
}

void Widget::SetListener(WidgetListener* newListener, bool bindDrawHooks)
{
    listener = newListener;
    bindsDrawHooks = bindDrawHooks;
    BindDrawHooks();
}

void Widget::SetLayer(layer::Layer* newLayer, bool owns)
{
    if (newLayer == layer) {
        ownsLayer = owns;
        return;
    }
    if (ownsLayer)
        delete layer;
    layer = newLayer;
    ownsLayer = owns;
    BindDrawHooks();
}

} // namespace widget
