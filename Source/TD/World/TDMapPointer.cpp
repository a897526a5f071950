// Pointer commands while a level is played (screen 0): calling a wave early, the
// context menu's entries, the HUD's buttons, spells, and the map's objects (spots,
// towers, enemy units, drops), asked in that order.
#include "Source/TD/World/TDMap.h"

#include "Core/Base/Log.h"
#include "Core/Render/Image.h"
#include "Core/Render/ParticleEmitter.h"
#include "Source/TD/Audio/SoundTags.h"
#include "Source/TD/Hud/HUD.h"
#include "Source/TD/Hud/HUDSpellButton.h"
#include "Source/TD/Purchase/PurchaseSystem.h"
#include "Source/TD/Shell/FeatureConfig.h"
#include "Source/TD/Shell/LocalStrings.h"
#include "Source/TD/Shell/PlayerProgress.h"
#include "Source/TD/Towers/SpellTable.h"
#include "Source/TD/Towers/TDBulletList.h"
#include "Source/TD/Towers/TDContextMenu.h"
#include "Source/TD/Towers/TDDropList.h"
#include "Source/TD/Towers/TDGoldDrop.h"
#include "Source/TD/Towers/TDSpell.h"
#include "Source/TD/Towers/TDSpot.h"
#include "Source/TD/Towers/TDTower.h"
#include "Source/TD/Towers/TDTowerDrop.h"
#include "Source/TD/Tutorial/TDTutorial.h"
#include "Source/TD/World/LevelArt.h"
#include "Source/TD/World/PrototypeStore.h"
#include "Source/TD/World/TDFloatingLabels.h"
#include "Source/TD/World/TDFrameEntry.h"
#include "Source/TD/World/TDPlayerStats.h"
#include "Source/TD/World/TDWaves.h"
#include "Source/TD/World/UnitPrototype.h"
#include "Source/TD/World/WaveHint.h"

#include <cmath>
#include <string>

namespace {

void Event(const std::wstring& name)
{
    TDTutorial::Instance()->fireEvent(name);
}

void PlaySound(const wchar_t* name)
{
    k2::SoundTags::Instance()->play(name);
}

} // namespace

void TDMap::onMouseMove(float x, float y)
{
    const int ix = static_cast<int>(x);
    const int iy = static_cast<int>(y);
    // The tower menu's hovered item shows its range preview.
    if (mContextMenu)
        mContextMenu->hoverCommand = mContextMenu->hitTest(ix, iy);
    mHud->onMouseMove(ix, iy);
    TDTutorial::Instance()->onMouseMove(ix, iy);
}

bool TDMap::spotAllowed(const std::wstring& name) const
{
    if (mAllowedSpot != -1)
        return name == L"#" + std::to_wstring(mAllowedSpot);
    for (int i = 0; i < 100; ++i)
        if (name == L"#" + std::to_wstring(i))
            return mBlockedSpots[i] != 1;
    return true;
}

void TDMap::callWaveEarly(int x, int y)
{
    const int block = mHud->uiBlock;
    if (block != 0 && block != 3)
        return;
    Event(L"wave_forced");
    PlaySound(L"simple");
    const float due = mWaveHint->dueTime;
    const int bonus = static_cast<int>((due - mWaves->clock) * 2.0f);
    mStats->addMoney(bonus);
    const float clock = due - mWaveHint->leadTime;
    mWaves->clock = clock;
    for (TDWaveProto* wave : mWaves->protos)
        wave->clock = clock;
    if (TDFloatingLabels::Label* label =
            mFloatingLabels->add(TDFloatingLabels::kMoneyKind, static_cast<float>(x), static_cast<float>(y))) {
        label->text = L"+ " + std::to_wstring(bonus);
        label->lifetime = 0.75f;
        label->speedX = 0.0f;
        label->speedY = -1.0f;
    }
    mWaveHint->clear();
}

void TDMap::onContextMenuItem(int ix, int iy)
{
    TDContextMenu* menu = mContextMenu;
    const int item = menu->hitTest(ix, iy);
    const TDContextMenuItem* chosen = item >= 0 ? menu->hovered : nullptr;
    const int screen = mScreen;
    bool taken = false;
    switch (menu->type) {
    case TDContextMenu::TowerMenu:
    case TDContextMenu::TowerUpgradeMenu:
        if (item > 0 && menu->tower) {
            TDTower* tower = menu->tower;
            const UnitPrototype* base = tower->basePrototype;
            if (base && tower->tierSteps < base->tierUpdates) {
                taken = stepTowerTier(tower);
            } else {
                float price = 0.0f;
                for (const TDContextMenuItem* entry : menu->items)
                    if (entry->command == item) {
                        price = entry->price;
                        break;
                    }
                const int tier = tower->tierLevel;
                tower->upgrade(item, price);
                taken = tower->tierLevel != tier;
            }
        } else if (item == 0 && menu->tower) {
            taken = true;
            // The spot shows again once its tower is gone.
            if (menu->tower->spot)
                menu->tower->spot->mVisible = true;
            sellTower(menu->tower);
            Event(L"tower_sell");
        }
        break;
    case TDContextMenu::BuildMenu:
        if (item > 0 && menu->spot && menu->spot->mEntry) {
            const UnitPrototype* prototype = mPrototypes ? mPrototypes->find(item) : nullptr;
            if (prototype && buildTower(prototype, menu->spot->mEntry)) {
                taken = true;
                Event(L"tower_built");
            }
        }
        break;
    case TDContextMenu::SpotMenu:
        if (item > 0 && menu->spot) {
            buySpot(menu->spot);
            taken = menu->spot->mOwned;
        }
        break;
    default:
        break;
    }
    // A choice that bought nothing and opened no offer says why, where it was clicked.
    if (chosen && !taken && mScreen == screen)
        refuseMenuItem(*menu, *chosen);
    menu->close();
}

