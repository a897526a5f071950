#include "Core/Base/Singletone.h"
#include "Core/Base/Log.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>

namespace base {

namespace {

// Both lists live on the heap and are never destroyed themselves, so they are still
// there whatever order the runtime tears other statics down in.
struct Registry {
    std::vector<SingletoneBase*> entries;
    std::vector<DestroyOrderPair> pairs;
    bool hookRegistered = false;
};

Registry& GetRegistry()
{
    static Registry* registry = new Registry;
    return *registry;
}

// The registry for adding to: whatever is added is destroyed by the exit hook. Only
// adding registers the hook, never the hook itself, so a run of DestroySingletones
// at exit does not queue another one.
Registry& RegistryToFill()
{
    Registry& registry = GetRegistry();
    if (!registry.hookRegistered) {
        registry.hookRegistered = true;
        std::atexit(DestroySingletones);
    }
    return registry;
}

using Edges = std::map<SingletoneBase*, std::vector<SingletoneBase*>>;

// Whether `to` can be reached from `from` along the edges.
bool Reaches(const Edges& edges, SingletoneBase* from, SingletoneBase* to)
{
    std::vector<SingletoneBase*> pending{from};
    std::set<SingletoneBase*> seen{from};
    while (!pending.empty()) {
        SingletoneBase* node = pending.back();
        pending.pop_back();
        if (node == to)
            return true;
        auto found = edges.find(node);
        if (found == edges.end())
            continue;
        for (SingletoneBase* next : found->second)
            if (seen.insert(next).second)
                pending.push_back(next);
    }
    return false;
}

} // namespace

SingletoneBase::SingletoneBase()
{
    RegistryToFill().entries.push_back(this);
}

std::vector<SingletoneBase*> SingletoneBase::GetDependencies()
{
    return {};
}

void ReportRevival(const char* typeName)
{
    // Not through the log: the log itself may be the singleton that is gone.
    std::fprintf(stderr, "Singleton %s is used after its destruction; a new one is made\n", typeName);
    std::fflush(stderr);
#ifndef NDEBUG
    std::abort();
#endif
}

void AddDestroyOrder(SingletoneBase* first, SingletoneBase* second)
{
    RegistryToFill().pairs.emplace_back(first, second);
}

bool SortSingletones(std::vector<SingletoneBase*>& list, const std::vector<DestroyOrderPair>& pairs)
{
    // Ask every entry once for its dependencies. Asking may create a dependency;
    // when `list` is the registry itself the newcomer is appended and asked too.
    std::map<SingletoneBase*, std::vector<SingletoneBase*>> dependencies;
    for (std::size_t i = 0; i < list.size(); ++i) {
        SingletoneBase* entry = list[i];
        if (entry && !dependencies.count(entry))
            dependencies[entry] = entry->GetDependencies();
    }

    // Every "goes before" edge between two listed entries.
    Edges edges;
    auto listed = [&](SingletoneBase* item) {
        return item && std::find(list.begin(), list.end(), item) != list.end();
    };
    for (const auto& [entry, needs] : dependencies)
        for (SingletoneBase* need : needs)
            if (need != entry && listed(need))
                edges[entry].push_back(need);
    for (const auto& [first, second] : pairs)
        if (listed(first) && listed(second))
            edges[first].push_back(second);

    // A cycle has no valid order: the edges on it (those whose end leads back to their
    // start) are dropped, so its members keep their creation order while every other
    // rule still holds.
    Edges kept;
    int dropped = 0;
    for (const auto& [from, targets] : edges) {
        for (SingletoneBase* to : targets) {
            if (Reaches(edges, to, from))
                ++dropped;
            else
                kept[from].push_back(to);
        }
    }
    if (dropped > 0) {
        GE_LOG(L"Singleton destruction order has a dependency cycle (%d rules ignored); "
               L"those singletons are destroyed in creation order\n")
            << dropped;
    }

    // One stable topological sort. Entries under no rule keep their places; the others
    // fill the places they held, each time the earliest one whose predecessors are all
    // placed.
    std::map<SingletoneBase*, int> waitingFor;
    for (const auto& [from, targets] : kept) {
        waitingFor.emplace(from, 0);
        for (SingletoneBase* to : targets)
            ++waitingFor[to];
    }
    std::vector<std::size_t> places;
    std::vector<SingletoneBase*> ruled;
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (waitingFor.count(list[i])) {
            places.push_back(i);
            ruled.push_back(list[i]);
        }
    }
    for (std::size_t place : places) {
        // Acyclic rules always leave one entry free.
        auto next = std::find_if(ruled.begin(), ruled.end(),
                                 [&](SingletoneBase* entry) { return waitingFor[entry] == 0; });
        SingletoneBase* entry = *next;
        ruled.erase(next);
        list[place] = entry;
        auto found = kept.find(entry);
        if (found != kept.end())
            for (SingletoneBase* to : found->second)
                --waitingFor[to];
    }
    return dropped == 0;
}

void DestroySingletones()
{
    Registry& registry = GetRegistry();
    SortSingletones(registry.entries, registry.pairs);
    // Read the list afresh after each deletion: a destructor may create a singleton,
    // which is appended and deleted later in this same loop.
    while (!registry.entries.empty()) {
        SingletoneBase* front = registry.entries.front();
        registry.entries.erase(registry.entries.begin());
        delete front;
    }
    registry.entries.shrink_to_fit();
    registry.pairs.clear();
    registry.pairs.shrink_to_fit();
    // A singleton made later in the exit processing gets the hook once more.
    registry.hookRegistered = false;
}

} // namespace base
