#include "Source/TD/Screens/HUDShopWindow.h"

#include "Core/Base/ImageInfo.h"
#include "Core/Base/Log.h"
#include "Core/Base/WideFormat.h"
#include "Core/File/ImageContainer.h"
#include "Core/Render/Graphics.h"
#include "Core/Render/Image.h"
#include "Core/Render/Math/Point4.h"
#include "Framework/Layer/ImageLayer.h"
#include "Framework/Layer/TextLayer.h"
#include "Source/TD/Audio/SoundTags.h"
#include "Source/TD/Hud/HUD.h"
#include "Source/TD/Hud/TDButtonFrame.h"
#include "Source/TD/Hud/TextFit.h"
#include "Source/TD/Purchase/PurchaseSystem.h"
#include "Source/TD/Screens/HUDItemPlate.h"
#include "Source/TD/Screens/HUDTabBar.h"
#include "Source/TD/Shell/FeatureConfig.h"
#include "Source/TD/Shell/LocalStrings.h"
#include "Source/TD/Shell/PlayerProgress.h"
#include "Source/TD/World/TDMap.h"
#include "Source/TD/World/TDPlayerStats.h"
#include "Source/TD/World/UnlocksTable.h"
#include "Source/TD/World/UpgradesTable.h"

#include <algorithm>

namespace {

constexpr float kTrackBottom = 516.0f;
constexpr int kScrollLeft = 865, kScrollRight = 909;
constexpr float kArrowStep = 0.25f;
constexpr float kWheelStep = 0.0009765625f;
const math::Point3 kZero{0.0f, 0.0f, 0.0f};

std::wstring Text(const std::wstring& key)
{
    return LocalStrings::Instance()->get(key);
}

bool Feature(const char* name, const char* attribute)
{
    return FeatureConfig::instance()->getBool(name, attribute);
}

layer::TextLayer* CentredText(file::ImageContainer* document, const wchar_t* place, float width)
{
    auto* text = new layer::TextLayer(layer::TextLayer::ShareFont(GameFont(L"td/data/fonts/main_80")),
                                      std::wstring(), 0.0f, 1, true, width);
    text->SetAlign(2, 2);
    if (const base::ImageInfo* info = document ? document->FindLayer(place) : nullptr)
        text->SetPosition(info->x + info->width * 0.5f, info->y + info->height * 0.5f, 0.0f);
    return text;
}

int LevelGems()
{
    TDMap* map = CurrentLevel();
    return map && map->mStats ? map->mStats->mGems : 0;
}

} // namespace

HUDShopScrollBar::HUDShopScrollBar(file::ImageContainer* document)
{
    root = new layer::Layer;
    bar = new layer::ImageLayer;
    slider = new layer::ImageLayer;
    if (document) {
        SetImageLayerFromDocument(bar, document, kZero, L"scroll/bar");
        SetImageLayerFromDocument(slider, document, kZero, L"scroll/slider_in");
    }
    slider->SetPosition(slider->position.x, kTrackTop - kSliderOffset, 0.0f);
    root->AddChild(bar);
    root->AddChild(slider);
}

HUDShopScrollBar::~HUDShopScrollBar()
{
    for (layer::Layer* node : {static_cast<layer::Layer*>(slider), static_cast<layer::Layer*>(bar), root})
        DeleteLayer(node);
}

void HUDShopScrollBar::placeSlider()
{
    slider->SetPosition(slider->position.x, kTrackTop + kTrackLength * position - kSliderOffset, 0.0f);
}

HUDShopWindow::HUDShopWindow(int mode) : returnMode(mode)
{
    document = OpenScreenDocument(L"td/shop", L"Upgrade shop");
    if (document)
        build(document.get());
    // The header and footer are drawn as layers, around the list.
    setImageVisible(L"back_header", false);
    setImageVisible(L"back_footer", false);
    if (TDButtonFrame* hidden = findButton(returnMode == 0 ? L"return_ac" : L"back_ac"))
        hidden->mVisible = false;
    TDMap* map = CurrentLevel();
    if (map)
        map->mScreen = 8;
    font = GameFont(L"td/data/fonts/main_80");
    setText(L"caption", Text(L"shop"));
    currentTab = 0;
    listLayer = new layer::Layer;
    std::vector<bool> available;
    for (int i = 0; i < 3; ++i)
        available.push_back(countUnlockedInSection(i) != 0);
    scrollBar = new HUDShopScrollBar(document.get());
    header = new layer::ImageLayer;
    footer = new layer::ImageLayer;
    if (document) {
        SetImageLayerFromDocument(header, document.get(), kZero, L"back_header");
        SetImageLayerFromDocument(footer, document.get(), kZero, L"back_footer");
    }
    captionText = CentredText(document.get(), L"text/caption", 429.0f);
    captionText->SetText(Text(L"shop"));
    gemsText = CentredText(document.get(), L"text/gems", 200.0f);
    tabBar = new HUDTabBar(document.get(), {L"shop_tab_0", L"shop_tab_1", L"shop_tab_2"}, available);
    buildItems(0);
    showGems();
    if (!Feature("in_app_purchases", "is_active"))
        if (TDButtonFrame* gemShop = findButton(L"gem_shop"))
            gemShop->mVisible = false;
    if (TDButtonFrame* reset = findButton(L"reset_upgrades"))
        reset->mVisible = Feature("reset_upgrades", "is_active") && map && map->hasBoughtUpgrades();
}

