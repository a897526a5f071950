#include "Source/TD/Screens/EpisodePager.h"

#include "Core/Render/Graphics.h"
#include "Source/TD/Hud/HUDDocument.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kGlideSpeed = 800.0f;
constexpr float kFlickSeconds = 0.3f;
constexpr float kCentreX = 512.0f;
constexpr float kRowY = 404.0f;
constexpr float kTextY = 384.0f;
constexpr float kFullSizeReach = 120.0f;

} // namespace

void EpisodePager::pageChanged()
{
    if (onPageChanged)
        (*onPageChanged)(current);
}

void EpisodePager::motionEnded()
{
    if (onMotionEnded)
        (*onMotionEnded)();
}

void EpisodePager::clampCurrent()
{
    current = std::clamp(current, 0, std::max(0, pageCount() - 1));
}

void EpisodePager::update(float dt)
{
    elapsed += dt;
    if (state == GlidingBack) {
        offset -= kGlideSpeed * dt;
        if (offset < 0.0f) {
            offset = 0.0f;
            state = Idle;
            motionEnded();
        }
    } else if (state == GlidingForward) {
        offset += kGlideSpeed * dt;
        if (offset > 0.0f) {
            offset = 0.0f;
            state = Idle;
            motionEnded();
        }
    }
}

void EpisodePager::drag(int x, int y)
{
    if (state != Dragging)
        return;
    offset += dragX - static_cast<float>(x);
    dragX = static_cast<float>(x);
    dragY = static_cast<float>(y);
    const float reach = static_cast<float>(std::max(0, pageCount() - 1)) * spacing;
    offset = std::clamp(offset, -reach, reach);
    if (current <= 0 && offset < 0.0f)
        offset = 0.0f;
    if (current >= pageCount() - 1 && offset > 0.0f)
        offset = 0.0f;
}

void EpisodePager::release()
{
    if (offset == 0.0f) {
        state = Idle;
        motionEnded();
        return;
    }
    state = offset > 0.0f ? GlidingBack : GlidingForward;
    const int last = std::max(0, pageCount() - 1);
    if (offset > spacing * 0.25f) {
        if (++current > last) {
            current = last;
            return;
        }
        pageChanged();
        offset -= spacing;
        state = GlidingForward;
    } else if (offset < -spacing * 0.25f) {
        if (--current < 0) {
            current = 0;
            return;
        }
        pageChanged();
        offset += spacing;
        state = GlidingBack;
    } else if (elapsed < kFlickSeconds) {
        // A short fast drag turns the page too.
        const int before = current;
        if (offset > 0.0f) {
            current = std::min(current + 1, last);
            if (current != before)
                pageChanged();
            offset -= spacing;
            state = GlidingForward;
        } else {
            current = std::max(current - 1, 0);
            if (current != before)
                pageChanged();
            offset += spacing;
            state = GlidingBack;
        }
    }
}

void EpisodePager::draw(render::Graphics* graphics)
{
    const FontHandle font = GameFont(L"td/data/fonts/main_80");
    for (int i = 0; i < pageCount(); ++i) {
        const EpisodePage& page = pages[static_cast<size_t>(i)];
        const float x = spacing * static_cast<float>(i - current) + kCentreX - offset;
        const float d = std::fabs(kCentreX - x);
        const float s = d < kFullSizeReach ? 1.0f - shrink * d / kFullSizeReach : 1.0f - shrink;
        graphics->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
        for (const ImageHandle& image : {page.image, page.overlay})
            if (image) {
                auto draw = graphics->DrawImage(image.get());
                draw.SetAlign(2, 2);
                MakeTransformedImageDraw(std::move(draw), ScaledAt(s, x, kRowY));
            }
        if (!page.text.empty() && font) {
            graphics->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
            graphics->SetFont(font);
            // Wrapped to 400 units, lines centred. The text shrinks faster than its card:
            // a side card is small and its outer edge lies under an arrow button.
            auto draw = graphics->DrawTextEx(page.text, 0.0f, 1, 400.0f);
            draw.SetAlign(2, 2);
            MakeTransformedImageDraw(std::move(draw), ScaledAt(0.8f * s * s, x, kTextY));
        }
        if (page.badge) {
            graphics->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
            auto draw = graphics->DrawImage(page.badge.get());
            draw.SetAlign(2, 2);
            MakeTransformedImageDraw(std::move(draw), ScaledAt(s, x + 100.0f * s, kTextY - 130.0f * s));
        }
    }
}
