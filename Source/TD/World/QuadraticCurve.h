#pragma once
// A link's curve: the quadratic Bezier B(t) from P0 through P1 to P2, shifted sideways
// by a track offset along its unit normal, and its sampling into evenly spaced nodes.
// Everything is single precision, so the samples match the shipped path caches.
#include "Source/TD/World/TDPathSet.h"

struct CurvePoint {
    float x = 0.0f;
    float y = 0.0f;
};

class QuadraticCurve {
public:
    QuadraticCurve(CurvePoint p0, CurvePoint p1, CurvePoint p2) : p0(p0), p1(p1), p2(p2) {}

    CurvePoint point(float t) const;
    // The unit normal at t (t clamped to 1), on the same side of the direction of travel
    // everywhere; (0, 0) where the curve does not move.
    CurvePoint normal(float t) const;
    // The unit normal by the step from t (clamped to 1) to t + 0.01, past the end of the
    // curve too; (0, 0) where the curve does not move.
    CurvePoint normalAhead(float t) const;
    // B(t) shifted by offset along the normal.
    CurvePoint shifted(float t, float offset) const;

    CurvePoint p0;
    CurvePoint p1;
    CurvePoint p2;
};

CurvePoint CurveNormal(const QuadraticCurve& curve, float t);
// Arc length of the shifted curve, summed in steps of 0.0001 of t.
float OffsetCurveLength(const QuadraticCurve& curve, float offset);
// The first t from t0 at which the shifted curve has run `step` units further.
float NextCurveParameter(const QuadraticCurve& curve, float t0, float step, float offset);
// About twenty nodes one twentieth of the shifted length apart, from the shifted start;
// a curve without length gives its one point.
void SampleQuadraticCurve(TDPathNodeList& out, float offset, CurvePoint p0, CurvePoint p1, CurvePoint p2);
