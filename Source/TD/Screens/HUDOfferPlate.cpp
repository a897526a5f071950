#include "Source/TD/Screens/HUDOfferPlate.h"

#include "Core/Base/ImageInfo.h"
#include "Core/Base/Log.h"
#include "Core/Base/StringEncoding.h"
#include "Core/Base/WideFormat.h"
#include "Core/File/ImageContainer.h"
#include "Core/Render/Graphics.h"
#include "Core/Render/Image.h"
#include "Core/Render/Math/Transform3D.h"
#include "Source/TD/Hud/HUDDocument.h"
#include "Source/TD/Purchase/PurchaseSystem.h"
#include "Source/TD/Shell/GameConfig.h"
#include "Source/TD/Shell/LocalStrings.h"
#include "Source/TD/Shell/PlayerProgress.h"
#include "Source/TD/World/TDMap.h"
#include "Source/TD/World/TDPlayerStats.h"

#include <cmath>
#include <cstdio>

const wchar_t* const GemProductIds[HUDOfferPlate::kGemPlates] = {L"buy_100_cr", L"buy_300_cr", L"buy_500_cr",
                                                                 L"buy_1000_cr", L"buy_2500_cr"};
const wchar_t* const BoostProductIds[HUDOfferPlate::kBoostPlates] = {L"extra_energy", L"energy_speed",
                                                                     L"energy_refill"};
const char* const BoostCounterNames[HUDOfferPlate::kBoostPlates] = {"+5Lives", "\xD1\x85\x32Refill", "Refill"};
bool BoostShopPremiumMode = false;

namespace {

const wchar_t* const kGemBadges[HUDOfferPlate::kGemPlates] = {nullptr, L"1/most_popular", nullptr, L"1/best_buy",
                                                              L"1/all_inclusive"};
const wchar_t* const kBoostBadges[HUDOfferPlate::kBoostPlates] = {nullptr, nullptr, L"1/most_popular"};

std::wstring Text(const wchar_t* key)
{
    return LocalStrings::Instance()->get(key);
}

std::wstring Numbered(const wchar_t* pattern, int n)
{
    wchar_t name[64];
    std::swprintf(name, 64, pattern, n);
    return name;
}

int PlayerGems()
{
    const TDMap* map = CurrentLevel();
    return map && map->mStats ? map->mStats->mGems : 0;
}

int ProfileCounter(const std::string& name)
{
    TDMap* map = CurrentLevel();
    return map && map->mProgress ? map->mProgress->getIntAttribute(name) : 0;
}

// The layer the plate needs; null with one log line naming the shop's document.
const base::ImageInfo* Needed(file::ImageContainer* document, const std::wstring& name)
{
    if (!document)
        return nullptr; // already reported by the window
    const base::ImageInfo* info = document->FindLayer(name);
    if (!info)
        GE_LOG(L"Shop plate: the screen document has no layer '%s'; that part of the plate is left out.\n")
            << name;
    return info;
}

void DrawInto(render::Graphics* graphics, const ImageHandle& image, const base::ImageInfo* layer)
{
    if (!image || !layer)
        return;
    const float rect[4] = {layer->x, layer->y, layer->width, layer->height};
    graphics->DrawImageStretched(image.get(), rect);
}

} // namespace

HUDOfferPlate::HUDOfferPlate(Kind plateKind, file::ImageContainer* document, int plateIndex,
                             const std::wstring& language)
    : kind(plateKind), index(plateIndex)
{
    const int count = kind == Gem ? kGemPlates : kBoostPlates;
    if (index < 0 || index >= count) {
        GE_LOG(L"Shop plate: there is no offer %d.\n") << index;
        return;
    }
    const std::wstring plate = Numbered(L"button/b_%02d_in", index + 1);
    plateLayer = Needed(document, plate);
    plateImage = LoadLayerImage(document, plate);
    const std::wstring price = L"pricing/" + language + L"/" + std::to_wstring(index + 1);
    priceLayer = Needed(document, price);
    priceImage = LoadLayerImage(document, price);
    textAnchor = Needed(document, Numbered(L"text/b_%02d_text", index + 1));
    if (const wchar_t* badge = kind == Gem ? kGemBadges[index] : kBoostBadges[index]) {
        badgeLayer = Needed(document, badge);
        if (badgeLayer)
            badgeImage = LoadLayerImage(document, badge);
    }
    premium = kind == Boost && BoostShopPremiumMode;
    if (!premium)
        product = purchase::PurchaseSystem::Instance()->findProduct(kind == Gem ? GemProductIds[index]
                                                                                : BoostProductIds[index]);
}

