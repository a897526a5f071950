#include "Source/TD/Hud/HUDLevelName.h"

#include "Core/Render/Graphics.h"
#include "Source/TD/Shell/LocalStrings.h"
#include "Source/TD/World/TDMap.h"

HUDLevelName::HUDLevelName()
{
    const TDMap* map = CurrentLevel();
    const int episode = map ? map->mEpisode : 0;
    const int level = map ? map->mLevel : 0;
    LocalStrings* texts = LocalStrings::Instance();
    episodeName = texts->get(L"episode" + std::to_wstring(episode));
    levelText = texts->get(L"level_d") + L" " + std::to_wstring(level + 1);
}

void HUDLevelName::update(float dt)
{
    timer -= dt;
    if (timer >= 0.0f)
        return;
    if (phase == 0) {
        phase = 1;
        timer = 2.0f;
    } else if (phase == 1) {
        phase = 2;
        timer = 0.5f;
    } else {
        close();
    }
}

float HUDLevelName::currentAlpha() const
{
    if (phase == 0)
        return 1.0f - 2.0f * timer;
    if (phase == 1)
        return 1.0f;
    return 2.0f * timer;
}

void HUDLevelName::lineCentres(float cy, float nameHeight, float levelHeight, float* nameY, float* levelY)
{
    // Fixed offsets around the centre let the big name's line run into the number's.
    const float gap = levelHeight * 0.25f;
    const float top = cy - (nameHeight + gap + levelHeight) * 0.5f;
    *nameY = top + nameHeight * 0.5f;
    *levelY = top + nameHeight + gap + levelHeight * 0.5f;
}

void HUDLevelName::draw(render::Graphics* graphics)
{
    if (timer < 0.0f)
        return;
    graphics->SetColor(1.0f, 1.0f, 1.0f, currentAlpha());
    float cx = 0.0f, cy = 0.0f;
    ViewCentre(&cx, &cy);
    const FontHandle big = GameFont(L"td/data/fonts/main_80");
    const FontHandle small = GameFont(L"td/data/fonts/main_42_3");
    float nameY = 0.0f, levelY = 0.0f;
    lineCentres(cy, big ? big->GetSize() : 80.0f, small ? small->GetSize() : 42.0f, &nameY, &levelY);
    if (big)
        graphics->SetFont(big);
    graphics->DrawText(episodeName).SetAlign(2, 2).Translate(cx, nameY);
    if (small)
        graphics->SetFont(small);
    graphics->DrawText(levelText).SetAlign(2, 2).Translate(cx, levelY);
    graphics->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
}
