// The audio library stand-in under SDL's dummy driver, which mixes in real time.
#include "Platform/Bass/Bass.h"
#include "tests/Support/TestWav.h"

#include <gtest/gtest.h>

#include <SDL.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <thread>
#include <utility>
#include <vector>

namespace {

struct MemoryFile {
    explicit MemoryFile(std::vector<uint8_t> bytes) : bytes(std::move(bytes)) {}
    std::vector<uint8_t> bytes;
    size_t position = 0;
    int closed = 0;
    std::vector<std::thread::id> readers;
};

void fileClose(void* user)
{
    ++static_cast<MemoryFile*>(user)->closed;
}

QWORD fileLength(void* user)
{
    return static_cast<MemoryFile*>(user)->bytes.size();
}

DWORD fileRead(void* buffer, DWORD length, void* user)
{
    auto* file = static_cast<MemoryFile*>(user);
    file->readers.push_back(std::this_thread::get_id());
    const size_t count = std::min<size_t>(length, file->bytes.size() - file->position);
    std::memcpy(buffer, file->bytes.data() + file->position, count);
    file->position += count;
    return static_cast<DWORD>(count);
}

BOOL fileSeek(QWORD offset, void* user)
{
    auto* file = static_cast<MemoryFile*>(user);
    if (offset > file->bytes.size())
        return FALSE;
    file->position = static_cast<size_t>(offset);
    return TRUE;
}

const BASS_FILEPROCS kProcs = {fileClose, fileLength, fileRead, fileSeek};

struct SyncLog {
    std::vector<DWORD> channels;
    std::vector<std::thread::id> threads;
};

void recordSync(HSYNC, DWORD channel, DWORD, void* user)
{
    auto* log = static_cast<SyncLog*>(user);
    log->channels.push_back(channel);
    log->threads.push_back(std::this_thread::get_id());
}

// Serves the library's notifications until `done` holds or `ms` pass; false on time-out.
bool ServeUntil(const std::function<bool()>& done, Uint32 ms)
{
    const Uint32 start = SDL_GetTicks();
    while (!done()) {
        if (SDL_GetTicks() - start > ms)
            return false;
        BASS_ServeSyncs();
        SDL_Delay(5);
    }
    return true;
}

class BassTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(BASS_Init(-1, 44100, 0, nullptr, nullptr)); }
    void TearDown() override { BASS_Free(); }

    HSTREAM MakeStream(MemoryFile& file)
    {
        return BASS_StreamCreateFileUser(STREAMFILE_BUFFER, 0, &kProcs, &file);
    }
};

TEST_F(BassTest, InitTwiceIsRefusedAndEveryCallOnAnUnknownHandleFailsHarmlessly)
{
    EXPECT_FALSE(BASS_Init(-1, 44100, 0, nullptr, nullptr));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_ALREADY);
    EXPECT_FALSE(BASS_ChannelPlay(12345, TRUE));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_HANDLE);
    EXPECT_FALSE(BASS_ChannelStop(0));
    EXPECT_EQ(BASS_ChannelIsActive(0), BASS_ACTIVE_STOPPED);
    EXPECT_FALSE(BASS_ChannelSetAttribute(0, BASS_ATTRIB_VOL, 0.5f));
    EXPECT_FALSE(BASS_ChannelSlideAttribute(0, BASS_ATTRIB_VOL, 0.0f, 1000));
    EXPECT_EQ(BASS_ChannelSetSync(0, BASS_SYNC_END, 0, recordSync, nullptr), 0u);
    EXPECT_FALSE(BASS_SampleFree(0));
    EXPECT_EQ(BASS_SampleGetChannel(0, TRUE), 0u);
    EXPECT_FALSE(BASS_StreamFree(0));
}

TEST_F(BassTest, UndecodableSampleGivesNoHandleAndSaysWhy)
{
    const char junk[] = "not a sound file at all";
    EXPECT_EQ(BASS_SampleLoad(TRUE, junk, 0, sizeof junk, 65535, 0), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_FILEFORM);
    const std::vector<uint8_t> wav = MakeTestWav(0.1);
    EXPECT_EQ(BASS_SampleLoad(TRUE, wav.data(), wav.size() + 1, static_cast<DWORD>(wav.size()), 65535, 0), 0u);
    EXPECT_EQ(BASS_SampleLoad(TRUE, wav.data(), 0, 40, 65535, 0), 0u); // cut inside the header
}

