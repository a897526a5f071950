#include "Source/TD/Screens/SliderLayer.h"
#include "Core/Render/Graphics.h"
#include "Core/Render/Image.h"
#include "Framework/Layer/DrawScope.h"

void SliderLayer::SetImage(render::Image* newImage, bool owns)
{
    layer::ImageLayer::SetImage(newImage, owns);
    if (newImage) {
        source[2] = static_cast<float>(newImage->GetWidth());
        source[3] = static_cast<float>(newImage->GetHeight());
    }
}

GEResultEnum SliderLayer::Draw(render::Graphics* g)
{
    if (!g || !image)
        return GE_OK;
    layer::DrawScope scope(g, *this, secondBlend);
    g->DrawImagePart(image, source).SetAlign(u32(hAlign), u32(vAlign));
    return GE_OK;
}
