#include "Core/Base/DeferredDelete.h"
#include <algorithm>

namespace base {

DeferredDeletable::~DeferredDeletable()
{
    if (queuedIn)
        queuedIn->Forget(this);
}

DeferredDeleteManager::~DeferredDeleteManager()
{
    Flush();
}

void DeferredDeleteManager::AddDeferredDelete(DeferredDeletable* object)
{
    if (!object || object->queuedIn)
        return;
    object->queuedIn = this;
    deferredDeletions.push_back(object);
}

void DeferredDeleteManager::Forget(DeferredDeletable* object)
{
    std::replace(deferredDeletions.begin(), deferredDeletions.end(), object,
                 static_cast<DeferredDeletable*>(nullptr));
    std::replace(flushing.begin(), flushing.end(), object, static_cast<DeferredDeletable*>(nullptr));
}

void DeferredDeleteManager::Flush()
{
    // A destructor that flushes again finds the batch being deleted here and leaves it.
    if (!flushing.empty())
        return;
    while (!deferredDeletions.empty()) {
        flushing.swap(deferredDeletions);
        for (std::size_t i = 0; i < flushing.size(); ++i) {
            DeferredDeletable* object = flushing[i];
            if (!object)
                continue;
            flushing[i] = nullptr;
            object->queuedIn = nullptr;
            delete object;
        }
        flushing.clear();
    }
}

} // namespace base
