#pragma once
// A button that lives in a layer tree: its normal and over pictures (centred on the
// button's origin) and a centred label. The owner sets `hovered` and calls update
// every frame; the button grows at dt per second and shrinks at half that.
#include "Framework/Layer/Layer.h"
#include "Source/TD/World/TDFrameEntry.h"

#include <string>

namespace layer {
class ImageLayer;
class TextLayer;
} // namespace layer

class HUDLayerButton : public layer::Layer {
public:
    // The pictures are shared with the frames (which may go first); null frames or
    // frames without image give an empty picture layer.
    HUDLayerButton(const TDFrameEntry* normalFrame, const TDFrameEntry* overFrame, const std::wstring& label);
    ~HUDLayerButton() override;

    void update(float dt);
    virtual void onClick(int, int) {}

    ImageHandle normalImage;
    ImageHandle overImage;
    layer::ImageLayer* normalLayer = nullptr; // owned child
    layer::ImageLayer* overLayer = nullptr;   // owned child
    layer::TextLayer* labelLayer = nullptr;   // owned child
    float scale = 1.0f;
    bool hovered = false;
};
