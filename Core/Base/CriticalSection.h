#pragma once
// Kept in the application namespace, as the rest of the program names it; it lives
// with the task tree, whose lock it is, so the base module needs nothing above it.
#include "Core/Base/Win32/CriticalSectionWin32.h"

namespace app {

class CriticalSection : public CriticalSectionWin32 {
public:
    virtual void Lock();
    virtual void Unlock();
};

// Locks a section that may be null for the guard's lifetime.
class ScopedLock {
public:
    explicit ScopedLock(CriticalSection* section);
    ~ScopedLock();
    ScopedLock(const ScopedLock&) = delete;
    ScopedLock& operator=(const ScopedLock&) = delete;

private:
    CriticalSection* section;
};

// The process-wide section, created before the entry point runs.
CriticalSection& GlobalCriticalSection();

} // namespace app
