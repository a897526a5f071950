#pragma once
// Small record helpers shared by the renderer, the particle emitter and the
// skinned controls.
#include "Core/Base/Types.h"
#include <cstring>

// Copies four 32-bit words from `source` to `dest` unless both are the same
// record; returns `dest`.
template <class T> T* AssignFourWords(T* dest, const T* source)
{
    static_assert(sizeof(T) == 4, "AssignFourWords copies 32-bit words");
    if (dest != source)
        std::memmove(dest, source, 4 * sizeof(T));
    return dest;
}

// Splits 0xAARRGGBB into r, g, b, a, each byte / 255.
void ColorFromArgb(u32 argb, float out[4]);

// The smallest rectangle {x, y, w, h} holding `self` and `other`; returns `out`.
// `out` may alias either input.
i32* RectUnion(const i32 self[4], i32 out[4], const i32 other[4]);
