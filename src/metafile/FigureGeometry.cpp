#include "metafile/FigureGeometry.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace mv {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kTwoPi = 2 * kPi;
// Below this axis ratio an ellipse is a line to any reader.
constexpr double kThinRatio = 1e-6;
// Most segments a curve is cut into per turn, and per Bezier segment.
constexpr int kMaxCurveSegments = 4096;
constexpr int kMaxBezierSegments = 512;

} // namespace

double Length(TFigPoint v) {
    return std::hypot(v.x, v.y);
}

void TFigBox::Take(TFigPoint p) {
    if (IsEmpty()) {
        MinX = MaxX = p.x;
        MinY = MaxY = p.y;
        return;
    }
    MinX = std::min(MinX, p.x);
    MaxX = std::max(MaxX, p.x);
    MinY = std::min(MinY, p.y);
    MaxY = std::max(MaxY, p.y);
}

TFigBox BoxOf(const std::vector<TFigPoint>& points) {
    TFigBox box;
    for (const TFigPoint& p : points)
        box.Take(p);
    return box;
}

// ---------------------------------------------------------------- paths

bool TFigurePath::TSubpath::HasBezier() const {
    return std::find(Verbs.begin(), Verbs.end(), TVerb::Bezier) != Verbs.end();
}

TFigurePath::TSubpath& TFigurePath::Current() {
    if (!open_) {
        // A segment without a start begins where the last subpath ended.
        const TFigPoint from = subpaths_.empty() || subpaths_.back().Points.empty()
                                   ? TFigPoint{}
                                   : subpaths_.back().Points.front();
        subpaths_.emplace_back();
        subpaths_.back().Points.push_back(from);
        subpaths_.back().Verbs.push_back(TVerb::Move);
        open_ = true;
    }
    return subpaths_.back();
}

void TFigurePath::MoveTo(TFigPoint p) {
    subpaths_.emplace_back();
    subpaths_.back().Points.push_back(p);
    subpaths_.back().Verbs.push_back(TVerb::Move);
    open_ = true;
}

void TFigurePath::LineTo(TFigPoint p) {
    TSubpath& s = Current();
    s.Points.push_back(p);
    s.Verbs.push_back(TVerb::Line);
}

void TFigurePath::BezierTo(TFigPoint c1, TFigPoint c2, TFigPoint p) {
    TSubpath& s = Current();
    s.Points.insert(s.Points.end(), {c1, c2, p});
    s.Verbs.insert(s.Verbs.end(), 3, TVerb::Bezier);
}

void TFigurePath::Close() {
    if (!open_) return;
    subpaths_.back().Closed = true;
    open_ = false;
}

TFigurePath TFigurePath::Flattened(double flatness) const {
    TFigurePath flat;
    for (const TSubpath& s : subpaths_) {
        TSubpath f;
        f.Closed = s.Closed;
        for (std::size_t i = 0; i < s.Points.size(); ++i) {
            if (s.Verbs[i] == TVerb::Bezier && i + 2 < s.Points.size() && !f.Points.empty()) {
                FlattenBezier(f.Points.back(), s.Points[i], s.Points[i + 1], s.Points[i + 2], flatness,
                              f.Points);
                f.Verbs.resize(f.Points.size(), TVerb::Line);
                i += 2;
                continue;
            }
            f.Points.push_back(s.Points[i]);
            f.Verbs.push_back(f.Points.size() == 1 ? TVerb::Move : TVerb::Line);
        }
        flat.subpaths_.push_back(std::move(f));
    }
    flat.open_ = open_;
    return flat;
}

void FlattenBezier(TFigPoint p0, TFigPoint c1, TFigPoint c2, TFigPoint p3, double flatness,
                   std::vector<TFigPoint>& out) {
    // The distance between the curve and n chords is at most 3/4 of the larger
    // second difference of the control points over n squared.
    const double d = std::max(Length(p0 - c1 * 2 + c2), Length(c1 - c2 * 2 + p3));
    double want = std::ceil(std::sqrt(0.75 * d / std::max(flatness, 1e-9)));
    if (!std::isfinite(want)) want = kMaxBezierSegments;
    const int n = std::clamp(static_cast<int>(std::min(want, 1e6)), 1, kMaxBezierSegments);
    for (int i = 1; i <= n; ++i) {
        const double t = static_cast<double>(i) / n, s = 1 - t;
        const double a = s * s * s, b = 3 * s * s * t, c = 3 * s * t * t, e = t * t * t;
        out.push_back({a * p0.x + b * c1.x + c * c2.x + e * p3.x, a * p0.y + b * c1.y + c * c2.y + e * p3.y});
    }
}

