#include "Core/Render/FrameDamage.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace render {

namespace {

// Vertex groups closer than this merge into one box: a line of text or a cloud of
// particles is one box, sprites far apart are boxes of their own.
constexpr float kNear = 24.0f;
// A draw of more boxes than this is kept as one box around them all.
constexpr u32 kMaxBoxesPerDraw = 32;
// Pixels added around every box: the half-pixel shift of the vertices, filtering and
// rounding reach that far past the vertices.
constexpr float kMargin = 2.0f;
// More boxes than this are not paired up one by one: they make one rectangle.
constexpr size_t kMaxBoxesToMerge = 64;

constexpr float kHuge = 1e30f;

using Box = FrameDamage::Box;
using Rect = FrameDamage::Rect;

Box Union(const Box& a, const Box& b)
{
    return Box{std::min(a.x0, b.x0), std::min(a.y0, b.y0), std::max(a.x1, b.x1), std::max(a.y1, b.y1)};
}

bool Near(const Box& a, const Box& b)
{
    return b.x0 <= a.x1 + kNear && a.x0 <= b.x1 + kNear && b.y0 <= a.y1 + kNear && a.y0 <= b.y1 + kNear;
}

long long Area(const Rect& r)
{
    return static_cast<long long>(r.w) * r.h;
}

Rect Union(const Rect& a, const Rect& b)
{
    const int x0 = std::min(a.x, b.x), y0 = std::min(a.y, b.y);
    const int x1 = std::max(a.x + a.w, b.x + b.w), y1 = std::max(a.y + a.h, b.y + b.h);
    return Rect{x0, y0, x1 - x0, y1 - y0};
}

} // namespace

u64 FrameDamage::Mix(u64 seed, u64 value)
{
    value *= 0x9E3779B97F4A7C15ull;
    value ^= value >> 32;
    seed ^= value;
    seed *= 0xBF58476D1CE4E5B9ull;
    return seed ^ (seed >> 31);
}

u64 FrameDamage::Hash(u64 seed, const void* bytes, size_t count)
{
    const auto* p = static_cast<const unsigned char*>(bytes);
    u64 h = Mix(seed, count);
    for (; count >= 8; p += 8, count -= 8) {
        u64 word;
        std::memcpy(&word, p, 8);
        h = Mix(h, word);
    }
    if (count) {
        u64 word = 0;
        std::memcpy(&word, p, count);
        h = Mix(h, word);
    }
    return h;
}

void FrameDamage::BeginFrame(u64 startHash, u64 epoch, int width, int height)
{
    current.startHash = startHash;
    current.epoch = epoch;
    current.width = width;
    current.height = height;
    current.backBufferOnly = true;
    current.clearsFirst = false;
    current.draws.clear();
    current.boxes.clear();
    drawFirstBox = 0;
    wholeDraw = false;
    repeats = false;
    damage.clear();
}

void FrameDamage::AddGroup(float x0, float y0, float x1, float y1)
{
    if (wholeDraw)
        return;
    const Box group{x0, y0, x1, y1};
    std::vector<Box>& boxes = current.boxes;
    if (boxes.size() > drawFirstBox && Near(boxes.back(), group)) {
        boxes.back() = Union(boxes.back(), group);
        return;
    }
    if (boxes.size() - drawFirstBox >= kMaxBoxesPerDraw) {
        for (size_t i = drawFirstBox + 1; i < boxes.size(); ++i)
            boxes[drawFirstBox] = Union(boxes[drawFirstBox], boxes[i]);
        boxes.resize(drawFirstBox + 1);
        boxes.back() = Union(boxes.back(), group);
        return;
    }
    boxes.push_back(group);
}

void FrameDamage::AddWholeTarget()
{
    wholeDraw = true;
}

void FrameDamage::EndDraw(u64 hash, bool onBackBuffer, bool clear)
{
    if (current.draws.empty())
        current.clearsFirst = clear && onBackBuffer;
    std::vector<Box>& boxes = current.boxes;
    if (wholeDraw) {
        boxes.resize(drawFirstBox);
        boxes.push_back(Box{-kHuge, -kHuge, kHuge, kHuge});
    }
    if (!onBackBuffer)
        current.backBufferOnly = false;
    current.draws.push_back(Draw{hash, drawFirstBox, static_cast<u32>(boxes.size() - drawFirstBox)});
    drawFirstBox = static_cast<u32>(boxes.size());
    wholeDraw = false;
}

void FrameDamage::EndFrame()
{
    damage.clear();
    const bool sameSetting = lastKnown && current.clearsFirst && last.clearsFirst &&
                             current.startHash == last.startHash && current.epoch == last.epoch &&
                             current.width == last.width && current.height == last.height;
    repeats = sameSetting && current.draws.size() == last.draws.size() &&
              std::equal(current.draws.begin(), current.draws.end(), last.draws.begin(),
                         [](const Draw& a, const Draw& b) { return a.hash == b.hash; });
    if (!repeats && sameSetting && current.backBufferOnly && last.backBufferOnly && current.width > 0 &&
        current.height > 0)
        ComputeDamage();
}

