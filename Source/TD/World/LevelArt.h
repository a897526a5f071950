#pragma once
// What a level draws from its art folder: the decoration layers of its layered image,
// the three images that mark build spots ("td/spots") and the spot sprites.
#include "Source/TD/World/TDFrameEntry.h"
#include <string>
#include <vector>

namespace render {
class Render;
}

class LevelArt {
public:
    // Spot image kinds by a spot's `type`.
    enum SpotKind { SpotStandard = 0, SpotGold = 1, SpotPremium = 2 };

    // `name` is the level's art folder ("td/data/" + the level's data folder, with or
    // without a trailing '/'): its layered image gives the layer sprites. `renderer`
    // null means the game application's.
    explicit LevelArt(const std::wstring& name, render::Render* renderer = nullptr);
    ~LevelArt();
    LevelArt(const LevelArt&) = delete;
    LevelArt& operator=(const LevelArt&) = delete;

    // The first visible spot sprite whose centre lies within 40 units; null if none.
    TDFrameEntry* spotAt(int x, int y) const;
    // The image of a spot type ("spots/s", "spots/g", "spots/p"); the standard one for
    // other types.
    const ImageHandle& spotImage(int type) const;

    std::vector<TDFrameEntry*> mSpotSprites;  // owned; filled by the level's spot loader
    std::vector<TDFrameEntry*> mLayerSprites; // owned; bottom layer first
    ImageHandle mSpotImageS;
    ImageHandle mSpotImageG;
    ImageHandle mSpotImageP;
    std::vector<TDFrameEntry*> mIcons; // owned; the spots' boost icons

private:
    void loadLayers(const std::wstring& name, render::Render* renderer);
};

// The layered image of a level art folder: the name without one trailing '/'.
std::wstring LevelArtContainerName(const std::wstring& folder);
