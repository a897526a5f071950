#include "Core/Base/CriticalSection.h"

namespace app {

void CriticalSection::Lock()
{
    EnterCriticalSection(&section);
}

void CriticalSection::Unlock()
{
    LeaveCriticalSection(&section);
}

ScopedLock::ScopedLock(CriticalSection* section) : section(section)
{
    if (section)
        section->Lock();
}

ScopedLock::~ScopedLock()
{
    if (section)
        section->Unlock();
}

CriticalSection& GlobalCriticalSection()
{
    // Built on first use, so it exists before anything that could need it runs;
    // never destroyed, so code running at exit can still take it.
    static CriticalSection* global = new CriticalSection;
    return *global;
}

namespace {
// Created before the entry point, as the window code expects.
[[maybe_unused]] const bool kGlobalSectionReady = (GlobalCriticalSection(), true);
} // namespace

} // namespace app