void TDMap::refuseMenuItem(const TDContextMenu& menu, const TDContextMenuItem& item)
{
    const std::wstring reason = menu.refusal(item);
    if (reason.empty() || !mFloatingLabels)
        return;
    float x = 0.0f, y = 0.0f;
    menu.itemCenter(item, 1.0f, &x, &y);
    if (TDFloatingLabels::Label* label = mFloatingLabels->add(TDFloatingLabels::kTextKind, x, y)) {
        label->text = reason;
        label->lifetime = 1.5f;
        label->align = 2;
    }
}

void TDMap::buySpot(TDSpot* spot)
{
    if (mStats->mMoney < spot->mCostGold)
        return;
    if (mStats->mGems < spot->mCostReal) {
        const bool lowGemsDialog = FeatureConfig::instance()->activeFeatures().lowPremiumPointsDialog;
        if (FeatureConfig::instance()->getBool("in_app_purchases", "is_active") && lowGemsDialog) {
            mHud->showModalDialog(-1, LocalStrings::Instance()->get(L"gemShopDialogTitle"),
                                  LocalStrings::Instance()->get(L"gemShopDialogText"));
            mScreen = 19;
            mSpeed = 0.0f;
            updateSpeedButtons();
        }
        return;
    }
    Event(L"buildspot_bought");
    mStats->spendMoney(spot->mCostGold);
    mStats->spendGems(spot->mCostReal);
    TDFrameEntry* entry = spot->mEntry;
    if (entry && mLevelArt) {
        const float cx = entry->centerX();
        const float cy = entry->centerY();
        entry->mImage = mLevelArt->mSpotImageS;
        const float width = entry->mImage ? static_cast<float>(entry->mImage->GetWidth()) : 0.0f;
        const float height = entry->mImage ? static_cast<float>(entry->mImage->GetHeight()) : 0.0f;
        entry->mX = cx - width * 0.5f;
        entry->mY = cy - height * 0.5f;
        entry->mWidth = width;
        entry->mHeight = height;
    }
    spot->mOwned = true;
    if (entry)
        mProgress->setSpotOwned(entry->mName, mEpisode, mLevel);
    PlaySound(L"buySpot");
}

bool TDMap::onHudButton(const std::wstring& name)
{
    PlaySound(L"simple");
    const int block = mHud->uiBlock;
    if (name == L"ok") {
        mHud->popWindow();
    } else if (name == L"options_btn") {
        pause();
    } else if (name == L"pause_btn") {
        mSpeed = 0.0f;
        updateSpeedButtons();
    } else if (name == L"play_btn") {
        if (block <= 1) {
            mSpeed = 1.0f;
            updateSpeedButtons();
            Event(L"game_play");
        }
    } else if (name == L"speed_btn") {
        if (block == 0) {
            mSpeed = 2.0f;
            updateSpeedButtons();
        }
    } else if (name != L"pause_btn_ac" && name != L"play_btn_ac" && name != L"options_btn_ac" &&
               name != L"speed_btn_ac") {
        return false;
    }
    return true;
}

bool TDMap::castSpell(int spellId, float mx, float my)
{
    const SpellDefinition* definition = mSpells ? mSpells->find(spellId) : nullptr;
    k2::SoundTags::Instance()->play(L"spell" + std::to_wstring(spellId));
    if (!definition) {
        GE_LOG(L"Spell %d is not in the spell sheet: it is not cast.\n") << spellId;
        return false;
    }
    auto* spell = new TDSpell(definition->spellId, definition->prototypeId);
    spell->position.x = mx;
    spell->position.y = my;
    mBullets->add(spell);
    return spell->cast();
}

void TDMap::castSelectedSpell(float mx, float my, bool announce)
{
    HUDSpellButton* button = mSelectedSpell;
    if (!button)
        return;
    if (announce)
        Event(L"spell_casting_start_" + std::to_wstring(button->spellId));
    if (castSpell(button->spellId, mx, my))
        button->startRecharge();
    mSelectedSpell = nullptr;
}