void FrameDamage::Collect(const Frame& frame, size_t from, size_t to, std::vector<Box>& out) const
{
    for (size_t i = from; i < to; ++i) {
        const Draw& draw = frame.draws[i];
        for (u32 b = 0; b < draw.boxCount; ++b)
            out.push_back(frame.boxes[draw.firstBox + b]);
    }
}

void FrameDamage::ComputeDamage()
{
    const std::vector<Draw>& now = current.draws;
    const std::vector<Draw>& before = last.draws;
    const size_t shorter = std::min(now.size(), before.size());
    size_t prefix = 0;
    while (prefix < shorter && now[prefix].hash == before[prefix].hash)
        ++prefix;
    size_t suffix = 0;
    while (suffix < shorter - prefix && now[now.size() - 1 - suffix].hash == before[before.size() - 1 - suffix].hash)
        ++suffix;
    std::vector<Box> boxes;
    Collect(last, prefix, before.size() - suffix, boxes);
    Collect(current, prefix, now.size() - suffix, boxes);

    const float w = static_cast<float>(current.width), h = static_cast<float>(current.height);
    std::vector<Rect> rects;
    for (const Box& b : boxes) {
        const float x0 = std::max(0.0f, std::floor(b.x0 - kMargin)), y0 = std::max(0.0f, std::floor(b.y0 - kMargin));
        const float x1 = std::min(w, std::ceil(b.x1 + kMargin)), y1 = std::min(h, std::ceil(b.y1 + kMargin));
        // Not a number compares false both ways: such a box takes the whole screen.
        if (!(x1 > x0 && y1 > y0)) {
            if (!(b.x0 <= b.x1 && b.y0 <= b.y1))
                return; // whole frame
            continue;   // off the screen
        }
        rects.push_back(Rect{static_cast<int>(x0), static_cast<int>(y0), static_cast<int>(x1 - x0),
                             static_cast<int>(y1 - y0)});
    }
    if (rects.empty()) {
        // Nothing visible changed; the frame is still replayed, cut to nothing.
        damage.push_back(Rect{0, 0, 0, 0});
        return;
    }
    if (rects.size() > kMaxBoxesToMerge) {
        for (size_t i = 1; i < rects.size(); ++i)
            rects[0] = Union(rects[0], rects[i]);
        rects.resize(1);
    }
    // Pairs merge while there are too many, the pair that adds the least area first.
    while (rects.size() > kMaxRects) {
        size_t bestI = 0, bestJ = 1;
        long long bestCost = std::numeric_limits<long long>::max();
        for (size_t i = 0; i < rects.size(); ++i)
            for (size_t j = i + 1; j < rects.size(); ++j) {
                const long long cost = Area(Union(rects[i], rects[j])) - Area(rects[i]) - Area(rects[j]);
                if (cost < bestCost) {
                    bestCost = cost;
                    bestI = i;
                    bestJ = j;
                }
            }
        rects[bestI] = Union(rects[bestI], rects[bestJ]);
        rects.erase(rects.begin() + static_cast<std::ptrdiff_t>(bestJ));
    }
    long long total = 0;
    for (const Rect& r : rects)
        total += Area(r);
    if (static_cast<float>(total) > kMostDamage * w * h)
        return;
    damage = std::move(rects);
}

bool FrameDamage::Touches(size_t index, const Rect& rect) const
{
    if (rect.w <= 0 || rect.h <= 0)
        return false;
    if (index >= current.draws.size())
        return true;
    const Draw& draw = current.draws[index];
    const float x0 = static_cast<float>(rect.x), y0 = static_cast<float>(rect.y);
    const float x1 = x0 + static_cast<float>(rect.w), y1 = y0 + static_cast<float>(rect.h);
    for (u32 b = 0; b < draw.boxCount; ++b) {
        const Box& box = current.boxes[draw.firstBox + b];
        // Boxes are kept without the margin: it is added here as it was to the damage.
        if (box.x0 - kMargin < x1 && box.x1 + kMargin > x0 && box.y0 - kMargin < y1 && box.y1 + kMargin > y0)
            return true;
        if (!(box.x0 <= box.x1 && box.y0 <= box.y1))
            return true; // not a number: anywhere
    }
    return false;
}

void FrameDamage::FrameReplayed()
{
    std::swap(last, current);
    lastKnown = true;
    repeats = false;
    damage.clear();
}

void FrameDamage::Forget()
{
    lastKnown = false;
    repeats = false;
    damage.clear();
}

} // namespace render
