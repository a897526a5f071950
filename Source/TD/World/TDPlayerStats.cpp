#include "Source/TD/World/TDPlayerStats.h"

#include "Source/TD/Hud/HUD.h"
#include "Source/TD/Shell/PlayerProgress.h"

#include <algorithm>
#include <climits>

namespace {

// Gems only grow by rewards and packs: a balance at the top stays there rather than
// wrapping round to a large debt.
int AddSaturated(int a, int b)
{
    return static_cast<int>(std::clamp<long long>(static_cast<long long>(a) + b, INT_MIN, INT_MAX));
}

} // namespace

void TDPlayerStats::refreshCoins()
{
    if (mHud)
        mHud->setCoinsText();
}

void TDPlayerStats::addMoney(int n)
{
    mMoney += n;
    refreshCoins();
}

void TDPlayerStats::spendMoney(int n)
{
    mMoneySpent += n;
    mMoney -= n;
    refreshCoins();
}

void TDPlayerStats::payCombo()
{
    if (mComboCount > 1) {
        const int bonus = static_cast<int>(mComboCount * 1.3 + 0.5);
        mComboBonusSum += bonus;
        mMoney += bonus;
    }
    mComboCount = 0;
}

void TDPlayerStats::addKillReward(int reward, int x, int y)
{
    if (mComboTimer <= mComboWindow) {
        ++mComboCount;
        mComboX = x;
        mComboY = y;
    } else {
        payCombo();
    }
    mKillRewardSum += reward;
    mMoney += reward;
    mComboTimer = 0.0f;
    refreshCoins();
}

void TDPlayerStats::addGems(int n)
{
    mGems = AddSaturated(mGems, n);
    mGemsGained = AddSaturated(mGemsGained, n);
    if (mHud)
        mHud->setCrystalsText();
    if (mProgress)
        mProgress->setGems(mGems);
}

void TDPlayerStats::spendGems(int n)
{
    if (mGems >= n)
        mGems -= n;
    if (mHud)
        mHud->setCrystalsText();
    if (mProgress)
        mProgress->setGems(mGems);
}

void TDPlayerStats::update(float dt)
{
    if (mShownMoney != mMoney) {
        const int difference = mMoney - mShownMoney;
        const int step = (difference >= 4 || difference <= -4) ? 4 : 1;
        mShownMoney += difference > 0 ? step : -step;
        refreshCoins();
    }
    mComboTimer += dt;
    if (mComboTimer > mComboWindow) {
        mComboTimer = 0.0f;
        payCombo();
    }
}

void TDPlayerStats::resetLevel()
{
    mMoney = 0;
    mShownMoney = 0;
    mMoneySpent = 0;
    mGemsGained = 0;
    mKills = 0;
    // A restart starts a new chain: the last run's open chain and its bonuses are gone.
    mComboCount = 0;
    mComboTimer = 0.0f;
    mComboBonusSum = 0;
    mDamage = 0;
    mPassedMobs = 0;
    mKillRewardSum = 0;
}
