#pragma once
// The upgrade shop: three tabs of upgrades, each a scrolled list of item plates, a
// gem-shop button, a reset of all bought upgrades and a button back to where the shop
// was opened from (return mode 0, the menus) or on into the level (return mode 1).
#include "Source/TD/Hud/HUDWindow.h"

#include <memory>
#include <vector>

namespace layer {
class Layer;
class ImageLayer;
class TextLayer;
} // namespace layer

class HUDItemPlate;
class HUDTabBar;

class HUDShopScrollBar {
public:
    static constexpr float kTrackTop = 312.0f, kTrackLength = 204.0f, kSliderOffset = 30.0f;

    explicit HUDShopScrollBar(file::ImageContainer* document);
    ~HUDShopScrollBar();
    HUDShopScrollBar(const HUDShopScrollBar&) = delete;
    HUDShopScrollBar& operator=(const HUDShopScrollBar&) = delete;

    void placeSlider();

    int held = -1;
    layer::Layer* root = nullptr;
    layer::ImageLayer* slider = nullptr;
    layer::ImageLayer* bar = nullptr;
    float position = 0.0f;
};

class HUDShopWindow : public HUDWindow {
public:
    static constexpr int kVisiblePlates = 3;
    static constexpr float kPlatePitch = 99.0f, kScrollPerPlate = 105.0f;

    explicit HUDShopWindow(int returnMode);
    ~HUDShopWindow() override;

    void draw(render::Graphics* graphics) override;
    void update(float dt) override;
    void refresh() override;
    void onMouseMove(int x, int y) override;
    void onMouseReleased(int x, int y) override;
    void onMousePressed(int x, int y) override;
    void onWheel(int delta) override;
    std::wstring click(int x, int y) override;

    void buildItems(int tab);
    // The gem balance in its place.
    void showGems();
    int countUnlockedInSection(int section);
    void scrollListTo(float position);
    void clearItems();
    bool inListBand(int y) const;
    bool shopBlocked() const;

    int returnMode = 0;
    int currentTab = 0;
    std::vector<HUDItemPlate*> plates;
    std::unique_ptr<file::ImageContainer> document;
    HUDTabBar* tabBar = nullptr;
    HUDShopScrollBar* scrollBar = nullptr;
    layer::Layer* listLayer = nullptr;
    layer::ImageLayer* header = nullptr;
    layer::ImageLayer* footer = nullptr;
    layer::TextLayer* captionText = nullptr;
    layer::TextLayer* gemsText = nullptr;
    int dragState = 0;
};
