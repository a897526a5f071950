#include "Core/Base/DeferredDelete.h"
#include <algorithm>

namespace base {

DeferredDeleteManager::~DeferredDeleteManager()
{
    Flush();
}

void DeferredDeleteManager::AddDeferredDelete(DeferredDeletable* object)
{
    if (!object)
        return;
    if (std::find(deferredDeletions.begin(), deferredDeletions.end(), object) != deferredDeletions.end())
        return;
    deferredDeletions.push_back(object);
}

void DeferredDeleteManager::Flush()
{
    while (!deferredDeletions.empty()) {
        std::vector<DeferredDeletable*> batch;
        batch.swap(deferredDeletions);
        for (DeferredDeletable* object : batch)
            delete object;
    }
}

} // namespace base
