// The command handler of the screens: a pointer release becomes the pair (screen id,
// button name) and is acted on here; message boxes send their command back by name.
// The level's own screen (0) is TDMapPointer.cpp.
#include "Source/TD/World/TDMap.h"

#include "Core/App/Application.h"
#include "Core/Base/Log.h"
#include "Core/Base/WideFormat.h"
#include "Source/TD/Audio/SoundTags.h"
#include "Source/TD/Hud/HUD.h"
#include "Source/TD/Hud/HUDLevelName.h"
#include "Source/TD/Hud/HUDWindow.h"
#include "Source/TD/Purchase/PurchaseSystem.h"
#include "Source/TD/Screens/HUDEpisodeSelectIOS.h"
#include "Source/TD/Screens/OptionsDialog.h"
#include "Source/TD/Screens/TMessageBox.h"
#include "Source/TD/Shell/FeatureConfig.h"
#include "Source/TD/Shell/Game.h"
#include "Source/TD/Shell/GameWindow.h"
#include "Source/TD/Shell/LocalStrings.h"
#include "Source/TD/Shell/PlayerProgress.h"
#include "Source/TD/Towers/TDTower.h"
#include "Source/TD/Tutorial/TDTutorial.h"
#include "Source/TD/World/TDFrameEntry.h"
#include "Source/TD/World/TDPlayerStats.h"
#include "Source/TD/World/UnlocksTable.h"
#include "Source/TD/World/UpgradesTable.h"

#include <algorithm>
#include <cmath>

std::wstring ShopReturnName;

namespace {

constexpr int kMaxProfiles = 5;

std::wstring Text(const wchar_t* key)
{
    return LocalStrings::Instance()->get(key);
}

bool Feature(const char* name, const char* attribute)
{
    return FeatureConfig::instance()->getBool(name, attribute);
}

// The confirmation box of the in-game menu; on "ok" it sends `command` back to
// TDMap::onMenuCommand. Shown as a modal frame of the frame manager.
void OpenMessageBox(const std::wstring& textKey, const std::wstring& command)
{
    SorvanDialog::ShowModal(new TMessageBox(textKey, command));
}

void OpenOptionsDialog()
{
    SorvanDialog::ShowModal(new OptionsDialog);
}

} // namespace

void TDMap::onCommand(float x, float y)
{
    const int ix = static_cast<int>(x);
    const int iy = static_cast<int>(y);
    TDTutorial* tutorial = TDTutorial::Instance();
    if (tutorial->active && tutorial->visible)
        tutorial->onRelease(ix, iy);

    if (mScreen == 0) {
        const float mx = (x - mViewOffset[0]) / mViewScale;
        const float my = (y - mViewOffset[1]) / mViewScale;
        onLevelCommand(ix, iy, mx, my);
        return;
    }
    onScreenCommand(mHud->click(ix, iy), ix, iy);
}

void TDMap::showEpisodeLocked(int episode)
{
    LocalStrings* strings = LocalStrings::Instance();
    WideFormat text(strings->get(L"episode_locked_message"));
    text % episodeStarsRequired(episode) % (mProgress ? mProgress->getEpisodeStars(-1) : 0);
    text.Finish();
    mHud->showModalMessage(5, strings->get(L"episode" + std::to_wstring(episode)), text.Output());
}

