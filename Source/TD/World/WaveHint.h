#pragma once
// The marker that shows when the next wave is due: placed hint sprites of the image
// "ui/wave_hint" (from "td/ui"); a click on one calls the wave early.
#include <vector>

class TDFrameEntry;

class WaveHint {
public:
    // Where a hint is placed, in virtual-screen units.
    static constexpr float kX = 400.0f;
    static constexpr float kY = 728.0f;

    // Takes the hint image from the loaded "td/ui" description (none: hints are
    // placed with an empty size and draw nothing).
    WaveHint();
    ~WaveHint();
    WaveHint(const WaveHint&) = delete;
    WaveHint& operator=(const WaveHint&) = delete;

    // Appends a hint sized as the image and centred on (kX, kY).
    TDFrameEntry* add();
    // True when (x, y) lies strictly inside a hint's rectangle.
    bool hitTest(int x, int y) const;
    // Deletes every hint.
    void clear();

    float dueTime = 0.0f;  // on the waves clock: when the next wave starts
    float leadTime = 0.0f; // how long before dueTime the hint shows
    const TDFrameEntry* image = nullptr; // owned by TDResources
    std::vector<TDFrameEntry*> entries;  // owned
};
