#include "Core/Base/Task.h"
#include "Core/Base/CriticalSection.h"

namespace base {

Task::Task(bool autoDelete, bool stopWhenChildrenDone, bool keepsParentRunning, bool threadSafe)
    : stopWhenChildrenDone(stopWhenChildrenDone), autoDelete(autoDelete),
      keepsParentRunning(keepsParentRunning)
{
    if (threadSafe)
        lock = new app::CriticalSection;
}

Task::~Task()
{
    // The tasks in the lists are not ours to delete: the parent deletes a done child
    // only when that child asked for it.
    delete lock;
}

GEResultEnum Task::OnStart()
{
    return GE_OK;
}

GEResultEnum Task::Tick(float)
{
    return GE_OK;
}

void Task::OnStop()
{
    finished = 1;
}

bool Task::IsDone() const
{
    return finished && children.empty();
}

GEResultEnum Task::Update(float dt)
{
    if (IsDone())
        return GE_OK;
    if (!started) {
        started = 1;
        if (GEResultEnum result = OnStart())
            return result;
    }
    if (GEResultEnum result = UpdateChildren(dt))
        return result;
    if (GEResultEnum result = Tick(dt))
        return result;

    app::ScopedLock guard(lock);
    if (!stopping && pendingChildren.empty() && stopWhenChildrenDone) {
        bool keptRunning = false;
        for (Task* child : children)
            keptRunning = keptRunning || child->keepsParentRunning;
        if (!keptRunning)
            Stop();
    }
    return GE_OK;
}

GEResultEnum Task::UpdateChildren(float dt)
{
    for (Task* child : children) {
        if (GEResultEnum result = child->Update(dt))
            return result;
    }
    {
        app::ScopedLock guard(lock);
        if (!pendingChildren.empty())
            children.splice(children.end(), pendingChildren);
    }
    for (auto it = children.begin(); it != children.end();) {
        Task* child = *it;
        if (child->IsDone()) {
            it = children.erase(it);
            if (child->autoDelete)
                delete child;
        } else {
            ++it;
        }
    }
    return GE_OK;
}

void Task::Stop()
{
    for (Task* child : children)
        child->Stop();
    stopping = 1;
    OnStop();
}

bool Task::AddChild(Task* child)
{
    app::ScopedLock guard(lock);
    pendingChildren.push_back(child);
    return true;
}

} // namespace base
