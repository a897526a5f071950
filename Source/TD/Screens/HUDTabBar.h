#pragma once
// A row of tab buttons from a screen's layered document (the upgrade shop's
// sections). Not a window: the owner draws the root layer, forwards the pointer and
// asks which tab a press selected.
#include <string>
#include <vector>

namespace file {
class ImageContainer;
}
namespace layer {
class Layer;
class ImageLayer;
class TextLayer;
} // namespace layer

class HUDTabButton {
public:
    HUDTabButton(file::ImageContainer* document, const std::wstring& key);
    ~HUDTabButton();
    HUDTabButton(const HUDTabButton&) = delete;
    HUDTabButton& operator=(const HUDTabButton&) = delete;

    void update(float dt);
    void select();
    void deselect();
    // Strictly inside the tab (w / 2 by integer division).
    bool contains(int x, int y) const;

    unsigned char available = 0;
    unsigned char hovered = 0;
    unsigned char selected = 0;
    float scale = 1.0f;
    layer::TextLayer* label = nullptr;
    layer::Layer* root = nullptr;
    layer::Layer* body = nullptr;
    layer::ImageLayer* activeImage = nullptr;
    layer::ImageLayer* inactiveImage = nullptr;
};

class HUDTabBar {
public:
    static constexpr int kFirstX = 216, kStep = 290;

    HUDTabBar(file::ImageContainer* document, const std::vector<std::wstring>& keys,
              const std::vector<bool>& available);
    ~HUDTabBar();
    HUDTabBar(const HUDTabBar&) = delete;
    HUDTabBar& operator=(const HUDTabBar&) = delete;

    void selectTab(int index);
    // The first available tab holding the point, selected; -1 when none.
    int click(int x, int y);
    void onMouseMove(int x, int y);
    void clear();

    std::vector<HUDTabButton*> tabs;
    layer::Layer* root = nullptr;
};
