// Envelope evaluation: every key shape, every behaviour outside the key range, the
// folding of times into the range, and spans that would never converge.
#include "Framework/Animation/Envelope.h"
#include <cmath>
#include <gtest/gtest.h>
#include <string>

using namespace animation;

namespace {

EnvelopeKey Key(float value, float time, u32 shape, float p1 = 0, float p2 = 0, float p3 = 0, float p4 = 0)
{
    EnvelopeKey key;
    key.value = value;
    key.time = time;
    key.shape = shape;
    key.p1 = p1;
    key.p2 = p2;
    key.p3 = p3;
    key.p4 = p4;
    return key;
}

Envelope Make(std::vector<EnvelopeKey> keys, u32 pre = kBehaviourConstant, u32 post = kBehaviourConstant)
{
    Envelope envelope;
    envelope.keys = std::move(keys);
    envelope.preBehaviour = pre;
    envelope.postBehaviour = post;
    return envelope;
}

struct Case {
    const char* what;
    Envelope envelope;
    float time;
    float expected;
};

} // namespace

TEST(Envelope, EvaluatesEveryShapeAndBehaviour)
{
    const Envelope linear = Make({Key(5, 0, kShapeLinear), Key(10, 2, kShapeLinear)});
    auto with = [&](u32 pre, u32 post) { return Make(linear.keys, pre, post); };
    // TCB, all parameters zero: 0 -> 10 -> 0 over two seconds.
    const Envelope tcb = Make({Key(0, 0, kShapeTcb), Key(10, 1, kShapeTcb), Key(0, 2, kShapeTcb)});
    // Keys that start later than 0, oscillating after the end.
    const Envelope late =
        Make({Key(5, 1, kShapeLinear), Key(10, 3, kShapeLinear)}, kBehaviourConstant, kBehaviourOscillate);

    const Case cases[] = {
        {"no keys", Make({}), 3.0f, 0.0f},
        {"one key before it", Make({Key(5, 2, kShapeTcb)}, kBehaviourReset, kBehaviourReset), -100.0f, 5.0f},
        {"one key after it", Make({Key(5, 2, kShapeTcb)}, kBehaviourReset, kBehaviourReset), 100.0f, 5.0f},
        {"linear inside", linear, 1.0f, 7.5f},
        {"stepped holds the first value", Make({Key(0, 0, kShapeLinear), Key(10, 2, kShapeStepped)}), 1.9f,
         0.0f},
        {"on a key of a tangent shape", tcb, 1.0f, 10.0f},
        {"tcb without parameters", tcb, 0.5f, 6.25f},
        {"tcb bias on the outgoing key",
         Make({Key(0, 0, kShapeTcb, 0, 0, 0.5f), Key(10, 1, kShapeTcb), Key(0, 2, kShapeTcb)}), 0.5f, 5.625f},
        {"tcb continuity on the incoming key",
         Make({Key(0, 0, kShapeTcb), Key(10, 1, kShapeTcb, 0, 0.5f), Key(0, 2, kShapeTcb)}), 0.5f, 6.875f},
        {"tcb full tension", Make({Key(0, 0, kShapeTcb, 1), Key(10, 1, kShapeTcb), Key(0, 2, kShapeTcb)}),
         0.5f, 5.0f},
        {"hermite tangents", Make({Key(0, 0, kShapeHermite, 0, 4), Key(10, 2, kShapeHermite, 8)}), 1.0f,
         4.5f},
        {"hermite tangent scaled by the previous key",
         Make({Key(0, 0, kShapeHermite), Key(0, 1, kShapeHermite, 0, 6), Key(10, 3, kShapeHermite, 2)}), 2.0f,
         5.25f},
        {"bezier tangents", Make({Key(0, 0, kShapeBezier, 0, 4), Key(10, 2, kShapeBezier, 8)}), 1.0f, 4.5f},
        {"2d bezier",
         Make({Key(0, 0, kShapeBezier2D, 0, 0, 1.0f / 3, 0), Key(10, 1, kShapeBezier2D, -1.0f / 3, 0)}),
         0.25f, 1.5625f},
        {"2d bezier after a linear key",
         Make({Key(0, 0, kShapeLinear, 0, 0), Key(10, 1, kShapeBezier2D, -1.0f / 3, 0)}), 0.5f, 5.0f},
        {"reset before", with(kBehaviourReset, kBehaviourReset), -1.0f, 0.0f},
        {"reset after", with(kBehaviourReset, kBehaviourReset), 3.0f, 0.0f},
        {"constant before", linear, -1.0f, 5.0f},
        {"constant after", linear, 3.0f, 10.0f},
        {"repeat before", with(kBehaviourRepeat, kBehaviourRepeat), -1.0f, 7.5f},
        {"repeat after", with(kBehaviourRepeat, kBehaviourRepeat), 3.0f, 7.5f},
        {"oscillate, odd cycle runs back", with(kBehaviourOscillate, kBehaviourOscillate), 2.5f, 8.75f},
        {"oscillate, even cycle runs forward", with(kBehaviourOscillate, kBehaviourOscillate), 4.5f, 6.25f},
        {"oscillate before the start", with(kBehaviourOscillate, kBehaviourOscillate), -0.5f, 6.25f},
        {"oscillate mirrors inside a range that starts later", late, 3.5f, 8.75f},
        {"offset repeat after", with(kBehaviourOffsetRepeat, kBehaviourOffsetRepeat), 3.0f, 12.5f},
        {"offset repeat before", with(kBehaviourOffsetRepeat, kBehaviourOffsetRepeat), -1.0f, 2.5f},
        {"linear before", with(kBehaviourLinear, kBehaviourLinear), -2.0f, 0.0f},
        {"linear after", with(kBehaviourLinear, kBehaviourLinear), 4.0f, 15.0f},
        {"unknown behaviour holds the end", with(77, 77), 9.0f, 10.0f},
        {"unknown shape holds the span's first value", Make({Key(2, 0, kShapeLinear), Key(10, 2, 99)}), 1.0f,
         2.0f},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(EvaluateEnvelope(c.envelope, c.time), c.expected, 1e-4f) << c.what;
}

TEST(Envelope, FoldTimeCountsWholeRanges)
{
    struct Fold {
        float time, lo, hi, folded, cycles;
    };
    const Fold cases[] = {
        {2.5f, 0, 1, 0.5f, 2},   {-0.5f, 0, 1, 0.5f, -1}, {0.25f, 0, 1, 0.25f, 0},
        {-2.5f, 0, 1, 0.5f, -3}, {5.0f, 3, 3, 3.0f, 0},   {7.0f, 1, 3, 1.0f, 3},
    };
    for (const Fold& c : cases) {
        const FoldedTime out = FoldTime(c.time, c.lo, c.hi);
        EXPECT_NEAR(out.time, c.folded, 1e-5f) << c.time;
        EXPECT_EQ(out.cycles, c.cycles) << c.time;
    }
}

// Keys sharing a time, control handles running backwards and NaN times must all end
// the evaluation with a value (they used to bisect forever).
TEST(Envelope, DegenerateSpansEnd)
{
    const Envelope shared =
        Make({Key(0, 1, kShapeBezier2D), Key(10, 1, kShapeBezier2D), Key(20, 2, kShapeLinear)});
    EXPECT_EQ(EvaluateEnvelope(shared, 1.0001f), 10.0f);
    EXPECT_EQ(EvaluateEnvelope(shared, 1.0f), 0.0f); // exactly on the first key
    EXPECT_NEAR(EvaluateEnvelope(shared, 1.5f), 15.0f, 1e-4f);

    // Called on its own, a zero-width span still ends.
    EXPECT_TRUE(std::isfinite(Bezier2Span(Key(0, 1, kShapeBezier2D), Key(10, 1, kShapeBezier2D), 1.0001f)));
    // Handles that turn the time curve back on itself.
    const EnvelopeKey back0 = Key(0, 0, kShapeBezier2D, 0, 0, -5, 0);
    const EnvelopeKey back1 = Key(10, 1, kShapeBezier2D, 5, 0);
    EXPECT_TRUE(std::isfinite(Bezier2Span(back0, back1, 0.5f)));
    EXPECT_TRUE(std::isfinite(EvaluateEnvelope(Make({back0, back1}), 0.5f)));

    for (const float t : {NAN, INFINITY, -INFINITY, 1e30f})
        EvaluateEnvelope(Make({back0, back1}, kBehaviourOscillate, kBehaviourOffsetRepeat), t);

    // Linear extrapolation from a first span of zero width stays at the first value.
    const Envelope flatStart =
        Make({Key(5, 0, kShapeLinear), Key(7, 0, kShapeLinear), Key(10, 2, kShapeLinear)}, kBehaviourLinear);
    EXPECT_EQ(EvaluateEnvelope(flatStart, -1.0f), 5.0f);

    // Keys stored out of order (a damaged file) still give a value.
    const Envelope backwards = Make({Key(0, 2, kShapeTcb), Key(10, 1, kShapeTcb), Key(5, 0, kShapeTcb)},
                                    kBehaviourRepeat, kBehaviourRepeat);
    for (float t : {-1.0f, 0.5f, 1.5f, 3.0f})
        EXPECT_TRUE(std::isfinite(EvaluateEnvelope(backwards, t))) << t;
}

// Hermite tangents measured against the curve's slope: the TCB span from a key with
// no neighbours leaves with slope `out` and arrives with slope `in`.
TEST(Envelope, TangentsAreTheSlopesAtTheKeys)
{
    const Envelope e = Make({Key(0, 0, kShapeHermite, 0, 3), Key(10, 1, kShapeHermite, -2)});
    const float h = 1e-4f;
    EXPECT_NEAR((EvaluateEnvelope(e, h) - EvaluateEnvelope(e, 0)) / h, 3.0f, 0.05f);
    EXPECT_NEAR((EvaluateEnvelope(e, 1) - EvaluateEnvelope(e, 1 - h)) / h, -2.0f, 0.05f);
}
