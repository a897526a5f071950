#include "Source/TD/Screens/HUDItemPlate.h"

#include "Core/Base/ImageInfo.h"
#include "Core/Base/Log.h"
#include "Core/File/ImageContainer.h"
#include "Core/Render/Image.h"
#include "Core/Render/Math/Point4.h"
#include "Framework/Layer/ImageLayer.h"
#include "Framework/Layer/TextLayer.h"
#include "Source/TD/Audio/SoundTags.h"
#include "Source/TD/Hud/HUD.h"
#include "Source/TD/Hud/HUDDocument.h"
#include "Source/TD/Screens/StarTrackLayer.h"
#include "Source/TD/Shell/FeatureConfig.h"
#include "Source/TD/Shell/LocalStrings.h"
#include "Source/TD/Shell/PlayerProgress.h"
#include "Source/TD/Shell/Profiles.h"
#include "Source/TD/World/TDMap.h"
#include "Source/TD/World/TDPlayerStats.h"
#include "Source/TD/World/UpgradesTable.h"

#include <algorithm>
#include <string>

namespace {

const math::Point3 kZero{0.0f, 0.0f, 0.0f};

std::wstring Text(const std::wstring& key)
{
    return LocalStrings::Instance()->get(key);
}

layer::TextLayer* MakeText(const wchar_t* fontPath, float width, int hAlign, int vAlign, float x, float y,
                           float indent = 0.0f)
{
    // Lines centred in their box when the box is centred.
    auto* text = new layer::TextLayer(layer::TextLayer::ShareFont(GameFont(fontPath)), std::wstring(), indent,
                                      hAlign == 2 ? 1u : 0u, true, width);
    text->SetAlign(hAlign, vAlign);
    text->SetPosition(x, y, 0.0f);
    text->SnapToPixels();
    return text;
}

void SetTextSnapped(layer::TextLayer* text, const std::wstring& value)
{
    text->SetText(value);
    text->SnapToPixels();
}

// A picture of the document at its own place relative to the plate's origin.
layer::ImageLayer* PictureAt(file::ImageContainer* document, const std::wstring& name, float px, float py,
                             layer::ImageLayer* picture = nullptr)
{
    if (!picture)
        picture = new layer::ImageLayer;
    if (!document)
        return picture;
    if (const base::ImageInfo* info = document->FindLayer(name)) {
        SetImageLayerFromDocument(picture, document, math::Point3{px, py, 0.0f}, name);
        picture->SetPosition(static_cast<float>(info->x) - px, static_cast<float>(info->y) - py, 0.0f);
    } else {
        GE_LOG(L"Upgrade shop: the document has no layer '%s'.\n") << name;
    }
    return picture;
}

const UpgradeDef* FindUpgrade(TDMap* map, int id)
{
    if (!map || !map->mUpgrades)
        return nullptr;
    for (int section = 0; section < 3; ++section) {
        std::vector<const UpgradeDef*> list;
        map->mUpgrades->collectSection(section, list);
        for (const UpgradeDef* def : list)
            if (def->id == id)
                return def;
    }
    return nullptr;
}

} // namespace

int HUDItemPlate::starCount(int steps)
{
    return steps == 1 ? 6 : std::clamp(steps, 0, kMaxStars);
}

