#pragma once
// The filling bar of a skinned slider: an image layer that draws only a source
// rectangle of its image (from its left end up to the knob).
#include "Framework/Layer/ImageLayer.h"

class SliderLayer : public layer::ImageLayer {
public:
    // Takes the image as ImageLayer::SetImage does; the source becomes the whole image.
    void SetImage(render::Image* newImage, bool owns);
    GEResultEnum Draw(render::Graphics* g) override;

    float source[4] = {0.0f, 0.0f, 0.0f, 0.0f}; // x, y, width, height in image pixels
};
