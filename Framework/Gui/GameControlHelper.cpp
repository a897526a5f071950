#include "Framework/Gui/GameControlHelper.h"
#include "Core/Base/ImageInfo.h"
#include "Core/Base/Log.h"
#include "Core/File/FileManager.h"
#include "Core/File/ImageContainer.h"
#include "Core/Render/DX9/RenderDX9.h"
#include "Core/Render/Image.h"
#include "Core/Resource/ResourceManager.h"
#include "Core/Resource/ResourceTexture.h"
#include "Framework/GameApplication.h"
#include "Framework/Layer/ImageLayer.h"
#include "Framework/Layer/Layer.h"
#include "Framework/Widget/TrapHitTestListener.h"
#include "Framework/Widget/Widget.h"
#include <algorithm>
#include <cmath>

namespace gui {

GameControlHelper::GameControlHelper() = default;

GameControlHelper::~GameControlHelper()
{
    for (layer::Layer* child : adoptedLayers) {
        if (child->parent)
            child->parent->RemoveChild(child);
        delete child;
    }
    adoptedLayers.clear();
}

GEResultEnum GameControlHelper::Open(const std::wstring& containerName, widget::Widget* owner,
                                     layer::HitTestListener* listener)
{
    file::ImageContainer* opened = file::FileManager::Instance()->OpenImageContainer(containerName);
    if (!opened)
        return GE_FAIL;
    container.reset(opened);
    ownerWidget = owner;
    hitListener = listener;
    rootLayer = owner ? owner->layer : nullptr;
    containerOpen = true;
    return GE_OK;
}

GEResultEnum GameControlHelper::LoadLayer(const std::wstring& entryName, layer::Rect* rectOut,
                                          layer::ImageLayer** layerOut)
{
    render::Render* images = renderer;
    if (!images) {
        framework::GameApplication* app = framework::GetGameApplication();
        images = app ? app->render.get() : nullptr;
    }
    if (!images) {
        GE_LOG(L"Cannot load control image '%s': there is no renderer.\n") << entryName;
        return GE_FAIL;
    }
    base::ImageInfo info;
    layer::ImageLayer* made = nullptr;
    if (GEResultEnum result =
            layer::ImageLayer::CreateFromTexture(images, entryName, container.get(), &made, &info))
        return result;
    if (!made)
        return GE_FAIL;
    made->hitListener = hitListener;
    if (rectOut)
        *rectOut = layer::Rect{info.x, info.y, info.width, info.height};
    *layerOut = made;
    return GE_OK;
}

bool GameControlHelper::Adopt(layer::Layer* child)
{
    if (std::find(adoptedLayers.begin(), adoptedLayers.end(), child) != adoptedLayers.end())
        return false;
    adoptedLayers.push_back(child);
    return true;
}

void GameControlHelper::Disown(layer::Layer* child)
{
    std::erase(adoptedLayers, child);
}

GEResultEnum GameControlHelper::AddLayer(layer::Layer* child, int, int)
{
    if (!child)
        return GE_FAIL;
    child->hitEnabled = false;
    Adopt(child);
    if (child->parent)
        child->parent->RemoveChild(child);
    if (!rootLayer) {
        GE_LOG(L"A control layer was added before its layered image was opened.\n");
        return GE_FAIL;
    }
    rootLayer->AddChild(child);
    return GE_OK;
}

GEResultEnum GameControlHelper::InsertLayer(layer::Layer* child, int mode, int)
{
    if (!child)
        return GE_FAIL;
    if (mode == kInsertNoHits)
        child->hitEnabled = false;
    else if (mode == kInsertTrapHits)
        child->hitListener = GetTrapListener();
    Adopt(child);
    if (child->parent)
        child->parent->RemoveChild(child);
    if (!rootLayer) {
        GE_LOG(L"A control layer was inserted before its layered image was opened.\n");
        return GE_FAIL;
    }
    rootLayer->InsertChild(child);
    return GE_OK;
}

GEResultEnum GameControlHelper::LoadRelativeLayer(const std::wstring& name, layer::ImageLayer** out)
{
    layer::ImageLayer* made = nullptr;
    if (GEResultEnum result = LoadLayer(name, nullptr, &made))
        return result;
    if (rootLayer) {
        const math::Point3 from = made->position;
        const math::Point3 to{from.x - rootLayer->position.x, from.y - rootLayer->position.y,
                              from.z - rootLayer->position.z};
        if (std::fabs(to.x - from.x) > layer::kBoundsTolerance ||
            std::fabs(to.y - from.y) > layer::kBoundsTolerance ||
            std::fabs(to.z - from.z) > layer::kBoundsTolerance)
            made->SetPosition(to.x, to.y, to.z);
    }
    *out = made;
    return GE_OK;
}

GEResultEnum GameControlHelper::AddNamedLayer(const std::wstring& name, int mode,
                                              layer::ImageLayer** layerOut)
{
    layer::ImageLayer* made = nullptr;
    if (GEResultEnum result = LoadRelativeLayer(name, &made))
        return result;
    if (layerOut)
        *layerOut = made;
    return AddLayer(made, mode);
}

GEResultEnum GameControlHelper::InsertNamedLayer(const std::wstring& name, int mode,
                                                 layer::ImageLayer** layerOut)
{
    layer::ImageLayer* made = nullptr;
    if (GEResultEnum result = LoadRelativeLayer(name, &made))
        return result;
    if (layerOut)
        *layerOut = made;
    return InsertLayer(made, mode);
}

widget::TrapHitTestListener* GameControlHelper::GetTrapListener()
{
    if (!trapListener)
        trapListener = std::make_unique<widget::TrapHitTestListener>(ownerWidget);
    return trapListener.get();
}

} // namespace gui
