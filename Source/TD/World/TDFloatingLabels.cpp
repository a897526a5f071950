#include "Source/TD/World/TDFloatingLabels.h"

#include "Core/Render/Graphics.h"
#include "Core/Resource/ResourceManager.h"
#include "Source/TD/World/TDFrameEntry.h"
#include "Source/TD/World/TDResources.h"

TDFloatingLabels::TDFloatingLabels()
{
    // The root board's first font: the cache hands out the one the board loaded.
    font = resource::ResourceManager::Get<render::BMFont>(L"td/data/fonts/main_32_1");
    TDResources* resources = TDResources::Instance();
    mIcons[kImmuneKind] = resources->getFrame(L"td/ui", "", L"ui/immune");
    mIcons[kMoneyKind] = resources->getFrame(L"td/ui", "", L"ui/money");
}

TDFloatingLabels::~TDFloatingLabels()
{
    clear();
}

TDFloatingLabels::Label* TDFloatingLabels::add(int kind, float x, float y)
{
    Label* label = new Label;
    label->x = x;
    label->y = y;
    label->kind = kind;
    // Kind 3 and unknown kinds carry no icon.
    if (kind == 0 || kind == 1 || kind == kImmuneKind || kind == kMoneyKind)
        label->icon = mIcons[kind];
    mLabels.push_back(label);
    return label;
}

void TDFloatingLabels::update(float dt)
{
    for (size_t i = 0; i < mLabels.size();) {
        Label* label = mLabels[i];
        label->age += dt;
        label->x += label->speedX * kSpeedScale * dt;
        label->y += label->speedY * kSpeedScale * dt;
        if (label->age > label->lifetime) {
            delete label;
            mLabels.erase(mLabels.begin() + static_cast<std::ptrdiff_t>(i));
            continue;
        }
        ++i;
    }
}

void TDFloatingLabels::draw(render::Graphics* graphics)
{
    if (!graphics)
        return;
    graphics->SetFont(font);
    for (const Label* label : mLabels) {
        if (label->age > label->lifetime - kFadeTime)
            graphics->SetColor(1.0f, 1.0f, 1.0f, (label->lifetime - label->age) * 4.0f);
        if (label->icon && label->icon->mImage)
            graphics->DrawImage(label->icon->mImage.get()).SetAlign(2, 2).Translate(label->x, label->y);
        if (!label->text.empty())
            graphics->DrawText(label->text).SetAlign(label->align, 0).Translate(label->x, label->y);
        graphics->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
    }
}

void TDFloatingLabels::clear()
{
    for (Label* label : mLabels)
        delete label;
    mLabels.clear();
}
