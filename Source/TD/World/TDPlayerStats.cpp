#include "Source/TD/World/TDPlayerStats.h"

#include "Source/TD/Hud/HUD.h"
#include "Source/TD/Shell/PlayerProgress.h"

void TDPlayerStats::addMoney(int n)
{
    mMoney += n;
    if (mHud)
        mHud->setCoinsText();
}

void TDPlayerStats::spendMoney(int n)
{
    mMoneySpent += n;
    mMoney -= n;
    if (mHud)
        mHud->setCoinsText();
}

void TDPlayerStats::addGems(int n)
{
    mGems += n;
    mGemsGained += n;
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
    mComboTimer += dt;
}

void TDPlayerStats::resetLevel()
{
    mMoney = 0;
    mShownMoney = 0;
    mMoneySpent = 0;
    mGemsGained = 0;
    mKills = 0;
    mComboCount = 0;
    mDamage = 0;
    mPassedMobs = 0;
    mKillRewardSum = 0;
}
