// The generated demo content: every sound name of the sheet loads, the names the code
// plays are there, and each episode's track plays.
#include "tests/Game/Audio/AudioFixture.h"

#include "Source/TD/Audio/PlayMusicTrack.h"
#include "Source/TD/Audio/Sound.h"
#include "tests/Support/LogCapture.h"

#include <filesystem>

namespace {

class ShippedSoundsTest : public AudioTest {
protected:
    void SetUp() override
    {
        AudioTest::SetUp();
        std::filesystem::current_path(GE_BINARY_DIR "/content");
    }
};

TEST_F(ShippedSoundsTest, EverySoundOfTheSheetLoads)
{
    LogCapture log;
    k2::SoundTags* table = k2::SoundTags::instance();
    table->load(L"td/sounds_sheet.csv");
    EXPECT_EQ(log.Lines(), 0) << std::string(log.text.begin(), log.text.end());
    ASSERT_GT(table->entries.size(), 20u);
    for (const auto& entry : table->entries) {
        EXPECT_FALSE(entry->file.empty()) << ConvertToNarrow(entry->name);
        EXPECT_NE(entry->sound, nullptr) << ConvertToNarrow(entry->name);
    }
    for (const wchar_t* name : {L"simple", L"buildTower", L"upgradeTower", L"sellTower", L"buySpot", L"context_in",
                                L"context_out", L"winSound", L"loseSound", L"teleportEnemy", L"enemy1hit",
                                L"enemy1die", L"enemy4special", L"tower10000shot", L"ammo2001hit"}) {
        EXPECT_TRUE(table->play(name)) << ConvertToNarrow(name);
    }
}

TEST_F(ShippedSoundsTest, EachEpisodeTrackPlays)
{
    for (const wchar_t* track : {L"td/data/music/ingame1.ogg", L"td/data/music/ingame2.ogg"}) {
        PlayMusicTrack(track);
        EXPECT_EQ(system->mCurrentMusic, ConvertToNarrow(track));
        EXPECT_EQ(MusicState(), BASS_ACTIVE_PLAYING);
        system->playMusic("");
    }
    EXPECT_EQ(recorder.music.size(), 2u);
}

} // namespace
