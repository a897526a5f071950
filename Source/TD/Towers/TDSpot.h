#pragma once
// A build spot of the level file: where a tower may stand, and what the spot costs.
#include "Core/Base/Types.h"
#include <vector>

namespace tinyxml2 {
class XMLElement;
}

class ParamSet;
class TDFrameEntry;

class TDSpot {
public:
    // Spot types of the level file (the spot image shown).
    enum Type { Standard = 0, Gold = 1, Premium = 2 };

    // x and y from the attributes, the prices and type from the parameter children
    // (truncated; missing ones are added as 0).
    explicit TDSpot(const tinyxml2::XMLElement* element);
    ~TDSpot();
    TDSpot(const TDSpot&) = delete;
    TDSpot& operator=(const TDSpot&) = delete;

    // Appends one spot per `spot` child of `spots`, in document order; other children
    // are not spots.
    static void loadAll(const tinyxml2::XMLElement* spots, std::vector<TDSpot*>& out);

    int mCostGold = 0; // "cost_gold"
    int mCostReal = 0; // "cost_real", in gems
    int mType = 0;     // "type"
    ParamSet* mParams = nullptr; // owned
    float mX = 0.0f;
    float mY = 0.0f;
    u8 mFree = 1; // neither price set
    int mReserved[3] = {0, 0, 0};
    // Filled by the level's spot layout.
    bool mOwned = false;
    TDFrameEntry* mEntry = nullptr;    // its sprite in LevelArt; not owned
    std::vector<TDFrameEntry*> mIcons; // its boost icons; owned by LevelArt
};
