#pragma once
// Key-framed curves of one animated value, evaluated the way the exporting 3D
// package's scene files define them: per-key shapes (TCB, Hermite, Bezier, linear,
// stepped, 2D Bezier) and behaviours before the first and after the last key.
#include "Core/Base/Types.h"
#include <vector>

namespace animation {

// What happens outside the keys' time range.
enum EnvelopeBehaviour : u32 {
    kBehaviourReset = 0,
    kBehaviourConstant = 1,
    kBehaviourRepeat = 2,
    kBehaviourOscillate = 3,
    kBehaviourOffsetRepeat = 4,
    kBehaviourLinear = 5,
};

// How the span that ends at a key is interpolated.
enum KeyShape : u32 {
    kShapeTcb = 0,
    kShapeHermite = 1,
    kShapeBezier = 2,
    kShapeLinear = 3,
    kShapeStepped = 4,
    kShapeBezier2D = 5,
};

// 36 bytes in the file and in memory alike. TCB reads p1 tension, p2 continuity, p3
// bias; Hermite and Bezier read p1 (incoming) and p2 (outgoing tangent); 2D Bezier
// reads p1, p2 (incoming handle time and value offsets) and p3, p4 (outgoing).
struct EnvelopeKey {
    float value = 0.0f;
    float time = 0.0f;
    u32 shape = kShapeTcb;
    float p1 = 0.0f;
    float p2 = 0.0f;
    float p3 = 0.0f;
    float p4 = 0.0f;
    float p5 = 0.0f;
    float p6 = 0.0f;
};
static_assert(sizeof(EnvelopeKey) == 36);

struct Envelope {
    u32 preBehaviour = kBehaviourConstant;
    u32 postBehaviour = kBehaviourConstant;
    std::vector<EnvelopeKey> keys; // ascending time
};

// The value of the envelope at `time`: 0 without keys, the only key's value with one.
float EvaluateEnvelope(const Envelope& envelope, float time);

// `time` folded into [lo, hi) and the number of whole ranges between the two
// (negative before the range).
struct FoldedTime {
    float time = 0.0f;
    float cycles = 0.0f;
};
FoldedTime FoldTime(float time, float lo, float hi);

// Tangents of the span key0 -> key1; `prev` and `next` are the neighbours beyond the
// span, null at the ends of the key list.
float Outgoing(const EnvelopeKey& key0, const EnvelopeKey& key1, const EnvelopeKey* prev);
float Incoming(const EnvelopeKey& key0, const EnvelopeKey& key1, const EnvelopeKey* next);

// The value of a 2D Bezier span at `time`.
float Bezier2Span(const EnvelopeKey& key0, const EnvelopeKey& key1, float time);

} // namespace animation