std::string HUDOfferPlate::counterName() const
{
    return premium && index >= 0 && index < kBoostPlates ? BoostCounterNames[index] : std::string();
}

bool HUDOfferPlate::activeAt(float px, float py) const
{
    if (!plateLayer)
        return false;
    const base::ImageInfo& r = *plateLayer;
    return r.x + kInset <= px && px < r.x + r.width - kInset && r.y + kInset <= py && py < r.y + r.height - kInset;
}

std::wstring HUDOfferPlate::priceText() const
{
    return product ? product->price : std::wstring();
}

std::wstring HUDOfferPlate::productName() const
{
    if (premium)
        return ConvertToWide(counterName());
    return product ? product->name : std::wstring();
}

bool HUDOfferPlate::isPurchased() const
{
    if (premium)
        return ProfileCounter(counterName()) > 0;
    return product && product->owned;
}

bool HUDOfferPlate::offerText(std::wstring* text, math::Point4* colour) const
{
    if (premium) {
        const std::string name = counterName();
        GameConfig* config = GameConfig::instance();
        const bool priced = config->hasProduct(name);
        const int cost = priced ? config->cost(name) : 0;
        if (ProfileCounter(name) > 0)
            *text = Text(L"boostShopBuy_already_purchased");
        else
            *text = std::to_wstring(cost) + L" " + Text(L"gems");
        if (!priced || cost <= 0)
            return false;
        const bool short_ = PlayerGems() < cost && !isPurchased();
        *colour = short_ ? math::Point4{0.94f, 0.44f, 0.44f, 1.0f} : math::Point4{1.0f, 1.0f, 1.0f, 1.0f};
        return true;
    }
    if (kind == Boost && product && product->owned) {
        *text = Text(L"boostShopBuy_already_purchased");
    } else if (product && product->pending) {
        *text = Text(L"gemShopBuy_progress");
    } else {
        WideFormat format(Text(L"gemShopBuyFor"));
        format % priceText();
        format.Finish();
        *text = format.Output();
    }
    return false;
}

void HUDOfferPlate::draw(render::Graphics* graphics) const
{
    if (!plateLayer)
        return;
    const float cx = plateLayer->x + plateLayer->width * 0.5f;
    const float cy = plateLayer->y + plateLayer->height * 0.5f;
    math::Transform3D about;
    about.Translate(-cx, -cy, 0.0f);
    about.Scale(scale, scale, 1.0f);
    about.Translate(cx, cy, 0.0f);
    math::Transform3D* saved = graphics->GetTransform();
    graphics->SetTransform(&about);
    DrawInto(graphics, plateImage, plateLayer);
    DrawInto(graphics, priceImage, priceLayer);
    DrawInto(graphics, badgeImage, badgeLayer);
    if (textAnchor) {
        std::wstring text;
        math::Point4 colour;
        if (offerText(&text, &colour))
            graphics->SetColor(colour.x, colour.y, colour.z, colour.w);
        auto draw = graphics->DrawTextEx(text, 0.0f, 3, textAnchor->width);
        draw.SetAlign(2, 2).Translate(textAnchor->x + textAnchor->width * 0.5f,
                                      textAnchor->y + textAnchor->height * 0.5f);
    }
    if (premium)
        graphics->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
    graphics->SetTransform(saved);
}

void HUDOfferPlate::ease(float dt)
{
    const float step = dt * kEaseRate;
    const float target = hovered ? kHoverScale : 1.0f;
    if (scale == target)
        return;
    if (std::fabs(scale - target) < step)
        scale = target;
    else
        scale += scale < target ? step : -step;
}

HUDOfferPlate* HUDOfferPlate::At(const std::vector<HUDOfferPlate*>& plates, int x, int y)
{
    for (HUDOfferPlate* plate : plates)
        if (plate->activeAt(static_cast<float>(x), static_cast<float>(y)))
            return plate;
    return nullptr;
}

std::wstring HUDOfferPlate::BalanceText()
{
    WideFormat format(Text(L"gemShopTitle2"));
    format % PlayerGems();
    format.Finish();
    return format.Output();
}
