#include "Source/TD/World/TDAnimationSet.h"

#include "Core/Base/StringEncoding.h"
#include "Core/Render/Graphics.h"
#include "Core/Render/Math/Transform2D.h"
#include "Source/TD/World/TDFrameEntry.h"
#include "Source/TD/World/TDResources.h"

#include <cmath>

TDAnimationSet::TDAnimationSet(const std::wstring& description, const std::wstring& animation)
    : mAnimation(animation)
{
    mDescription = TDResources::Instance()->findOrLoad(description);
    if (!mDescription)
        return;
    const std::vector<TDFrameEntry*>& anchor = mDescription->frames("s_point");
    if (!anchor.empty()) {
        mAnchorX = anchor.front()->mX;
        mAnchorY = anchor.front()->mY;
    }
}

void TDAnimationSet::setAnimation(const std::wstring& animation)
{
    mAnimation = animation;
}

int TDAnimationSet::frameCount() const
{
    if (!mDescription)
        return 0;
    return static_cast<int>(mDescription->frames(ConvertToNarrow(mAnimation)).size());
}

int TDAnimationSet::frameIndex() const
{
    const float index = std::floor(mClock * mFps);
    if (!(index >= 0.0f))
        return 0;
    return index > 1.0e9f ? 1000000000 : static_cast<int>(index);
}

TDFrameEntry* TDAnimationSet::currentFrame() const
{
    if (!mDescription)
        return nullptr;
    const std::vector<TDFrameEntry*>& frames = mDescription->frames(ConvertToNarrow(mAnimation));
    if (frames.empty())
        return nullptr;
    const size_t index = static_cast<size_t>(frameIndex());
    return frames[index < frames.size() ? index : frames.size() - 1];
}

void TDAnimationSet::advance(float dt)
{
    mClock += dt;
    if (mFps > 0.0f && mClock >= static_cast<float>(frameCount()) / mFps)
        mClock = 0.0f;
}

void TDAnimationSet::draw(render::Graphics* graphics, float x, float y, float angle)
{
    TDFrameEntry* frame = currentFrame();
    if (!graphics || !frame || !frame->mImage)
        return;
    math::Transform2D transform;
    transform.Translate(-frame->mWidth * 0.5f, -frame->mHeight * 0.5f);
    transform.Rotate(angle);
    transform.Translate(frame->mWidth * 0.5f + x + frame->mX - mAnchorX,
                        frame->mHeight * 0.5f + y + frame->mY - mAnchorY);
    render::DrawTransform2DParam<render::DrawImageParam> request(graphics->DrawImage(frame->mImage.get()),
                                                                 transform);
}