// Steps 4 and 5: true when the release was taken by the spell buttons or a cast.
bool TDMap::onSpellButtons(int x, int y, float mx, float my)
{
    const int index = mHud->hitTest(x, y);
    if (mSelectedSpell) {
        if (index == mSelectedSpell->index) {
            mSelectedSpell = nullptr;
            return true;
        }
        if (index == -1) {
            castSelectedSpell(mx, my, true);
            return true;
        }
    } else if (index == -1) {
        return false;
    }
    if (mHud->uiBlock != 0 || index == -2 || index < 0 ||
        index >= static_cast<int>(mHud->spellButtons.size()))
        return true;
    HUDSpellButton* button = mHud->spellButtons[static_cast<size_t>(index)];
    mSelectedSpell = button;
    Event(L"spell_selected_" + std::to_wstring(button->spellId));
    PlaySound(L"simple");
    if (mActiveEmitter) {
        const float at[2] = {button->x, button->y};
        mActiveEmitter->SetPosition(at, 1);
    }
    if (index == 4) {
        if (mAllowedSpell == -1 || mAllowedSpell == button->spellId)
            castSelectedSpell(mx, my, false);
        return true;
    }
    return false;
}

// Step 6: spots, towers, units and drops; false when nothing was there.
bool TDMap::onMapObject(int ix, int iy)
{
    if (TDFrameEntry* entry = mLevelArt ? mLevelArt->spotAt(ix, iy) : nullptr) {
        if (mContextMenu) {
            if (mContextMenu->spot && mContextMenu->spot->mEntry == entry && mContextMenu->alive)
                mContextMenu->close();
            else
                closeContextMenu();
            return true;
        }
        if (!spotAllowed(entry->mName) || !entry->mSpot)
            return true;
        mContextMenu = new TDContextMenu(this);
        // A spot without any price needs no purchase: it is built on at once.
        if (entry->mSpot->mOwned || entry->mSpot->mFree)
            mContextMenu->setupBuild(entry->mSpot);
        else
            mContextMenu->setupSpot(entry->mSpot);
        mContextMenu->setCenter(entry->centerX(), entry->centerY());
        return true;
    }
    if (TDTower* tower = towerAt(ix, iy)) {
        if (mContextMenu) {
            if (mContextMenu->tower == tower && mContextMenu->alive)
                mContextMenu->close();
            else
                closeContextMenu();
            return true;
        }
        const std::wstring spotName = tower->spot ? tower->spot->mName : std::wstring();
        if (!spotAllowed(spotName))
            return true;
        mContextMenu = new TDContextMenu(this);
        mContextMenu->setupTower(tower);
        mContextMenu->setCenter(tower->anchorX, tower->anchorY);
        if (tower->spot && tower->spot->centerX() == 896.0f && tower->spot->centerY() == 563.0f)
            Event(L"tower_select_3");
    }
    if (TDMob* mob = mWaves->mobAt(static_cast<float>(ix), static_cast<float>(iy))) {
        mSelectedMob = mob;
        return true;
    }
    if (TDTowerSpecial* drop = TDSpecialList::findCollectible(mSpecials, static_cast<float>(ix), static_cast<float>(iy))) {
        mStats->addGems(5);
        drop->setState(2);
        return true;
    }
    return false;
}

TDTower* TDMap::towerAt(int x, int y) const
{
    // A round reach about the tower's foot takes the body standing above its spot;
    // the gold a tower holds answers for it where it lies.
    const float fx = static_cast<float>(x);
    const float fy = static_cast<float>(y);
    for (TDTower* tower : mTowers) {
        const float dx = fx - tower->x;
        const float dy = fy - tower->y;
        if (std::sqrt(dx * dx + dy * dy) < 50.0f)
            return tower;
        for (const TDTowerSpecial* drop : tower->drops) {
            const auto* gold = dynamic_cast<const TDGoldSpecial*>(drop);
            if (!gold || gold->state != TDGoldSpecial::Lying)
                continue;
            const float gx = fx - gold->position.x;
            const float gy = fy - gold->position.y;
            if (gx * gx + gy * gy < 1200.0f)
                return tower;
        }
    }
    return nullptr;
}

void TDMap::closeContextMenu()
{
    if (!mContextMenu)
        return;
    mContextMenu->close();
    delete mContextMenu;
    mContextMenu = nullptr;
}

void TDMap::onLevelCommand(int x, int y, float mx, float my)
{
    const int ix = static_cast<int>(mx);
    const int iy = static_cast<int>(my);
    if (mWaveHint && mWaveHint->hitTest(ix, iy)) {
        callWaveEarly(x, y);
        return;
    }
    if (mContextMenu && mContextMenu->alive) {
        onContextMenuItem(ix, iy);
        return;
    }
    const std::wstring name = mHud->click(x, y);
    if (!name.empty() && onHudButton(name))
        return;
    if (onSpellButtons(x, y, mx, my))
        return;
    if (onMapObject(ix, iy))
        return;
    mHud->onMouseReleased(x, y);
    mHud->onMouseMove(-1, -1);
}
