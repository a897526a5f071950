#pragma once
// One playable channel of a cached sample. Playing it again restarts it, so the
// owner of a Sound never hears it overlap itself.
#include "Core/Resource/ResourceHandle.h"
#include "Platform/Bass/Bass.h"
#include "Source/TD/Audio/ResourceSound.h"

class Sound {
public:
    Sound(resource::ResourceHandle<resource::ResourceSound> sample, HCHANNEL channel);
    // Stops the channel, removes its syncs and lets go of the sample.
    virtual ~Sound();
    Sound(const Sound&) = delete;
    Sound& operator=(const Sound&) = delete;

    // Sets the volume (0..1) and plays from the start.
    void play(float volume);

    resource::ResourceHandle<resource::ResourceSound> mSample;
    HCHANNEL mChannel = 0;
    HSYNC mSync[2] = {0, 0};
};
