#pragma once
#include "Core/App/Win32/CriticalSectionWin32.h"

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