TEST_F(BassTest, SamplePlayedTwiceRestartsFromTheBeginning)
{
    const std::vector<uint8_t> wav = MakeTestWav(1.0);
    const HSAMPLE sample = BASS_SampleLoad(TRUE, wav.data(), 0, static_cast<DWORD>(wav.size()), 65535, 0);
    ASSERT_NE(sample, 0u);
    const HCHANNEL channel = BASS_SampleGetChannel(sample, TRUE);
    ASSERT_NE(channel, 0u);
    ASSERT_TRUE(BASS_ChannelPlay(channel, TRUE));
    const Uint32 first = SDL_GetTicks();
    EXPECT_EQ(BASS_ChannelIsActive(channel), BASS_ACTIVE_PLAYING);
    SDL_Delay(600);
    ASSERT_TRUE(BASS_ChannelPlay(channel, TRUE));
    // Without the restart the one-second sample would be over 1.4 s after its first start.
    while (SDL_GetTicks() - first < 1400)
        SDL_Delay(10);
    EXPECT_EQ(BASS_ChannelIsActive(channel), BASS_ACTIVE_PLAYING);
    EXPECT_TRUE(ServeUntil([&] { return BASS_ChannelIsActive(channel) == BASS_ACTIVE_STOPPED; }, 5000));
    EXPECT_TRUE(BASS_SampleFree(sample));
    EXPECT_EQ(BASS_ChannelIsActive(channel), BASS_ACTIVE_STOPPED);
    EXPECT_FALSE(BASS_ChannelPlay(channel, TRUE)); // the channel went with its sample
}

TEST_F(BassTest, EndOfStreamReachesTheMainThreadOnlyThroughServeSyncs)
{
    MemoryFile file{MakeTestWav(0.2)};
    const HSTREAM stream = MakeStream(file);
    ASSERT_NE(stream, 0u);
    EXPECT_EQ(file.closed, 1);
    SyncLog log;
    ASSERT_NE(BASS_ChannelSetSync(stream, BASS_SYNC_END, 0, recordSync, &log), 0u);
    ASSERT_TRUE(BASS_ChannelPlay(stream, TRUE));
    EXPECT_EQ(BASS_ChannelIsActive(stream), BASS_ACTIVE_PLAYING);
    ASSERT_TRUE(ServeUntil([&] { return BASS_ChannelIsActive(stream) == BASS_ACTIVE_STOPPED; }, 5000));
    SDL_Delay(20);
    EXPECT_TRUE(log.channels.empty()) << "a callback ran before the main thread served it";
    EXPECT_EQ(BASS_ServeSyncs(), 1);
    ASSERT_EQ(log.channels.size(), 1u);
    EXPECT_EQ(log.channels[0], stream);
    EXPECT_EQ(log.threads[0], std::this_thread::get_id());
    EXPECT_EQ(BASS_ServeSyncs(), 0);
    for (std::thread::id reader : file.readers)
        EXPECT_EQ(reader, std::this_thread::get_id());
    EXPECT_TRUE(BASS_StreamFree(stream));
}

TEST_F(BassTest, StoppingOrFreeingAStreamReportsNoEnd)
{
    MemoryFile file{MakeTestWav(2.0)};
    const HSTREAM stream = MakeStream(file);
    ASSERT_NE(stream, 0u);
    SyncLog log;
    BASS_ChannelSetSync(stream, BASS_SYNC_END, 0, recordSync, &log);
    BASS_ChannelPlay(stream, TRUE);
    SDL_Delay(50);
    EXPECT_TRUE(BASS_ChannelStop(stream));
    EXPECT_EQ(BASS_ChannelIsActive(stream), BASS_ACTIVE_STOPPED);
    BASS_ChannelPlay(stream, TRUE);
    EXPECT_TRUE(BASS_StreamFree(stream));
    SDL_Delay(50);
    EXPECT_EQ(BASS_ServeSyncs(), 0);
    EXPECT_TRUE(log.channels.empty());
}

TEST_F(BassTest, SlideToSilenceEndsWithTheSlideSyncOnceAndNotTheEndSync)
{
    MemoryFile file{MakeTestWav(3.0)};
    const HSTREAM stream = MakeStream(file);
    ASSERT_NE(stream, 0u);
    SyncLog ends, slides;
    BASS_ChannelSetSync(stream, BASS_SYNC_END, 0, recordSync, &ends);
    BASS_ChannelSetSync(stream, BASS_SYNC_SLIDE | BASS_SYNC_MIXTIME | BASS_SYNC_ONETIME, 0, recordSync, &slides);
    BASS_ChannelPlay(stream, TRUE);
    const Uint32 start = SDL_GetTicks();
    ASSERT_TRUE(BASS_ChannelSlideAttribute(stream, BASS_ATTRIB_VOL, 0.0f, 300));
    // A second slide while the first runs does not add a second end.
    ASSERT_TRUE(BASS_ChannelSlideAttribute(stream, BASS_ATTRIB_VOL, 0.0f, 300));
    EXPECT_EQ(BASS_ChannelIsActive(stream), BASS_ACTIVE_PLAYING);
    ASSERT_TRUE(ServeUntil([&] { return !slides.channels.empty(); }, 5000));
    EXPECT_GE(SDL_GetTicks() - start, 250u);
    SDL_Delay(100);
    BASS_ServeSyncs();
    EXPECT_EQ(slides.channels.size(), 1u);
    EXPECT_TRUE(ends.channels.empty());
    EXPECT_EQ(BASS_ChannelIsActive(stream), BASS_ACTIVE_STOPPED);
    BASS_StreamFree(stream);
}