void TDMap::onScreenCommand(const std::wstring& name, int x, int y)
{
    auto pop = [this] { mHud->popWindow(); };
    auto fade0 = [this] { mHud->fadeState = 0; };
    auto resume = [this] {
        mScreen = 0;
        mSpeed = 1.0f;
        updateSpeedButtons();
    };
    auto profileUnnamed = [this] { return mProgress->profileName.empty(); };

    switch (mScreen) {
    case 1:
    case 2:
        if (name == L"done" || name == L"close") {
            pop();
            mHud->showShop(1);
            ShopReturnName = L"game";
        } else if (name == L"restart") {
            loadLevel();
            fade0();
        } else if (name == L"menu") {
            pop();
            mHud->showLevelSelect();
        }
        break;
    case 4:
        if (name == L"resume" || name == L"close") {
            TDTutorial* tutorial = TDTutorial::Instance();
            tutorial->visible = tutorial->previousVisible;
            tutorial->showLayers();
            pop();
            fade0();
            mScreen = 0;
            return;
        }
        if (name == L"restart" || name == L"mmenu" || name == L"levels") {
            OpenMessageBox(L"progress_confirm_text", name);
            if (name != L"levels")
                return;
        } else if (name == L"options") {
            OpenOptionsDialog();
            return;
        }
        break;
    case 5:
        if (name == L"back") {
            pop();
            mHud->showMainMenu();
            return;
        }
        if (name == L"shop") {
            pop();
            mHud->showShop(0);
            ShopReturnName = L"episodes";
            return;
        }
        {
            const int index = mHud->hitTest(x, y);
            if (index != -1 && episodeLevelCount(index) > 0 &&
                episodeStarsRequired(index) <= mProgress->getEpisodeStars(-1)) {
                mEpisode = index;
                pop();
                mHud->showLevelSelect();
            } else if (auto* select = dynamic_cast<HUDEpisodeSelectIOS*>(mHud->topWindow());
                       select && select->refused >= 0) {
                // A closed episode says what opens it rather than doing nothing.
                showEpisodeLocked(select->refused);
            }
        }
        break;
    case 6:
        if (name == L"back") {
            pop();
            mHud->showEpisodeSelect();
        } else if (name == L"upgrade") {
            pop();
            mHud->showShop(0);
            ShopReturnName = L"levels";
            return;
        } else if (name.empty()) {
            const int index = mHud->hitTest(x, y);
            if (index != -1 && index <= mProgress->getFirstUnfinishedLevel(mEpisode)) {
                mLevel = index;
                pop();
                startLevel();
                return;
            }
        }
        break;
    case 7:
        if (name == L"play" || name == L"shop") {
            if (profileUnnamed()) {
                mReturnName = name == L"play" ? L"mmenu" : L"shop";
                mScreen = 14;
                mHud->showModalInput();
            } else if (name == L"play") {
                pop();
                mHud->showEpisodeSelect();
            } else {
                pop();
                mHud->showShop(0);
                ShopReturnName = L"mmenu";
            }
        } else if (name == L"cloze") {
            GetApplication()->Stop();
        } else if (name == L"options") {
            OpenOptionsDialog();
        } else if (name == L"profile") {
            pop();
            mHud->showProfiles();
        }
        break;
    case 8:
        if (name == L"back_ac") {
            TDTutorial::Instance()->fireEvent(L"shop_state_changed");
            if (ShopReturnName == L"mmenu") {
                pop();
                mHud->showMainMenu();
            } else if (ShopReturnName == L"levels") {
                pop();
                mHud->showLevelSelect();
            } else if (ShopReturnName == L"episodes") {
                pop();
                mHud->showEpisodeSelect();
            }
            return;
        }
        if (name == L"gem_shop0" || name == L"gem_shop1") {
            pop();
            mHud->showGemShop(name == L"gem_shop0" ? L"shop0" : L"shop1");
        } else if (name == L"return_ac") {
            TDTutorial::Instance()->fireEvent(L"shop_state_changed");
            pop();
            const int action = mAfterShopAction;
            mAfterShopAction = -1;
            if (action == 1)
                loadLevel();
            else if (action == 2)
                mHud->nextLevel();
        }
        break;
    case 11:
        if (name == L"ok") {
            pop();
            fade0();
            mScreen = 0;
            mSpeed = 1.0f;
            showLevelName();
            TDTutorial::Instance()->fireEvent(mProgress->getTutorialStepState(5) != 2 ? L"unlock_window_close"
                                                                                       : L"buildspot_bought");
        }
        break;
    case 13:
        if (name == L"create") {
            // The built-in default profile has no slot: only the player's own count.
            if (static_cast<int>(mProgress->otherProfileNames.size()) < kMaxProfiles) {
                mScreen = 14;
                mHud->showModalInput();
            } else {
                mHud->showModalMessage(13, Text(L"profiles_error"), Text(L"profiles_maxcount"));
            }
        }
        if (name == L"back" || name == L"confirm") {
            pop();
            mHud->showMainMenu();
        } else if (name == L"rename" && !profileUnnamed()) {
            mScreen = 15;
            mHud->showModalInput();
        }
        break;
    case 14:
        if (name == L"cancel") {
            pop();
            mScreen = mReturnName == L"mmenu" || mReturnName == L"shop" ? 7 : 13;
        }
        break;
    case 16:
        if (name == L"ok") {
            pop();
            mScreen = mSavedScreen;
        }
        break;
    case 19:
        if (name == L"ok") {
            pop();
            fade0();
            mHud->showGemShop(L"game");
        } else if (name == L"cancel") {
            pop();
            fade0();
            resume();
        }
        break;
    case 20:
        if (name == L"ok") {
            pop();
            pop();
            mHud->showGemShop(mReturnName);
        } else if (name == L"cancel") {
            pop();
            fade0();
            mScreen = 8;
        }
        break;
    case 21:
        if (name == L"ok")
            payWithGems();
        if (name == L"ok" || name == L"cancel") {
            mPendingBuildPrototype = nullptr;
            mPendingUpgradeTower = nullptr;
            pop();
            fade0();
            resume();
            return;
        }
        break;
    case 22:
        if (name == L"ok") {
            pop();
            fade0();
            buyHealth();
        } else if (name == L"cancel") {
            pop();
            fade0();
            showDefeat();
        }
        break;
    case 26:
        if (name == L"ok") {
            pop();
            fade0();
            mScreen = 8;
            if (Feature("reset_upgrades", "is_free")) {
                resetUpgrades();
                if (HUDWindow* top = mHud->topWindow())
                    top->refresh();
            } else if (purchase::PurchaseSystem::Instance()->findProduct(L"reset_upgrades")) {
                purchase::PurchaseSystem::Instance()->buy(L"reset_upgrades");
            }
        } else if (name == L"cancel") {
            pop();
            fade0();
            mScreen = 8;
        }
        break;
    default: // 12 splash, 15 rename, 18 gem shop, 24 boost shop, 3, 23, -1: the tail only
        break;
    }
    mHud->onMouseReleased(x, y);
    mHud->onMouseMove(-1, -1);
}

