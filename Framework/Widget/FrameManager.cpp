#include "Framework/Widget/FrameManager.h"
#include "Core/Base/Log.h"
#include "Framework/Layer/Layer.h"
#include "Framework/Widget/Frame.h"
#include "Framework/Widget/WidgetListener.h"
#include <algorithm>
#include <list>

namespace widget {

namespace {

template <typename Event> const layer::HitTestHookHandle<Event>& HookFor()
{
    if constexpr (std::is_same_v<Event, layer::OnMouseDown>)
        return layer::MouseDownHook();
    else if constexpr (std::is_same_v<Event, layer::OnMouseUp>)
        return layer::MouseUpHook();
    else if constexpr (std::is_same_v<Event, layer::OnMouseMove>)
        return layer::MouseMoveHook();
    else if constexpr (std::is_same_v<Event, layer::OnMouseDrag>)
        return layer::MouseDragHook();
    else
        return layer::MouseWheelHook();
}

void KeepFirst(GEResultEnum* first, GEResultEnum result)
{
    if (*first == GE_OK)
        *first = result;
}

} // namespace

FrameManager::FrameManager() : base::Task(false, false, false, false) {}

FrameManager::~FrameManager()
{
    // Frames left in the stack outlive the manager: they must not call back into it.
    for (const FrameEntry& entry : stack)
        entry.frame->manager = nullptr;
    Flush();
    if (ownsCursorFrame)
        delete cursorFrame;
    // Child tasks (dialog effects) flagged for deletion are the manager's to delete;
    // without a further update they would outlive it.
    for (std::list<base::Task*>* list : {&children, &pendingChildren}) {
        for (base::Task* child : *list) {
            if (child->autoDelete)
                delete child;
        }
        list->clear();
    }
}

GEResultEnum FrameManager::Update(float dt)
{
    return base::Task::Update(dt);
}

GEResultEnum FrameManager::UpdateFrame(Frame* frame, float dt)
{
    if (frame->listener) {
        if (GEResultEnum result = frame->listener->OnUpdate(dt))
            return result;
    }
    for (size_t i = 0; i < frame->children.size(); ++i) {
        if (GEResultEnum result = frame->children[i]->UpdateTree(dt))
            return result;
    }
    return GE_OK;
}

GEResultEnum FrameManager::Tick(float dt)
{
    for (size_t i = 0; i < stack.size(); ++i) {
        if (GEResultEnum result = UpdateFrame(stack[i].frame, dt))
            return result;
    }
    if (cursorFrame) {
        if (GEResultEnum result = UpdateFrame(cursorFrame, dt))
            return result;
    }
    // A failing record does not stop the others, and no record stays queued to fail
    // again next frame; the first failure is returned.
    GEResultEnum first = ApplyAddQueue();
    KeepFirst(&first, ApplyRemoveQueue());
    Flush();
    return first;
}

GEResultEnum FrameManager::ApplyAddQueue()
{
    GEResultEnum first = GE_OK;
    while (!addQueue.vectors[addQueue.current].empty()) {
        std::vector<FrameAddRecord>& applying = addQueue.vectors[addQueue.current];
        addQueue.current ^= 1;
        for (size_t i = 0; i < applying.size(); ++i) {
            const FrameAddRecord record = applying[i];
            GEResultEnum result = GE_OK;
            if (!record.frame) {
                GE_LOG(L"Frame manager: an add record names no frame.\n");
                result = GE_FAIL;
            } else if (InStack(record.frame)) {
                // Shown already (a double click on the button that opens it): a second
                // entry would be deleted once and then drawn and deleted again.
            } else if (record.mode == kFrameModal) {
                stack.push_back(FrameEntry{record.frame, kFrameModal});
                result = Attach(record.frame);
                if (result == GE_OK)
                    result = ActivateFrame(record.frame);
            } else if (record.mode == kFrameNormal || record.mode == kFrameOverlay) {
                result = AddFrame(record.frame, record.mode == kFrameOverlay, record.activate, false);
            } else {
                GE_LOG(L"Frame manager: unknown frame mode %d.\n") << record.mode;
                result = GE_FAIL;
            }
            KeepFirst(&first, result);
        }
        applying.clear();
    }
    return first;
}

GEResultEnum FrameManager::ApplyRemoveQueue()
{
    GEResultEnum first = GE_OK;
    while (!removeQueue.vectors[removeQueue.current].empty()) {
        std::vector<FrameRemoveRecord>& applying = removeQueue.vectors[removeQueue.current];
        removeQueue.current ^= 1;
        for (size_t i = 0; i < applying.size(); ++i) {
            const FrameRemoveRecord record = applying[i];
            KeepFirst(&first, RemoveFrame(record.frame, record.deleteAfterRemoval, false));
        }
        applying.clear();
    }
    return first;
}

void FrameManager::QueueAdd(const FrameAddRecord& record)
{
    for (const auto& records : addQueue.vectors) {
        for (const FrameAddRecord& queued : records) {
            if (queued.frame == record.frame && record.frame)
                return;
        }
    }
    addQueue.Push(record);
}

bool FrameManager::InStack(const Frame* frame) const
{
    return std::any_of(stack.begin(), stack.end(), [frame](const FrameEntry& e) { return e.frame == frame; });
}

GEResultEnum FrameManager::Attach(Frame* frame)
{
    frame->manager = this;
    if (frame->listener) {
        if (GEResultEnum result = frame->listener->OnAttachedToManager())
            return result;
    }
    for (size_t i = 0; i < frame->children.size(); ++i) {
        if (GEResultEnum result = frame->children[i]->SetFrameManager(this))
            return result;
    }
    return GE_OK;
}

GEResultEnum FrameManager::AddFrame(Frame* frame, bool overlay, bool activate, bool deferred)
{
    if (deferred) {
        QueueAdd(FrameAddRecord{frame, overlay ? kFrameOverlay : kFrameNormal, activate});
        return GE_OK;
    }
    if (!frame)
        return GE_FAIL;
    if (InStack(frame))
        return GE_OK;
    if (!overlay) {
        if (stack.empty() || stack.back().mode == kFrameNormal) {
            stack.push_back(FrameEntry{frame, kFrameNormal});
        } else {
            size_t at = 0;
            while (at < stack.size() && stack[at].mode == kFrameNormal)
                ++at;
            stack.insert(stack.begin() + at, FrameEntry{frame, kFrameNormal});
        }
    } else {
        if (!stack.empty() && stack.back().mode == kFrameModal) {
            size_t at = 0;
            while (at < stack.size() && stack[at].mode != kFrameModal)
                ++at;
            stack.insert(stack.begin() + at, FrameEntry{frame, kFrameOverlay});
        } else {
            stack.push_back(FrameEntry{frame, kFrameOverlay});
        }
    }
    if (GEResultEnum result = Attach(frame))
        return result;
    if (activate)
        return ActivateFrame(frame);
    return GE_OK;
}

GEResultEnum FrameManager::RemoveFrame(Frame* frame, bool deleteFrame, bool deferred)
{
    if (deferred) {
        QueueRemove(FrameRemoveRecord{frame, deleteFrame});
        return GE_OK;
    }
    size_t at = 0;
    while (at < stack.size() && stack[at].frame != frame)
        ++at;
    if (at == stack.size()) {
        if (GEResultEnum result = OnMouseMove(lastPointer))
            return result;
        return GE_FAIL;
    }
    if (hoverFrame == frame)
        hoverFrame = nullptr;
    if (activeFrame == frame)
        activeFrame = nullptr;
    // A widget of this frame must not keep the pointer once the frame is gone.
    DropCapture(frame);
    GEResultEnum first = GE_OK;
    if (frame->listener)
        KeepFirst(&first, frame->listener->OnDetachedFromManager());
    for (size_t i = 0; i < frame->children.size(); ++i)
        KeepFirst(&first, frame->children[i]->SetFrameManager(nullptr));
    frame->manager = nullptr;
    // Look the entry up again: a listener may not touch the stack, but an erase must
    // never use a stale position.
    for (auto it = stack.begin(); it != stack.end(); ++it) {
        if (it->frame == frame) {
            stack.erase(it);
            break;
        }
    }
    if (deleteFrame)
        delete frame;
    return first;
}

GEResultEnum FrameManager::ActivateFrame(Frame* frame)
{
    if (activeFrame == frame)
        return GE_OK;
    if (activeFrame && activeFrame->active) {
        activeFrame->active = false;
        if (GEResultEnum result = activeFrame->OnDeactivated())
            return result;
    }
    activeFrame = frame;
    if (frame && !frame->active) {
        frame->active = true;
        return frame->OnActivated();
    }
    return GE_OK;
}

void FrameManager::SetCursorFrame(Frame* frame, bool owns)
{
    if (ownsCursorFrame && cursorFrame != frame)
        delete cursorFrame;
    cursorFrame = frame;
    ownsCursorFrame = owns;
}

void FrameManager::ForgetFrame(Frame* frame)
{
    std::erase_if(stack, [frame](const FrameEntry& e) { return e.frame == frame; });
    for (auto& v : addQueue.vectors)
        std::erase_if(v, [frame](const FrameAddRecord& r) { return r.frame == frame; });
    for (auto& v : removeQueue.vectors)
        std::erase_if(v, [frame](const FrameRemoveRecord& r) { return r.frame == frame; });
    if (activeFrame == frame)
        activeFrame = nullptr;
    if (hoverFrame == frame)
        hoverFrame = nullptr;
    if (cursorFrame == frame) {
        cursorFrame = nullptr;
        ownsCursorFrame = false;
    }
    DropCapture(frame);
}

GEResultEnum FrameManager::SetCapture(const CaptureInfo& record)
{
    if (&record != &capture)
        capture = record;
    if (capture.widget)
        capture.widget->pressed = true;
    return GE_OK;
}

void FrameManager::DropCapture(Widget* root)
{
    Widget* held = capture.widget;
    if (!held || !root)
        return;
    for (Widget* w = held; w; w = w->parent) {
        if (w == root) {
            held->pressed = false;
            capture = CaptureInfo{};
            return;
        }
    }
}

GEResultEnum FrameManager::Draw(render::Graphics* g)
{
    for (size_t i = 0; i < stack.size(); ++i) {
        if (layer::Layer* l = stack[i].frame->layer) {
            if (GEResultEnum result = l->DrawTree(g))
                return result;
        }
    }
    if (cursorFrame && cursorFrame->layer)
        return cursorFrame->layer->DrawTree(g);
    return GE_OK;
}

GEResultEnum FrameManager::DetachAll()
{
    // Shutdown goes through every frame even when a listener fails.
    GEResultEnum first = GE_OK;
    std::vector<FrameEntry> entries;
    entries.swap(stack);
    activeFrame = nullptr;
    hoverFrame = nullptr;
    if (capture.widget)
        capture.widget->pressed = false;
    capture = CaptureInfo{};
    for (const FrameEntry& entry : entries) {
        Frame* frame = entry.frame;
        if (frame->listener)
            KeepFirst(&first, frame->listener->OnDetachedFromManager());
        for (size_t i = 0; i < frame->children.size(); ++i)
            KeepFirst(&first, frame->children[i]->SetFrameManager(nullptr));
        frame->manager = nullptr;
        delete frame;
    }
    return first;
}

void FrameManager::DeleteQueuedFrames()
{
    std::vector<Frame*> waiting;
    for (const auto& records : addQueue.vectors) {
        for (const FrameAddRecord& record : records) {
            if (record.frame && !InStack(record.frame) &&
                std::find(waiting.begin(), waiting.end(), record.frame) == waiting.end())
                waiting.push_back(record.frame);
        }
    }
    for (auto& records : addQueue.vectors)
        records.clear();
    for (auto& records : removeQueue.vectors)
        records.clear();
    for (Frame* frame : waiting)
        delete frame;
}

void FrameManager::TrackPointer(const input::point& pos)
{
    lastPointer = pos;
    if (cursorFrame && cursorFrame->layer) {
        layer::Layer* l = cursorFrame->layer;
        if (l->position.x != pos.x)
            l->SetX(pos.x);
        if (l->position.y != pos.y)
            l->SetY(pos.y);
    }
}

math::Point3 FrameManager::CapturedPoint(const input::point& pos) const
{
    const math::Point3 p{pos.x, pos.y, 0.0f};
    const layer::Layer* l = capture.layer;
    if (!l)
        return p;
    if (capture.captureFlag)
        return l->parent ? l->parent->GlobalToLocal(p) : p;
    return l->GlobalToLocal(p);
}

template <typename Event> GEResultEnum FrameManager::WalkFrames(const Event& event, bool* taken)
{
    *taken = false;
    const layer::HitTestHookHandle<Event>& hook = HookFor<Event>();
    if (!hook)
        return GE_OK;
    for (size_t i = stack.size(); i-- > 0;) {
        if (i >= stack.size())
            continue;
        const FrameEntry entry = stack[i];
        if (layer::Layer* l = entry.frame->layer) {
            l->Update();
            math::Point3 point{event.x, event.y, 0.0f};
            layer::HitTestLevel top;
            top.point = &point;
            top.layer = l;
            layer::HitTestContext<Event> context;
            context.event = &event;
            context.hook = hook.get();
            if (GEResultEnum result = l->HitTestWalk(top, context))
                return result;
            if (context.state == layer::kHitTaken) {
                *taken = true;
                return GE_OK;
            }
        }
        if (entry.mode == kFrameModal)
            break;
    }
    return GE_OK;
}

// Every pointer event starts here: the pointer is tracked, and while a widget holds the
// capture the event goes to its listener's `captured` slot alone and counts as taken;
// otherwise `event`, placed at the pointer, walks the frames.
template <typename Event, typename Slot, typename... Args>
GEResultEnum FrameManager::DispatchPointer(const input::point& pos, Event event, bool* taken, Slot captured,
                                           Args... args)
{
    TrackPointer(pos);
    if (capture.widget) {
        *taken = true;
        WidgetListener* l = capture.widget->listener;
        return l ? (l->*captured)(capture, CapturedPoint(pos), args...) : GE_OK;
    }
    event.x = pos.x;
    event.y = pos.y;
    return WalkFrames(event, taken);
}

GEResultEnum FrameManager::OnMouseDown(const input::point& pos, int button)
{
    layer::OnMouseDown event;
    event.button = button;
    bool taken = false;
    if (GEResultEnum result =
            DispatchPointer(pos, event, &taken, &WidgetListener::OnCapturedMouseDown, button))
        return result;
    if (taken || !activeFrame)
        return GE_OK;
    for (const FrameEntry& entry : stack) {
        if (entry.frame == activeFrame && entry.mode == kFrameModal)
            return GE_OK; // a press outside a modal frame leaves it active
    }
    Frame* old = activeFrame;
    activeFrame = nullptr;
    if (old->active) {
        old->active = false;
        return old->OnDeactivated();
    }
    return GE_OK;
}

GEResultEnum FrameManager::OnMouseUp(const input::point& pos, int button)
{
    layer::OnMouseUp event;
    event.button = button;
    bool taken = false;
    return DispatchPointer(pos, event, &taken, &WidgetListener::OnCapturedMouseUp, button);
}

GEResultEnum FrameManager::OnMouseDoubleClick(const input::point& pos, int button)
{
    layer::OnMouseDown event;
    event.button = button;
    bool taken = false;
    return DispatchPointer(pos, event, &taken, &WidgetListener::OnCapturedMouseDoubleClick, button);
}

// Moves and drags differ only in their event and the capturing listener's slot. A walk
// that no widget took leaves no widget hovered.
template <typename Event>
GEResultEnum FrameManager::PointerMoved(const input::point& pos, CapturedMoveSlot captured)
{
    bool taken = false;
    if (GEResultEnum result = DispatchPointer(pos, Event(), &taken, captured))
        return result;
    if (taken || !hoverFrame)
        return GE_OK;
    Frame* frame = hoverFrame;
    hoverFrame = nullptr;
    return frame->SetHoverWidget(nullptr);
}

GEResultEnum FrameManager::OnMouseMove(const input::point& pos)
{
    return PointerMoved<layer::OnMouseMove>(pos, &WidgetListener::OnCapturedMouseMove);
}

GEResultEnum FrameManager::OnMouseDrag(const input::point& pos)
{
    return PointerMoved<layer::OnMouseDrag>(pos, &WidgetListener::OnCapturedMouseDrag);
}

GEResultEnum FrameManager::OnMouseWheel(const input::point& pos, int delta)
{
    layer::OnMouseWheel event;
    event.delta = delta;
    bool taken = false;
    return DispatchPointer(pos, event, &taken, &WidgetListener::OnCapturedMouseWheel, delta);
}

} // namespace widget
