#include "Source/TD/Audio/SoundSystem.h"
#include "Core/App/Application.h"
#include "Core/Base/Log.h"
#include "Core/Base/StringEncoding.h"
#include "Core/File/FileInfo.h"
#include "Core/File/FileManager.h"
#include "Core/Resource/ResourceManager.h"
#include "Source/TD/Audio/ResourceSound.h"
#include "Source/TD/Audio/Sound.h"
#include "Source/TD/Audio/SoundObserver.h"
#include "Source/TD/Audio/SoundUpdateTask.h"
#include <algorithm>
#include <climits>

namespace {

// The music stream reads the game's file through these; user is the base::Stream.
void musicClose(void*)
{
    // The sound system deletes the stream when it stops the music.
}

QWORD musicLength(void* user)
{
    return static_cast<base::Stream*>(user)->GetSize();
}

DWORD musicRead(void* buffer, DWORD length, void* user)
{
    return static_cast<base::Stream*>(user)->Read(buffer, length);
}

BOOL musicSeek(QWORD offset, void* user)
{
    if (offset > static_cast<QWORD>(INT_MAX))
        return FALSE;
    const i32 to = static_cast<i32>(offset);
    return static_cast<base::Stream*>(user)->Seek(to, base::SeekBegin) == static_cast<u32>(to) ? TRUE : FALSE;
}

const BASS_FILEPROCS kMusicProcs = {musicClose, musicLength, musicRead, musicSeek};

constexpr DWORD kConfigOption = 34;
constexpr DWORD kSlideEndSync = BASS_SYNC_MIXTIME | BASS_SYNC_SLIDE;
constexpr DWORD kFadeMilliseconds = 1000;

} // namespace

SoundSystem::SoundSystem()
{
    // Exists before us, so the registry destroys it after us.
    resource::ResourceManager::Instance();
    if (!BASS_Init(-1, 44100, 0, nullptr, nullptr))
        GE_LOG(L"Sound: no audio output could be opened (error %d); the game runs silent.\n")
            << BASS_ErrorGetCode();
    else if (BASS_GetDevice() == 0)
        GE_LOG(L"Sound is off: no audio device could be opened; the game runs silent.\n");
    BASS_SetConfig(kConfigOption, 4);
    // In the running game the application serves our notifications every frame;
    // without an application (tools, tests) the owner calls update().
    if (app::Application::Exists())
        GetApplication()->AddChild(new SoundUpdateTask);
}

SoundSystem::~SoundSystem()
{
    stopMusic();
    for (Sound* sound : mSounds)
        delete sound;
    mSounds.clear();
    BASS_Free();
}

std::vector<base::SingletoneBase*> SoundSystem::GetDependencies()
{
    if (resource::ResourceManager::Exists())
        return {resource::ResourceManager::Instance()};
    return {};
}

Sound* SoundSystem::createSound(const std::string& path)
{
    std::wstring name;
    if (!TryConvertToWide(path, name, L"sound path"))
        return nullptr;
    resource::ResourceHandle<resource::ResourceSound> sample =
        resource::ResourceManager::Get<resource::ResourceSound>(name);
    if (!sample)
        return nullptr;
    // A sample that did not load is let go here, so it is tried afresh next time.
    if (!sample->IsLoaded() && sample->Load() != GE_OK)
        return nullptr;
    const HCHANNEL channel = BASS_SampleGetChannel(sample->sample, TRUE);
    return new Sound(std::move(sample), channel);
}

void SoundSystem::setSoundVolume(float volume)
{
    mSoundVolume = volume;
    for (Sound* sound : mSounds)
        BASS_ChannelSetAttribute(sound->mChannel, BASS_ATTRIB_VOL, volume);
}

void SoundSystem::setMusicVolume(float volume)
{
    mMusicVolume = volume;
    if (mMusicChannel)
        BASS_ChannelSetAttribute(mMusicChannel, BASS_ATTRIB_VOL, volume);
}

std::string SoundSystem::getNextMusic() const
{
    return mNextMusic;
}

