#pragma once
// The unit of per-frame work: a node in a tree updated once per frame, children
// before the parent's own tick.
#include "Core/Base/Types.h"
#include <list>

namespace app {
class CriticalSection;
}

namespace base {

class Task {
public:
    Task(bool autoDelete, bool stopWhenChildrenDone, bool keepsParentRunning, bool threadSafe);
    virtual ~Task();
    Task(const Task&) = delete;
    Task& operator=(const Task&) = delete;

    virtual GEResultEnum OnStart();
    virtual GEResultEnum Tick(float dt);
    virtual void OnStop();

    GEResultEnum Update(float dt);
    GEResultEnum UpdateChildren(float dt);
    void Stop();
    bool AddChild(Task* child);
    bool IsDone() const;

    u8 stopping = 0;
    u8 finished = 0;
    std::list<Task*> children;
    std::list<Task*> pendingChildren;
    u8 stopWhenChildrenDone;
    u8 autoDelete;
    u8 keepsParentRunning;
    u8 started = 0;
    app::CriticalSection* lock = nullptr;
};

} // namespace base
