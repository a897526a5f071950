#pragma once
// One level run's wallet and score: coins, gems, earnings, spending and the kill combo.
// Coin changes refresh the HUD's coin text; gem changes the crystal text and the profile.
#include <vector>

class HUD;
class PlayerProgress;

class TDPlayerStats {
public:
    TDPlayerStats(HUD* hud, PlayerProgress* progress) : mHud(hud), mProgress(progress) {}

    void addMoney(int n);
    void spendMoney(int n);
    void addGems(int n);
    void spendGems(int n);
    void update(float dt);
    // The level load's reset: money, shown money, spent, gems gained and the kill,
    // combo, damage and passed-unit counters; the gem balance stays.
    void resetLevel();

    int mShownMoney = 0;
    int mKillRewardSum = 0;
    int mComboBonusSum = 0;
    int mMoneySpent = 0;
    std::vector<int> mWaveScores = {0};
    int mGemsGained = 0;
    int mDamage = 0;
    int mPassedMobs = 0;
    int mMoney = 0;
    int mGems = 0;
    float mComboWindow = 1.0f;
    int mComboCount = 0;
    float mComboTimer = 0.0f;
    int mComboX = 0;
    int mComboY = 0;
    int mKills = 0;
    int mStartMoney = 0;

private:
    HUD* mHud;
    PlayerProgress* mProgress;
};
