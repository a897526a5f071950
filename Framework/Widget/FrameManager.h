#pragma once
// The stack of shown frames: updates their widgets, applies queued additions and
// removals between events, draws them, and routes pointer events to the widget holding
// the capture or down the frames' layer trees from the top.
#include "Core/Base/DeferredDelete.h"
#include "Core/Base/Task.h"
#include "Core/Input/InputListener.h"
#include "Core/Render/Math/Point4.h"
#include <vector>

namespace render {
class Graphics;
}
namespace layer {
class Layer;
}

namespace widget {

class Frame;
class WidgetListener;
class Widget;

enum FrameMode : int {
    kFrameNormal = 0,  // screens, boards
    kFrameOverlay = 1, // above normal frames, below modal ones
    kFrameModal = 2,   // always on top; nothing below it gets pointer events
};

struct FrameEntry {
    Frame* frame = nullptr;
    int mode = kFrameNormal;
};

struct FrameAddRecord {
    Frame* frame = nullptr;
    int mode = kFrameNormal;
    bool activate = false;
};

struct FrameRemoveRecord {
    Frame* frame = nullptr;
    bool deleteAfterRemoval = false;
};

// Who holds the pointer. With captureFlag set the captured widget gets the pointer in
// its layer's parent space, else in the layer's own space.
struct CaptureInfo {
    Widget* widget = nullptr;
    layer::Layer* layer = nullptr;
    float x = 0.0f, y = 0.0f, z = 0.0f;
    bool captureFlag = true;
};

// Records queued from now on go to the vector named by `current`; Update applies the
// other one.
template <typename Record> struct DoubleQueue {
    std::vector<Record> vectors[2];
    u32 current = 0;
    void Push(const Record& record) { vectors[current].push_back(record); }
};

class FrameManager : public base::Task, public base::DeferredDeleteManager {
public:
    FrameManager();
    // Deletes the queued deferred objects and an owned cursor frame; frames still in
    // the stack are left to DetachAll.
    ~FrameManager() override;

    // Runs the task's children (dialog effects) and then the manager's own work.
    GEResultEnum Update(float dt);
    GEResultEnum Tick(float dt) override;
    GEResultEnum Draw(render::Graphics* g);
    // Shutdown: detaches and deletes every frame of the stack.
    GEResultEnum DetachAll();
    // Shutdown: deletes every frame still waiting in the add queue (those never got
    // into the stack, so DetachAll does not reach them) and empties both queues.
    void DeleteQueuedFrames();
    bool InStack(const Frame* frame) const;
    GEResultEnum SetCapture(const CaptureInfo& record);
    // Ends any capture held by `root` or a widget below it (the widget is going away).
    void DropCapture(Widget* root);

    GEResultEnum OnMouseDown(const input::point& pos, int button);
    GEResultEnum OnMouseUp(const input::point& pos, int button);
    GEResultEnum OnMouseDoubleClick(const input::point& pos, int button);
    GEResultEnum OnMouseMove(const input::point& pos);
    GEResultEnum OnMouseDrag(const input::point& pos);
    GEResultEnum OnMouseWheel(const input::point& pos, int delta);

    // With deferred set, only queue the record and return 0.
    GEResultEnum AddFrame(Frame* frame, bool overlay, bool activate, bool deferred);
    GEResultEnum RemoveFrame(Frame* frame, bool deleteFrame, bool deferred);
    // Queue a record in the current vector (applied by the next Update). A frame that
    // is already queued for adding is not queued again, and one already in the stack
    // is skipped when the queue is applied: a frame has at most one stack entry.
    void QueueAdd(const FrameAddRecord& record);
    void QueueRemove(const FrameRemoveRecord& record) { removeQueue.Push(record); }

    // Frame activation: the old active frame is deactivated, `frame` activated.
    GEResultEnum ActivateFrame(Frame* frame);
    void SetCursorFrame(Frame* frame, bool owns);
    // Drops every reference to a frame that is being destroyed (stack entries, queued
    // records, active, hover and cursor frame, a capture inside it).
    void ForgetFrame(Frame* frame);

    Frame* activeFrame = nullptr;
    Frame* hoverFrame = nullptr;
    std::vector<FrameEntry> stack;
    DoubleQueue<FrameAddRecord> addQueue;
    DoubleQueue<FrameRemoveRecord> removeQueue;
    CaptureInfo capture;
    input::point lastPointer;
    Frame* cursorFrame = nullptr;
    bool ownsCursorFrame = false;

private:
    GEResultEnum Attach(Frame* frame);
    GEResultEnum ApplyAddQueue();
    GEResultEnum ApplyRemoveQueue();
    GEResultEnum UpdateFrame(Frame* frame, float dt);
    void TrackPointer(const input::point& pos);
    math::Point3 CapturedPoint(const input::point& pos) const;
    template <typename Event> GEResultEnum WalkFrames(const Event& event, bool* taken);
    template <typename Event, typename Slot, typename... Args>
    GEResultEnum DispatchPointer(const input::point& pos, Event event, bool* taken, Slot captured,
                                 Args... args);
    // The listener slot that a captured move or drag goes to.
    using CapturedMoveSlot = GEResultEnum (WidgetListener::*)(const CaptureInfo&, const math::Point3&);
    template <typename Event> GEResultEnum PointerMoved(const input::point& pos, CapturedMoveSlot captured);
};

} // namespace widget