HUDItemPlate::HUDItemPlate(file::ImageContainer* document, const UpgradeDef& upgrade) : upgradeId(upgrade.id)
{
    const base::ImageInfo* origin = document ? document->FindLayer(L"item_plate/Layer_1") : nullptr;
    const float px = origin ? static_cast<float>(origin->x) : 0.0f;
    const float py = origin ? static_cast<float>(origin->y) : 0.0f;
    const std::wstring id = std::to_wstring(upgrade.id);
    const int level = CurrentLevel() && CurrentLevel()->mProgress ? CurrentLevel()->mProgress->getUpgradeLevel(upgrade.id)
                                                                   : -1;

    plateImage = PictureAt(document, L"item_plate/Layer_1", 0.0f, 0.0f);

    upgradeIcon = new layer::ImageLayer;
    if (document)
        SetImageLayerFromDocument(upgradeIcon, document, kZero, L"icons/" + upgrade.icon);
    upgradeIcon->SetPosition(-62.0f - ImageWidth(upgradeIcon) * 0.5f, 47.0f - ImageHeight(upgradeIcon) * 0.5f, 0.0f);
    plateImage->AddChild(upgradeIcon);

    nameText = MakeText(L"td/data/fonts/main_42_3", 320.0f, 0, 2, 0.0f, 30.0f, 16.0f);
    nameText->SetScale(0.85f, 0.85f, 1.0f);
    SetTextSnapped(nameText, Text(L"upgrade_" + id + L"_name"));
    plateImage->AddChild(nameText);

    // The plate has room for ten stars: longer upgrades show only the first ten.
    const int steps = static_cast<int>(upgrade.steps.size());
    singleStep = steps == 1;
    auto* track = new StarTrackLayer;
    PictureAt(document, L"item_plate/stars/clear_star", px, py, track);
    // As many sockets as the upgrade has stars, not the ten the track has room for.
    track->show(starCount(steps), kMaxStars);
    emptyStars = track;
    plateImage->AddChild(emptyStars);

    if (steps > kMaxStars)
        GE_LOG(L"Upgrade shop: upgrade %d has %d steps; its plate shows %d stars.\n") << upgrade.id << steps
                                                                                      << kMaxStars;
    for (int n = 1; n <= starCount(steps); ++n) {
        layer::ImageLayer* star =
            PictureAt(document, L"item_plate/stars/star_0" + std::to_wstring(n), px, py);
        star->visible = singleStep ? level >= 0 : n - 1 <= level;
        stars.push_back(star);
        plateImage->AddChild(star);
    }

    buyButton = new layer::Layer;
    buyInactive = new layer::ImageLayer;
    buyActive = new layer::ImageLayer;
    if (document) {
        SetImageLayerFromDocument(buyInactive, document, math::Point3{px, py, 0.0f}, L"item_plate/buy_in");
        SetImageLayerFromDocument(buyActive, document, math::Point3{px, py, 0.0f}, L"item_plate/buy_ac");
    }
    const base::ImageInfo* buyInfo = document ? document->FindLayer(L"item_plate/buy_ac") : nullptr;
    if (buyInfo)
        buyButton->SetPosition(buyInfo->x - px + buyInfo->width * 0.5f, buyInfo->y - py + buyInfo->height * 0.5f, 0.0f);
    buyInactive->SetPosition(-ImageWidth(buyInactive) * 0.5f, -ImageHeight(buyInactive) * 0.5f, 0.0f);
    buyActive->SetPosition(-ImageWidth(buyActive) * 0.5f, -ImageHeight(buyActive) * 0.5f, 0.0f);
    buyButton->AddChild(buyInactive);
    buyButton->AddChild(buyActive);
    plateImage->AddChild(buyButton);

    descriptionText = MakeText(L"td/data/fonts/main_32_2", 333.0f, 0, 2, 0.0f, 65.0f, 16.0f);
    descriptionText->SetScale(0.85f, 0.85f, 1.0f);
    plateImage->AddChild(descriptionText);

    gemIcon = new layer::ImageLayer;
    if (document)
        SetImageLayerFromDocument(gemIcon, document, math::Point3{px, py, 0.0f}, L"item_plate/grem");
    plateImage->AddChild(gemIcon);

    costText = MakeText(L"td/data/fonts/main_42_3", 70.0f, 2, 2, 640.0f, 46.0f);
    plateImage->AddChild(costText);

    buyActive->visible = false;
    refresh();
}

HUDItemPlate::~HUDItemPlate()
{
    for (layer::ImageLayer* star : stars)
        DeleteLayer(star);
    stars.clear();
    layer::Layer* nodes[] = {buyActive, buyInactive, buyButton, gemIcon,  costText,
                             descriptionText, nameText, upgradeIcon, emptyStars, plateImage};
    for (layer::Layer* node : nodes)
        DeleteLayer(node);
}

