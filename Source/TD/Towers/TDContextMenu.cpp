#include "Source/TD/Towers/TDContextMenu.h"

#include "Core/Base/StringEncoding.h"
#include "Core/Render/Graphics.h"
#include "Core/Render/Image.h"
#include "Source/TD/Audio/SoundTags.h"
#include "Source/TD/Hud/HUDDocument.h"
#include "Source/TD/Shell/AttributedString.h"
#include "Source/TD/Shell/FeatureConfig.h"
#include "Source/TD/Shell/LocalStrings.h"
#include "Source/TD/Towers/TDSpot.h"
#include "Source/TD/Towers/TDTower.h"
#include "Source/TD/Towers/TDTowerDrop.h"
#include "Source/TD/Tutorial/TDTutorial.h"
#include "Source/TD/World/InterfaceAtlas.h"
#include "Source/TD/World/ParamSet.h"
#include "Source/TD/World/PrototypeStore.h"
#include "Source/TD/World/TDFrameEntry.h"
#include "Source/TD/World/TDMap.h"
#include "Source/TD/World/TDPlayerStats.h"
#include "Source/TD/World/TDResources.h"
#include "Source/TD/World/UnitPrototype.h"
#include "Source/TD/World/UnlocksTable.h"
#include "Source/TD/World/UpgradesTable.h"

#include <cmath>
#include <cstdlib>
#include <memory>

namespace {

// The ring's interface angles convert with this value of pi, as the rest of the
// level's interface drawing does.
constexpr float kDegrees = 3.14f / 180.0f;
// The radius disc is this many units across at scale 1.
constexpr float kRadiusImageSize = 336.0f;

// The four first-tier towers keep fixed places on a full ring.
float FixedAngle(int prototypeId)
{
    switch (prototypeId) {
    case 10000:
        return 90.0f;
    case 20000:
        return 0.0f;
    case 30000:
        return 270.0f;
    case 40000:
        return 180.0f;
    default:
        return -1.0f;
    }
}

// "radius_mult" of a spot; a spot that does not set it draws at scale 1, as towers
// measure their reach.
float RadiusFactor(TDSpot* spot)
{
    if (!spot || !spot->mParams)
        return 1.0f;
    const float m = spot->mParams->number("radius_mult");
    return m == 0.0f ? 1.0f : m;
}

void SpotCentre(TDSpot* spot, float* x, float* y)
{
    *x = *y = 0.0f;
    if (!spot)
        return;
    if (const TDFrameEntry* entry = spot->mEntry) {
        *x = entry->centerX();
        *y = entry->centerY();
    } else {
        *x = spot->mX;
        *y = spot->mY;
    }
}

// The ability badges of an offered prototype, by its addon names.
const char* AbilityKey(const std::string& addon)
{
    static const std::pair<const char*, const char*> kKeys[] = {
        {"dot", "dot"},           {"aim", "aimed"},       {"splash", "splash"},
        {"fsplash", "firesplash"}, {"stun", "stun"},       {"boost", "towerBoost"},
        {"show_invisible", "showInvisible"}, {"gold", "goldIncome"}, {"tele", "teleportEnemy"},
        {"air", "air"},           {"star1", "stars1"},    {"star2", "stars2"},
    };
    for (const auto& [name, key] : kKeys)
        if (addon == name)
            return key;
    return nullptr;
}

void DrawCentred(render::Graphics* g, const TDFrameEntry* frame, float x, float y, float scale = 1.0f)
{
    if (!frame || !frame->mImage)
        return;
    auto request = g->DrawImage(frame->mImage.get());
    request.SetAlign(2, 2);
    if (scale == 1.0f) {
        request.Translate(x, y);
        return;
    }
    math::Transform2D t;
    t.Scale(scale, scale);
    t.Translate(x, y);
    render::DrawTransform2DParam<render::DrawImageParam> placed(std::move(request), t);
}

// What the menu reads of a tower, in one place.
const UnitPrototype* CurrentTier(const TDTower* tower)
{
    return tower->currentPrototype();
}
int TierSteps(const TDTower* tower)
{
    return tower->tierSteps;
}
int TierLevel(const TDTower* tower)
{
    return tower->tierLevel;
}
int StoredGold(const TDTower* tower)
{
    return tower->storedGold;
}
// Marks the drops attached to the tower collected and empties its gold store.
void TakeStoredGold(TDTower* tower)
{
    for (TDTowerSpecial* drop : tower->drops)
        drop->setState(2);
    tower->drops.clear();
    tower->storedGold = 0;
}
TDFrameEntry* SpotEntry(const TDTower* tower)
{
    return tower->spot;
}

} // namespace