// ---------------------------------------------------------------- ellipses

TFigPoint TEllipseArc::At(double t) const {
    return Centre + Major * std::cos(t) + Minor() * std::sin(t);
}

bool TEllipseArc::IsCircle() const {
    return Ratio >= 1 - 1e-9;
}

bool TEllipseArc::IsDegenerate() const {
    return !(Length(Major) > 0) || !(Ratio >= kThinRatio);
}

TFigBox TEllipseArc::Box() const {
    const TFigPoint v = Minor();
    const double hx = std::hypot(Major.x, v.x), hy = std::hypot(Major.y, v.y);
    return TFigBox{Centre.x - hx, Centre.y - hy, Centre.x + hx, Centre.y + hy};
}

std::vector<TFigPoint> TEllipseArc::Flattened(double flatness) const {
    const double a = Length(Major);
    const double sweep = Full ? kTwoPi : std::min(End - Start, kTwoPi);
    // Chords of a circle of radius a stay within the flatness when each spans
    // at most 2 acos(1 - flatness / a).
    double step = a > flatness ? 2 * std::acos(1 - flatness / a) : kPi / 2;
    if (!(step > 0)) step = kPi / 2;
    const double want = std::ceil(sweep / step);
    const int n = std::clamp(std::isfinite(want) ? static_cast<int>(std::min(want, 1e6)) : kMaxCurveSegments,
                             2, kMaxCurveSegments);
    std::vector<TFigPoint> points;
    points.reserve(static_cast<std::size_t>(n) + 1);
    for (int i = 0; i <= n; ++i)
        points.push_back(At(Start + sweep * i / n));
    if (Full) points.back() = points.front();
    return points;
}

double TEllipseArc::ParameterToward(TFigPoint p) const {
    const double a = Length(Major);
    if (!(a > 0)) return 0;
    const TFigPoint d = p - Centre;
    const TFigPoint unit = Major * (1 / a);
    const double along = Dot(d, unit), across = Cross(unit, d);
    // The point (a cos t, b sin t) lies on the ray when a sin t : b cos t = across : along.
    return std::atan2(across, along * Ratio);
}

TEllipseArc EllipseFromConjugates(TFigPoint centre, TFigPoint u, TFigPoint v, double s0, double s1) {
    TEllipseArc e;
    e.Centre = centre;
    // The axes are the eigenvectors of u u' + v v'.
    const double a11 = u.x * u.x + v.x * v.x, a12 = u.x * u.y + v.x * v.y, a22 = u.y * u.y + v.y * v.y;
    const double mean = (a11 + a22) / 2, half = std::hypot((a11 - a22) / 2, a12);
    const double major = std::sqrt(mean + half), minor = std::sqrt(std::max(mean - half, 0.0));
    const double angle = std::atan2(2 * a12, a11 - a22) / 2;
    e.Major = TFigPoint{major * std::cos(angle), major * std::sin(angle)};
    e.Ratio = major > 0 ? std::clamp(minor / major, 0.0, 1.0) : 1;
    const double sweep = s1 - s0;
    e.Full = !(sweep < kTwoPi - 1e-12);
    if (e.Full) {
        e.Start = 0;
        e.End = kTwoPi;
        return e;
    }
    // An affine map moves parameters by a constant, and turns them round when
    // it mirrors: the arc then runs from its other end.
    const bool mirrored = Cross(u, v) < 0;
    const double from = mirrored ? s1 : s0;
    const TFigPoint p = centre + u * std::cos(from) + v * std::sin(from);
    const TFigPoint d = p - centre;
    const TFigPoint unit = major > 0 ? e.Major * (1 / major) : TFigPoint{1, 0};
    const double along = Dot(d, unit), across = Cross(unit, d);
    e.Start = e.Ratio > 0 ? std::atan2(across / e.Ratio, along) : (along >= 0 ? 0 : kPi);
    e.End = e.Start + sweep;
    return e;
}

// ---------------------------------------------------------------- clipping

namespace {

// The part [t0, t1] of the segment a + (b - a) t, 0 <= t <= 1, inside the box
// (Liang-Barsky); false when none.
bool SegmentInBox(TFigPoint a, TFigPoint b, const TFigBox& box, double& t0, double& t1) {
    t0 = 0;
    t1 = 1;
    const double dx = b.x - a.x, dy = b.y - a.y;
    auto edge = [&](double p, double q) {
        if (p == 0) return q >= 0;
        const double r = q / p;
        if (p < 0) {
            if (r > t1) return false;
            t0 = std::max(t0, r);
        } else {
            if (r < t0) return false;
            t1 = std::min(t1, r);
        }
        return true;
    };
    return edge(-dx, a.x - box.MinX) && edge(dx, box.MaxX - a.x) && edge(-dy, a.y - box.MinY) &&
           edge(dy, box.MaxY - a.y) && t0 <= t1;
}

TFigPoint Along(TFigPoint a, TFigPoint b, double t) {
    if (t <= 0) return a;
    if (t >= 1) return b;
    return a + (b - a) * t;
}

} // namespace