void TDMap::payWithGems()
{
    const float gold = mPendingUpgradeTower ? mPendingUpgradeGold : mPendingBuildGold;
    const int gems = static_cast<int>(std::ceil(gold / 50.0f));
    // The gold comes only with the gems really spent.
    if (gems > mStats->mGems) {
        GE_LOG(L"Paying %d gems for %d gold refused: the player holds %d gems.\n")
            << gems << static_cast<int>(gold) << mStats->mGems;
        return;
    }
    mStats->spendGems(gems);
    mStats->addMoney(gems * 50);
    if (mPendingUpgradeTower)
        mPendingUpgradeTower->upgrade(mPendingUpgradeItem, mPendingUpgradeGold);
    else if (mPendingBuildPrototype)
        buildTower(mPendingBuildPrototype, static_cast<TDFrameEntry*>(mPendingBuildSpot));
}

void TDMap::buyHealth()
{
    purchase::PurchaseSystem* purchases = purchase::PurchaseSystem::Instance();
    purchase::Product* product = purchases->findProduct(L"buy_health");
    // Without a store that can answer, waiting would never end: the offer counts as declined.
    if (!product || !purchases->getStore() || product->pending) {
        GE_LOG(L"Health cannot be bought (no store or no product 'buy_health'): the level is lost.\n");
        showDefeat();
        return;
    }
    mScreen = 23;
    mPurchaseWait = 0.0f;
    purchases->buy(L"buy_health");
    if (mScreen == 23 && !product->pending) {
        GE_LOG(L"The store did not take the health purchase: the level is lost.\n");
        showDefeat();
    }
}

void TDMap::onMenuCommand(const std::wstring& name)
{
    if (name != L"restart" && name != L"mmenu" && name != L"levels")
        return;
    mHud->popWindow();
    if (name == L"restart") {
        loadLevel();
        mHud->fadeState = 0;
    } else if (name == L"mmenu") {
        mHud->showMainMenu();
    } else {
        mHud->showLevelSelect();
    }
}

void TDMap::showLevelIntro()
{
    // The table lists everything usable at a level, so each level repeats what the
    // levels before it opened; the message announces only what this level adds.
    std::vector<int> ids = mUnlocks->idsAt(mEpisode, mLevel);
    int previousEpisode = mEpisode;
    int previousLevel = mLevel - 1;
    if (previousLevel < 0 && mEpisode > 0) {
        previousEpisode = mEpisode - 1;
        previousLevel = episodeLevelCount(previousEpisode) - 1;
    }
    if (!ids.empty() && ids.front() != -1 && previousLevel >= 0) {
        const std::vector<int> before = mUnlocks->idsAt(previousEpisode, previousLevel);
        std::erase_if(ids, [&before](int id) { return std::find(before.begin(), before.end(), id) != before.end(); });
    }
    if (ids.empty()) {
        showLevelName();
        TDTutorial::Instance()->fireEvent(L"unlock_window_close");
    } else if (ids.front() != -1) {
        mHud->showUnlockMessage(ids);
    }
}

void TDMap::showLevelName()
{
    GameWindow* board = Game::sInstance ? Game::sInstance->mGameWindow : nullptr;
    if (!board)
        return;
    delete board->mModal2;
    board->mModal2 = new HUDLevelName;
}

void TDMap::resetUpgrades()
{
    int refund = 0;
    for (const UpgradeDef& upgrade : mUpgrades->mUpgrades) {
        const int level = mProgress->getUpgradeLevel(upgrade.id);
        if (level <= -1)
            continue;
        const int last = std::min(level, static_cast<int>(upgrade.steps.size()) - 1);
        for (int step = 0; step <= last; ++step)
            refund += upgrade.steps[static_cast<size_t>(step)].costGems;
        mProgress->setUpgradeLevel(upgrade.id, -1);
    }
    mStats->addGems(refund);
}

bool TDMap::hasBoughtUpgrades() const
{
    for (const UpgradeDef& upgrade : mUpgrades->mUpgrades)
        if (mProgress->getUpgradeLevel(upgrade.id) > -1)
            return true;
    return false;
}
