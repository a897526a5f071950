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
    // Pays a kill at map point (x, y); kills closer together than the combo window form
    // a chain that is paid once the window passes without a kill.
    void addKillReward(int reward, int x, int y);
    void addGems(int n);
    void spendGems(int n);
    // Walks the shown coins toward the balance and closes the combo window. Takes the
    // unscaled frame time so the window runs in real time at any game speed.
    void update(float dt);
    // The level load's reset: money, shown money, spent, gems gained, the kill and
    // combo counters (with the open chain's timer and the bonuses paid), damage and
    // passed units; the gem balance stays.
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
    // The chain's bonus: (int)(count * 1.3 + 0.5) for two kills or more, then the chain
    // starts over.
    void payCombo();
    void refreshCoins();

    HUD* mHud;
    PlayerProgress* mProgress;
};
