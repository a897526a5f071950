#include "Source/TD/World/QuadraticCurve.h"

#include <cmath>

namespace {

float Distance(CurvePoint a, CurvePoint b)
{
    const float dx = a.x - b.x;
    const float dy = a.y - b.y;
    return std::sqrt(dx * dx + dy * dy);
}

// Beyond this t the curve is given up on; with a positive step on a curve that moves
// the walk never gets here, it only guards a shifted curve that stands still.
constexpr float kRunawayT = 4.0f;
// Shorter curves are rounding noise of a link whose three points coincide.
constexpr float kNoLength = 0.01f;

// The unit normal (-dy, dx) of the step from a to b, turned round when the step runs
// against the direction of travel.
CurvePoint StepNormal(CurvePoint a, CurvePoint b, bool backwards)
{
    const float dx = b.x - a.x;
    const float dy = b.y - a.y;
    const float length = std::sqrt(dx * dx + dy * dy);
    // Below this the "direction" is rounding noise of a curve that stands still.
    if (length <= 1e-5f)
        return {0.0f, 0.0f};
    const float nx = dx / length;
    const float ny = dy / length;
    return backwards ? CurvePoint{ny, -nx} : CurvePoint{-ny, nx};
}

} // namespace

CurvePoint QuadraticCurve::point(float t) const
{
    const float u = 1.0f - t;
    const float a = u * u;
    const float b = 2.0f * t * u;
    const float c = t * t;
    return {a * p0.x + b * p1.x + c * p2.x, a * p0.y + b * p1.y + c * p2.y};
}

CurvePoint QuadraticCurve::normal(float t) const
{
    if (t >= 1.0f)
        t = 1.0f;
    float u = t + 0.01f;
    bool backwards = false;
    if (u >= 1.0f) {
        u = 0.98f;
        backwards = true;
    }
    return StepNormal(point(t), point(u), backwards);
}

CurvePoint QuadraticCurve::normalAhead(float t) const
{
    if (t >= 1.0f)
        t = 1.0f;
    return StepNormal(point(t), point(t + 0.01f), false);
}

CurvePoint QuadraticCurve::shifted(float t, float offset) const
{
    const CurvePoint p = point(t);
    const CurvePoint n = normal(t);
    return {p.x + offset * n.x, p.y + offset * n.y};
}

CurvePoint CurveNormal(const QuadraticCurve& curve, float t)
{
    return curve.normal(t);
}

float OffsetCurveLength(const QuadraticCurve& curve, float offset)
{
    CurvePoint previous = curve.shifted(0.0f, offset);
    float total = 0.0f;
    for (float t = 0.0f; t <= 1.0f; t += 0.0001f) {
        const CurvePoint p = curve.shifted(t, offset);
        total += Distance(p, previous);
        previous = p;
    }
    return total;
}

float NextCurveParameter(const QuadraticCurve& curve, float t0, float step, float offset)
{
    CurvePoint previous = curve.shifted(t0, offset);
    float sum = 0.0f;
    float t = t0;
    for (;;) {
        const CurvePoint p = curve.shifted(t, offset);
        sum += Distance(p, previous);
        if (sum >= step || t > kRunawayT)
            return t;
        previous = p;
        t += 0.0001f;
    }
}

void SampleQuadraticCurve(TDPathNodeList& out, float offset, CurvePoint p0, CurvePoint p1, CurvePoint p2)
{
    const QuadraticCurve curve(p0, p1, p2);
    const float length = OffsetCurveLength(curve, offset);
    const float step = length / 20.0f;
    float t = 0.0f;
    do {
        auto node = std::make_shared<TDPathNode>();
        const CurvePoint n = curve.normal(t);
        const CurvePoint p = curve.shifted(t, offset);
        node->nx = n.x;
        node->ny = n.y;
        node->x = p.x;
        node->y = p.y;
        out.push_back(std::move(node));
        // A curve without length would never advance: its one point is the whole curve.
        if (!(length > kNoLength))
            break;
        t = NextCurveParameter(curve, t, step, offset);
    } while (t <= 1.0f);
}
