#pragma once
// One offer of the gem shop or the boost shop: the plate picture, the price picture, an
// optional badge and the offer text, drawn by the plate itself (shrunk while hovered)
// over the window's document.
#include "Core/Render/Math/Point4.h"
#include "Source/TD/World/TDFrameEntry.h"

#include <string>
#include <vector>

namespace base {
class ImageInfo;
}
namespace file {
class ImageContainer;
}
namespace purchase {
class Product;
}
namespace render {
class Graphics;
}

class HUDOfferPlate {
public:
    enum Kind { Gem, Boost };
    static constexpr int kGemPlates = 5, kBoostPlates = 3;
    static constexpr float kInset = 50.0f, kHoverScale = 0.9f, kEaseRate = 0.5f;

    // Gem plate `index` (0..4) or boost plate `index` (0..2) of the document; a layer
    // the document lacks leaves its field null (one log line): a plate without its
    // plate layer is neither drawn nor clicked.
    HUDOfferPlate(Kind kind, file::ImageContainer* document, int index, const std::wstring& language);
    HUDOfferPlate(const HUDOfferPlate&) = delete;
    HUDOfferPlate& operator=(const HUDOfferPlate&) = delete;

    void draw(render::Graphics* graphics) const;
    // The document point lies in the plate layer shrunk by kInset on every side (left
    // and top edges in, right and bottom edges out).
    bool activeAt(float px, float py) const;
    // The product's price text; empty without a product.
    std::wstring priceText() const;
    // The product's name; a premium boost's counter name; empty without either.
    std::wstring productName() const;
    // A premium boost whose profile counter is positive; a product marked owned.
    bool isPurchased() const;
    // The offer text, and whether it asks for a colour of its own (written to colour).
    bool offerText(std::wstring* text, math::Point4* colour) const;
    // Hover scale towards 0.9 or back to 1.0 at kEaseRate per second, snapping at the end.
    void ease(float dt);

    // The premium boost's counter name (UTF-8); empty for other plates.
    std::string counterName() const;

    // The first plate, in index order, whose active area holds the point; null when none.
    static HUDOfferPlate* At(const std::vector<HUDOfferPlate*>& plates, int x, int y);
    // The balance caption: "gemShopTitle2" with the player's gems.
    static std::wstring BalanceText();

    Kind kind = Gem;
    int index = 0;
    const base::ImageInfo* plateLayer = nullptr;
    ImageHandle plateImage;
    const base::ImageInfo* priceLayer = nullptr;
    ImageHandle priceImage;
    const base::ImageInfo* badgeLayer = nullptr;
    ImageHandle badgeImage;
    const base::ImageInfo* textAnchor = nullptr;
    purchase::Product* product = nullptr;
    float scale = 1.0f;
    bool hovered = false;
    bool premium = false; // a boost plate in the premium mode
};

// The ids of the gem packs and of the boosts, by plate index, and the premium boosts'
// profile counters (UTF-8; the second begins with the Cyrillic letter ha).
extern const wchar_t* const GemProductIds[HUDOfferPlate::kGemPlates];
extern const wchar_t* const BoostProductIds[HUDOfferPlate::kBoostPlates];
extern const char* const BoostCounterNames[HUDOfferPlate::kBoostPlates];
// Set by the first boost shop of a run when "boost_shop_premium_mode" is active.
extern bool BoostShopPremiumMode;
