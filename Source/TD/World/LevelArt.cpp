#include "Source/TD/World/LevelArt.h"

#include "Core/Base/ImageInfo.h"
#include "Core/Base/Log.h"
#include "Core/File/FileManager.h"
#include "Core/File/ImageContainer.h"

#include <algorithm>
#include <memory>

namespace {

void DeleteEntries(std::vector<TDFrameEntry*>& entries)
{
    for (TDFrameEntry* entry : entries)
        delete entry;
    entries.clear();
}

} // namespace

std::wstring LevelArtContainerName(const std::wstring& folder)
{
    if (!folder.empty() && folder.back() == L'/')
        return folder.substr(0, folder.size() - 1);
    return folder;
}

LevelArt::LevelArt(const std::wstring& name, render::Render* renderer)
{
    if (!renderer)
        renderer = GameRenderer();
    std::unique_ptr<file::ImageContainer> spots(file::FileManager::Instance()->OpenImageContainer(L"td/spots"));
    if (spots) {
        mSpotImageS = LoadImageHandle(renderer, L"spots/s", spots.get());
        mSpotImageG = LoadImageHandle(renderer, L"spots/g", spots.get());
        mSpotImageP = LoadImageHandle(renderer, L"spots/p", spots.get());
    } else {
        GE_LOG(L"Spot images 'td/spots' could not be opened.\n");
    }
    loadLayers(name, renderer);
}

LevelArt::~LevelArt()
{
    DeleteEntries(mSpotSprites);
    DeleteEntries(mLayerSprites);
    DeleteEntries(mIcons);
}

void LevelArt::loadLayers(const std::wstring& name, render::Render* renderer)
{
    const std::wstring containerName = LevelArtContainerName(name);
    std::unique_ptr<file::ImageContainer> container(
        file::FileManager::Instance()->OpenImageContainer(containerName));
    if (!container) {
        GE_LOG(L"Level art '%s' could not be opened.\n") << containerName;
        return;
    }
    const i32 count = container->GetLayerCount();
    for (i32 i = 0; i < count; ++i) {
        const base::ImageInfo* layer = container->GetLayer(i);
        if (!layer)
            continue;
        auto* entry = new TDFrameEntry;
        entry->mVisible = true;
        entry->mName = layer->name;
        entry->mX = layer->x;
        entry->mY = layer->y;
        entry->mWidth = layer->width;
        entry->mHeight = layer->height;
        entry->mImage = LoadImageHandle(renderer, layer->name, container.get());
        entry->mDepth = layer->y + layer->height;
        entry->mOrder = static_cast<int>(layer->index);
        entry->mColor.w = static_cast<float>(layer->opacity) / 255.0f;
        mLayerSprites.push_back(entry);
    }
    // Painter's order: the document's stacking index, bottom first (a layered document
    // lists its layers from the top down).
    std::stable_sort(mLayerSprites.begin(), mLayerSprites.end(),
                     [](const TDFrameEntry* a, const TDFrameEntry* b) { return a->mOrder < b->mOrder; });
}

TDFrameEntry* LevelArt::spotAt(int x, int y) const
{
    for (TDFrameEntry* sprite : mSpotSprites) {
        if (!sprite->mVisible)
            continue;
        const double dx = static_cast<double>(sprite->centerX()) - x;
        const double dy = static_cast<double>(sprite->centerY()) - y;
        if (dx * dx + dy * dy <= 40.0 * 40.0)
            return sprite;
    }
    return nullptr;
}

const ImageHandle& LevelArt::spotImage(int type) const
{
    switch (type) {
    case SpotGold:
        return mSpotImageG;
    case SpotPremium:
        return mSpotImageP;
    default:
        return mSpotImageS;
    }
}
