#pragma once
// The row of episode plates of the episode select: the centred page at full size, its
// neighbours smaller; moved page by page with the arrows, dragged with the pointer and
// gliding back to rest.
#include "Core/Base/Delegate.h"
#include "Source/TD/World/TDFrameEntry.h"

#include <string>
#include <vector>

namespace render {
class Graphics;
}

struct EpisodePage {
    ImageHandle image;
    ImageHandle overlay; // the lock of a closed episode
    ImageHandle badge;   // the "new" mark of an episode with unseen levels
    std::wstring text;
};

class EpisodePager {
public:
    static constexpr float kSpacing = 320.0f;
    enum State { Idle = 0, Dragging = 1, GlidingBack = 2, GlidingForward = 3 };

    explicit EpisodePager(int startPage) : current(startPage) {}

    void update(float dt);
    void drag(int x, int y);
    void release();
    void draw(render::Graphics* graphics);
    void addPage(const EpisodePage& page) { pages.push_back(page); }
    // Keeps the current page inside the pages (a stored page may be past them).
    void clampCurrent();
    int pageCount() const { return static_cast<int>(pages.size()); }

    std::vector<EpisodePage> pages;
    float dragX = 0.0f, dragY = 0.0f;
    int current = 0;
    float shrink = 0.45f;
    float offset = 0.0f;
    float elapsed = 0.0f;
    float spacing = kSpacing;
    int state = Idle;
    base::DelegateHandle<base::Delegate1<int>> onPageChanged;
    base::DelegateHandle<base::Delegate0<>> onMotionStarted;
    base::DelegateHandle<base::Delegate0<>> onMotionEnded;

private:
    void pageChanged();
    void motionEnded();
};
