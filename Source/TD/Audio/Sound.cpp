#include "Source/TD/Audio/Sound.h"
#include <utility>

Sound::Sound(resource::ResourceHandle<resource::ResourceSound> sample, HCHANNEL channel)
    : mSample(std::move(sample)), mChannel(channel)
{
}

Sound::~Sound()
{
    BASS_ChannelStop(mChannel);
    for (HSYNC& sync : mSync) {
        if (sync)
            BASS_ChannelRemoveSync(mChannel, sync);
        sync = 0;
    }
}

void Sound::play(float volume)
{
    BASS_ChannelSetAttribute(mChannel, BASS_ATTRIB_VOL, volume);
    BASS_ChannelPlay(mChannel, TRUE);
}
