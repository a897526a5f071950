// The end of a level (victory and defeat around the result window) and the store's
// answers as the level receives them.
#include "Source/TD/World/TDMap.h"

#include "Core/Base/Log.h"
#include "Core/Base/WideFormat.h"
#include "Source/TD/Audio/SoundSystem.h"
#include "Source/TD/Audio/SoundTags.h"
#include "Source/TD/Hud/HUD.h"
#include "Source/TD/Hud/HUDLevelResultWindow.h"
#include "Source/TD/Hud/HUDSpellButton.h"
#include "Source/TD/Purchase/Product.h"
#include "Source/TD/Purchase/PurchaseSystem.h"
#include "Source/TD/Shell/FeatureConfig.h"
#include "Source/TD/Shell/LocalStrings.h"
#include "Source/TD/Shell/PlayerProgress.h"
#include "Source/TD/Towers/TDTowerDrop.h"
#include "Source/TD/Tutorial/TDTutorial.h"
#include "Source/TD/World/TDPlayerStats.h"

#include <string>

namespace {

// Seconds the level waits on screen 23 for the store's answer to a health purchase.
constexpr float kHealthPurchaseTimeout = 30.0f;

std::wstring Text(const std::wstring& key)
{
    return LocalStrings::Instance()->get(key);
}

void StopMusic()
{
    SoundSystem* sound = SoundSystem::Instance();
    sound->mMusicList.clear();
    sound->playMusic(std::string());
}

// The drops still lying on the map become gems; every drop goes.
void SettleDrops(TDMap& map)
{
    int lying = 0;
    for (TDTowerSpecial* drop : map.mSpecials)
        if (drop->state != 2)
            ++lying;
    map.mStats->addGems(lying);
    DeleteOwnedVector(map.mSpecials);
}

// The result window reads the game result, so it is made once mGameResult is set. A
// tutorial step the player left undone would hang its hint and Skip over the window.
HUDLevelResultWindow* OpenResultWindow(HUD* hud)
{
    TDTutorial::Instance()->clearOverlay();
    auto* window = new HUDLevelResultWindow;
    hud->open(window, HUD::kKeepScreen);
    return window;
}

void StartingTexts(HUDLevelResultWindow* window)
{
    window->setText(L"killScore", Text(L"game_kill_score") + L"0");
    window->setText(L"goldBonus", std::wstring());
    window->setText(L"lifeBonus", Text(L"game_life_bonus") + L"0");
    window->setText(L"totalScore", Text(L"game_total_score") + L"0");
}

// The localised pattern with its one argument.
std::wstring FormatText(const std::wstring& pattern, const std::wstring& argument)
{
    WideFormat format(pattern);
    format % argument;
    format.Finish();
    return format.Output();
}

} // namespace

std::wstring TDMap::levelNameText() const
{
    return Text(L"episode" + std::to_wstring(mEpisode)) + L" " + std::to_wstring(mEpisode + 1) + L" - " +
           std::to_wstring(mLevel + 1);
}

void TDMap::showVictory()
{
    const bool dropsPay = FeatureConfig::instance()->activeFeatures().premiumPointsOnMobDead;
    mSpeed = 0.0f;
    updateSpeedButtons();
    mAfterShopAction = 2;
    if (dropsPay)
        SettleDrops(*this);
    mScreen = 1;
    mGameResult = 1;
    StopMusic();
    k2::SoundTags::Instance()->play(L"winSound");

    HUDLevelResultWindow* window = OpenResultWindow(mHud);
    for (const wchar_t* image : {L"back_lose", L"diffictly_lose", L"defeat_label", L"victory_label", L"diffictly"})
        window->setImageVisible(image, false);
    window->setText(L"levelResult", Text(L"game_win"));
    window->font = GameFont(L"td/data/fonts/main_42_3");
    window->setText(L"levelName", levelNameText());
    StartingTexts(window);
    if (dropsPay)
        window->setText(L"gems", Text(L"gems") + L": " + std::to_wstring(mStats->mGemsGained));
}

void TDMap::showDefeat()
{
    mSpeed = 0.0f;
    updateSpeedButtons();
    mAfterShopAction = 1;
    SettleDrops(*this);
    mScreen = 2;
    mGameResult = 2;
    StopMusic();
    k2::SoundTags::Instance()->play(L"loseSound");

    HUDLevelResultWindow* window = OpenResultWindow(mHud);
    window->font = GameFont(L"td/data/fonts/main_42_2");
    for (const wchar_t* image : {L"back_win", L"diffictly", L"victory_label", L"diffictly_lose", L"defeat_label"})
        window->setImageVisible(image, false);
    window->setText(L"levelResult", Text(L"game_lose"));
    // The same line as the victory's: which level was lost.
    window->setText(L"levelName", levelNameText());
    for (const wchar_t* star : {L"star0", L"star1", L"star2"})
        window->setImageVisible(star, false);
    StartingTexts(window);
    window->setText(L"gems", Text(L"gems") + L": " + std::to_wstring(mStats->mGemsGained));
}

void TDMap::onPurchaseResult(const TPurchaseResult& result)
{
    if (!result.product)
        return;
    const std::wstring& id = result.product->name;
    const bool success = result.code == TPurchaseResult::PurchaseSuccess;
    const bool restored = result.code == TPurchaseResult::RestoreSuccess;
    if (!success && !restored) {
        // A refused health purchase must not leave the level waiting for it.
        if (id == L"buy_health" && mScreen == 23) {
            GE_LOG(L"The health purchase failed: the level is lost.\n");
            showDefeat();
        }
        return;
    }
    static const struct {
        const wchar_t* id;
        int gems;
    } kGemPacks[] = {
        {L"buy_100_cr", 100}, {L"buy_300_cr", 300}, {L"buy_500_cr", 600}, {L"buy_1000_cr", 2000}, {L"buy_2500_cr", 4500},
    };
    for (const auto& pack : kGemPacks) {
        if (id == pack.id) {
            GE_LOG(L"IN-APP: %s\n") << id;
            mStats->addGems(pack.gems);
            return;
        }
    }
    if (id == L"buy_health") {
        if (success) {
            mHealth = mMaxHealth;
            mScreen = 0;
            mHud->fadeState = 0;
            mHud->setManaText();
            mHud->resetSpellButtons();
        } else {
            showHealthOffer(result.product);
        }
    } else if (id == L"reset_upgrades" && success) {
        resetUpgrades();
        if (HUDWindow* top = mHud->topWindow())
            top->refresh();
    }
}

void TDMap::showHealthOffer(const purchase::Product* product)
{
    if (mHud)
        mHud->showModalDialog(-1, Text(L"buyHealthDialogTitle"),
                              FormatText(Text(L"buyHealthDialogText"), product ? product->price : std::wstring()));
    mScreen = 22;
}

void TDMap::waitForHealthPurchase(float dt)
{
    if (mScreen != 23) {
        mPurchaseWait = 0.0f;
        return;
    }
    mPurchaseWait += dt;
    const purchase::Product* product = purchase::PurchaseSystem::Instance()->findProduct(L"buy_health");
    if (product && product->pending && mPurchaseWait < kHealthPurchaseTimeout)
        return;
    GE_LOG(L"The store gave no answer to the health purchase: the level is lost.\n");
    mPurchaseWait = 0.0f;
    showDefeat();
}
