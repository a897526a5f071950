#include "Core/Base/Win32/CriticalSectionWin32.h"

namespace app {

CriticalSectionWin32::CriticalSectionWin32()
{
    InitializeCriticalSection(&section);
}

CriticalSectionWin32::~CriticalSectionWin32()
{
    DeleteCriticalSection(&section);
}

} // namespace app