void HUDItemPlate::refresh()
{
    TDMap* map = CurrentLevel();
    PlayerProgress* progress = map ? map->mProgress : nullptr;
    const int level = progress ? progress->getUpgradeLevel(upgradeId) : -1;
    const UpgradeDef* upgrade = FindUpgrade(map, upgradeId);
    for (size_t n = 0; n < stars.size(); ++n)
        stars[n]->visible = singleStep ? level >= 0 : static_cast<int>(n) <= level;
    const int next = level < 0 ? 0 : level + 1; // -2: an id the profile does not list
    const std::wstring id = std::to_wstring(upgradeId);
    if (!upgrade || next >= static_cast<int>(upgrade->steps.size())) {
        complete = 1;
        buyActive->visible = false;
        buyInactive->visible = false;
        costText->visible = false;
        gemIcon->visible = false;
        SetTextSnapped(descriptionText, Text(L"upgrade_" + id + L"_complete"));
        return;
    }
    complete = 0;
    buyInactive->visible = true;
    const int cost = upgrade->steps[static_cast<size_t>(next)].costGems;
    SetTextSnapped(costText, std::to_wstring(cost));
    costText->visible = true;
    gemIcon->visible = true;
    const int gems = progress ? progress->getGems() : 0;
    if (gems < cost) {
        costText->color = {0.94f, 0.44f, 0.44f, 1.0f};
        buyActive->visible = false;
    } else {
        costText->color = {1.0f, 1.0f, 1.0f, 1.0f};
    }
    SetTextSnapped(descriptionText, Text(L"upgrade_" + id + L"_step" + std::to_wstring(next)));
}

bool HUDItemPlate::overBuyButton(int x, int y) const
{
    const float listY = plateImage->parent ? plateImage->parent->position.y : 0.0f;
    const float listX = plateImage->parent ? plateImage->parent->position.x : 0.0f;
    const float left = buyActive->position.x + buyButton->position.x + plateImage->position.x + listX;
    const float top = buyActive->position.y + buyButton->position.y + plateImage->position.y + listY;
    return left <= x && x <= left + ImageWidth(buyActive) && top <= y && y <= top + ImageHeight(buyActive);
}

void HUDItemPlate::onMouseMove(int x, int y)
{
    if (complete)
        return;
    buyActive->visible = overBuyButton(x, y);
}

void HUDItemPlate::onMouseReleased(int x, int y)
{
    if (!overBuyButton(x, y))
        return;
    k2::SoundTags::Instance()->play(L"simple");
    buy();
}

void HUDItemPlate::buy()
{
    if (complete)
        return;
    TDMap* map = CurrentLevel();
    PlayerProgress* progress = map ? map->mProgress : nullptr;
    const UpgradeDef* upgrade = FindUpgrade(map, upgradeId);
    if (progress && upgrade && map->mStats) {
        const int level = progress->getUpgradeLevel(upgradeId);
        const int next = level < 0 ? 0 : level + 1; // -2: an id the profile does not list
        if (next < static_cast<int>(upgrade->steps.size())) {
            const int cost = upgrade->steps[static_cast<size_t>(next)].costGems;
            if (map->mStats->mGems < cost) {
                const FeatureSet& features = FeatureConfig::instance()->activeFeatures();
                const bool offerGemShop = features.inAppPurchases && features.lowPremiumPointsDialog;
                if (offerGemShop && map->mHud) {
                    map->mHud->showModalDialog(-1, Text(L"gemShopDialogTitle"), Text(L"gemShopDialogText"));
                    map->mScreen = 20;
                    map->mReturnName = returnMode == 0 ? L"shop0" : L"shop1";
                }
                return;
            }
            progress->setUpgradeLevel(upgradeId, next);
            map->mStats->spendGems(cost);
            refresh();
            file::Profiles::Instance()->save();
        }
    }
    if (map && map->mHud)
        if (HUDWindow* top = map->mHud->topWindow())
            top->refresh();
}