void SoundSystem::playMusic(const std::string& name)
{
    const bool active = mMusicChannel && BASS_ChannelIsActive(mMusicChannel) != BASS_ACTIVE_STOPPED;
    if (name == mCurrentMusic) {
        if (name.empty() || active)
            return;
        if (mMusicChannel) {
            if (BASS_ChannelPlay(mMusicChannel, TRUE) && observer)
                observer->onMusicStarted(name);
            return;
        }
        // The track never got a stream (its file was missing): try it afresh.
    } else if (active && !name.empty()) {
        // The change happens when the fade ends. A fade already under way only takes
        // the newer name: a second fade would end the music twice.
        mNextMusic = name;
        if (mSlideSync)
            return;
        if (mEndSync)
            BASS_ChannelRemoveSync(mMusicChannel, mEndSync);
        mEndSync = 0;
        BASS_ChannelSlideAttribute(mMusicChannel, BASS_ATTRIB_VOL, 0.0f, kFadeMilliseconds);
        mSlideSync = BASS_ChannelSetSync(mMusicChannel, kSlideEndSync | BASS_SYNC_ONETIME, 0, onMusicEnd, nullptr);
        return;
    }
    stopMusic();
    // Nothing plays when the track cannot start, so no track is current.
    if (!name.empty() && !startMusic(name)) {
        mCurrentMusic.clear();
        return;
    }
    mCurrentMusic = name;
}

void SoundSystem::stopMusic()
{
    if (mMusicChannel) {
        BASS_ChannelStop(mMusicChannel);
        BASS_StreamFree(mMusicChannel);
    }
    DWORD pending = mMusicChannel;
    mEndedChannel.compare_exchange_strong(pending, 0);
    mMusicChannel = 0;
    mMusicStream.reset();
    mEndSync = 0;
    mSlideSync = 0;
}

bool SoundSystem::startMusic(const std::string& name)
{
    std::wstring path;
    if (!TryConvertToWide(name, path, L"music path"))
        return false;
    std::unique_ptr<file::FileInfo> found(file::FileManager::Instance()->GetFileInfo(path));
    std::unique_ptr<base::Stream> stream;
    if (found && found->container)
        stream.reset(found->container->OpenRead(found->path));
    if (!stream) {
        GE_LOG(L"Music '%s' not found.\n") << path;
        return false;
    }
    mMusicStream = std::move(stream);
    mMusicChannel = BASS_StreamCreateFileUser(STREAMFILE_BUFFER, 0, &kMusicProcs, mMusicStream.get());
    if (!mMusicChannel) {
        GE_LOG(L"Music '%s' could not be played (error %d).\n") << path << BASS_ErrorGetCode();
        mMusicStream.reset();
        return false;
    }
    BASS_ChannelSetAttribute(mMusicChannel, BASS_ATTRIB_VOL, mMusicVolume);
    if (BASS_ChannelPlay(mMusicChannel, TRUE) && observer)
        observer->onMusicStarted(name);
    if (!mMusicList.empty()) {
        mEndSync = BASS_ChannelSetSync(mMusicChannel, BASS_SYNC_END, 0, onMusicEnd, nullptr);
        auto at = std::find(mMusicList.begin(), mMusicList.end(), name);
        if (at != mMusicList.end())
            ++at;
        mNextMusic = at == mMusicList.end() ? mMusicList.front() : *at;
    }
    return true;
}

void SoundSystem::onMusicEnd(HSYNC, DWORD channel, DWORD, void*)
{
    // Never creates the system: this may run on the audio library's thread.
    if (SoundSystem* system = sInstance)
        system->mEndedChannel.store(channel);
}

void SoundSystem::update()
{
    BASS_ServeSyncs();
    const DWORD ended = mEndedChannel.exchange(0);
    // An end that belongs to a stream already replaced or stopped is stale.
    if (!ended || ended != mMusicChannel)
        return;
    playMusic(std::string());
    playMusic(getNextMusic());
}

void SoundSystem::removeSound(Sound* sound)
{
    auto found = std::find(mSounds.begin(), mSounds.end(), sound);
    if (found == mSounds.end())
        return;
    delete sound;
    mSounds.erase(found);
}
