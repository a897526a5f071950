#pragma once
// One cache per resource type, keyed by the exact path string. Get never loads: the
// caller checks the loaded flag and calls Load.
#include "Core/Base/Singletone.h"
#include "Core/Resource/Resource.h"
#include "Core/Resource/ResourceHandle.h"
#include <list>
#include <map>
#include <memory>
#include <string>

namespace resource {

// Frees one type's cache when the manager goes.
class Destroyer {
public:
    virtual ~Destroyer() = default;
};

template <class T> struct CacheEntry {
    T* resource = nullptr;
    int* count = nullptr;
};

template <class T> using CacheMap = std::map<std::wstring, CacheEntry<T>>;

// The per-type cache; null until first used and again once its destroyer has run.
template <class T> struct TypeCache {
    static inline CacheMap<T>* map = nullptr;
};

// Resources still cached when it runs are neither unloaded nor deleted: what they
// would unload through (the renderer, the sound system) may already be gone.
template <class T> class MapDestroyer : public Destroyer {
public:
    explicit MapDestroyer(CacheMap<T>* map) : map(map) {}
    ~MapDestroyer() override
    {
        for (auto& [path, entry] : *map)
            delete entry.count;
        if (TypeCache<T>::map == map)
            TypeCache<T>::map = nullptr;
        delete map;
    }
    CacheMap<T>* map;
};

class ResourceManager : public base::Singletone<ResourceManager> {
public:
    ResourceManager();
    ~ResourceManager() override;

    template <class T> static CacheMap<T>& GetMap()
    {
        if (!TypeCache<T>::map) {
            TypeCache<T>::map = new CacheMap<T>;
            Instance()->destroyers.push_back(std::make_unique<MapDestroyer<T>>(TypeCache<T>::map));
        }
        return *TypeCache<T>::map;
    }

    template <class T> static ResourceHandle<T> Get(const std::wstring& path)
    {
        CacheMap<T>& map = GetMap<T>();
        auto found = map.find(path);
        if (found != map.end()) {
            ++*found->second.count;
            return ResourceHandle<T>(found->second.resource, found->second.count);
        }
        auto* resource = new T;
        resource->name = path;
        if (resource->Init() != 0) {
            delete resource;
            return {};
        }
        int* count = new int(1);
        map.emplace(path, CacheEntry<T>{resource, count});
        return ResourceHandle<T>(resource, count);
    }

    // Unloads, deletes and uncaches `resource`: 0, or a failed UnLoad's result
    // (the resource then stays cached). A resource the cache does not hold gives 0.
    template <class T> static u32 Free(T* resource)
    {
        CacheMap<T>* map = TypeCache<T>::map;
        if (!map)
            return 0;
        for (auto it = map->begin(); it != map->end(); ++it) {
            if (it->second.resource != resource)
                continue;
            if (resource->IsLoaded()) {
                if (const GEResultEnum result = resource->UnLoad())
                    return static_cast<u32>(result);
            }
            int* count = it->second.count;
            map->erase(it);
            delete resource;
            delete count;
            return 0;
        }
        return 0;
    }

    // Caches in registration order, freed in that order.
    std::list<std::unique_ptr<Destroyer>> destroyers;
};

} // namespace resource
