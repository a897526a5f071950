#include "Core/Resource/Resource.h"
#include "Core/Base/Log.h"

namespace resource {

GEResultEnum Resource::Load()
{
    if (loaded) {
        GE_LOG_BLOCK(L"Trying to Load already loaded resource '%s'.\n") << name;
        return GE_OK;
    }
    const GEResultEnum result = DoLoad();
    if (result != GE_OK)
        return result;
    loaded = 1;
    return GE_OK;
}

GEResultEnum Resource::UnLoad()
{
    if (!loaded) {
        GE_LOG_BLOCK(L"Trying to UnLoad already unloaded resource '%s'.\n") << name;
        return GE_OK;
    }
    const GEResultEnum result = DoUnLoad();
    if (result != GE_OK)
        return result;
    loaded = 0;
    return GE_OK;
}

} // namespace resource
