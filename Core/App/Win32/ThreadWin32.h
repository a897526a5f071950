#pragma once
// A task that runs the timed main loop, on the calling thread (the application) or
// on an OS thread of its own (Start).
#include "Core/App/ThreadBase.h"
#include "Platform/Win32/Windows.h"
#include <atomic>

namespace app {

class ThreadWin32 : public ThreadBase {
public:
    ThreadWin32(bool autoDelete, bool stopWhenChildrenDone, bool keepsParentRunning, bool threadSafe);
    ~ThreadWin32() override;

    // Registers the thread with the application and starts an OS thread running Run.
    virtual bool Start(int priority);
    // The timed loop: updates the task once per pass until it is done, with
    // WaitForNextPass between passes.
    virtual void Run();
    // Between two passes of the loop; a thread's loop runs unthrottled, the game's
    // waits for the display (framework::GameApplication).
    virtual void WaitForNextPass() {}
    // 0 idle, 1 below normal, 3 above normal, 4 high, 5 real time, anything else normal.
    virtual void SetPriority(int level);

    u8 paused = 0;
    // The OS thread once started; for the application, its module instance.
    HANDLE handle = nullptr;

private:
    static DWORD ThreadEntry(LPVOID self);
    bool ownsThread = false;
    std::atomic<DWORD> ownerThreadId{0}; // the OS thread running Run, once it has started
};

} // namespace app
