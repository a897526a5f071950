#include "Source/TD/Hud/HUDWindow.h"
#include "Source/TD/Hud/TextFit.h"

#include "Core/Base/ImageInfo.h"
#include "Core/Base/Log.h"
#include "Core/File/ImageContainer.h"
#include "Core/File/Path.h"
#include "Core/Render/Graphics.h"
#include "Core/Render/Image.h"
#include "Source/TD/Audio/SoundTags.h"
#include "Source/TD/Hud/TDButtonFrame.h"

#include <algorithm>

void DeleteFrameEntryVector(std::vector<TDButtonFrame*>& list)
{
    for (TDButtonFrame* frame : list)
        delete frame;
    list.clear();
}

HUDWindow::HUDWindow() : font(GameFont(L"td/data/fonts/main_42_3")) {}

HUDWindow::HUDWindow(const std::wstring& path)
{
    load(path);
    time = 0.0f;
    offsetX = offsetY = 0.0f;
    state = 0;
    scale = 1.0f;
    font = GameFont(L"td/data/fonts/main_42_3");
}

HUDWindow::~HUDWindow()
{
    for (auto& [name, anchor] : textAnchors)
        delete anchor;
    textAnchors.clear();
    DeleteFrameEntryVector(buttons);
    for (TDFrameEntry* image : images)
        delete image;
    images.clear();
}

template <class Frame>
Frame* HUDWindow::frameOf(file::ImageContainer* document, const std::wstring& layer, bool picture)
{
    const base::ImageInfo* info = document->FindLayer(layer);
    if (!info) {
        GE_LOG(L"Screen document '%s': the listed layer '%s' cannot be found.\n") << document->containerName
                                                                                   << layer;
        return nullptr;
    }
    auto* frame = new Frame;
    frame->mX = info->x;
    frame->mY = info->y;
    frame->mWidth = info->width;
    frame->mHeight = info->height;
    frame->mOrder = static_cast<int>(info->index);
    frame->mVisible = true;
    if (picture)
        frame->mImage = LoadLayerImage(document, layer);
    return frame;
}

// The frame kinds screens build from layers.
template TDFrameEntry* HUDWindow::frameOf<TDFrameEntry>(file::ImageContainer*, const std::wstring&, bool);
template TDButtonFrame* HUDWindow::frameOf<TDButtonFrame>(file::ImageContainer*, const std::wstring&, bool);

void HUDWindow::addTextAnchor(file::ImageContainer* document, const std::wstring& layer)
{
    TDFrameEntry* anchor = frameOf<TDFrameEntry>(document, layer, false);
    if (!anchor)
        return;
    const std::wstring key = file::GetFileNameWithoutExtension(layer);
    anchor->mName = key;
    TDFrameEntry*& slot = textAnchors[key];
    delete slot; // a later layer of the same key takes the place
    slot = anchor;
}

bool HUDWindow::load(const std::wstring& path)
{
    std::unique_ptr<file::ImageContainer> document = OpenScreenDocument(path, L"Screen window");
    if (!document)
        return false;
    build(document.get());
    return true;
}

void HUDWindow::build(file::ImageContainer* document)
{
    std::vector<std::wstring> layers;
    document->ListLayers(L"", false, layers, true);
    for (const std::wstring& layer : layers)
        if (TDFrameEntry* image = frameOf<TDFrameEntry>(document, layer, true)) {
            image->mName = layer;
            images.push_back(image);
        }

    layers.clear();
    document->ListLayers(L"button/", true, layers, false);
    for (const std::wstring& layer : layers)
        if (TDButtonFrame* button = frameOf<TDButtonFrame>(document, layer, true)) {
            button->mName = file::GetFileNameWithoutExtension(layer);
            buttons.push_back(button);
        }

    layers.clear();
    document->ListLayers(L"text/", false, layers, false);
    for (const std::wstring& layer : layers)
        addTextAnchor(document, layer);

    sortImages();
}

void HUDWindow::sortImages()
{
    std::stable_sort(images.begin(), images.end(),
              [](const TDFrameEntry* a, const TDFrameEntry* b) { return a->mOrder < b->mOrder; });
}

math::Transform2D HUDWindow::placement(float x, float y) const
{
    float cx = 0.0f, cy = 0.0f;
    ViewCentre(&cx, &cy);
    math::Transform2D transform;
    transform.Translate(x + offsetX - cx, y + offsetY - cy);
    transform.Scale(scale, scale);
    transform.Translate(cx, cy);
    return transform;
}