std::vector<std::vector<TFigPoint>> ClipPolyline(const std::vector<TFigPoint>& points, bool closed,
                                                 const std::vector<TFigBox>& boxes) {
    std::vector<std::vector<TFigPoint>> parts;
    const std::size_t n = points.size();
    if (n == 0) return parts;
    const std::size_t segments = closed && n > 2 ? n : n - 1;
    constexpr double eps = 1e-12;
    bool open = false;          // the last part goes on at the current point
    bool startsAtBegin = false; // the first part starts at the polyline's first point
    std::vector<std::pair<double, double>> spans;
    for (std::size_t i = 0; i < segments; ++i) {
        const TFigPoint a = points[i], b = points[(i + 1) % n];
        spans.clear();
        for (const TFigBox& box : boxes) {
            double t0, t1;
            if (SegmentInBox(a, b, box, t0, t1)) spans.emplace_back(t0, t1);
        }
        std::sort(spans.begin(), spans.end());
        // Spans of neighbouring boxes meet: join them.
        std::size_t kept = 0;
        for (const auto& s : spans) {
            if (kept > 0 && s.first <= spans[kept - 1].second + eps)
                spans[kept - 1].second = std::max(spans[kept - 1].second, s.second);
            else
                spans[kept++] = s;
        }
        spans.resize(kept);
        for (const auto& [t0, t1] : spans) {
            if (!(open && t0 <= eps)) {
                parts.emplace_back();
                parts.back().push_back(Along(a, b, t0));
                if (i == 0 && t0 <= eps) startsAtBegin = true;
            }
            parts.back().push_back(Along(a, b, t1));
            open = t1 >= 1 - eps;
        }
        if (spans.empty()) open = false;
    }
    // A closed outline cut somewhere: its last part goes on into its first.
    if (closed && open && startsAtBegin && parts.size() > 1) {
        std::vector<TFigPoint> first = std::move(parts.front());
        parts.erase(parts.begin());
        parts.back().insert(parts.back().end(), first.begin() + 1, first.end());
    }
    // A lone point (a segment that only touches a box) draws nothing.
    std::erase_if(parts, [](const std::vector<TFigPoint>& p) {
        return p.size() < 2 || std::all_of(p.begin(), p.end(), [&](TFigPoint q) { return q == p.front(); });
    });
    return parts;
}

std::vector<TFigPoint> ClipPolygon(const std::vector<TFigPoint>& polygon, const TFigBox& box) {
    std::vector<TFigPoint> in = polygon, out;
    // Each edge of the box keeps what lies on its inner side.
    auto cut = [&](auto inside, auto cross) {
        out.clear();
        const std::size_t n = in.size();
        for (std::size_t i = 0; i < n; ++i) {
            const TFigPoint p = in[i], q = in[(i + 1) % n];
            const bool pin = inside(p), qin = inside(q);
            if (pin) out.push_back(p);
            if (pin != qin) out.push_back(cross(p, q));
        }
        std::swap(in, out);
    };
    auto atX = [](double x) {
        return [x](TFigPoint p, TFigPoint q) {
            return TFigPoint{x, p.y + (q.y - p.y) * (x - p.x) / (q.x - p.x)};
        };
    };
    auto atY = [](double y) {
        return [y](TFigPoint p, TFigPoint q) {
            return TFigPoint{p.x + (q.x - p.x) * (y - p.y) / (q.y - p.y), y};
        };
    };
    cut([&](TFigPoint p) { return p.x >= box.MinX; }, atX(box.MinX));
    cut([&](TFigPoint p) { return p.x <= box.MaxX; }, atX(box.MaxX));
    cut([&](TFigPoint p) { return p.y >= box.MinY; }, atY(box.MinY));
    cut([&](TFigPoint p) { return p.y <= box.MaxY; }, atY(box.MaxY));
    std::vector<TFigPoint> result;
    result.reserve(in.size());
    for (const TFigPoint& p : in)
        if (result.empty() || !(p == result.back())) result.push_back(p);
    while (result.size() > 1 && result.back() == result.front())
        result.pop_back();
    return result;
}

} // namespace mv
