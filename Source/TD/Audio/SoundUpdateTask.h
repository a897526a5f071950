#pragma once
// Runs the sound system's per-frame update as a child of the application's task, so
// the audio library's notifications are served on the main thread every frame.
#include "Core/Base/Task.h"

class SoundUpdateTask : public base::Task {
public:
    // Deleted by its parent once stopped; never keeps the application running.
    SoundUpdateTask();
    GEResultEnum Tick(float dt) override;
};
