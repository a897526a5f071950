#pragma once
// Process-wide services created on first use. Every singleton registers itself in
// creation order; at exit the registry destroys each before the singletons it
// depends on, and the first of each destroy-order pair before the second.
#include <typeinfo>
#include <utility>
#include <vector>

namespace base {

class NoCopy {
protected:
    NoCopy() = default;
    ~NoCopy() = default;

public:
    NoCopy(const NoCopy&) = delete;
    NoCopy& operator=(const NoCopy&) = delete;
};

class SingletoneBase : private NoCopy {
public:
    SingletoneBase();
    virtual ~SingletoneBase() = default;
    virtual std::vector<SingletoneBase*> GetDependencies();
};

// A singleton of type `typeName` is used after its destruction, so a second one is
// made: one line on the standard error, and builds with assertions stop there.
void ReportRevival(const char* typeName);

template <class T>
class Singletone : public SingletoneBase {
public:
    static T* Instance()
    {
        if (!sInstance) {
            if (sDestroyed)
                ReportRevival(typeid(T).name());
            sInstance = new T;
        }
        return sInstance;
    }
    static bool Exists() { return sInstance != nullptr; }

protected:
    Singletone() { sSelf = this; }
    // The registry deletes the instance at exit; clearing the pointer then makes a
    // later use create a fresh instance instead of touching freed memory, but that use
    // is a fault of the caller's order (see ReportRevival).
    ~Singletone() override
    {
        if (sSelf == this) {
            sSelf = nullptr;
            sInstance = nullptr;
            sDestroyed = true;
        }
    }

    static inline T* sInstance = nullptr;
    static inline bool sDestroyed = false;

private:
    static inline Singletone* sSelf = nullptr;
};

// The first is destroyed before the second.
void AddDestroyOrder(SingletoneBase* first, SingletoneBase* second);

using DestroyOrderPair = std::pair<SingletoneBase*, SingletoneBase*>;

// Orders `list` so that every entry stands before its dependencies and the first of
// each pair before its second; entries under no rule keep their places. The rules
// that lie on a cycle are dropped with one log line, so the cycle's members keep
// their creation order. Returns false when a cycle was found.
bool SortSingletones(std::vector<SingletoneBase*>& list, const std::vector<DestroyOrderPair>& pairs);

// Sorts the registry and deletes every entry; runs from the atexit hook.
void DestroySingletones();

} // namespace base
