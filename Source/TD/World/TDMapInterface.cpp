// The level's in-world interface set-up, the HUD's speed buttons and the labels that
// announce gifts.
#include "Source/TD/World/TDMap.h"

#include "Core/Base/WideFormat.h"
#include "Core/Render/ParticleEmitter.h"
#include "Source/TD/Hud/HUD.h"
#include "Source/TD/Hud/TDButtonFrame.h"
#include "Source/TD/Shell/LocalStrings.h"
#include "Source/TD/World/InterfaceAtlas.h"
#include "Source/TD/World/TDFloatingLabels.h"
#include "Source/TD/World/TDFrameEntry.h"
#include "Source/TD/World/WaveHint.h"

void TDMap::loadInterface()
{
    // The set first: the hint and the labels take their images from it.
    if (!mInterface)
        mInterface = new InterfaceAtlas;
    mInterface->load();
    delete mWaveHint;
    mWaveHint = new WaveHint;
    delete mFloatingLabels;
    mFloatingLabels = new TDFloatingLabels;
}

void TDMap::updateSpeedButtons()
{
    if (!mHud)
        return;
    mHud->setButtonVisible(L"play_btn_ac", mSpeed == 1.0f);
    mHud->setButtonVisible(L"play_btn", mSpeed != 1.0f);
    mHud->setButtonVisible(L"speed_btn_ac", mSpeed == 2.0f);
    mHud->setButtonVisible(L"speed_btn", mSpeed != 2.0f);
    mHud->setButtonVisible(L"options_btn_ac", false);
    mHud->setButtonVisible(L"pause_btn_ac", mSpeed == 0.0f);
    mHud->setButtonVisible(L"pause_btn", mSpeed != 0.0f);

    if (!mActiveButtonEmitter)
        return;
    // The glow sits on the centre of the lit button.
    const wchar_t* lit = mSpeed == 0.0f ? L"pause_btn_ac" : mSpeed == 1.0f ? L"play_btn_ac"
                                                        : mSpeed == 2.0f ? L"speed_btn_ac"
                                                                         : nullptr;
    float at[2] = {0.0f, 0.0f};
    if (const TDFrameEntry* button = lit ? mHud->findButton(lit) : nullptr) {
        at[0] = button->centerX();
        at[1] = button->centerY();
    }
    mActiveButtonEmitter->SetPosition(at, 1);
}

void TDMap::showGift(const wchar_t* pattern, int amount)
{
    if (!mHud || !mFloatingLabels || amount == 0)
        return;
    // Where the player acted (a build, a click on a crystal): the counters sit under
    // the HUD's bar and the tutorial's panel, which are drawn over the level's labels.
    const float px = mHud->pointerX;
    const float py = mHud->pointerY;
    if (px < 0.0f || py < 0.0f)
        return;
    WideFormat text(LocalStrings::Instance()->get(pattern));
    text % amount;
    text.Finish();
    const float x = (px - mViewOffset[0]) / mViewScale;
    const float y = (py - 40.0f - mViewOffset[1]) / mViewScale;
    if (TDFloatingLabels::Label* label = mFloatingLabels->add(TDFloatingLabels::kTextKind, x, y)) {
        label->text = text.Output();
        label->lifetime = 2.0f;
        label->align = 2;
    }
}
