#include "Source/TD/Towers/TDSpot.h"

#include "Source/TD/World/ParamSet.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <tinyxml2.h>

namespace {

// A price or type parameter: the float truncated toward zero, kept inside int.
int TruncatedParam(ParamSet& params, const char* name)
{
    const float value = params.number(name);
    if (!std::isfinite(value))
        return 0;
    if (value >= 2147483520.0f)
        return std::numeric_limits<int>::max();
    if (value <= -2147483648.0f)
        return std::numeric_limits<int>::min();
    return static_cast<int>(value);
}

} // namespace

TDSpot::TDSpot(const tinyxml2::XMLElement* element) : mParams(new ParamSet(element))
{
    mCostGold = TruncatedParam(*mParams, "cost_gold");
    mCostReal = TruncatedParam(*mParams, "cost_real");
    mType = TruncatedParam(*mParams, "type");
    mX = ReadFloatAttribute(element, "x");
    mY = ReadFloatAttribute(element, "y");
    mFree = (mCostGold == 0 && mCostReal == 0) ? 1 : 0;
}

TDSpot::~TDSpot()
{
    delete mParams;
}

void TDSpot::loadAll(const tinyxml2::XMLElement* spots, std::vector<TDSpot*>& out)
{
    if (!spots)
        return;
    for (const tinyxml2::XMLElement* spot = spots->FirstChildElement("spot"); spot;
         spot = spot->NextSiblingElement("spot"))
        out.push_back(new TDSpot(spot));
}
