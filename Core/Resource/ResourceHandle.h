#pragma once
// Counted references. A ResourceHandle shares a cached resource: the last one to go
// calls the resource's Release, which unloads, deletes and uncaches it. A
// SharedHandle shares any object and deletes it with the last handle.
#include <utility>

namespace resource {

template <class T> class ResourceHandle {
public:
    ResourceHandle() = default;
    // Takes one reference that the caller has already counted.
    ResourceHandle(T* resource, int* count) : resource(resource), count(count) {}
    ResourceHandle(const ResourceHandle& other) : resource(other.resource), count(other.count)
    {
        if (count)
            ++*count;
    }
    ResourceHandle(ResourceHandle&& other) noexcept
        : resource(std::exchange(other.resource, nullptr)), count(std::exchange(other.count, nullptr))
    {
    }
    ResourceHandle& operator=(const ResourceHandle& other)
    {
        if (this != &other) {
            ResourceHandle copy(other);
            Swap(copy);
        }
        return *this;
    }
    ResourceHandle& operator=(ResourceHandle&& other) noexcept
    {
        if (this != &other) {
            Reset();
            Swap(other);
        }
        return *this;
    }
    ~ResourceHandle() { Reset(); }

    void Reset()
    {
        T* held = resource;
        int* cell = count;
        resource = nullptr;
        count = nullptr;
        if (cell && --*cell < 1 && held)
            held->Release();
    }

    T* Get() const { return resource; }
    T* operator->() const { return resource; }
    T& operator*() const { return *resource; }
    explicit operator bool() const { return resource != nullptr; }
    int UseCount() const { return count ? *count : 0; }

    void Swap(ResourceHandle& other) noexcept
    {
        std::swap(resource, other.resource);
        std::swap(count, other.count);
    }

    T* resource = nullptr;
    int* count = nullptr;
};

template <class T> class SharedHandle {
public:
    SharedHandle() = default;
    explicit SharedHandle(T* object) { reset(object); }
    SharedHandle(const SharedHandle& other) : object(other.object), count(other.count)
    {
        if (count)
            ++*count;
    }
    SharedHandle(SharedHandle&& other) noexcept
        : object(std::exchange(other.object, nullptr)), count(std::exchange(other.count, nullptr))
    {
    }
    SharedHandle& operator=(SharedHandle other) noexcept
    {
        std::swap(object, other.object);
        std::swap(count, other.count);
        return *this;
    }
    ~SharedHandle() { Drop(); }

    // Lets go of the held object, then adopts `replacement` (null: stays empty).
    void reset(T* replacement = nullptr)
    {
        Drop();
        if (replacement) {
            object = replacement;
            count = new int(1);
        }
    }

    T* get() const { return object; }
    T* operator->() const { return object; }
    T& operator*() const { return *object; }
    explicit operator bool() const { return object != nullptr; }
    int use_count() const { return count ? *count : 0; }

    T* object = nullptr;
    int* count = nullptr;

private:
    void Drop()
    {
        T* held = object;
        int* cell = count;
        object = nullptr;
        count = nullptr;
        if (cell && --*cell < 1) {
            delete held;
            delete cell;
        }
    }
};

} // namespace resource
