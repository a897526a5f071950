#pragma once
// Told when a registered Sound is to go.
class Sound;

class SoundListener {
public:
    virtual ~SoundListener() = default;
    virtual void removeSound(Sound* sound) = 0;
    // Kept for its slot; nothing calls it.
    virtual void onSoundEvent() {}
};
