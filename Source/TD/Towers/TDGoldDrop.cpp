#include "Source/TD/Towers/TDGoldDrop.h"

#include "Core/Render/Graphics.h"
#include "Core/Render/Math/Random.h"
#include "Source/TD/World/TDAnimationSet.h"
#include "Source/TD/World/TDFrameEntry.h"

TDGoldSpecial::~TDGoldSpecial()
{
    delete animation;
}

void TDGoldSpecial::update(float dt)
{
    if (animation)
        animation->advance(dt);
    switch (state) {
    case Flying:
        clock += dt;
        if (clock > 1.0f) {
            state = Lying;
            clock = 1.0f;
        }
        break;
    case Lying:
        // The level reads this clock to collect a drop nobody clicks.
        clock += dt;
        break;
    case Collected:
        clock += kCollectSpeed * dt;
        if (clock > 1.0f)
            alive = 0;
        break;
    default:
        break;
    }
}

i32 TDGoldSpecial::setState(i32 value)
{
    if (value == Collected) {
        from = to;
        to = kCounter;
        clock = -RandomFloat();
    }
    return TDTowerSpecial::setState(value);
}

DropPoint TDGoldSpecial::positionAt() const
{
    if (clock < 0.0f)
        return from;
    if (clock > 1.0f)
        return to;
    const float t = clock;
    const float a = (1.0f - t) * (1.0f - t);
    const float b = 2.0f * t * (1.0f - t);
    const float c = t * t;
    return {a * from.x + b * control.x + c * to.x, a * from.y + b * control.y + c * to.y};
}

void TDGoldSpecial::draw(render::Graphics* graphics)
{
    position = positionAt();
    if (!graphics)
        return;
    float shadowAlpha = 0.0f;
    if (state == Flying && clock > 0.8f && clock < 1.0f)
        shadowAlpha = (clock - 0.8f) / 0.2f;
    else if (state == Lying)
        shadowAlpha = 1.0f;
    if (shadowAlpha > 0.0f && shadow && shadow->mImage) {
        graphics->SetColor(1.0f, 1.0f, 1.0f, shadowAlpha);
        graphics->DrawImage(shadow->mImage.get()).SetAlign(2, 2).Translate(to.x, to.y + 5.0f);
        graphics->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
    }
    if (animation)
        animation->draw(graphics, position.x, position.y, 0.0f);
}
