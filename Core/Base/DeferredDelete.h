#pragma once
// Objects that must not die while an event is being delivered to them are queued
// here and deleted after the frame's update.
#include <vector>

namespace base {

class DeferredDeleteManager;

class DeferredDeletable {
public:
    DeferredDeletable() = default;
    DeferredDeletable(const DeferredDeletable&) = delete;
    DeferredDeletable& operator=(const DeferredDeletable&) = delete;
    // An object deleted by its owner while still queued leaves the queue, so the
    // queue never deletes it a second time.
    virtual ~DeferredDeletable();

private:
    friend class DeferredDeleteManager;
    DeferredDeleteManager* queuedIn = nullptr;
};

class DeferredDeleteManager {
public:
    DeferredDeleteManager() = default;
    DeferredDeleteManager(const DeferredDeleteManager&) = delete;
    DeferredDeleteManager& operator=(const DeferredDeleteManager&) = delete;
    // Deletes whatever is still queued.
    virtual ~DeferredDeleteManager();

    // Queues an object once; a second request for the same object (here or in another
    // manager) is ignored so that it is never deleted twice.
    void AddDeferredDelete(DeferredDeletable* object);
    // Deletes every queued object in order, then empties the list. Objects queued
    // by those destructors are deleted in the same call; objects that those
    // destructors delete themselves are skipped.
    void Flush();

    std::vector<DeferredDeletable*> deferredDeletions;

private:
    friend class DeferredDeletable;
    void Forget(DeferredDeletable* object);
    // The batch Flush is deleting; entries already gone are null.
    std::vector<DeferredDeletable*> flushing;
};

} // namespace base
