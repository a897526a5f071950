#include "Source/TD/Hud/HUDDocument.h"

#include "Core/Base/ImageInfo.h"
#include "Core/Base/Log.h"
#include "Core/File/FileManager.h"
#include "Core/File/ImageContainer.h"
#include "Core/Render/Image.h"
#include "Core/Render/Render.h"
#include "Core/Render/Math/Point4.h"
#include "Core/Resource/ResourceTexture.h"
#include "Framework/Layer/ImageLayer.h"
#include "Source/TD/Hud/HUDButton.h"
#include "Source/TD/Shell/Game.h"
#include "Source/TD/Shell/GameWindow.h"
#include "Source/TD/World/TDMap.h"

#include <cmath>

FontHandle GameFont(const wchar_t* path)
{
    Game* game = Game::sInstance;
    if (!game || !game->mGameWindow)
        return FontHandle();
    const std::wstring wanted = path;
    for (int i = 0; i < GameWindow::kFontCount; ++i)
        if (wanted == GameWindow::kFontPaths[i])
            return game->mGameWindow->mFonts[i];
    return FontHandle();
}

TDMap* CurrentLevel()
{
    Game* game = Game::sInstance;
    return game && game->mGameWindow ? game->mGameWindow->mMap : nullptr;
}

void ViewCentre(float* x, float* y)
{
    *x = *y = 0.0f;
    if (const TDMap* map = CurrentLevel()) {
        *x = map->mVisibleRect[0] + map->mVisibleRect[2] * 0.5f;
        *y = map->mVisibleRect[1] + map->mVisibleRect[3] * 0.5f;
    }
}

void ViewHalfSize(float* x, float* y)
{
    *x = *y = 0.0f;
    if (const TDMap* map = CurrentLevel()) {
        *x = map->mVisibleRect[2] * 0.5f;
        *y = map->mVisibleRect[3] * 0.5f;
    }
}

std::unique_ptr<file::ImageContainer> OpenScreenDocument(const std::wstring& path, const wchar_t* user)
{
    std::unique_ptr<file::ImageContainer> document(file::FileManager::Instance()->OpenImageContainer(path));
    if (!document)
        GE_LOG(L"%s: the screen document '%s' could not be opened.\n") << user << path;
    return document;
}

ImageHandle LoadLayerImage(file::ImageContainer* document, const std::wstring& layerName)
{
    if (!document || !document->FindLayer(layerName))
        return nullptr;
    return LoadImageHandle(GameRenderer(), layerName, document, nullptr);
}

void SetImageLayerFromDocument(layer::ImageLayer* imageLayer, file::ImageContainer* document,
                               const math::Point3& origin, const std::wstring& layerName)
{
    const base::ImageInfo* info = document ? document->FindLayer(layerName) : nullptr;
    render::Image* image = nullptr;
    if (info) {
        render::Render* renderer = GameRenderer();
        if (renderer && renderer->LoadTexture(layerName, document, &image, nullptr) != GE_OK)
            image = nullptr;
        // The document may go before the picture does.
        if (image && image->GetResource())
            image->GetResource()->container = nullptr;
    }
    imageLayer->SetImage(image, true);
    if (info)
        imageLayer->SetPosition(info->x - origin.x, info->y - origin.y, 0.0f);
}

TDFrameEntry* MakeFrameFromLayer(file::ImageContainer* document, const std::wstring& layerName)
{
    const base::ImageInfo* info = document ? document->FindLayer(layerName) : nullptr;
    if (!info) {
        GE_LOG(L"Screen document: the layer '%s' is missing.\n") << layerName;
        return nullptr;
    }
    auto* frame = new TDFrameEntry;
    frame->mX = info->x;
    frame->mY = info->y;
    frame->mWidth = info->width;
    frame->mHeight = info->height;
    frame->mVisible = true;
    frame->mName = layerName;
    frame->mOrder = static_cast<int>(info->index);
    frame->mImage = LoadLayerImage(document, layerName);
    return frame;
}

void DeleteLayer(layer::Layer* node)
{
    if (!node)
        return;
    if (node->parent)
        node->parent->RemoveChild(node);
    delete node;
}

float ImageWidth(const layer::ImageLayer* image)
{
    return image && image->GetImage() ? static_cast<float>(image->GetImage()->GetWidth()) : 0.0f;
}

float ImageHeight(const layer::ImageLayer* image)
{
    return image && image->GetImage() ? static_cast<float>(image->GetImage()->GetHeight()) : 0.0f;
}

void DeleteButtons(std::vector<HUDButton*>& list)
{
    while (!list.empty()) {
        HUDButton* button = list.front();
        list.erase(list.begin());
        delete button;
    }
}

math::Point4 ColorFromArgb(unsigned argb)
{
    auto channel = [argb](int shift) { return static_cast<float>((argb >> shift) & 0xFFu) / 255.0f; };
    return math::Point4{channel(16), channel(8), channel(0), channel(24)};
}

math::Transform2D ScaledAt(float s, float x, float y)
{
    math::Transform2D transform;
    transform.Scale(s, s);
    transform.Translate(x, y);
    return transform;
}
