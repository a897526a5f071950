#include "Source/TD/Audio/PlayMusicTrack.h"
#include "Core/Base/StringEncoding.h"
#include "Source/TD/Audio/SoundSystem.h"

void PlayMusicTrack(std::wstring file)
{
    SoundSystem* system = SoundSystem::Instance();
    system->mMusicList = {ConvertToNarrow(file)};
    if (!system->mMusicList.empty())
        system->playMusic(system->mMusicList.front());
    system->setMusicVolume(system->profileMusicVolume ? system->profileMusicVolume() : system->mMusicVolume);
}
