#include "Source/TD/World/TDFloatingLabels.h"
#include "Source/TD/World/TDFrameEntry.h"
#include "Source/TD/World/TDPlayerStats.h"

#include <climits>
#include <gtest/gtest.h>
#include <vector>

namespace {

// Kills `count` times 0.5 s apart, then lets the window run out.
TEST(PlayerStats, ComboChainIsPaidOnceTheWindowPasses)
{
    struct Case {
        int kills;
        int bonus;
    };
    for (const Case& c : std::vector<Case>{{1, 0}, {2, 3}, {3, 4}, {5, 7}}) {
        TDPlayerStats stats(nullptr, nullptr);
        for (int i = 0; i < c.kills; ++i) {
            stats.addKillReward(10, i, 2 * i);
            stats.update(0.5f);
        }
        EXPECT_EQ(stats.mComboCount, c.kills) << c.kills;
        EXPECT_EQ(stats.mComboX, c.kills - 1);
        EXPECT_EQ(stats.mComboY, 2 * (c.kills - 1));
        EXPECT_EQ(stats.mMoney, 10 * c.kills) << "nothing extra while the chain runs";
        stats.update(0.6f); // 1.1 s since the last kill
        EXPECT_EQ(stats.mComboCount, 0);
        EXPECT_EQ(stats.mComboBonusSum, c.bonus) << c.kills;
        EXPECT_EQ(stats.mKillRewardSum, 10 * c.kills);
        EXPECT_EQ(stats.mMoney, 10 * c.kills + c.bonus) << c.kills;
        stats.update(2.0f);
        EXPECT_EQ(stats.mComboBonusSum, c.bonus) << "a chain is paid once";
    }
}

TEST(PlayerStats, RestartDropsTheLastRunsBonuses)
{
    TDPlayerStats stats(nullptr, nullptr);
    stats.addKillReward(5, 0, 0);
    stats.update(0.5f);
    stats.addKillReward(5, 0, 0);
    stats.update(1.1f);
    ASSERT_EQ(stats.mComboBonusSum, 3);
    stats.addKillReward(5, 0, 0);
    stats.update(0.5f);
    stats.addKillReward(5, 0, 0); // a chain of two still open
    stats.resetLevel();
    EXPECT_EQ(stats.mComboBonusSum, 0) << "the new run's score starts without the old bonuses";
    stats.update(1.1f);
    EXPECT_EQ(stats.mComboBonusSum, 0) << "the open chain is not paid into the new run";
    EXPECT_EQ(stats.mMoney, 0);
}

TEST(PlayerStats, KillsFurtherApartThanTheWindowPayNoBonus)
{
    TDPlayerStats stats(nullptr, nullptr);
    for (int i = 0; i < 4; ++i) {
        stats.addKillReward(5, 0, 0);
        for (int step = 0; step < 12; ++step)
            stats.update(0.1f);
    }
    EXPECT_EQ(stats.mComboBonusSum, 0);
    EXPECT_EQ(stats.mMoney, 20);
}

TEST(PlayerStats, ShownMoneyWalksTowardTheBalance)
{
    struct Case {
        int from, to;
        std::vector<int> steps;
    };
    const std::vector<Case> cases = {
        {0, 3, {1, 2, 3}},
        {0, 10, {4, 8, 9, 10}},
        {10, 0, {6, 2, 1, 0}},
        {5, 5, {5}},
    };
    for (const Case& c : cases) {
        TDPlayerStats stats(nullptr, nullptr);
        stats.mShownMoney = c.from;
        stats.mMoney = c.to;
        for (size_t i = 0; i < c.steps.size(); ++i) {
            stats.update(0.01f);
            EXPECT_EQ(stats.mShownMoney, c.steps[i]) << c.from << " -> " << c.to << " tick " << i;
        }
        stats.update(0.01f);
        EXPECT_EQ(stats.mShownMoney, c.to);
    }
}

TEST(PlayerStats, WalletSpendsAndRefusesTooManyGems)
{
    TDPlayerStats stats(nullptr, nullptr);
    stats.addMoney(50);
    stats.spendMoney(20);
    EXPECT_EQ(stats.mMoney, 30);
    EXPECT_EQ(stats.mMoneySpent, 20);
    stats.addGems(3);
    EXPECT_EQ(stats.mGemsGained, 3);
    stats.spendGems(4);
    EXPECT_EQ(stats.mGems, 3) << "a refused spend keeps the balance";
    stats.spendGems(3);
    EXPECT_EQ(stats.mGems, 0);
    // A balance at the top of its type stays there.
    stats.mGems = stats.mGemsGained = INT_MAX - 1;
    stats.addGems(100);
    EXPECT_EQ(stats.mGems, INT_MAX);
    EXPECT_EQ(stats.mGemsGained, INT_MAX);
}

TEST(FloatingLabels, IconsByKindRiseAndExpire)
{
    TDFloatingLabels labels;
    TDFrameEntry moneyIcon;
    TDFrameEntry* money = &moneyIcon;
    labels.mIcons[TDFloatingLabels::kMoneyKind] = money;
    for (int kind : {3, 7, -1})
        EXPECT_EQ(labels.add(kind, 0.0f, 0.0f)->icon, nullptr) << kind;
    TDFloatingLabels::Label* label = labels.add(TDFloatingLabels::kMoneyKind, 10.0f, 100.0f);
    EXPECT_EQ(label->icon, money);
    EXPECT_TRUE(label->text.empty());
    ASSERT_EQ(labels.mLabels.size(), 4u);

    labels.update(0.5f);
    EXPECT_FLOAT_EQ(label->x, 10.0f);
    EXPECT_FLOAT_EQ(label->y, 95.0f) << "rises 10 map units a second";

    TDFloatingLabels::Label* late = labels.add(3, 0.0f, 0.0f);
    labels.update(0.25f); // the first four reach exactly their lifetime and stay
    ASSERT_EQ(labels.mLabels.size(), 5u);
    labels.update(0.01f);
    ASSERT_EQ(labels.mLabels.size(), 1u);
    EXPECT_EQ(labels.mLabels[0], late);
    labels.clear();
    EXPECT_TRUE(labels.mLabels.empty());
    labels.draw(nullptr);
}

} // namespace
