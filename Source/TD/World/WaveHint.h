#pragma once
// The marker at the spawn points that shows when the next wave is due.
#include <vector>

class TDFrameEntry;

class WaveHint {
public:
    float dueTime = 0.0f;
    std::vector<TDFrameEntry*> entries; // not owned here
};
