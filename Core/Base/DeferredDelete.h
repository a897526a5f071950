#pragma once
// Objects that must not die while an event is being delivered to them are queued
// here and deleted after the frame's update.
#include <vector>

namespace base {

class DeferredDeletable {
public:
    virtual ~DeferredDeletable() = default;
};

class DeferredDeleteManager {
public:
    DeferredDeleteManager() = default;
    DeferredDeleteManager(const DeferredDeleteManager&) = delete;
    DeferredDeleteManager& operator=(const DeferredDeleteManager&) = delete;
    // Deletes whatever is still queued.
    virtual ~DeferredDeleteManager();

    // Queues an object once; a second request for the same object is ignored so
    // that it is never deleted twice.
    void AddDeferredDelete(DeferredDeletable* object);
    // Deletes every queued object in order, then empties the list. Objects queued
    // by those destructors are deleted in the same call.
    void Flush();

    std::vector<DeferredDeletable*> deferredDeletions;
};

} // namespace base
