#include "Source/TD/Towers/TDSpot.h"
#include "Source/TD/World/ParamSet.h"

#include <gtest/gtest.h>
#include <memory>
#include <tinyxml2.h>

namespace {

struct Spots {
    explicit Spots(const char* xml)
    {
        document.Parse(xml);
        TDSpot::loadAll(document.RootElement(), list);
    }
    ~Spots()
    {
        for (TDSpot* spot : list)
            delete spot;
    }
    tinyxml2::XMLDocument document;
    std::vector<TDSpot*> list;
};

} // namespace

TEST(Spot, Prices)
{
    struct Case {
        const char* params;
        int gold;
        int gems;
        int type;
        bool free;
    };
    const Case cases[] = {
        {"", 0, 0, 0, true},
        {"<p name='cost_real' value='5'/>", 0, 5, 0, false},
        {"<p name='cost_gold' value='99.9'/><p name='type' value='1'/>", 99, 0, 1, false},
        {"<p name='cost_gold' value='0.5'/>", 0, 0, 0, true},
        {"<p name='cost_gold' value='-3.7'/><p name='type' value='2.9'/>", -3, 0, 2, false},
        {"<p name='cost_gold' value='1e30'/>", 2147483647, 0, 0, false},
    };
    for (const Case& c : cases) {
        Spots s((std::string("<spots><spot x='12.5' y='-3'>") + c.params + "</spot></spots>").c_str());
        ASSERT_EQ(s.list.size(), 1u);
        const TDSpot& spot = *s.list[0];
        EXPECT_EQ(spot.mCostGold, c.gold) << c.params;
        EXPECT_EQ(spot.mCostReal, c.gems) << c.params;
        EXPECT_EQ(spot.mType, c.type) << c.params;
        EXPECT_EQ(spot.mFree != 0, c.free) << c.params;
        EXPECT_EQ(spot.mX, 12.5f);
        EXPECT_EQ(spot.mY, -3.0f);
        EXPECT_EQ(spot.mParams->numbers.count("cost_gold"), 1u) << "missing prices are added as 0";
    }
}

TEST(Spot, OnlySpotElementsAreSpots)
{
    Spots none("<spots><point x='1'/><link/></spots>");
    EXPECT_TRUE(none.list.empty());

    // Other elements between spots are not spots, whatever comes before them.
    Spots mixed("<spots><decor/><spot x='1'/><point x='9'/><spot x='2'/><!-- c --><spot/></spots>");
    ASSERT_EQ(mixed.list.size(), 3u);
    EXPECT_EQ(mixed.list[0]->mX, 1.0f);
    EXPECT_EQ(mixed.list[1]->mX, 2.0f);
    EXPECT_EQ(mixed.list[2]->mX, 0.0f) << "absent coordinates read 0";

    std::vector<TDSpot*> out;
    TDSpot::loadAll(nullptr, out);
    EXPECT_TRUE(out.empty());
}
