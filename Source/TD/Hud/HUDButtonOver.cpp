#include "Source/TD/Hud/HUDButtonOver.h"

#include "Core/Base/CsvLineTokenizer.h"
#include "Core/Base/ImageInfo.h"
#include "Core/Base/Log.h"
#include "Core/File/ImageContainer.h"
#include "Core/File/Path.h"
#include "Core/Render/Graphics.h"
#include "Core/Render/Image.h"
#include "Source/TD/Hud/TextFit.h"

#include <algorithm>

HUDButtonOver::HUDButtonOver(file::ImageContainer* document, const std::wstring& folder)
    : normalFrame(std::make_unique<TDFrameEntry>()), overFrame(std::make_unique<TDFrameEntry>())
{
    WideTokenizer tokens(folder, L'_', true);
    std::wstring style;
    tokens.NextToken(&style);
    tokens.NextToken(&name);

    const std::wstring base = L"button/" + folder + L"/";
    const base::ImageInfo* place = document ? document->FindLayer(base + L"pos") : nullptr;
    if (!place)
        GE_LOG(L"Screen button '%s' has no placement layer '%spos'.\n") << folder << base;
    if (const base::ImageInfo* labelPlace = document ? document->FindLayer(base + L"label") : nullptr) {
        hasLabel = true;
        labelRect[0] = labelPlace->x;
        labelRect[1] = labelPlace->y;
        labelRect[2] = labelPlace->width;
        labelRect[3] = labelPlace->height;
    }
    auto fill = [&](TDFrameEntry& frame, const std::wstring& picture) {
        if (place) {
            frame.mX = place->x;
            frame.mY = place->y;
            frame.mWidth = place->width;
            frame.mHeight = place->height;
        }
        frame.mName = file::GetFileNameWithoutExtension(picture);
        frame.mImage = LoadLayerImage(document, picture);
        if (document && !document->FindLayer(picture))
            GE_LOG(L"Screen button '%s': the picture '%s' is missing.\n") << folder << picture;
    };
    fill(*normalFrame, L"button/" + style + L"_normal");
    fill(*overFrame, L"button/" + style + L"_over");
}

HUDButtonOver::~HUDButtonOver() = default;

void HUDButtonOver::draw(render::Graphics* graphics)
{
    if (!visible)
        return;
    const TDFrameEntry* frame = currentFrame();
    if (frame->mImage) {
        auto draw = graphics->DrawImage(frame->mImage.get());
        draw.SetAlign(2, 2);
        MakeTransformedImageDraw(std::move(draw), ScaledAt(scale, frame->mX + frame->mWidth * 0.5f + xOffset,
                                                          frame->mY + frame->mHeight * 0.5f));
    }
    graphics->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
    if (font)
        graphics->SetFont(font);
    if (hasLabel && !label.empty()) {
        auto draw = graphics->DrawText(label);
        draw.SetAlign(2, 2);
        MakeTransformedImageDraw(std::move(draw),
                                 ScaledAt(scale * labelScale(), labelRect[0] + labelRect[2] * 0.5f + xOffset,
                                          labelRect[1] + labelRect[3] * 0.5f));
    }
}

float HUDButtonOver::labelScale() const
{
    return font ? OneLineScale(font.Get(), label, labelRect[2], labelRect[3]) : 1.0f;
}

void HUDButtonOver::update(float dt)
{
    time += dt;
    if (hovered)
        scale = std::min(scale + dt * 0.5f, 1.1f);
    else
        scale = std::max(scale - dt, 1.0f);
}

bool HUDButtonOver::hitTest(int x, int y)
{
    if (!visible)
        return false;
    const TDFrameEntry* frame = currentFrame();
    const float fx = static_cast<float>(x);
    const float fy = static_cast<float>(y);
    return fx >= frame->mX + xOffset && fx <= frame->mX + frame->mWidth + xOffset && fy >= frame->mY &&
           fy <= frame->mY + frame->mHeight;
}

bool HUDButtonOver::onPress(int x, int y)
{
    pressed = hitTest(x, y) ? 1 : 0;
    return pressed != 0;
}

bool HUDButtonOver::onHover(int x, int y)
{
    hovered = hitTest(x, y) ? 1 : 0;
    return hovered != 0;
}
