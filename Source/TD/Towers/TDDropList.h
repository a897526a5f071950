#pragma once
// The collectible drops of the level (or of one tower), owned, in drop order.
#include <vector>

class TDTowerSpecial;

class TDSpecialList {
public:
    // Under this squared distance a click reaches a drop (a radius of about 34.6).
    static constexpr float kReachSquared = 1200.0f;

    TDSpecialList() = default;
    ~TDSpecialList() { clear(mItems); }
    TDSpecialList(const TDSpecialList&) = delete;
    TDSpecialList& operator=(const TDSpecialList&) = delete;

    void add(TDTowerSpecial* drop) { mItems.push_back(drop); }
    void update(float dt) { update(mItems, dt); }
    TDTowerSpecial* findCollectible(float x, float y) const { return findCollectible(mItems, x, y); }

    // The same on a plain list of drops: every drop updated in order, those no longer
    // alive deleted and erased (the others keep their order).
    static void update(std::vector<TDTowerSpecial*>& drops, float dt);
    // The first drop lying on the map (state 1) within reach of (x, y), or null.
    static TDTowerSpecial* findCollectible(const std::vector<TDTowerSpecial*>& drops, float x, float y);
    static void clear(std::vector<TDTowerSpecial*>& drops);

    std::vector<TDTowerSpecial*> mItems; // owned
};