TDContextMenuItem::TDContextMenuItem()
{
    TDResources* resources = TDResources::Instance();
    coinImage = resources->getFrame(L"td/ui", "", L"ui/context_money");
    gemImage = resources->getFrame(L"td/ui", "", L"ui/context_gem");
    label = new AttributedString;
    label->font = GameFont(L"td/data/fonts/main_42_3");
    if (coinImage && coinImage->mImage)
        label->images[L'$'] = coinImage->mImage.get();
    if (gemImage && gemImage->mImage)
        label->images[L'#'] = gemImage->mImage.get();
}

TDContextMenuItem::~TDContextMenuItem()
{
    delete label;
    if (ownsPrototype)
        delete prototype;
}

TDContextMenu::TDContextMenu(TDMap* map) : map(map)
{
    k2::SoundTags::Instance()->play(L"context_in");
    TDTutorial::Instance()->fireEvent(L"tower_select");
}

TDContextMenu::~TDContextMenu()
{
    for (TDContextMenuItem* item : items)
        delete item;
}

TDContextMenuItem* TDContextMenu::addItem(int kind, int command)
{
    bool enabled = true;
    if (type == BuildMenu) {
        const int index = command / 10000 - 1;
        if (command % 10000 == 0 && index >= 0 && index < 4)
            enabled = map->mBuildEnabled[index];
    } else if (type == TowerMenu || type == TowerUpgradeMenu) {
        if (kind >= 0 && kind < 5)
            enabled = map->mItemEnabled[kind];
    }
    if (!enabled)
        return nullptr;
    auto* item = new TDContextMenuItem;
    item->kind = kind;
    item->command = command;
    items.push_back(item);
    layOut();
    return item;
}

void TDContextMenu::setupBuild(TDSpot* buildSpot)
{
    type = BuildMenu;
    spot = buildSpot;
    startAngle = 90.0f;
    endAngle = 270.0f;
    radius = 80.0f;
    if (!map->mPrototypes)
        return;
    int index = 1;
    for (const UnitPrototype* prototype : map->mPrototypes->mPrototypes) {
        if (prototype->type != 1 || !map->mUnlocks || !map->mUnlocks->isUnlocked(prototype->id))
            continue;
        TDContextMenuItem* item = addItem(index++, prototype->id);
        if (!item)
            continue;
        auto* copy = new UnitPrototype;
        *copy = *prototype;
        if (map->mUpgrades)
            map->mUpgrades->applyToPrototype(*copy);
        item->prototypeRef = prototype->id;
        item->prototype = copy;
        item->ownsPrototype = true;
        item->price = copy->cost;
    }
    layOut();
}

void TDContextMenu::setupTower(TDTower* owner)
{
    type = TowerMenu;
    tower = owner;
    startAngle = 0.0f;
    endAngle = 360.0f;
    if (!tower)
        return;
    if (StoredGold(tower) >= 1) {
        // A click on a tower holding collected gold takes the gold; no menu opens.
        state = Closing;
        elapsed = 0.0f;
        const UnitPrototype* current = CurrentTier(tower);
        if (map->mStats && current)
            map->mStats->addMoney(StoredGold(tower) * current->goldIncome);
        TakeStoredGold(tower);
        return;
    }
    spot = SpotEntry(tower) ? SpotEntry(tower)->mSpot : nullptr;
    addItem(0, 0);
    const UnitPrototype* current = CurrentTier(tower);
    if (!current)
        return;
    if (TierSteps(tower) < current->tierUpdates) {
        type = TowerUpgradeMenu;
        if (TDContextMenuItem* item = addItem(1, 1)) {
            // The store's own record: the label reads its step price.
            item->prototype = map->mPrototypes ? map->mPrototypes->find(current->id) : nullptr;
            item->ownsPrototype = false;
            item->price = current->tierCost;
        }
        layOut();
        return;
    }
    if (!map->mPrototypes)
        return;
    // The alternatives that the tower may still take, upgraded, in list order.
    std::vector<std::unique_ptr<UnitPrototype>> offered;
    for (const std::string& name : current->addonList) {
        char* end = nullptr;
        const long id = std::strtol(name.c_str(), &end, 10);
        if (end == name.c_str() || *end)
            continue;
        const int alternative = static_cast<int>(id);
        const UnitPrototype* record = map->mPrototypes->find(alternative);
        if (!record || record->require < TierLevel(tower))
            continue;
        if (map->mUnlocks && !map->mUnlocks->isUnlocked(alternative))
            continue;
        auto copy = std::make_unique<UnitPrototype>();
        *copy = *record;
        if (map->mUpgrades)
            map->mUpgrades->applyToPrototype(*copy);
        offered.push_back(std::move(copy));
    }
    // The price of an alternative beyond the next tier includes the tiers before it.
    auto chainCost = [&](const UnitPrototype* p) {
        float sum = 0.0f;
        // Each step moves to a different tier; the bound ends a cycle in the data.
        for (size_t guard = 0; p && guard <= offered.size(); ++guard) {
            sum += p->cost;
            if (p->require == TierLevel(tower))
                break;
            const UnitPrototype* before = nullptr;
            for (const auto& other : offered)
                if (other->levelid == p->require)
                    before = other.get();
            p = before;
        }
        return sum;
    };
    // Prices first: each chain reads the other offered records.
    std::vector<float> prices;
    for (const auto& alternative : offered)
        prices.push_back(chainCost(alternative.get()));
    for (size_t i = 0; i < offered.size(); ++i) {
        TDContextMenuItem* item = addItem(static_cast<int>(i) + 1, offered[i]->levelid);
        if (!item)
            continue;
        item->price = prices[i];
        item->prototypeRef = offered[i]->id;
        item->prototype = offered[i].release();
        item->ownsPrototype = true;
    }
    layOut();
}

