// Every shipped level's art against the places the HUD draws over it: no decoration
// (tree, rock, flowers) under the counter bar, a button, a spell place, the wave hint
// or the tutorial's skip button, none over a build spot, and no build spot under the HUD either, where the
// HUD would take the click meant for it, nor under the level's title, which hides it while it shows.
#include "Core/Render/Image.h"
#include "Framework/Layer/ImageLayer.h"
#include "Source/TD/Hud/HUD.h"
#include "Source/TD/Hud/HUDDocument.h"
#include "Source/TD/Hud/HUDLevelName.h"
#include "Source/TD/Hud/TDButtonFrame.h"
#include "Source/TD/Hud/TextFit.h"
#include "Source/TD/Shell/LocalStrings.h"
#include "Source/TD/Tutorial/TDTutorial.h"
#include "Source/TD/Tutorial/TutorialButton.h"
#include "Source/TD/World/LevelArt.h"
#include "Source/TD/World/TDFrameEntry.h"
#include "Source/TD/World/TDMap.h"
#include "Source/TD/World/WaveHint.h"
#include "tests/Game/World/FirstLevel.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Place {
    std::string name;
    float x, y, w, h;
};

Place Of(const TDFrameEntry& entry, const std::string& name)
{
    return Place{name, entry.mX, entry.mY, entry.mWidth, entry.mHeight};
}

bool Overlap(const Place& a, const Place& b)
{
    return a.w > 0.0f && b.w > 0.0f && a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h &&
           b.y < a.y + a.h;
}

std::string Narrow(const std::wstring& text)
{
    return std::string(text.begin(), text.end());
}

// The HUD's own pictures, its buttons, its spell places and the wave hint, in the
// units of the design screen.
std::vector<Place> HudPlaces(const TDMap& map)
{
    std::vector<Place> places;
    for (const TDFrameEntry* image : map.mHud->images)
        places.push_back(Of(*image, "picture '" + Narrow(image->mName) + "'"));
    for (const TDButtonFrame* button : map.mHud->buttons)
        places.push_back(Of(*button, "button " + Narrow(button->mName)));
    for (const TDFrameEntry* slot : map.mHud->spellSlots)
        places.push_back(Of(*slot, "spell place " + Narrow(slot->mName)));
    // The tutorial's skip button, where the first level shows it.
    if (const TutorialButton* skip = TDTutorial::Instance()->skipButton; skip && skip->normalLayer) {
        const render::Image* picture = skip->normalLayer->GetImage();
        places.push_back(Place{"tutorial skip button", skip->position.x + skip->normalLayer->position.x,
                               skip->position.y + skip->normalLayer->position.y,
                               picture ? static_cast<float>(picture->GetWidth()) : 0.0f,
                               picture ? static_cast<float>(picture->GetHeight()) : 0.0f});
    }
    WaveHint hint;
    if (const TDFrameEntry* entry = hint.add()) {
        places.push_back(Of(*entry, "wave hint"));
        // Its countdown, centred on it and standing on its top edge, at its longest.
        const FontHandle font = GameFont(L"td/data/fonts/main_42_3");
        const std::wstring countdown = LocalStrings::Instance()->get(L"game_nextwave") + L" 99";
        const TextBlock line = LayOutText(font.Get(), countdown, 0.0f);
        places.push_back(Place{"wave countdown", WaveHint::kX - line.width * 0.5f, entry->mY - line.height,
                               line.width, line.height});
    }
    return places;
}

// A layer of the level's art that stands on the ground: not the ground or the road
// (which cover the screen) and not an effect point.
bool IsDecoration(const TDFrameEntry& layer)
{
    return layer.mWidth < 1024.0f && layer.mName.rfind(L"fx_", 0) != 0 && layer.mWidth > 1.0f;
}

// Where the level's title stands while it shows at the start: its two lines centred
// on the view's centre, each as wide as its text.
std::vector<Place> TitlePlaces()
{
    const HUDLevelName title;
    const FontHandle big = GameFont(L"td/data/fonts/main_80");
    const FontHandle small = GameFont(L"td/data/fonts/main_42_3");
    float cx = 0.0f, cy = 0.0f;
    ViewCentre(&cx, &cy);
    const TextBlock name = LayOutText(big.Get(), title.episodeName, 0.0f);
    const TextBlock number = LayOutText(small.Get(), title.levelText, 0.0f);
    float nameY = 0.0f, levelY = 0.0f;
    HUDLevelName::lineCentres(cy, big.Get() ? big->GetSize() : 80.0f, small.Get() ? small->GetSize() : 42.0f,
                              &nameY, &levelY);
    return {Place{"level title", cx - name.width * 0.5f, nameY - name.height * 0.5f, name.width, name.height},
            Place{"level number", cx - number.width * 0.5f, levelY - number.height * 0.5f, number.width,
                  number.height}};
}

} // namespace

TEST(ShippedLevels, DecorationsAndSpotsKeepClearOfTheHudAndEachOther)
{
    RunGame("ShippedLevels.ArtClearOfTheHud", {}, [](GameHarness& h) {
        TDMap* map = StartFirstLevel(h);
        ASSERT_NE(map, nullptr);
        const std::vector<Place> hud = HudPlaces(*map);
        ASSERT_GE(hud.size(), 10u) << "the bar, four buttons, five spell places and the hint";
        int levels = 0;
        for (int episode = 0; map->episodeLevelCount(episode) > 0; ++episode)
            for (int level = 0; level < map->episodeLevelCount(episode); ++level) {
                map->mEpisode = episode;
                map->mLevel = level;
                ASSERT_TRUE(map->startLevel());
                ASSERT_NE(map->mLevelArt, nullptr);
                ++levels;
                const std::string at =
                    "level " + std::to_string(episode + 1) + "-" + std::to_string(level + 1) + ": ";
                std::vector<Place> spots;
                for (const TDFrameEntry* spot : map->mLevelArt->mSpotSprites)
                    spots.push_back(Of(*spot, "spot " + Narrow(spot->mName)));
                ASSERT_FALSE(spots.empty()) << at;
                int decorations = 0;
                for (const TDFrameEntry* layer : map->mLevelArt->mLayerSprites) {
                    if (!IsDecoration(*layer))
                        continue;
                    ++decorations;
                    const Place d = Of(*layer, Narrow(layer->mName));
                    for (const std::vector<Place>* others :
                         {&hud, static_cast<const std::vector<Place>*>(&spots)})
                        for (const Place& other : *others)
                            EXPECT_FALSE(Overlap(d, other)) << at << d.name << " lies under " << other.name;
                }
                EXPECT_GT(decorations, 0) << at;
                std::vector<Place> over = hud;
                for (const Place& title : TitlePlaces())
                    over.push_back(title);
                for (const Place& spot : spots)
                    for (const Place& place : over)
                        EXPECT_FALSE(Overlap(spot, place)) << at << spot.name << " lies under " << place.name;
            }
        EXPECT_EQ(levels, 10);
    });
}
