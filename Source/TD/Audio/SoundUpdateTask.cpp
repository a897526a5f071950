#include "Source/TD/Audio/SoundUpdateTask.h"
#include "Source/TD/Audio/SoundSystem.h"

SoundUpdateTask::SoundUpdateTask() : base::Task(true, false, false, false) {}

GEResultEnum SoundUpdateTask::Tick(float)
{
    // The system may be gone at exit while the task tree still runs a last frame.
    if (SoundSystem::Exists())
        SoundSystem::Instance()->update();
    return GE_OK;
}
