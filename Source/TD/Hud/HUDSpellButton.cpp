#include "Source/TD/Hud/HUDSpellButton.h"

#include "Core/App/Application.h"
#include "Core/Render/Graphics.h"
#include "Core/Render/Image.h"
#include "Core/Render/ParticleEmitter.h"
#include "Core/Render/ParticleSystem.h"
#include "Source/TD/Hud/HUD.h"
#include "Source/TD/Shell/FeatureConfig.h"
#include "Source/TD/Shell/LocalStrings.h"
#include "Source/TD/Shell/PlayerProgress.h"
#include "Source/TD/Towers/SpellTable.h"
#include "Source/TD/World/InterfaceAtlas.h"
#include "Source/TD/World/PrototypeStore.h"
#include "Source/TD/World/TDFrameEntry.h"
#include "Source/TD/World/TDMap.h"
#include "Source/TD/World/TDPlayerStats.h"
#include "Source/TD/World/UnitPrototype.h"
#include "Source/TD/World/UpgradesTable.h"

#include <algorithm>
#include <cmath>

namespace {

render::Image* RawImage(const ImageHandle& image)
{
    return image.get();
}

float ContentScale()
{
    return GetApplication()->contentScale;
}

bool LevelHasTower()
{
    const TDMap* map = CurrentLevel();
    return map && !map->mTowers.empty();
}

// The purchase dialog for gems.
bool LowGemsDialogActive()
{
    return FeatureConfig::instance()->activeFeatures().lowPremiumPointsDialog;
}

const UnitPrototype* PrototypeOf(const SpellDefinition* definition)
{
    const TDMap* map = CurrentLevel();
    return definition && map && map->mPrototypes ? map->mPrototypes->find(definition->prototypeId) : nullptr;
}

} // namespace

HUDSpellButton::HUDSpellButton(int spellId) : spellId(spellId)
{
    scale = 1.0f;
}

HUDSpellButton::~HUDSpellButton()
{
    delete effect;
}

const SpellDefinition* HUDSpellButton::definition() const
{
    const TDMap* map = CurrentLevel();
    return map && map->mSpells ? map->mSpells->find(spellId) : nullptr;
}

void HUDSpellButton::startRecharge()
{
    pressed = 1;
    time = 0.0f;
    const UnitPrototype* prototype = PrototypeOf(definition());
    if (!prototype)
        return;
    UnitPrototype copy(*prototype);
    const TDMap* map = CurrentLevel();
    if (map->mUpgrades)
        map->mUpgrades->applyToPrototype(copy);
    time = copy.cooldown;
}

void HUDSpellButton::setReady()
{
    pressed = 0;
    time = 0.0f;
    if (!effect)
        effect = render::ParticleSystem::Instance()->CreateEmitter("blik_6");
    if (effect) {
        const float at[2] = {x, y};
        effect->SetPosition(at, 1);
        effect->Start();
    }
}

int HUDSpellButton::rechargePrice() const
{
    const SpellDefinition* spell = definition();
    if (!spell)
        return 0;
    const TDMap* map = CurrentLevel();
    const bool halved = map && map->mProgress && map->mProgress->getUpgradeLevel(28) >= 0;
    return halved ? spell->gemPrice / 2 : spell->gemPrice;
}

float HUDSpellButton::shadeFraction() const
{
    const UnitPrototype* prototype = PrototypeOf(definition());
    if (!prototype || prototype->cooldown <= 0.0f)
        return time > 0.0f ? 1.0f : 0.0f;
    return std::clamp(time / prototype->cooldown, 0.0f, 1.0f);
}

bool HUDSpellButton::hitTest(int px, int py)
{
    const SpellDefinition* spell = definition();
    const render::Image* image = spell ? RawImage(spell->texture) : nullptr;
    if (!image)
        return false;
    const float halfW = static_cast<float>(image->GetWidth() / 2);
    const float halfH = static_cast<float>(image->GetHeight() / 2);
    const float fx = static_cast<float>(px);
    const float fy = static_cast<float>(py);
    return x - halfW <= fx && fx <= x + halfW && y - halfH <= fy && fy <= y + halfH;
}

bool HUDSpellButton::onHover(int px, int py)
{
    hovered = hitTest(px, py) ? 1 : 0;
    return hovered != 0;
}

bool HUDSpellButton::accepts(int px, int py)
{
    return hitTest(px, py) && !pressed && (spellId != 4 || LevelHasTower());
}

