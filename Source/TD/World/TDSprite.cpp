#include "Source/TD/World/TDSprite.h"

#include "Core/Render/Graphics.h"
#include "Core/Render/Math/Random.h"
#include "Source/TD/Units/TDMob.h"
#include "Source/TD/World/TDAnimationSet.h"
#include "Source/TD/World/TDFrameEntry.h"

#include <algorithm>
#include <cmath>

TDAnimatedSprite::TDAnimatedSprite(const std::wstring& description) : mSet(new TDAnimationSet(description))
{
    mSet->mFps = 20.0f;
}

TDAnimatedSprite::~TDAnimatedSprite()
{
    delete mSet;
}

float TDAnimatedSprite::duration() const
{
    return mSet->mFps > 0.0f ? static_cast<float>(mSet->frameCount()) / mSet->mFps : 0.0f;
}

void TDAnimatedSprite::update(float dt)
{
    mClock += dt;
    mDelay -= dt;
    if (mClock * mSet->mFps > static_cast<float>(mSet->frameCount() - 1)) {
        if (!mLoop) {
            mAlive = 0;
        } else {
            mDelay = 0.0f;
            mClock -= duration();
        }
    }
    if (mDelay <= 0.0f)
        mSet->advance(dt);
}

void TDAnimatedSprite::draw(render::Graphics* graphics)
{
    if (!graphics)
        return;
    const float left = duration() - mClock;
    if (left < 0.2f)
        graphics->SetColor(1.0f, 1.0f, 1.0f, std::max(0.0f, left / 0.2f));
    if (mDelay < 0.0f) {
        if (mUnit)
            mSet->draw(graphics, mUnit->mDrawX, mUnit->mDrawY, 0.0f);
        else
            mSet->draw(graphics, mX, mY, 0.0f);
    }
    graphics->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
}

void TDAnimatedSprite::enqueue(std::vector<TDFrameEntry>& list)
{
    const TDFrameEntry* frame = mSet->currentFrame();
    if (!frame || mDelay >= 0.0f)
        return;
    const float x = mUnit ? mUnit->mDrawX : mX;
    const float y = mUnit ? mUnit->mDrawY : mY;
    TDFrameEntry copy = *frame;
    copy.mX = x + frame->mX - mSet->mAnchorX;
    copy.mY = y + frame->mY - mSet->mAnchorY;
    copy.mDepth = y;
    copy.mQueued = false;
    list.push_back(copy);
}

void UpdateSprites(std::vector<TDSprite*>& sprites, float dt)
{
    for (size_t i = 0; i < sprites.size();) {
        TDSprite* sprite = sprites[i];
        sprite->update(dt);
        if (sprite->isAlive()) {
            ++i;
            continue;
        }
        delete sprite;
        sprites.erase(sprites.begin() + static_cast<std::ptrdiff_t>(i));
    }
}

void DrawSprites(const std::vector<TDSprite*>& sprites, render::Graphics* graphics)
{
    for (TDSprite* sprite : sprites)
        sprite->draw(graphics);
}

void RemoveSprite(std::vector<TDSprite*>& sprites, TDSprite* sprite)
{
    const auto it = std::find(sprites.begin(), sprites.end(), sprite);
    if (it == sprites.end())
        return;
    sprites.erase(it);
    delete sprite;
}

void DeleteSprites(std::vector<TDSprite*>& sprites)
{
    for (TDSprite* sprite : sprites)
        delete sprite;
    sprites.clear();
}

void RandomPointInRing(float centerX, float centerY, float inner, float outer, float* x, float* y)
{
    const float angle = RandomFloat() * 360.0f * 3.14159265f / 180.0f;
    const float radius = inner + (outer - inner) * RandomFloat();
    if (x)
        *x = centerX + radius * std::cos(angle);
    if (y)
        *y = centerY + radius * std::sin(angle);
}
