// Music and sample resources of the sound system, under the dummy audio driver.
#include "tests/Game/Audio/AudioFixture.h"

#include "Core/Resource/ResourceManager.h"
#include "Source/TD/Audio/PlayMusicTrack.h"
#include "Source/TD/Audio/Sound.h"
#include "Source/TD/Audio/SoundUpdateTask.h"
#include "tests/Support/LogCapture.h"

#include <memory>

namespace {

using Music = std::vector<std::string>;

TEST_F(AudioTest, AnotherTrackFadesForOneSecondThenSwitches)
{
    PutWav("a.wav", 4.0);
    PutWav("b.wav", 4.0);
    system->playMusic("a.wav");
    ASSERT_EQ(MusicState(), BASS_ACTIVE_PLAYING);
    const Uint32 asked = SDL_GetTicks();
    system->playMusic("b.wav");
    EXPECT_EQ(system->mCurrentMusic, "a.wav"); // the change waits for the fade
    EXPECT_EQ(system->getNextMusic(), "b.wav");
    ASSERT_TRUE(UpdateUntil([&] { return system->mCurrentMusic == "b.wav"; }));
    const Uint32 took = SDL_GetTicks() - asked;
    EXPECT_GE(took, 900u);
    EXPECT_LT(took, 4000u); // the mixer's thread may lag on a busy machine, never run ahead
    EXPECT_EQ(recorder.music, (Music{"a.wav", "b.wav"}));
    EXPECT_EQ(MusicState(), BASS_ACTIVE_PLAYING);
    float volume = 0.0f;
    BASS_ChannelGetAttribute(system->mMusicChannel, BASS_ATTRIB_VOL, &volume);
    EXPECT_FLOAT_EQ(volume, 1.0f);
}

TEST_F(AudioTest, ThirdRequestDuringAFadeStartsOnlyTheLastTrackOnce)
{
    PutWav("a.wav", 4.0);
    PutWav("b.wav", 4.0);
    PutWav("c.wav", 4.0);
    system->mMusicList = {"a.wav", "b.wav", "c.wav"};
    system->playMusic("a.wav");
    system->playMusic("b.wav");
    SDL_Delay(200);
    system->playMusic("c.wav");
    ASSERT_TRUE(UpdateUntil([&] { return system->mCurrentMusic == "c.wav"; }));
    UpdateFor(300); // a second end would stop c and start the playlist's next
    EXPECT_EQ(recorder.music, (Music{"a.wav", "c.wav"}));
    EXPECT_EQ(system->mCurrentMusic, "c.wav");
    EXPECT_EQ(MusicState(), BASS_ACTIVE_PLAYING);
}

TEST_F(AudioTest, EndOfTrackIsServedByTheMainThreadAndLoopsAOneTrackPlaylist)
{
    PutWav("loop.wav", 0.3);
    PlayMusicTrack(L"loop.wav");
    ASSERT_EQ(system->mMusicList, (Music{"loop.wav"}));
    const HSTREAM first = system->mMusicChannel;
    // The track ends on the mixer's thread; nothing changes until the main thread serves it.
    const Uint32 start = SDL_GetTicks();
    while (MusicState() != BASS_ACTIVE_STOPPED && SDL_GetTicks() - start < 5000)
        SDL_Delay(5);
    ASSERT_EQ(MusicState(), BASS_ACTIVE_STOPPED);
    SDL_Delay(50);
    EXPECT_EQ(system->mMusicChannel, first);
    EXPECT_EQ(recorder.music.size(), 1u);
    system->update();
    EXPECT_EQ(recorder.music, (Music{"loop.wav", "loop.wav"}));
    EXPECT_EQ(system->mCurrentMusic, "loop.wav");
    EXPECT_EQ(MusicState(), BASS_ACTIVE_PLAYING);
}

TEST_F(AudioTest, TheUpdateTaskServesTheEndInTheFrameLoop)
{
    PutWav("loop.wav", 0.2);
    base::Task application(false, false, false, false);
    application.AddChild(new SoundUpdateTask); // deleted by the tree once stopped
    PlayMusicTrack(L"loop.wav");
    const Uint32 start = SDL_GetTicks();
    while (recorder.music.size() < 3 && SDL_GetTicks() - start < 5000) {
        application.Update(0.01f);
        SDL_Delay(5);
    }
    EXPECT_EQ(recorder.music, (Music{"loop.wav", "loop.wav", "loop.wav"}));
    application.Stop();
    application.Update(0.01f);
    EXPECT_TRUE(application.children.empty());
}

TEST_F(AudioTest, WithoutAPlaylistATrackPlaysOnceAndAskingAgainRestartsIt)
{
    PutWav("once.wav", 0.2);
    system->playMusic("once.wav");
    ASSERT_TRUE(UpdateUntil([&] { return MusicState() == BASS_ACTIVE_STOPPED; }));
    UpdateFor(100);
    EXPECT_EQ(recorder.music.size(), 1u);
    EXPECT_EQ(system->mCurrentMusic, "once.wav");
    system->playMusic("once.wav");
    EXPECT_EQ(MusicState(), BASS_ACTIVE_PLAYING);
    EXPECT_EQ(recorder.music.size(), 2u);
}

TEST_F(AudioTest, AskingForThePlayingTrackChangesNothing)
{
    PutWav("a.wav", 2.0);
    system->playMusic("a.wav");
    const HSTREAM channel = system->mMusicChannel;
    system->playMusic("a.wav");
    EXPECT_EQ(system->mMusicChannel, channel);
    EXPECT_EQ(recorder.music.size(), 1u);
    EXPECT_EQ(MusicState(), BASS_ACTIVE_PLAYING);
}

TEST_F(AudioTest, EmptyNameStopsAtOnceWithoutAFade)
{
    PutWav("a.wav", 2.0);
    system->mMusicList = {"a.wav"};
    system->playMusic("a.wav");
    system->playMusic("");
    EXPECT_EQ(system->mMusicChannel, 0u);
    EXPECT_EQ(system->mMusicStream, nullptr);
    EXPECT_EQ(system->mCurrentMusic, "");
    UpdateFor(100);
    EXPECT_EQ(recorder.music.size(), 1u);
}

TEST_F(AudioTest, MissingFileLeavesTheMusicStopped)
{
    PutWav("a.wav", 4.0);
    LogCapture log;
    system->playMusic("missing.ogg");
    EXPECT_EQ(system->mMusicChannel, 0u);
    EXPECT_EQ(system->mCurrentMusic, "");
    EXPECT_EQ(log.Count(L"Music 'missing.ogg' not found."), 1);

    // Faded into from a playing track: the old one goes, nothing follows.
    system->playMusic("a.wav");
    system->playMusic("missing.ogg");
    ASSERT_TRUE(UpdateUntil([&] { return system->mMusicChannel == 0; }));
    UpdateFor(100);
    EXPECT_EQ(system->mCurrentMusic, "");
    EXPECT_EQ(recorder.music, (Music{"a.wav"}));
    EXPECT_EQ(log.Count(L"Music 'missing.ogg' not found."), 2);

    // A track that could not start can be asked for again once it is there.
    system->playMusic("late.wav");
    PutWav("late.wav", 1.0);
    system->playMusic("late.wav");
    EXPECT_EQ(MusicState(), BASS_ACTIVE_PLAYING);
}

TEST_F(AudioTest, MusicTrackTakesTheProfileMusicVolume)
{
    PutWav("a.wav", 2.0);
    system->profileMusicVolume = [] { return 0.25f; };
    PlayMusicTrack(L"a.wav");
    float volume = 0.0f;
    ASSERT_TRUE(BASS_ChannelGetAttribute(system->mMusicChannel, BASS_ATTRIB_VOL, &volume));
    EXPECT_FLOAT_EQ(volume, 0.25f);
    EXPECT_FLOAT_EQ(system->mMusicVolume, 0.25f);
}

TEST_F(AudioTest, SoundsOfOnePathShareOneCachedSample)
{
    PutWav("td/data/sound/click.wav", 0.2);
    std::unique_ptr<Sound> first(system->createSound("td/data/sound/click"));
    std::unique_ptr<Sound> second(system->createSound("td/data/sound/click"));
    ASSERT_TRUE(first && second);
    EXPECT_NE(first->mChannel, second->mChannel);
    EXPECT_EQ(first->mSample.Get(), second->mSample.Get());
    EXPECT_EQ(first->mSample.UseCount(), 2);
    const HSAMPLE sample = first->mSample->sample;
    auto& cache = resource::ResourceManager::GetMap<resource::ResourceSound>();
    EXPECT_EQ(cache.count(L"td/data/sound/click"), 1u);
    first.reset();
    second.reset();
    EXPECT_EQ(cache.count(L"td/data/sound/click"), 0u);
    EXPECT_EQ(BASS_SampleGetChannel(sample, TRUE), 0u); // freed with its last handle
}

TEST_F(AudioTest, SampleThatDoesNotLoadIsReportedAndPlaysNothing)
{
    Put("td/data/sound/broken.wav", "RIFF but not really a wave file");
    LogCapture log;
    EXPECT_EQ(system->createSound("td/data/sound/broken.wav"), nullptr);
    EXPECT_EQ(log.Lines(), 1);
    EXPECT_EQ(log.Count(L"could not be decoded"), 1);
    EXPECT_EQ(resource::ResourceManager::GetMap<resource::ResourceSound>().count(L"td/data/sound/broken.wav"), 0u);
    log.Clear();
    EXPECT_EQ(system->createSound("td/data/sound/nothing"), nullptr);
    EXPECT_EQ(log.Lines(), 1);
    EXPECT_EQ(log.Count(L"Sound 'td/data/sound/nothing' not found."), 1);
}

} // namespace
