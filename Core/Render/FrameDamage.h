#pragma once
// What changed on the back buffer between the last frame the device drew and the frame
// just recorded. Each draw of a frame is kept as a hash of everything that decides its
// pixels (state, shader values, vertices, indices) and a few boxes in device pixels
// around its vertices. A frame whose draws all hash as the last one's repeats it; else
// the draws before the first difference and after the last one are the same in both
// frames, so only the boxes of the draws in between, old and new, can hold changed
// pixels: replaying the whole frame cut to those boxes over the last picture gives
// the new picture. That holds for frames that begin with a clear of the back buffer
// (a frame that draws over the last one would blend twice); frames that draw into
// render targets are redrawn whole.
#include "Core/Base/Types.h"

#include <cstddef>
#include <vector>

namespace render {

class FrameDamage {
public:
    struct Box {
        float x0, y0, x1, y1;
    };
    struct Rect {
        int x, y, w, h;
    };
    // Damage is drawn as at most this many rectangles, each a replay of the frame.
    static constexpr size_t kMaxRects = 4;
    // Above this share of the screen the frame is drawn whole.
    static constexpr float kMostDamage = 0.5f;

    static u64 Hash(u64 seed, const void* bytes, size_t count);
    static u64 Mix(u64 seed, u64 value);

    // A frame of a back buffer of width x height device pixels begins; `startHash`
    // and `epoch` must match the last frame's for it to repeat or be drawn in part.
    void BeginFrame(u64 startHash, u64 epoch, int width, int height);
    // The boxes of one draw: vertex groups (a quad, a triangle) are added one by one and
    // near ones merge; EndDraw keeps the draw.
    void AddGroup(float x0, float y0, float x1, float y1);
    // A draw that covers all it draws into, or whose vertices are not known.
    void AddWholeTarget();
    // `clear`: the draw is a clear of the whole target.
    void EndDraw(u64 hash, bool onBackBuffer, bool clear = false);
    // Compares the frame with the last one replayed.
    void EndFrame();

    bool Repeats() const { return repeats; }
    // The rectangles to replay the frame in; empty: the whole frame.
    const std::vector<Rect>& Damage() const { return damage; }
    size_t DrawCount() const { return current.draws.size(); }
    // Whether draw `index` of the frame reaches into `rect`.
    bool Touches(size_t index, const Rect& rect) const;

    // The frame was replayed: the device shows it now.
    void FrameReplayed();
    // What the device shows is not known any more (a dropped or failed frame).
    void Forget();

private:
    struct Draw {
        u64 hash = 0;
        u32 firstBox = 0;
        u32 boxCount = 0;
    };
    struct Frame {
        u64 startHash = 0;
        u64 epoch = 0;
        int width = 0, height = 0;
        bool backBufferOnly = true;
        bool clearsFirst = false; // its first draw clears the back buffer
        std::vector<Draw> draws;
        std::vector<Box> boxes;
    };
    void ComputeDamage();
    void Collect(const Frame& frame, size_t from, size_t to, std::vector<Box>& out) const;

    Frame current, last;
    bool lastKnown = false;
    bool repeats = false;
    bool wholeDraw = false;  // the open draw covers its whole target
    u32 drawFirstBox = 0;
    std::vector<Rect> damage;
};

} // namespace render