void TDContextMenu::setupSpot(TDSpot* purchaseSpot)
{
    type = SpotMenu;
    spot = purchaseSpot;
    TDContextMenuItem* item = addItem(1, 1);
    if (!item || !spot)
        return;
    std::wstring text;
    if (spot->mCostGold != 0)
        text = L"$" + std::to_wstring(spot->mCostGold);
    if (spot->mCostReal != 0) {
        if (!text.empty())
            text += L"; ";
        text += L"#" + std::to_wstring(spot->mCostReal);
    }
    item->text = ConvertToNarrow(text);
    layOut();
}

bool TDContextMenu::nearEdge() const
{
    return centerY < 120.0f || centerY > 648.0f || centerX < 70.0f || centerX > 954.0f;
}

void TDContextMenu::layOut()
{
    float start = startAngle;
    float end = endAngle;
    const bool edge = nearEdge();
    // Near the edge the items run the other way round, unless the menu sits in the
    // top-left corner; computed from the centre, so every layout agrees.
    const bool reversed = edge && centerY > 150.0f && centerX > 150.0f;
    if (edge) {
        if (centerY < 120.0f) {
            start = 270.0f;
            end = 450.0f;
        }
        if (centerY > 648.0f) {
            start = 90.0f;
            end = 270.0f;
        }
        if (centerX < 70.0f) {
            start = 0.0f;
            end = 180.0f;
        }
        if (centerX > 954.0f) {
            start = 180.0f;
            end = 360.0f;
        }
    }
    if (type == SpotMenu) {
        for (TDContextMenuItem* item : items)
            item->angle = 90.0f;
        return;
    }
    const size_t count = items.size();
    const size_t divisor = edge ? (count > 0 ? count - 1 : 0) : count;
    const float step = divisor ? (end - start) / static_cast<float>(divisor) : 0.0f;
    for (size_t i = 0; i < count; ++i) {
        TDContextMenuItem* item = items[reversed ? count - 1 - i : i];
        item->angle = start + static_cast<float>(i) * step;
        // The first tiers keep their places in the build menu only: a tower's own menu
        // shows its record on the step item, which would land on the sell item.
        if (!edge && type == BuildMenu && item->prototype) {
            const float fixed = FixedAngle(item->prototype->id);
            if (fixed >= 0.0f)
                item->angle = fixed;
        }
    }
}

void TDContextMenu::setCenter(float x, float y)
{
    centerX = x;
    centerY = y;
    layOut();
}

float TDContextMenu::progress() const
{
    if (state == Opening)
        return elapsed / kFadeTime;
    if (state == Closing)
        return 1.0f - elapsed / kFadeTime;
    return 1.0f;
}

void TDContextMenu::itemCenter(const TDContextMenuItem& item, float p, float* x, float* y) const
{
    const float a = item.angle * kDegrees;
    *x = centerX + std::sin(a) * radius * p;
    *y = centerY + std::cos(a) * radius * p;
}