bool HUDSpellButton::onClick(int px, int py)
{
    if (!hitTest(px, py))
        return false;
    if (!pressed)
        return accepts(px, py);
    const SpellDefinition* spell = definition();
    TDMap* map = CurrentLevel();
    if (!gSpellReload || !spell || !map || !map->mStats)
        return false;
    const int price = rechargePrice();
    if (map->mStats->mGems >= price) {
        map->mStats->spendGems(price);
        setReady();
    } else if (gInAppPurchases && LowGemsDialogActive() && map->mHud) {
        LocalStrings* texts = LocalStrings::Instance();
        map->mHud->showModalDialog(-1, texts->get(L"convertCristallToMoneyDialogTitle"),
                                   texts->get(L"gemShopDialogText"));
        map->mScreen = 19;
        map->mSpeed = 0.0f;
        map->updateSpeedButtons();
    }
    return false;
}

void HUDSpellButton::update(float dt)
{
    if (pressed) {
        const TDMap* map = CurrentLevel();
        time -= (map ? map->mSpeed : 1.0f) * dt;
        if (time <= 0.0f)
            setReady();
    }
    if (hovered)
        scale = std::min(scale + dt * 0.5f, 1.1f);
    else
        scale = std::max(scale - dt, 1.0f);
    if (effect) {
        effect->Update(dt);
        if (effect->state != 1) {
            delete effect;
            effect = nullptr;
        }
    }
}

void HUDSpellButton::draw(render::Graphics* graphics)
{
    const SpellDefinition* spell = definition();
    render::Image* first = spell ? RawImage(spell->texture) : nullptr;
    render::Image* second = spell ? RawImage(spell->texture2) : nullptr;
    const float s = ContentScale();
    if (time <= 0.0f) {
        render::Image* picture = spellId == 4 && !LevelHasTower() ? second : first;
        if (picture) {
            auto draw = graphics->DrawImage(picture);
            draw.SetAlign(2, 2);
            MakeTransformedImageDraw(std::move(draw), ScaledAt(scale * s, x, y));
        }
    } else if (first && second) {
        const float w1 = static_cast<float>(first->GetWidth() / 2);
        const float h1 = static_cast<float>(first->GetHeight() / 2);
        const float w2 = static_cast<float>(second->GetWidth());
        const float h2 = static_cast<float>(second->GetHeight());
        const float left = x - w1 * s;
        const float top = y - h1 * s;
        // Source and destination in the pictures' pixels; the draw is then scaled by s
        // about the button's top-left corner.
        auto place = [&](render::Image* image, float height) {
            const float source[4] = {0.0f, 0.0f, w2, height};
            MakeTransformedImageDraw(graphics->DrawImagePart(image, source), ScaledAt(s, left, top));
        };
        place(first, h2);
        const float shade = shadeFraction() * h2;
        if (shade > 0.0f)
            place(second, shade);
        graphics->SetFont(GameFont(L"td/data/fonts/main_42_3"));
        const std::wstring seconds = std::to_wstring(static_cast<int>(time + 1.0f));
        auto text = graphics->DrawText(seconds);
        text.SetAlign(2, 2);
        text.Translate(left + (w2 / 2) * s, top + (h2 / 2) * s);
        if (gSpellReload) {
            // Above the button's top edge: the tag, ending left of the centre, and the
            // price beside it, so neither runs into the seconds in the middle.
            const TDMap* map = CurrentLevel();
            const TDFrameEntry* tag = map && map->mInterface ? map->mInterface->priceTag : nullptr;
            const render::Image* tagImage = tag && tag->mImage ? tag->mImage.get() : nullptr;
            const float tagW = tagImage ? static_cast<float>(tagImage->GetWidth()) : 0.0f;
            const float tagH = tagImage ? static_cast<float>(tagImage->GetHeight()) : 0.0f;
            graphics->DrawText(std::to_wstring(rechargePrice()))
                .SetAlign(0, 2)
                .Translate(left + (w2 / 2) * s, top - (tagH / 2 + 4) * s);
            if (tagImage)
                graphics->DrawImage(tag->mImage.get())
                    .SetAlign(2, 2)
                    .Translate(left + (w2 / 2 - 8) * s - (tagW / 2) * s, top - (tagH / 2 + 2) * s);
        }
    }
    if (effect)
        graphics->DrawParticles(effect);
}
