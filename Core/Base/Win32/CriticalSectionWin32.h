#pragma once
// One Win32 critical section, initialised on construction and deleted on destruction.
#include "Platform/Win32/Windows.h"

namespace app {

class CriticalSectionWin32 {
public:
    CriticalSectionWin32();
    virtual ~CriticalSectionWin32();
    CriticalSectionWin32(const CriticalSectionWin32&) = delete;
    CriticalSectionWin32& operator=(const CriticalSectionWin32&) = delete;

protected:
    CRITICAL_SECTION section;
};

} // namespace app
