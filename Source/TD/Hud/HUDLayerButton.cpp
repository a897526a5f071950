#include "Source/TD/Hud/HUDLayerButton.h"

#include "Core/Render/Image.h"
#include "Framework/Layer/ImageLayer.h"
#include "Framework/Layer/TextLayer.h"
#include "Source/TD/Hud/HUDDocument.h"

#include <algorithm>
#include <cmath>

namespace {

layer::ImageLayer* CentredPicture(const ImageHandle& image, const TDFrameEntry* frame)
{
    auto* picture = new layer::ImageLayer;
    picture->SetImage(image.get(), false);
    if (frame)
        picture->SetPosition(-frame->mWidth / 2, -frame->mHeight / 2, 0.0f);
    return picture;
}

} // namespace

HUDLayerButton::HUDLayerButton(const TDFrameEntry* normalFrame, const TDFrameEntry* overFrame,
                               const std::wstring& label)
    : normalImage(normalFrame ? normalFrame->mImage : nullptr), overImage(overFrame ? overFrame->mImage : nullptr)
{
    normalLayer = CentredPicture(normalImage, normalFrame);
    overLayer = CentredPicture(overImage, overFrame);
    labelLayer = new layer::TextLayer(layer::TextLayer::ShareFont(GameFont(L"td/data/fonts/main_42_3")), label);
    labelLayer->SetAlign(2, 2);
    AddChild(normalLayer);
    AddChild(overLayer);
    AddChild(labelLayer);
}

HUDLayerButton::~HUDLayerButton()
{
    for (layer::Layer* child : {static_cast<layer::Layer*>(normalLayer), static_cast<layer::Layer*>(overLayer),
                                static_cast<layer::Layer*>(labelLayer)})
        DeleteLayer(child);
}

void HUDLayerButton::update(float dt)
{
    scale = hovered ? std::min(scale + dt, 1.1f) : std::max(scale - dt * 0.5f, 1.0f);
    SetScale(scale, scale, scale);
}
