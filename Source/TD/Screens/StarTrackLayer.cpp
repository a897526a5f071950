#include "Source/TD/Screens/StarTrackLayer.h"

#include "Core/Render/Graphics.h"
#include "Core/Render/Image.h"
#include "Framework/Layer/DrawScope.h"

#include <algorithm>

void StarTrackLayer::show(int shown, int total)
{
    slots = std::max(total, 1);
    sockets = std::clamp(shown, 0, slots);
    InvalidateLocalBounds();
}

float StarTrackLayer::shownWidth() const
{
    return image ? static_cast<float>(image->GetWidth()) * static_cast<float>(sockets) /
                       static_cast<float>(slots)
                 : 0.0f;
}

GEResultEnum StarTrackLayer::Draw(render::Graphics* g)
{
    if (!g || !image || sockets == 0)
        return GE_OK;
    layer::DrawScope scope(g, *this, secondBlend);
    const float source[4] = {0.0f, 0.0f, shownWidth(), static_cast<float>(image->GetHeight())};
    g->DrawImagePart(image, source);
    return GE_OK;
}

void StarTrackLayer::UpdateBounds()
{
    localBounds.Reset();
    if (!image || sockets == 0)
        return;
    localBounds.min = math::Point3{0.0f, 0.0f, 0.0f};
    localBounds.max = math::Point3{shownWidth(), static_cast<float>(image->GetHeight()), 0.0f};
}
