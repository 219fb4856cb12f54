#include "dxf/EntityGroups.h"
#include "dxf/Figures.h"
#include "dxf/GroupWriter.h"
#include "dxf/RealFormat.h"
#include "figure/Rounding.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>

namespace mv {

namespace {

constexpr long double kPi = std::numbers::pi_v<long double>;
constexpr long double kTwoPi = 2 * kPi;

// Start and end parameters closer than this describe a full ellipse.
constexpr long double kFullEllipseTolerance = 1e-6L;

// Full ellipses carry the parameters 0 and 2 pi explicitly: readers that
// miss groups 41 and 42 leave them undefined and draw a random partial arc.
void AddFullEllipseParameters(TGroupWriter& out) {
    static const std::string twoPi = FormatReal(kTwoPi);
    AddFixedGroup(out, " 41", "0");
    AddFormattedReal(out, 42, twoPi);
}

// CIRCLE or the head of an ARC: centre and scaled radius.
void AddCircleGroups(TGroupWriter& out, const TdxfExportData& d, std::string_view name) {
    out.AddEntityHeader(name, "AcDbCircle");
    out.AddColor(d);
    out.AddLineTypeAndWeight(d);
    out.AddPoint(10, d.Point1);
    AddReal(out, 40, out.ScaleValue(d.Radius));
}

// ELLIPSE up to its ratio; the axis vector is written like a point, so it
// is scaled and counts into the extents, while the ratio is never scaled.
void AddEllipseGroups(TGroupWriter& out, const TdxfExportData& d) {
    out.AddEntityHeader("ELLIPSE", "AcDbEllipse");
    out.AddColor(d);
    out.AddLineTypeAndWeight(d);
    out.AddPoint(10, d.Point1);
    out.AddPoint(11, d.Point2);
    AddReal(out, 40, d.Radius);
}

// Number of points for a curve of the given sweep in radians: 16 per half
// turn, at least 4. A count that does not fit 32 bits is a range error.
std::int32_t CurvePointCount(long double sweep) {
    return std::max(RoundToInt32(sweep / kPi * 16), 4);
}

// Calls emit(from, to) for the lines through the points at(t), t running
// from t0 over sweep. Lines beyond one turn would only retrace the curve, so
// an absurd sweep is cut to one turn instead of making millions of lines.
template <class PointAt, class Emit>
void EmitCurve(long double t0, long double sweep, PointAt at, Emit emit) {
    std::int32_t n = CurvePointCount(sweep);
    if (std::fabs(sweep) > kTwoPi) {
        sweep = std::copysign(kTwoPi, sweep);
        n = std::min(n, CurvePointCount(kTwoPi));
    }
    const long double step = sweep / (n - 1);
    long double t = t0;
    TdxfPoint from = at(t);
    for (std::int32_t j = 0; j < n - 1; ++j) {
        const TdxfPoint to = at(t + step);
        emit(from, to);
        from = to;
        t += step;
    }
}

// Half axes of a circle, or of an ellipse given by its axis vector and ratio;
// a zero component of the vector is made from the other one and the ratio.
void HalfAxes(const TdxfFigureFields& d, bool isEllipse, long double& a, long double& b) {
    if (!isEllipse) {
        a = b = d.Radius;
        return;
    }
    a = std::fabs(static_cast<long double>(d.Point2.x));
    b = std::fabs(static_cast<long double>(d.Point2.y));
    if (a == 0) a = b * d.Radius;
    if (b == 0) b = a * d.Radius;
}

auto AxisAlignedPoint(long double cx, long double cy, long double rx, long double ry) {
    return [=](long double t) {
        return TdxfPoint{static_cast<float>(cx + rx * std::cos(t)), static_cast<float>(cy + ry * std::sin(t)),
                         0};
    };
}

// An elliptical arc: centre, major-axis vector u and the minor axis v, which
// is u turned a quarter counter-clockwise and shortened by the ratio. The
// point at parameter t is centre + u cos t + v sin t.
struct TEllipseAxes {
    long double cx, cy, ux, uy, vx, vy;
    explicit TEllipseAxes(const TdxfFigureFields& d)
        : cx(d.Point1.x), cy(d.Point1.y), ux(d.Point2.x), uy(d.Point2.y), vx(-uy * d.Radius),
          vy(ux * d.Radius) {}
    long double X(long double t) const { return cx + ux * std::cos(t) + vx * std::sin(t); }
    long double Y(long double t) const { return cy + uy * std::cos(t) + vy * std::sin(t); }
};

} // namespace

// ---------------------------------------------------------------- Bezier run

void TmvExpDXFPolyBezier::Export(TGroupWriter& out) const {
    const std::size_t n = Vertices.size();
    // Only whole cubic segments make a spline. Broken runs, and a lone point
    // that gives no segment at all, go out as a polyline through the points.
    if (n < 4 || (n - 4) % 3 != 0) {
        TmvExpDXFPolyline::Export(out);
        return;
    }
    const std::size_t k = n / 3;
    const std::int32_t m = static_cast<std::int32_t>(4 * k);
    out.AddEntityHeader("SPLINE", "AcDbSpline");
    out.AddColor(Data);
    out.AddLineTypeAndWeight(Data);
    AddOrigin(out, 210); // the normal (0, 0, 1)
    AddFixedGroup(out, "230", "1");
    AddFixedGroup(out, " 70", "8");
    AddFixedGroup(out, " 71", "3");
    out.AddInt(72, m + 4);
    out.AddInt(73, m);
    AddFixedGroup(out, " 74", "0");
    static const std::string tolerance = FormatReal(1e-7L);
    AddFormattedReal(out, 42, tolerance);
    AddFormattedReal(out, 43, tolerance);
    // Every knot has multiplicity 4, so each segment stays its own Bezier
    // between shared end points; the step is summed in single precision.
    const float step = 1.0f / static_cast<float>(m);
    float t = 0;
    std::string knot;
    for (std::size_t j = 0; j < k; ++j) {
        knot.clear();
        AppendReal(knot, t);
        for (int r = 0; r < 4; ++r)
            AddFormattedReal(out, 40, knot);
        t += step;
    }
    for (int r = 0; r < 4; ++r)
        AddFixedGroup(out, " 40", "1");
    for (std::size_t i = 0; i < n; ++i) {
        AddPointWithZ(out, 10, Vertices[i]);
        // Inner joints end one segment and start the next.
        if (i % 3 == 0 && i != 0 && i != n - 1) AddPointWithZ(out, 10, Vertices[i]);
    }
}

// ---------------------------------------------------------------- circle and ellipse

void TmvExpDXFEllipse::Export(TGroupWriter& out) const {
    if (!IsEllipse) {
        AddCircleGroups(out, Data, "CIRCLE");
        return;
    }
    AddEllipseGroups(out, Data);
    AddFullEllipseParameters(out);
}

bool TmvExpDXFEllipse::IntersectsRect(const TRect& rect) const {
    long double a, b;
    HalfAxes(Data, IsEllipse, a, b);
    const long double cx = Data.Point1.x, cy = Data.Point1.y;
    return RectsIntersect(NormalizedRect(cx - a, cy - b, cx + a, cy + b), rect);
}

void TmvExpDXFEllipse::SplitIntoLines(TFigureList& list) const {
    long double a, b;
    HalfAxes(Data, IsEllipse, a, b);
    const long double t0 = Data.StartAngle * kPi / 180, t1 = Data.EndAngle * kPi / 180;
    EmitCurve(t0, t1 - t0, AxisAlignedPoint(Data.Point1.x, Data.Point1.y, a, b),
              [&](const TdxfPoint& p, const TdxfPoint& q) { AppendLine(list, p, q); });
}

// ---------------------------------------------------------------- arcs

void TmvExpDXFArc::Export(TGroupWriter& out) const {
    if (ArcKind == ArcShape::Circular) {
        AddCircleGroups(out, Data, "ARC");
        out.AddString(100, "AcDbArc");
        AddReal(out, 50, Data.StartAngle);
        AddReal(out, 51, Data.EndAngle);
    } else if (ArcKind == ArcShape::Elliptical) {
        AddEllipseGroups(out, Data);
        if (IsFullEllipse()) {
            AddFullEllipseParameters(out);
        } else {
            AddReal(out, 41, Data.StartAngle);
            AddReal(out, 42, Data.EndAngle);
        }
    }
    // Any other kind describes nothing drawable and is left out.
}

bool TmvExpDXFArc::IsFullEllipse() const {
    return std::fabs(static_cast<long double>(Data.StartAngle) - Data.EndAngle) <= kFullEllipseTolerance;
}

long double TmvExpDXFArc::EllipticalSweep() const {
    if (IsFullEllipse()) return kTwoPi;
    const long double t0 = Data.StartAngle;
    long double t1 = Data.EndAngle;
    // Readers draw an elliptical arc counter-clockwise from start to end.
    if (t1 <= t0) t1 += kTwoPi;
    return t1 - t0;
}

bool TmvExpDXFArc::IntersectsRect(const TRect& rect) const {
    // An arc of unknown kind is never written, so nothing of it can be hidden.
    if (ArcKind > ArcShape::Elliptical) return false;
    if (ArcKind == ArcShape::Circular) {
        // The square of the whole circle, whatever the sweep.
        const long double cx = Data.Point1.x, cy = Data.Point1.y, r = Data.Radius;
        return RectsIntersect(NormalizedRect(cx - r, cy - r, cx + r, cy + r), rect);
    }
    // The box of the swept part: its end points and every extreme of x or y
    // that the sweep passes.
    const TEllipseAxes e(Data);
    const long double t0 = Data.StartAngle;
    const long double sweep = std::min(EllipticalSweep(), kTwoPi);
    if (!std::isfinite(t0) || !std::isfinite(sweep)) throw ERangeError();
    long double minX = e.X(t0), maxX = minX, minY = e.Y(t0), maxY = minY;
    auto take = [&](long double t) {
        minX = std::min(minX, e.X(t));
        maxX = std::max(maxX, e.X(t));
        minY = std::min(minY, e.Y(t));
        maxY = std::max(maxY, e.Y(t));
    };
    take(t0 + sweep);
    // x is extreme where its derivative -ux sin t + vx cos t vanishes, y likewise.
    for (long double extreme : {std::atan2(e.vx, e.ux), std::atan2(e.vy, e.uy)}) {
        for (long double t : {extreme, extreme + kPi}) {
            // The first parameter of this extreme at or after t0.
            const long double offset = std::fmod(std::fmod(t - t0, kTwoPi) + kTwoPi, kTwoPi);
            if (offset <= sweep) take(t0 + offset);
        }
    }
    return RectsIntersect(NormalizedRect(minX, minY, maxX, maxY), rect);
}

void TmvExpDXFArc::SplitIntoLines(TFigureList& list) const {
    if (ArcKind > ArcShape::Elliptical) return;
    auto emit = [&](const TdxfPoint& p, const TdxfPoint& q) { AppendLine(list, p, q); };
    if (ArcKind == ArcShape::Elliptical) {
        const TEllipseAxes e(Data);
        EmitCurve(
            Data.StartAngle, EllipticalSweep(),
            [&](long double t) {
                return TdxfPoint{static_cast<float>(e.X(t)), static_cast<float>(e.Y(t)), 0};
            },
            emit);
        return;
    }
    const long double t0 = Data.StartAngle * kPi / 180;
    long double t1 = Data.EndAngle * kPi / 180;
    // Counter-clockwise from start to end; equal angles give the full circle.
    if (t1 <= t0) t1 += kTwoPi;
    const long double r = Data.Radius;
    EmitCurve(t0, t1 - t0, AxisAlignedPoint(Data.Point1.x, Data.Point1.y, r, r), emit);
}

} // namespace mv
