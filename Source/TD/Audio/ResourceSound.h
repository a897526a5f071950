#pragma once
// A sound sample as a cached resource: the file's bytes decoded by the audio
// library, shared by every Sound made from the same path.
#include "Core/Resource/Resource.h"
#include "Platform/Bass/Bass.h"

namespace resource {

class ResourceSound : public Resource {
public:
    // The name is tried as given, then with these extensions; the first that exists wins.
    static constexpr u32 kExtensionCount = 3;
    static const wchar_t* const kExtensions[kExtensionCount];

    u32 Release() override;
    // GE_FAIL with one log line when no variant exists, cannot be read or does not
    // decode; the resource then stays unloaded with handle 0.
    GEResultEnum DoLoad() override;
    GEResultEnum DoUnLoad() override;

    HSAMPLE sample = 0;
};

} // namespace resource