void HUDWindow::drawImageFrame(render::Graphics* graphics, TDFrameEntry* frame) const
{
    if (!frame->mImage)
        return;
    MakeTransformedImageDraw(graphics->DrawImage(frame->mImage.get()), placement(frame->mX, frame->mY));
}

FontHandle HUDWindow::textFont(const std::wstring& name) const
{
    if (name == L"caption" || name == L"levelResult")
        if (FontHandle caption = GameFont(L"td/data/fonts/main_80"))
            return caption;
    return font;
}

HUDWindow::TextPlacement HUDWindow::placeText(const std::wstring& name, const std::wstring& text,
                                              const TDFrameEntry& anchor) const
{
    TextPlacement placed;
    placed.font = textFont(name);
    if (!HoldsOneLine(placed.font.Get(), anchor.mHeight)) {
        placed.wrap = anchor.mWidth;
        return placed;
    }
    placed.scale = OneLineScale(placed.font.Get(), text, anchor.mWidth, anchor.mHeight);
    return placed;
}

void HUDWindow::draw(render::Graphics* graphics)
{
    for (TDFrameEntry* image : images)
        if (image->mVisible)
            drawImageFrame(graphics, image);
    for (TDButtonFrame* button : buttons)
        if (button->mVisible)
            button->draw(graphics, scale);
    graphics->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
    for (const auto& [name, text] : texts) {
        const auto anchorAt = textAnchors.find(name);
        const FontHandle chosen = textFont(name);
        if (chosen)
            graphics->SetFont(chosen);
        if (anchorAt == textAnchors.end())
            continue;
        const TDFrameEntry* anchor = anchorAt->second;
        const TextPlacement placed = placeText(name, text, *anchor);
        graphics->SetColor(anchor->mColor.x, anchor->mColor.y, anchor->mColor.z, anchor->mColor.w);
        auto draw = graphics->DrawTextEx(text, 0.0f, 0, placed.wrap);
        draw.SetAlign(2, 2);
        const float x = anchor->mX + anchor->mWidth * 0.5f, y = anchor->mY + anchor->mHeight * 0.5f;
        if (placed.scale == 1.0f) {
            MakeTransformedImageDraw(std::move(draw), placement(x, y));
            continue;
        }
        // The text's own scale about its centre, then the window's zoom about the view's.
        float cx = 0.0f, cy = 0.0f;
        ViewCentre(&cx, &cy);
        math::Transform2D transform;
        transform.Scale(placed.scale * scale, placed.scale * scale);
        transform.Translate((x + offsetX - cx) * scale + cx, (y + offsetY - cy) * scale + cy);
        MakeTransformedImageDraw(std::move(draw), transform);
    }
}

void HUDWindow::update(float dt)
{
    time += dt;
    for (TDButtonFrame* button : buttons)
        button->update(dt);
}

void HUDWindow::onMouseMove(int x, int y)
{
    pointerX = static_cast<float>(x);
    pointerY = static_cast<float>(y);
    for (TDButtonFrame* button : buttons)
        button->onMouseMove(x, y);
}

int HUDWindow::hitTest(int x, int y)
{
    for (size_t i = 0; i < buttons.size(); ++i)
        if (buttons[i]->contains(x, y))
            return static_cast<int>(i);
    return -1;
}

std::wstring HUDWindow::click(int x, int y)
{
    for (TDButtonFrame* button : buttons)
        if (button->mVisible && button->contains(x, y)) {
            k2::SoundTags::Instance()->play(L"simple");
            return button->mName;
        }
    return std::wstring();
}

void HUDWindow::setText(const std::wstring& name, const std::wstring& text)
{
    for (auto& pair : texts)
        if (pair.first == name) {
            pair.second = text;
            return;
        }
    texts.emplace_back(name, text);
}

void HUDWindow::setImageVisible(const std::wstring& name, bool visible)
{
    for (TDFrameEntry* image : images)
        if (image->mName == name)
            image->mVisible = visible;
}

TDButtonFrame* HUDWindow::findButton(const std::wstring& name) const
{
    for (TDButtonFrame* button : buttons)
        if (button->mName == name)
            return button;
    return nullptr;
}

const std::wstring* HUDWindow::findText(const std::wstring& name) const
{
    for (const auto& pair : texts)
        if (pair.first == name)
            return &pair.second;
    return nullptr;
}
