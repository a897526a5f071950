#include "Core/Base/Singletone.h"
#include "Core/Base/Log.h"

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <map>

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
    if (!registry->hookRegistered) {
        registry->hookRegistered = true;
        std::atexit(DestroySingletones);
    }
    return *registry;
}

std::size_t PositionOf(const std::vector<SingletoneBase*>& list, SingletoneBase* item)
{
    return static_cast<std::size_t>(std::find(list.begin(), list.end(), item) - list.begin());
}

using Edges = std::map<SingletoneBase*, std::vector<SingletoneBase*>>;

// Marks the edges (a before b) that lie on a cycle: both ends in one strongly
// connected component (Tarjan), or an entry that must go before itself.
std::vector<std::pair<SingletoneBase*, SingletoneBase*>>
FindCyclicEdges(const std::vector<SingletoneBase*>& list, const Edges& edges)
{
    std::map<SingletoneBase*, int> index, low, component;
    std::vector<SingletoneBase*> stack;
    std::map<SingletoneBase*, bool> onStack;
    int counter = 0;
    int components = 0;
    std::function<void(SingletoneBase*)> visit = [&](SingletoneBase* node) {
        index[node] = low[node] = counter++;
        stack.push_back(node);
        onStack[node] = true;
        auto found = edges.find(node);
        if (found != edges.end()) {
            for (SingletoneBase* next : found->second) {
                if (!index.count(next)) {
                    visit(next);
                    low[node] = std::min(low[node], low[next]);
                } else if (onStack[next]) {
                    low[node] = std::min(low[node], index[next]);
                }
            }
        }
        if (low[node] == index[node]) {
            for (;;) {
                SingletoneBase* member = stack.back();
                stack.pop_back();
                onStack[member] = false;
                component[member] = components;
                if (member == node)
                    break;
            }
            ++components;
        }
    };
    for (SingletoneBase* node : list)
        if (!index.count(node))
            visit(node);

    std::vector<std::pair<SingletoneBase*, SingletoneBase*>> cyclic;
    for (const auto& [from, targets] : edges)
        for (SingletoneBase* to : targets)
            if (component[from] == component[to])
                cyclic.emplace_back(from, to);
    return cyclic;
}

bool Contains(const std::vector<std::pair<SingletoneBase*, SingletoneBase*>>& edges, SingletoneBase* from,
              SingletoneBase* to)
{
    return std::find(edges.begin(), edges.end(), std::make_pair(from, to)) != edges.end();
}

// Fallback ordering that always ends: repeatedly take the earliest entry that has
// no unplaced predecessor (edges must form no cycle).
void StableTopologicalOrder(std::vector<SingletoneBase*>& list, const Edges& edges)
{
    std::map<SingletoneBase*, int> pending;
    for (SingletoneBase* node : list)
        pending[node] = 0;
    for (const auto& [from, targets] : edges)
        for (SingletoneBase* to : targets)
            ++pending[to];
    std::vector<SingletoneBase*> remaining = list;
    list.clear();
    while (!remaining.empty()) {
        auto next = std::find_if(remaining.begin(), remaining.end(),
                                 [&](SingletoneBase* node) { return pending[node] == 0; });
        if (next == remaining.end())
            next = remaining.begin(); // unreachable for acyclic edges
        SingletoneBase* node = *next;
        remaining.erase(next);
        list.push_back(node);
        auto found = edges.find(node);
        if (found != edges.end())
            for (SingletoneBase* to : found->second)
                --pending[to];
    }
}

} // namespace

SingletoneBase::SingletoneBase()
{
    GetRegistry().entries.push_back(this);
}

std::vector<SingletoneBase*> SingletoneBase::GetDependencies()
{
    return {};
}

void AddDestroyOrder(SingletoneBase* first, SingletoneBase* second)
{
    GetRegistry().pairs.emplace_back(first, second);
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
    auto listed = [&](SingletoneBase* item) { return item && PositionOf(list, item) < list.size(); };
    for (const auto& [entry, needs] : dependencies)
        for (SingletoneBase* need : needs)
            if (need != entry && listed(need))
                edges[entry].push_back(need);
    for (const auto& [first, second] : pairs)
        if (listed(first) && listed(second))
            edges[first].push_back(second);

    // A cycle has no valid order and would make the passes below repeat forever:
    // its edges are left out, so its members keep their places relative to each
    // other while every other rule still holds.
    const auto cyclic = FindCyclicEdges(list, edges);
    if (!cyclic.empty()) {
        GE_LOG(L"Singleton destruction order has a dependency cycle (%d rules ignored); "
               L"those singletons are destroyed in creation order\n")
            << static_cast<int>(cyclic.size());
        for (auto& [from, targets] : edges)
            std::erase_if(targets,
                          [&, from = from](SingletoneBase* to) { return Contains(cyclic, from, to); });
    }
    auto dependsOn = [&](SingletoneBase* entry, SingletoneBase* need) {
        return !Contains(cyclic, entry, need);
    };

    const std::vector<SingletoneBase*> creationOrder = list;
    const std::size_t n = list.size();
    const std::size_t passLimit = (n + 1) * (n + 1) * (pairs.size() + 1) + 16;
    std::size_t passes = 0;
    bool changed = true;
    while (changed) {
        if (++passes > passLimit) {
            // Never seen with acyclic rules; settle on an order that honours them all.
            list = creationOrder;
            StableTopologicalOrder(list, edges);
            break;
        }
        changed = false;
        // Step 1: the first entry standing after one of its dependencies trades
        // places with it, and the pass ends there.
        for (std::size_t i = 0; i < list.size() && !changed; ++i) {
            SingletoneBase* entry = list[i];
            auto found = entry ? dependencies.find(entry) : dependencies.end();
            if (found == dependencies.end())
                continue;
            for (SingletoneBase* need : found->second) {
                const std::size_t j = PositionOf(list, need);
                if (need && j < i && dependsOn(entry, need)) {
                    std::swap(list[i], list[j]);
                    changed = true;
                    break;
                }
            }
        }
        // Step 2: every destroy-order pair whose second stands before its first.
        for (const auto& [first, second] : pairs) {
            const std::size_t a = PositionOf(list, first);
            const std::size_t b = PositionOf(list, second);
            if (a < list.size() && b < list.size() && b < a && dependsOn(first, second)) {
                std::swap(list[a], list[b]);
                changed = true;
            }
        }
    }
    return cyclic.empty();
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