HUDShopWindow::~HUDShopWindow()
{
    clearItems();
    delete captionText;
    delete gemsText;
    delete listLayer;
    delete tabBar;
    delete scrollBar;
    delete header;
    delete footer;
}

bool HUDShopWindow::shopBlocked() const
{
    TDMap* map = CurrentLevel();
    return map && map->mHud && map->mHud->shopBlock != 0;
}

int HUDShopWindow::countUnlockedInSection(int section)
{
    TDMap* map = CurrentLevel();
    if (!map || !map->mUpgrades)
        return 0;
    std::vector<const UpgradeDef*> list;
    map->mUpgrades->collectSection(section, list);
    int count = 0;
    for (const UpgradeDef* def : list)
        for (int target : def->targets)
            if (target == -1 || (map->mUnlocks && map->mProgress &&
                                 map->mUnlocks->isUnlockedByProgress(target, *map->mProgress))) {
                ++count;
                break;
            }
    return count;
}

void HUDShopWindow::clearItems()
{
    for (HUDItemPlate* plate : plates)
        delete plate;
    plates.clear();
}

void HUDShopWindow::buildItems(int tab)
{
    clearItems();
    scrollBar->position = 0.0f;
    scrollBar->placeSlider();
    listLayer->SetPosition(0.0f, 0.0f, 0.0f);
    TDMap* map = CurrentLevel();
    const base::ImageInfo* origin = document ? document->FindLayer(L"item_plate/Layer_1") : nullptr;
    if (map && map->mUpgrades && origin) {
        std::vector<const UpgradeDef*> list;
        map->mUpgrades->collectSection(tab, list);
        for (const UpgradeDef* def : list) {
            bool visible = false;
            for (int target : def->targets)
                visible = visible || target == -1 ||
                          (map->mUnlocks && map->mProgress &&
                           map->mUnlocks->isUnlockedByProgress(target, *map->mProgress));
            if (!visible)
                continue;
            auto* plate = new HUDItemPlate(document.get(), *def);
            plate->returnMode = returnMode;
            plate->plateImage->SetPosition(static_cast<float>(origin->x),
                                           origin->y + kPlatePitch * static_cast<float>(plates.size()), 0.0f);
            plates.push_back(plate);
            listLayer->AddChild(plate->plateImage);
        }
    }
    const bool scrolls = static_cast<int>(plates.size()) > kVisiblePlates;
    scrollBar->root->visible = scrolls;
    for (const wchar_t* arrow : {L"down_in", L"up_in"})
        if (TDButtonFrame* button = findButton(arrow))
            button->mVisible = scrolls;
}

void HUDShopWindow::scrollListTo(float position)
{
    const float count = static_cast<float>(plates.size());
    listLayer->SetPosition(0.0f, -(count - kVisiblePlates) * position * kScrollPerPlate, 0.0f);
}

bool HUDShopWindow::inListBand(int y) const
{
    const float top = header->position.y + ImageHeight(header);
    return y > top && y < footer->position.y;
}

void HUDShopWindow::onMouseMove(int x, int y)
{
    for (HUDItemPlate* plate : plates) {
        if (inListBand(y))
            plate->onMouseMove(x, y);
        else
            plate->buyActive->visible = false;
    }
    HUDWindow::onMouseMove(x, y);
    if (static_cast<int>(plates.size()) > kVisiblePlates) {
        if (dragState == 1)
            dragState = 2;
        if (scrollBar->held == 0) {
            const float fy = std::clamp(static_cast<float>(y), HUDShopScrollBar::kTrackTop, kTrackBottom);
            scrollBar->position = (fy - HUDShopScrollBar::kTrackTop) / HUDShopScrollBar::kTrackLength;
            scrollBar->slider->SetPosition(scrollBar->slider->position.x, fy - HUDShopScrollBar::kSliderOffset, 0.0f);
            scrollListTo(scrollBar->position);
        }
    }
    tabBar->onMouseMove(x, y);
}