int TDContextMenu::hitTest(int x, int y)
{
    if (state != Open || alive == 0 || items.empty())
        return -1;
    // Items answer where they are drawn: on the ring of the open menu.
    layOut();
    for (TDContextMenuItem* item : items) {
        float ix = 0.0f, iy = 0.0f;
        itemCenter(*item, 1.0f, &ix, &iy);
        const float dx = ix - static_cast<float>(x);
        const float dy = iy - static_cast<float>(y);
        if (std::sqrt(dx * dx + dy * dy) < kHitDistance) {
            hovered = item;
            return item->command;
        }
    }
    hovered = nullptr;
    return -1;
}

void TDContextMenu::update(float dt)
{
    elapsed += dt;
    if (state == Opening && elapsed > kFadeTime) {
        state = Open;
        elapsed = 0.0f;
    } else if (state == Closing && elapsed > kFadeTime) {
        alive = 0;
        state = Open;
    }
}

void TDContextMenu::close()
{
    if (state == Closing)
        return;
    k2::SoundTags::Instance()->play(L"context_out");
    state = Closing;
    elapsed = 0.0f;
}

float TDContextMenu::shownPrice(const TDContextMenuItem& item) const
{
    if (isTierStep(item) && item.prototype)
        return item.prototype->tierCost;
    return item.price;
}

bool TDContextMenu::isTierStep(const TDContextMenuItem& item) const
{
    return type == TowerUpgradeMenu && item.kind == 1;
}

bool TDContextMenu::payable(const TDContextMenuItem& item) const
{
    const TDPlayerStats* wallet = map->mStats;
    if (!wallet)
        return true;
    if (isTierStep(item))
        return static_cast<float>(map->mBudget) >= shownPrice(item);
    if (item.prototype) {
        const float price = shownPrice(item);
        if (static_cast<float>(wallet->mMoney) >= price)
            return true;
        const bool gemsPay = type == BuildMenu ? gPremiumPointsTowerBuy : gPremiumPointsTowerUpgrade;
        return gemsPay && wallet->mGems >= static_cast<int>(std::ceil(price / 50.0f));
    }
    if (type == SpotMenu && spot)
        return wallet->mMoney >= spot->mCostGold && wallet->mGems >= spot->mCostReal;
    return true;
}

std::wstring TDContextMenu::refusal(const TDContextMenuItem& item) const
{
    if (payable(item))
        return std::wstring();
    LocalStrings* texts = LocalStrings::Instance();
    if (isTierStep(item))
        return texts->get(L"tierBudgetSpent");
    if (type == SpotMenu && spot && map->mStats && map->mStats->mMoney >= spot->mCostGold)
        return texts->get(L"notEnoughGems");
    return texts->get(L"notEnoughGold");
}

void TDContextMenu::drawRangePreview(render::Graphics* g)
{
    if (state == Closing || !map->mInterface)
        return;
    const TDFrameEntry* disc = map->mInterface->radius;
    if (type == BuildMenu) {
        if (hoverCommand <= 0 || !map->mPrototypes)
            return;
        std::unique_ptr<UnitPrototype> previewed(
            MakeUpgradedPrototype(*map->mPrototypes, map->mUpgrades, hoverCommand));
        if (!previewed)
            return;
        const float m = RadiusFactor(spot);
        float cx = 0.0f, cy = 0.0f;
        SpotCentre(spot, &cx, &cy);
        g->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
        DrawCentred(g, disc, cx, cy, previewed->r * m / kRadiusImageSize);
        const float ring = previewed->r * 0.5f * m;
        g->SetColor(0.71f, 0.63f, 0.31f, 1.0f);
        map->drawCircle(g, cx, cy, ring);
        const float f = elapsed - std::floor(elapsed);
        g->SetColor(0.0f, 0.36f, 0.125f, 1.0f - f);
        map->drawCircle(g, cx, cy, ring * 1.125f * f);
        g->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
        return;
    }
    if (type != TowerMenu || !tower)
        return;
    const UnitPrototype* current = CurrentTier(tower);
    std::unique_ptr<UnitPrototype> upgraded;
    const UnitPrototype* previewed = hovered ? hovered->prototype : nullptr;
    if (!previewed && current && map->mPrototypes) {
        upgraded.reset(MakeUpgradedPrototype(*map->mPrototypes, map->mUpgrades, current->id));
        previewed = upgraded.get();
    }
    if (!previewed)
        return;
    const TDFrameEntry* entry = SpotEntry(tower);
    const float m = RadiusFactor(entry ? entry->mSpot : nullptr);
    float cx = tower->x, cy = tower->y;
    if (entry) {
        cx = entry->centerX();
        cy = entry->centerY();
    }
    g->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
    DrawCentred(g, disc, cx, cy, previewed->r * m / kRadiusImageSize);
    const float ring = previewed->r * m * 0.5f;
    g->SetColor(0.71f, 0.63f, 0.31f, 1.0f);
    map->drawCircle(g, cx, cy, ring);
    // The pulse grows from the tower's reach toward the previewed one.
    const float f = elapsed - std::floor(elapsed);
    const float pulse = ((current ? current->r : previewed->r) + previewed->r) * 0.5f * m;
    g->SetColor(0.0f, 0.36f, 0.125f, 1.0f - f);
    map->drawCircle(g, cx, cy, pulse * 1.125f * f);
    g->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
}

