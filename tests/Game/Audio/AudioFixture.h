#pragma once
// A fresh data folder with generated sounds, the sound system under SDL's dummy
// driver (which mixes in real time), and a recorder of what the game played.
#include "Core/Base/StringEncoding.h"
#include "Platform/Bass/Bass.h"
#include "Source/TD/Audio/SoundObserver.h"
#include "Source/TD/Audio/SoundSystem.h"
#include "Source/TD/Audio/SoundTags.h"
#include "tests/File/FileTestSupport.h"
#include "tests/Support/TestWav.h"

#include <SDL.h>

#include <functional>
#include <string>
#include <vector>

class SoundRecorder : public SoundObserver {
public:
    void onSoundPlayed(const std::wstring& name, bool known) override
    {
        sounds.push_back(name + (known ? L"" : L"?"));
    }
    void onMusicStarted(const std::string& file) override { music.push_back(file); }

    std::vector<std::wstring> sounds;
    std::vector<std::string> music;
};

class AudioTest : public TempFolderTest {
protected:
    void SetUp() override
    {
        TempFolderTest::SetUp();
        system = SoundSystem::Instance();
        system->observer = &recorder;
    }
    void TearDown() override
    {
        k2::SoundTags::instance()->entries.clear();
        system->playMusic(std::string());
        system->mMusicList.clear();
        system->mNextMusic.clear();
        system->observer = nullptr;
        system->profileSoundVolume = nullptr;
        system->profileMusicVolume = nullptr;
        system->mMusicVolume = 1.0f;
        TempFolderTest::TearDown();
    }

    static void PutWav(const std::string& path, double seconds)
    {
        const std::vector<uint8_t> wav = MakeTestWav(seconds);
        Put(path, std::string(wav.begin(), wav.end()));
    }

    // Runs the game's per-frame sound update until `done` holds; false after `ms`.
    bool UpdateUntil(const std::function<bool()>& done, Uint32 ms = 5000)
    {
        const Uint32 start = SDL_GetTicks();
        while (!done()) {
            if (SDL_GetTicks() - start > ms)
                return false;
            system->update();
            SDL_Delay(5);
        }
        return true;
    }

    void UpdateFor(Uint32 ms)
    {
        const Uint32 start = SDL_GetTicks();
        while (SDL_GetTicks() - start < ms) {
            system->update();
            SDL_Delay(5);
        }
    }

    DWORD MusicState() const { return BASS_ChannelIsActive(system->mMusicChannel); }

    SoundSystem* system = nullptr;
    SoundRecorder recorder;
};