TEST_F(BassTest, SlideOfASampleChannelIsSteppedOnTheMainThread)
{
    const std::vector<uint8_t> wav = MakeTestWav(0.1);
    const HSAMPLE sample = BASS_SampleLoad(TRUE, wav.data(), 0, static_cast<DWORD>(wav.size()), 65535, 0);
    const HCHANNEL channel = BASS_SampleGetChannel(sample, TRUE);
    SyncLog slides;
    BASS_ChannelSetSync(channel, BASS_SYNC_SLIDE, 0, recordSync, &slides);
    ASSERT_TRUE(BASS_ChannelSlideAttribute(channel, BASS_ATTRIB_VOL, 0.5f, 100));
    float volume = 0.0f;
    ASSERT_TRUE(ServeUntil([&] { return !slides.channels.empty(); }, 5000));
    ASSERT_TRUE(BASS_ChannelGetAttribute(channel, BASS_ATTRIB_VOL, &volume));
    EXPECT_FLOAT_EQ(volume, 0.5f);
    // Not one-time: the sync stays for the next slide.
    BASS_ChannelSlideAttribute(channel, BASS_ATTRIB_VOL, 1.0f, 0);
    BASS_ServeSyncs();
    EXPECT_EQ(slides.channels.size(), 2u);
}

TEST_F(BassTest, PauseHoldsEveryChannelAndStartResumes)
{
    const std::vector<uint8_t> wav = MakeTestWav(0.5);
    const HSAMPLE sample = BASS_SampleLoad(TRUE, wav.data(), 0, static_cast<DWORD>(wav.size()), 65535, 0);
    const HCHANNEL channel = BASS_SampleGetChannel(sample, TRUE);
    MemoryFile file{MakeTestWav(0.5)};
    const HSTREAM stream = MakeStream(file);
    BASS_ChannelPlay(channel, TRUE);
    BASS_ChannelPlay(stream, TRUE);
    ASSERT_TRUE(BASS_Pause());
    EXPECT_EQ(BASS_ChannelIsActive(channel), BASS_ACTIVE_PAUSED);
    EXPECT_EQ(BASS_ChannelIsActive(stream), BASS_ACTIVE_PAUSED);
    SDL_Delay(700); // longer than the sounds: paused, they are still there
    EXPECT_EQ(BASS_ChannelIsActive(channel), BASS_ACTIVE_PAUSED);
    EXPECT_EQ(BASS_ChannelIsActive(stream), BASS_ACTIVE_PAUSED);
    ASSERT_TRUE(BASS_Start());
    EXPECT_EQ(BASS_ChannelIsActive(channel), BASS_ACTIVE_PLAYING);
    EXPECT_EQ(BASS_ChannelIsActive(stream), BASS_ACTIVE_PLAYING);
}

TEST(BassWithoutDevice, CallsFailHarmlesslyBeforeInit)
{
    const std::vector<uint8_t> wav = MakeTestWav(0.1);
    EXPECT_EQ(BASS_SampleLoad(TRUE, wav.data(), 0, static_cast<DWORD>(wav.size()), 65535, 0), 0u);
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);
    EXPECT_FALSE(BASS_Start());
    EXPECT_FALSE(BASS_Pause());
    EXPECT_FALSE(BASS_Free());
    EXPECT_EQ(BASS_GetDevice(), static_cast<DWORD>(-1));
    EXPECT_EQ(BASS_ErrorGetCode(), BASS_ERROR_INIT);
    EXPECT_EQ(BASS_ServeSyncs(), 0);
}

TEST(BassWithoutDevice, FallsBackToTheSilentDriverWhenTheDeviceCannotOpen)
{
    const char* kept = SDL_getenv("SDL_AUDIODRIVER");
    const std::string previous = kept ? kept : "";
    SDL_setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    EXPECT_TRUE(BASS_Init(-1, 44100, 0, nullptr, nullptr));
    EXPECT_STREQ(SDL_GetCurrentAudioDriver(), "dummy");
    EXPECT_STREQ(SDL_getenv("SDL_AUDIODRIVER"), "no-such-driver");
    EXPECT_EQ(BASS_GetDevice(), 0u) << "the silent driver is the \"no sound\" device";
    EXPECT_TRUE(BASS_Free());
    SDL_setenv("SDL_AUDIODRIVER", previous.c_str(), 1);
}

} // namespace
