#pragma once
// One row of the upgrade shop: an upgrade's icon, name, one star per bought step (ten
// at most), the next step's description and price in gems, and the buy button that
// buys it (or offers the gem shop when the gems do not cover it).
#include "Source/TD/World/TDFrameEntry.h"

#include <vector>

namespace file {
class ImageContainer;
}
namespace layer {
class Layer;
class ImageLayer;
class TextLayer;
} // namespace layer

struct UpgradeDef;

class HUDItemPlate {
public:
    static constexpr int kMaxStars = 10;

    HUDItemPlate(file::ImageContainer* document, const UpgradeDef& upgrade);
    ~HUDItemPlate();
    HUDItemPlate(const HUDItemPlate&) = delete;
    HUDItemPlate& operator=(const HUDItemPlate&) = delete;

    void refresh();
    void onMouseMove(int x, int y);
    void onMouseReleased(int x, int y);
    void buy();
    // The buy button's rectangle on screen, edges included.
    bool overBuyButton(int x, int y) const;
    // Stars the plate shows for an upgrade of `steps` steps (one step shows six).
    static int starCount(int steps);

    int upgradeId = 0;
    layer::ImageLayer* plateImage = nullptr;
    layer::ImageLayer* emptyStars = nullptr;
    std::vector<layer::ImageLayer*> stars;
    layer::ImageLayer* buyActive = nullptr;
    layer::ImageLayer* buyInactive = nullptr;
    layer::Layer* buyButton = nullptr;
    layer::ImageLayer* gemIcon = nullptr;
    layer::TextLayer* costText = nullptr;
    layer::TextLayer* descriptionText = nullptr;
    layer::TextLayer* nameText = nullptr;
    layer::ImageLayer* upgradeIcon = nullptr;
    unsigned char complete = 0;
    int returnMode = 0;
    bool singleStep = false;
};
