#pragma once
// A loadable asset, identified by the path it was requested by, shared through
// counted handles (ResourceManager::Get) and unloaded and deleted with its last one.
#include "Core/Base/Types.h"
#include <string>

namespace resource {

class Resource {
public:
    Resource() = default;
    virtual ~Resource() = default;
    Resource(const Resource&) = delete;
    Resource& operator=(const Resource&) = delete;

    // Every type forwards to ResourceManager::Free<T>(this).
    virtual u32 Release() = 0;
    // 0 accepts a freshly made resource; anything else refuses it.
    virtual u32 Init() { return 0; }
    virtual GEResultEnum DoLoad() = 0;
    virtual GEResultEnum DoUnLoad() = 0;

    // Loading a loaded resource (or unloading an unloaded one) warns and succeeds.
    GEResultEnum Load();
    GEResultEnum UnLoad();
    bool IsLoaded() const { return loaded != 0; }

    std::wstring name;
    u8 loaded = 0;
};

} // namespace resource
