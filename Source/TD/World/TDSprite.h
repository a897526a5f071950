#pragma once
// Short-lived world sprites: the base and the self-running animated sprite.
#include "Core/Base/Types.h"
#include <string>
#include <vector>

namespace render {
class Graphics;
}

class TDAnimationSet;
class TDFrameEntry;
class TDMob;

class TDSprite {
public:
    TDSprite() = default;
    TDSprite(const TDSprite&) = delete;
    TDSprite& operator=(const TDSprite&) = delete;
    virtual ~TDSprite() = default;

    virtual bool isAlive() const { return mAlive != 0; }
    virtual void draw(render::Graphics*) {}
    // Adds the sprite's current frame, placed, to the level's list of frames to draw.
    virtual void enqueue(std::vector<TDFrameEntry>&) {}
    virtual void update(float) {}

    u8 mAlive = 1;
    float mX = 0.0f;
    float mY = 0.0f;
};

class TDAnimatedSprite : public TDSprite {
public:
    // Plays the unnamed frame list of the description at 20 frames per second.
    explicit TDAnimatedSprite(const std::wstring& description);
    ~TDAnimatedSprite() override;

    // Without the loop flag the sprite dies after its last frame; with it, it loops.
    void update(float dt) override;
    // Fades out over the last 0.2 s; drawn at the attached unit, or at its own
    // position. Not drawn before its first update.
    void draw(render::Graphics* graphics) override;
    void enqueue(std::vector<TDFrameEntry>& list) override;

    TDAnimationSet* mSet = nullptr; // owned
    int mLoop = 0;
    float mClock = 0.0f;
    float mDelay = 0.0f;
    TDMob* mUnit = nullptr; // not owned

private:
    float duration() const;
};

// The level's floating sprites: update (dead ones deleted, order kept), draw, remove.
void UpdateSprites(std::vector<TDSprite*>& sprites, float dt);
void DrawSprites(const std::vector<TDSprite*>& sprites, render::Graphics* graphics);
void RemoveSprite(std::vector<TDSprite*>& sprites, TDSprite* sprite);
void DeleteSprites(std::vector<TDSprite*>& sprites);

// A point at a random angle (first draw) and radius (second draw) in the ring.
void RandomPointInRing(float centerX, float centerY, float inner, float outer, float* x, float* y);
