#include "Source/TD/Hud/TDButtonFrame.h"

#include "Core/Render/Graphics.h"
#include "Core/Render/Image.h"
#include "Source/TD/Hud/HUDDocument.h"

#include <algorithm>

void TDButtonFrame::draw(render::Graphics* graphics, float windowScale)
{
    if (!mImage)
        return;
    float hx = 0.0f, hy = 0.0f;
    ViewHalfSize(&hx, &hy);
    graphics->SetColor(mColor.x, mColor.y, mColor.z, mColor.w);
    math::Transform2D transform;
    transform.Scale(scale, scale);
    transform.Translate(mX + mWidth * 0.5f - hx, mY + mHeight * 0.5f - hy);
    transform.Scale(windowScale, windowScale);
    transform.Translate(hx, hy);
    auto draw = graphics->DrawImage(mImage.get());
    draw.SetAlign(2, 2);
    MakeTransformedImageDraw(std::move(draw), transform);
}

void TDButtonFrame::onMouseMove(int x, int y)
{
    const float fx = static_cast<float>(x);
    const float fy = static_cast<float>(y);
    hovered = fx > mX && fx < mX + mWidth && fy > mY && fy < mY + mHeight ? 1 : 0;
}

void TDButtonFrame::update(float dt)
{
    if (hovered)
        scale = std::min(scale + dt * 0.5f, 1.1f);
    else
        scale = std::max(scale - dt, 1.0f);
}

bool TDButtonFrame::contains(int x, int y) const
{
    const float fx = static_cast<float>(x);
    const float fy = static_cast<float>(y);
    return fx >= mX && fx <= mX + mWidth && fy >= mY && fy <= mY + mHeight;
}
