#pragma once
#include <string>

// Plays `file` (a path such as "td/data/music/ingame1.ogg") as a one-track playlist,
// so it loops, at the profile's music volume.
void PlayMusicTrack(std::wstring file);