void HUDShopWindow::onMousePressed(int x, int y)
{
    if (x >= kScrollLeft && x <= kScrollRight)
        dragState = 1;
    if (!shopBlocked()) {
        const layer::ImageLayer* s = scrollBar->slider;
        if (scrollBar->root->visible && x > s->position.x && x < s->position.x + ImageWidth(s) && y > s->position.y &&
            y < s->position.y + ImageHeight(s))
            scrollBar->held = 0;
        const int tab = tabBar->click(x, y);
        if (tab >= 0) {
            currentTab = tab;
            k2::SoundTags::Instance()->play(L"simple");
            buildItems(tab);
        }
    }
    if (inListBand(y))
        for (HUDItemPlate* plate : plates)
            plate->refresh();
}

void HUDShopWindow::onMouseReleased(int x, int y)
{
    if (dragState != 2 && inListBand(y)) {
        // A purchase refreshes the whole window, which may rebuild nothing: iterate a copy.
        const std::vector<HUDItemPlate*> current = plates;
        for (HUDItemPlate* plate : current)
            plate->onMouseReleased(x, y);
    }
    scrollBar->held = -1;
    dragState = 0;
}

void HUDShopWindow::onWheel(int delta)
{
    if (static_cast<int>(plates.size()) <= kVisiblePlates)
        return;
    scrollBar->position = std::clamp(scrollBar->position - delta * kWheelStep, 0.0f, 1.0f);
    scrollListTo(scrollBar->position);
    scrollBar->placeSlider();
}

std::wstring HUDShopWindow::click(int x, int y)
{
    if (shopBlocked())
        return std::wstring();
    const std::wstring name = HUDWindow::click(x, y);
    if (name == L"down_in" || name == L"up_in") {
        const float step = name == L"down_in" ? kArrowStep : -kArrowStep;
        const float next = std::clamp(scrollBar->position + step, 0.0f, 1.0f);
        scrollListTo(next);
        scrollBar->position = next;
        scrollBar->placeSlider();
        return std::wstring();
    }
    if (name == L"gem_shop")
        return returnMode == 0 ? L"gem_shop0" : L"gem_shop1";
    if (name == L"reset_upgrades") {
        TDMap* map = CurrentLevel();
        HUD* hud = map ? map->mHud : nullptr;
        if (hud && Feature("reset_upgrades", "is_free")) {
            hud->showModalDialog(-1, Text(L"reset_upgrades_title"), Text(L"reset_upgrades_message"));
            map->mScreen = 26;
        } else if (hud) {
            const purchase::Product* product = purchase::PurchaseSystem::Instance()->findProduct(L"reset_upgrades");
            if (product && !product->pending) {
                WideFormat text(Text(L"reset_upgrades_message_inapp"));
                text % product->price;
                text.Finish();
                hud->showModalDialog(-1, Text(L"reset_upgrades_title"), text.Output());
                map->mScreen = 26;
            }
        }
        return name;
    }
    return name;
}

void HUDShopWindow::showGems()
{
    // On one line in the gems place, however many digits the balance has.
    const auto anchor = textAnchors.find(L"gems");
    const float w = anchor != textAnchors.end() ? anchor->second->mWidth : 200.0f;
    const float h = anchor != textAnchors.end() ? anchor->second->mHeight : 80.0f;
    SetOneLineText(gemsText, std::to_wstring(LevelGems()), w, h);
}

void HUDShopWindow::refresh()
{
    for (HUDItemPlate* plate : plates)
        plate->refresh();
    TDMap* map = CurrentLevel();
    if (Feature("reset_upgrades", "is_active"))
        if (TDButtonFrame* reset = findButton(L"reset_upgrades"))
            reset->mVisible = map && map->hasBoughtUpgrades();
}

void HUDShopWindow::update(float dt)
{
    HUDWindow::update(dt);
    for (HUDTabButton* tab : tabBar->tabs)
        tab->update(dt);
    showGems();
}

void HUDShopWindow::draw(render::Graphics* graphics)
{
    // Backdrop pictures, the list, the header over plates scrolled under it, the tabs,
    // the footer and the scroll bar, then the buttons and texts on top.
    std::vector<TDButtonFrame*> keptButtons;
    keptButtons.swap(buttons);
    std::vector<std::pair<std::wstring, std::wstring>> keptTexts;
    keptTexts.swap(texts);
    for (TDFrameEntry* image : images)
        if (image->mVisible && image->mName == L"background")
            drawImageFrame(graphics, image);
    listLayer->DrawTree(graphics);
    header->DrawTree(graphics);
    tabBar->root->DrawTree(graphics);
    footer->DrawTree(graphics);
    scrollBar->root->DrawTree(graphics);
    for (TDFrameEntry* image : images)
        if (image->mVisible && image->mName != L"background")
            drawImageFrame(graphics, image);
    buttons.swap(keptButtons);
    for (TDButtonFrame* button : buttons)
        if (button->mVisible)
            button->draw(graphics, scale);
    graphics->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
    captionText->DrawTree(graphics);
    gemsText->DrawTree(graphics);
    texts.swap(keptTexts);
}
