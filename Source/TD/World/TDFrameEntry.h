#pragma once
// One positioned image (or particle emitter) of a sprite description. The level's draw
// list holds copies; a copy shares the image with its original.
#include "Core/Render/Math/Point4.h"
#include "Core/Render/Math/Transform2D.h"
#include <memory>
#include <string>

namespace base {
class ImageInfo;
}
namespace file {
class ImageContainer;
}
namespace render {
class Graphics;
class Image;
class ParticleEmitter;
class Render;
} // namespace render

class TMobShader;
class TDSpot;

// A counted image: copies of an entry share it; the last holder deletes it.
using ImageHandle = std::shared_ptr<render::Image>;

class TDFrameEntry {
public:
    TDFrameEntry() = default;
    TDFrameEntry(const TDFrameEntry&) = default;
    TDFrameEntry& operator=(const TDFrameEntry&) = default;
    virtual ~TDFrameEntry() = default;

    // Subclasses (the HUD's buttons) draw, hover and animate; a plain entry does not.
    virtual void draw(render::Graphics* graphics, float alpha);
    virtual void onMouseMove(int x, int y);
    virtual void update(float dt);

    // The rectangle's centre.
    float centerX() const { return mX + mWidth * 0.5f; }
    float centerY() const { return mY + mHeight * 0.5f; }

    TMobShader* mShader = nullptr;
    math::Point4 mColor2{1.0f, 1.0f, 1.0f, 1.0f};
    bool mQueued = false; // cleared whenever a copy enters the level's draw list
    math::Point4 mColor{1.0f, 1.0f, 1.0f, 1.0f};
    ImageHandle mImage;
    std::wstring mName; // the layer's name in its description
    bool mAdditive = false;
    bool mMirrored = false;
    float mX = 0.0f, mY = 0.0f, mWidth = 0.0f, mHeight = 0.0f;
    int mOrder = 0; // sort order of icon lists (layer index for layers)
    math::Transform2D mTransform;
    float mDepth = 0.0f; // draw-list sort key: the y of the thing
    TDSpot* mSpot = nullptr; // the build spot a spot entry stands for; not owned
    render::ParticleEmitter* mEmitter = nullptr; // not owned; null for images
    std::string mTag;
    bool mVisible = true;
};

// The game application's renderer; null when there is none (tools, some tests).
render::Render* GameRenderer();
// The texture `name` (inside `container` when given) as a shared image; null when it
// cannot be loaded or there is no renderer. The texture does not keep the container,
// which may go first. `info` (optional) receives the texture's record.
ImageHandle LoadImageHandle(render::Render* renderer, const std::wstring& name, file::ImageContainer* container,
                            base::ImageInfo* info = nullptr);
