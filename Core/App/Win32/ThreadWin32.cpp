#include "Core/App/Win32/ThreadWin32.h"
#include "Core/App/Application.h"
#include "Core/App/TimerLocal.h"

namespace app {

ThreadWin32::ThreadWin32(bool autoDelete, bool stopWhenChildrenDone, bool keepsParentRunning, bool threadSafe)
    : ThreadBase(autoDelete, stopWhenChildrenDone, keepsParentRunning, threadSafe)
{
}

ThreadWin32::~ThreadWin32()
{
    if (ownsThread && handle) {
        // The parent deletes a thread once it is done, so its loop is about to end.
        if (GetCurrentThreadId() != ownerThreadId)
            WaitForSingleObject(handle, INFINITE);
        CloseThreadHandle(handle);
    }
}

DWORD ThreadWin32::ThreadEntry(LPVOID self)
{
    auto* thread = static_cast<ThreadWin32*>(self);
    thread->ownerThreadId = GetCurrentThreadId();
    thread->Run();
    return 0;
}

bool ThreadWin32::Start(int priority)
{
    if (ownsThread)
        return false;
    GetApplication()->threads.push_back(this);
    handle = CreateThread(nullptr, 0, &ThreadWin32::ThreadEntry, this, CREATE_SUSPENDED, nullptr);
    if (!handle) {
        GetApplication()->threads.remove(this);
        return false;
    }
    ownsThread = true;
    SetPriority(priority);
    ResumeThread(handle);
    return true;
}

void ThreadWin32::Run()
{
    TimerLocal timer;
    while (!IsDone()) {
        const float dt = timer.Update();
        // A failed frame only ends that pass early; the next one starts as usual.
        if (!paused)
            Update(dt);
        if (!IsDone())
            WaitForNextPass();
    }
}

void ThreadWin32::SetPriority(int level)
{
    if (!ownsThread)
        return;
    int priority = THREAD_PRIORITY_NORMAL;
    switch (level) {
    case 0:
        priority = THREAD_PRIORITY_IDLE;
        break;
    case 1:
        priority = THREAD_PRIORITY_BELOW_NORMAL;
        break;
    case 3:
        priority = THREAD_PRIORITY_ABOVE_NORMAL;
        break;
    case 4:
        priority = THREAD_PRIORITY_HIGHEST;
        break;
    case 5:
        priority = THREAD_PRIORITY_TIME_CRITICAL;
        break;
    default:
        break;
    }
    SetThreadPriority(handle, priority);
}

} // namespace app
