#pragma once
// One level's plate on the level select: its state picture (locked, incomplete,
// complete, super), the level number, the stars won, a "new" mark and the glow of the
// level to play next; it grows while the pointer is over it.
#include "Source/TD/World/TDFrameEntry.h"

#include <vector>

namespace file {
class ImageContainer;
}
namespace layer {
class Layer;
class ImageLayer;
class TextLayer;
class ParticlesLayer;
} // namespace layer
namespace render {
class ParticleEmitter;
}

class LevelPlate {
public:
    static constexpr int kPerRow = 7;
    static constexpr int kLeft = 85, kTop = 260, kColumnStep = 128, kRowStep = 110;

    LevelPlate(int episode, int level, file::ImageContainer* document);
    ~LevelPlate();
    LevelPlate(const LevelPlate&) = delete;
    LevelPlate& operator=(const LevelPlate&) = delete;

    void update(float dt);
    // Strictly inside the plate's rectangle.
    bool contains(int px, int py) const { return px > x && px < x + w && py > y && py < y + h; }

    bool unlocked = false;
    int episode = 0;
    bool completed = false;
    int stars = 0;
    layer::Layer* root = nullptr;
    layer::ImageLayer* plateLayer = nullptr;
    layer::TextLayer* numberText = nullptr;
    layer::ImageLayer* newMarker = nullptr;
    std::vector<layer::ImageLayer*> starLayers;
    layer::ImageLayer* starsPlate = nullptr;
    ImageHandle starsPlateImage;
    ImageHandle starImage;
    ImageHandle newImage;
    ImageHandle stateImage;
    layer::ParticlesLayer* activeLayer = nullptr;
    render::ParticleEmitter* activeEmitter = nullptr; // owned by activeLayer
    int hover = 0;
    float scale = 1.0f;
    int level = 0;
    int x = 0, y = 0, w = 0, h = 0;
};