void TDContextMenu::drawItem(render::Graphics* g, TDContextMenuItem& item, float p)
{
    const InterfaceAtlas* ui = map->mInterface;
    float x = 0.0f, y = 0.0f;
    itemCenter(item, p, &x, &y);
    const UnitPrototype* offered = item.prototype;
    const TDFrameEntry* icon = nullptr;
    if (ui) {
        // The upgrade icons stand for the tier step of a tower; towers offered to be
        // built or switched to show themselves.
        const bool step = type == TowerUpgradeMenu && item.kind == 1;
        if (step && offered && offered->level == 1)
            icon = ui->lvl2;
        else if (step && offered && offered->level == 2)
            icon = ui->lvl3;
        else if (offered)
            icon = ui->towerIcon(offered->id);
        else
            icon = type == SpotMenu ? ui->buy : ui->sell;
    }
    // What the player cannot pay for is drawn greyed out.
    const bool enabled = payable(item);
    if (enabled)
        g->SetColor(1.0f, 1.0f, 1.0f, p);
    else
        g->SetColor(0.45f, 0.45f, 0.45f, p);
    DrawCentred(g, icon, x, y);
    g->SetColor(1.0f, 1.0f, 1.0f, p);

    if (offered && ui) {
        std::vector<const TDFrameEntry*> badges;
        for (const std::string& addon : offered->addonList)
            if (const char* key = AbilityKey(addon))
                badges.push_back(ui->abilityIcon(key));
        const float n = static_cast<float>(badges.size());
        for (size_t j = 0; j < badges.size(); ++j) {
            const float b = (static_cast<float>(j + 1) * 180.0f / (n + 1.0f) + 270.0f) * kDegrees;
            DrawCentred(g, badges[j], x + std::sin(b) * 40.0f, y + std::cos(b) * 40.0f);
        }
    }

    const int money = map->mStats ? map->mStats->mMoney : 0;
    const int gems = map->mStats ? map->mStats->mGems : 0;
    std::wstring shown;
    bool shortOf = false;
    if (offered && isTierStep(item)) {
        // A tier step costs the player neither gold nor gems: no coin on its label.
        shown = LocalStrings::Instance()->get(enabled ? L"tierStepFree" : L"tierBudgetSpent");
        if (enabled)
            g->SetColor(1.0f, 1.0f, 1.0f, p);
        else
            g->SetColor(0.94f, 0.44f, 0.44f, p);
    } else if (offered) {
        const float price = shownPrice(item);
        shown = L"$" + std::to_wstring(static_cast<int>(price));
        shortOf = static_cast<float>(money) < price;
        if (shortOf)
            g->SetColor(0.94f, 0.44f, 0.44f, p);
        else
            g->SetColor(1.0f, 1.0f, 1.0f, p);
    } else if (!item.text.empty()) {
        shown = ConvertToWide(item.text);
        shortOf = spot && (spot->mCostGold > money || spot->mCostReal > gems);
        if (shortOf)
            g->SetColor(1.0f, 0.0f, 0.0f, p);
        else
            g->SetColor(1.0f, 1.0f, 1.0f, p);
    }
    if (!shown.empty() && item.label) {
        if (item.label->text != shown) {
            item.label->text = shown;
            item.label->build();
        }
        math::Transform2D t;
        t.Translate(x, y - 40.0f);
        item.label->draw(*g, t);
    }
    g->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
}

void TDContextMenu::draw(render::Graphics* g)
{
    if (alive == 0 || !g)
        return;
    drawRangePreview(g);
    const float p = progress();
    if (items.empty()) {
        alive = 0;
        return;
    }
    FontHandle font = GameFont(L"td/data/fonts/main_32_2");
    if (font.Get())
        g->SetFont(font);
    layOut();
    edgeAdjusted = edgeAdjusted || nearEdge();
    for (TDContextMenuItem* item : items)
        drawItem(g, *item, p);
}
