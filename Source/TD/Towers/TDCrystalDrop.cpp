#include "Source/TD/Towers/TDCrystalDrop.h"

#include "Source/TD/Tutorial/TDTutorial.h"
#include "Source/TD/Units/TDMob.h"
#include "Source/TD/World/TDAnimationSet.h"
#include "Source/TD/World/TDResources.h"
#include "Source/TD/World/TDSprite.h"

#include <algorithm>

TDCrystallSpecial::TDCrystallSpecial(const TDMob* unit, float dropOverride)
{
    shadow = TDResources::Instance()->getFrame(L"td/shadows", "", L"shadows/money_shadow");
    animation = new TDAnimationSet(L"td/crystall");
    animation->mFps = 8.0f;
    if (unit)
        from = {unit->mX, unit->mY};
    if (dropOverride == 1.0f) {
        to = kForcedSpot;
        state = Lying;
        clock = 1.0f;
    } else {
        RandomPointInRing(from.x, from.y, 50.0f, 100.0f, &to.x, &to.y);
    }
    control = {from.x + 0.5f * (to.x - from.x), std::min(from.y, to.y) - 25.0f};
    position = positionAt();
}

i32 TDCrystallSpecial::setState(i32 value)
{
    const i32 result = TDGoldSpecial::setState(value);
    if (value == Collected)
        TDTutorial::Instance()->fireEvent(L"gem_collected");
    return result;
}

bool TDCrystallSpecial::drops(int dropChance, float dropOverride, float random)
{
    if (dropOverride == 1.0f)
        return true;
    // Compared as "chance at least the draw", a draw of exactly 0 would drop at 0 %.
    const float chance = static_cast<float>(dropChance) / 100.0f;
    return chance > 0.0f && chance >= random;
}
