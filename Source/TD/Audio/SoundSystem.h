#pragma once
// The audio device, Sound channels made from cached samples, and music streamed
// through the file layer with a playlist that advances (and so loops) at the end of
// each track and a one-second fade when the track changes.
#include "Core/Base/Singletone.h"
#include "Core/Base/Stream.h"
#include "Platform/Bass/Bass.h"
#include "Source/TD/Audio/SoundListener.h"
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class Sound;
class SoundObserver;

class SoundSystem : public base::Singletone<SoundSystem>, public SoundListener {
public:
    SoundSystem();
    ~SoundSystem() override;
    std::vector<base::SingletoneBase*> GetDependencies() override;

    // A Sound on a fresh channel of the sample at `path` (UTF-8), owned by the
    // caller; null when the sample cannot be loaded (already logged).
    Sound* createSound(const std::string& path);
    void setSoundVolume(float volume);
    // Starts `name` (UTF-8 path), fades the playing track into it, or with an
    // empty name stops the music at once.
    void playMusic(const std::string& name);
    std::string getNextMusic() const;
    // Sets the music volume and applies it to the playing stream.
    void setMusicVolume(float volume);

    // Main thread, once per frame: delivers the audio library's notifications and
    // moves on to the next track when the current one ended or faded out. Made by
    // the application's task tree when the system is created inside the game.
    void update();

    // The library's sync callback (any thread): only marks the end for update().
    static void onMusicEnd(HSYNC handle, DWORD channel, DWORD data, void* user);

    void removeSound(Sound* sound) override;

    std::vector<std::string> mMusicList;
    std::string mCurrentMusic;
    std::string mNextMusic;
    HSTREAM mMusicChannel = 0;
    std::unique_ptr<base::Stream> mMusicStream;
    float mMusicVolume = 1.0f;
    float mSoundVolume = 1.0f;
    std::vector<Sound*> mSounds;

    // Not owned; told of every effect played by name and every track started.
    SoundObserver* observer = nullptr;
    // The current profile's volumes (the level object points these at its progress);
    // while unset, mSoundVolume and mMusicVolume count.
    std::function<float()> profileSoundVolume;
    std::function<float()> profileMusicVolume;

private:
    void stopMusic();
    bool startMusic(const std::string& name);

    std::atomic<DWORD> mEndedChannel{0}; // the stream whose end or fade-out is to be served
    HSYNC mEndSync = 0;
    HSYNC mSlideSync = 0; // set while the playing track fades out
};
