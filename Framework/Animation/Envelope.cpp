#include "Framework/Animation/Envelope.h"
#include <cmath>

namespace animation {

namespace {

// Key times are compared with this tolerance.
constexpr float kKeyTimeTolerance = 0.0002f;
// A 2D Bezier span's parameter is searched until its time is this close.
constexpr float kBezierTimeTolerance = 0.0001f;
// Halving [0, 1] more often than this cannot move a float parameter any more; the
// bound also ends the search on spans whose control times do not increase.
constexpr int kMaxBisections = 64;

// Zero instead of an infinity or NaN when keys share a time.
float Ratio(float numerator, float denominator)
{
    return denominator != 0.0f ? numerator / denominator : 0.0f;
}

float CubicBezier(float x0, float x1, float x2, float x3, float t)
{
    const float c = 3.0f * (x1 - x0);
    const float b = 3.0f * (x2 - x1) - c;
    const float a = x3 - x0 - c - b;
    return ((a * t + b) * t + c) * t + x0;
}

// Applies a behaviour outside the key range. Returns true with `result` set when the
// value is final; otherwise `time` and `offset` feed the span evaluation.
bool ApplyBehaviour(const std::vector<EnvelopeKey>& keys, u32 behaviour, bool before, float& time,
                    float& offset, float& result)
{
    const EnvelopeKey& first = keys.front();
    const EnvelopeKey& last = keys.back();
    switch (behaviour) {
    case kBehaviourReset:
        result = 0.0f;
        return true;
    case kBehaviourRepeat:
        time = FoldTime(time, first.time, last.time).time;
        return false;
    case kBehaviourOscillate: {
        const FoldedTime folded = FoldTime(time, first.time, last.time);
        time = folded.time;
        // Every other cycle runs backwards: mirrored inside the key range.
        if (std::fmod(folded.cycles, 2.0f) != 0.0f)
            time = first.time + last.time - time;
        return false;
    }
    case kBehaviourOffsetRepeat: {
        const FoldedTime folded = FoldTime(time, first.time, last.time);
        time = folded.time;
        offset = folded.cycles * (last.value - first.value);
        return false;
    }
    case kBehaviourLinear:
        if (before) {
            const EnvelopeKey& second = keys[1];
            result = first.value +
                     (time - first.time) * Ratio(Outgoing(first, second, nullptr), second.time - first.time);
        } else {
            const EnvelopeKey& previous = keys[keys.size() - 2];
            result = last.value +
                     (time - last.time) * Ratio(Incoming(previous, last, nullptr), last.time - previous.time);
        }
        return true;
    case kBehaviourConstant:
    default: // unknown codes hold the end value
        result = before ? first.value : last.value;
        return true;
    }
}

} // namespace

FoldedTime FoldTime(float time, float lo, float hi)
{
    const float range = hi - lo;
    if (range == 0.0f)
        return {lo, 0.0f};
    FoldedTime out;
    out.time = time - range * std::floor((time - lo) / range);
    out.cycles = -std::trunc((out.time - time) / range + (out.time > time ? 0.5f : -0.5f));
    return out;
}

float Outgoing(const EnvelopeKey& key0, const EnvelopeKey& key1, const EnvelopeKey* prev)
{
    const float d = key1.value - key0.value;
    const float s = prev ? Ratio(key1.time - key0.time, key1.time - prev->time) : 1.0f;
    switch (key0.shape) {
    case kShapeTcb: {
        const float a = (1.0f - key0.p1) * (1.0f + key0.p2) * (1.0f + key0.p3);
        const float b = (1.0f - key0.p1) * (1.0f - key0.p2) * (1.0f - key0.p3);
        return prev ? s * (a * (key0.value - prev->value) + b * d) : b * d;
    }
    case kShapeLinear:
        return prev ? s * (key0.value - prev->value + d) : d;
    case kShapeHermite:
    case kShapeBezier:
        return key0.p2 * s;
    case kShapeBezier2D: {
        const float out = key0.p4 * (key1.time - key0.time);
        return std::fabs(key0.p3) > 0.00001f ? out / key0.p3 : out * 100000.0f;
    }
    case kShapeStepped:
    default:
        return 0.0f;
    }
}

float Incoming(const EnvelopeKey& key0, const EnvelopeKey& key1, const EnvelopeKey* next)
{
    const float d = key1.value - key0.value;
    const float s = next ? Ratio(key1.time - key0.time, next->time - key0.time) : 1.0f;
    switch (key1.shape) {
    case kShapeTcb: {
        const float a = (1.0f - key1.p1) * (1.0f - key1.p2) * (1.0f + key1.p3);
        const float b = (1.0f - key1.p1) * (1.0f + key1.p2) * (1.0f - key1.p3);
        return next ? s * (b * (next->value - key1.value) + a * d) : a * d;
    }
    case kShapeLinear:
        return next ? s * (next->value - key1.value + d) : d;
    case kShapeHermite:
    case kShapeBezier:
        return key1.p1 * s;
    case kShapeBezier2D: {
        const float in = key1.p2 * (key1.time - key0.time);
        return std::fabs(key1.p1) > 0.00001f ? in / key1.p1 : in * 100000.0f;
    }
    case kShapeStepped:
    default:
        return 0.0f;
    }
}

float Bezier2Span(const EnvelopeKey& key0, const EnvelopeKey& key1, float time)
{
    const bool outgoing2D = key0.shape == kShapeBezier2D;
    const float x0 = key0.time;
    const float x1 = key0.time + (outgoing2D ? key0.p3 : (key1.time - key0.time) / 3.0f);
    const float x2 = key1.time + key1.p1;
    const float x3 = key1.time;

    float lo = 0.0f, hi = 1.0f, t = 0.5f;
    for (int step = 0; step < kMaxBisections; ++step) {
        t = lo + (hi - lo) * 0.5f;
        const float v = CubicBezier(x0, x1, x2, x3, t);
        if (!(std::fabs(time - v) > kBezierTimeTolerance))
            break;
        if (v > time)
            hi = t;
        else
            lo = t;
    }

    const float y0 = key0.value;
    const float y1 = key0.value + (outgoing2D ? key0.p4 : key0.p2 / 3.0f);
    const float y2 = key1.value + key1.p2;
    const float y3 = key1.value;
    return CubicBezier(y0, y1, y2, y3, t);
}

float EvaluateEnvelope(const Envelope& envelope, float time)
{
    const std::vector<EnvelopeKey>& keys = envelope.keys;
    if (keys.empty())
        return 0.0f;
    if (keys.size() == 1)
        return keys.front().value;

    float offset = 0.0f;
    float result = 0.0f;
    if (time < keys.front().time) {
        if (ApplyBehaviour(keys, envelope.preBehaviour, true, time, offset, result))
            return result;
    } else if (time > keys.back().time) {
        if (ApplyBehaviour(keys, envelope.postBehaviour, false, time, offset, result))
            return result;
    }

    // The span that holds the time; key1 is at most the last key.
    const size_t lastIndex = keys.size() - 1;
    size_t index0 = 0;
    while (index0 + 1 < lastIndex && keys[index0 + 1].time + kKeyTimeTolerance < time)
        ++index0;
    const size_t index1 = index0 + 1;
    const EnvelopeKey& key0 = keys[index0];
    const EnvelopeKey& key1 = keys[index1];

    if (time == key0.time)
        return key0.value + offset;
    if (time == key1.time)
        return key1.value + offset;
    // Keys that share a time make a jump, not a span: the later key holds.
    const float width = key1.time - key0.time;
    if (!(width > 0.0f))
        return key1.value + offset;

    const float u = (time - key0.time) / width;
    switch (key1.shape) {
    case kShapeTcb:
    case kShapeHermite:
    case kShapeBezier: {
        const float out = Outgoing(key0, key1, index0 > 0 ? &keys[index0 - 1] : nullptr);
        const float in = Incoming(key0, key1, index1 < lastIndex ? &keys[index1 + 1] : nullptr);
        const float u2 = u * u;
        const float u3 = u2 * u;
        const float h2 = 3.0f * u2 - 2.0f * u3;
        const float h1 = 1.0f - h2;
        const float h4 = u3 - u2;
        const float h3 = h4 - u2 + u;
        return h1 * key0.value + h2 * key1.value + h3 * out + h4 * in + offset;
    }
    case kShapeLinear:
        return key0.value + u * (key1.value - key0.value) + offset;
    case kShapeBezier2D:
        return Bezier2Span(key0, key1, time) + offset;
    case kShapeStepped:
    default: // unknown shapes hold the span's first value
        return key0.value + offset;
    }
}

} // namespace animation
