#pragma once
// Plays one named animation of a sprite description at its frames per second.
#include <string>

namespace render {
class Graphics;
}

struct SpriteDescription;
class TDFrameEntry;

class TDAnimationSet {
public:
    // Finds (or loads) the description; the anchor is the first "s_point" frame's
    // position, else (50, 30).
    explicit TDAnimationSet(const std::wstring& description, const std::wstring& animation = L"");

    // Switches animation; the clock is kept.
    void setAnimation(const std::wstring& animation);
    int frameCount() const;
    // floor(clock x fps).
    int frameIndex() const;
    // The frame at frameIndex (held at the last one); null without frames.
    TDFrameEntry* currentFrame() const;
    // The clock restarts at 0 once it reaches frameCount / fps.
    void advance(float dt);
    // The current frame with the anchor on (x, y), turned by `angle` degrees about its
    // centre. Nothing without frames.
    void draw(render::Graphics* graphics, float x, float y, float angle);

    SpriteDescription* mDescription = nullptr; // owned by TDResources
    std::wstring mAnimation;
    float mAnchorX = 50.0f;
    float mAnchorY = 30.0f;
    float mFps = 30.0f;
    float mClock = 0.0f;
};
