#pragma once
// Watches what the game asks of its sound: tests and the headless harness record
// the effects played and the music started through it.
#include <string>

class SoundObserver {
public:
    virtual ~SoundObserver() = default;
    // Every play request by name; known is false when the table has no such sound.
    virtual void onSoundPlayed(const std::wstring& name, bool known) = 0;
    // A music track started playing (from its beginning).
    virtual void onMusicStarted(const std::string& file) = 0;
};
