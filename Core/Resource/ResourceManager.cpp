#include "Core/Resource/ResourceManager.h"

namespace resource {

ResourceManager::ResourceManager() = default;

ResourceManager::~ResourceManager()
{
    while (!destroyers.empty())
        destroyers.pop_front();
    if (sInstance == this)
        sInstance = nullptr;
}

} // namespace resource
