#include "metafile/FigureEmitter.h"

#include "metafile/PathRecorder.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace mv {

namespace {

constexpr double kPi = std::numbers::pi;

TdxfExportData StrokeData(const TStrokeLook& look) {
    TdxfExportData d;
    d.Color = look.Color;
    d.TrueColor = look.TrueColor;
    d.PenWidth = look.Width;
    d.Text = look.LineType;
    return d;
}

// Curves among lines become polylines this close to the curve: a quarter of
// the thinnest line weight, finer than any reader shows.
constexpr double kEmitFlatness = 1.25;

// A subpath that is one run of Bezier segments from its first point.
bool IsBezierRun(const TFigurePath::TSubpath& s) {
    if (s.Points.size() < 4) return false;
    for (std::size_t i = 1; i < s.Verbs.size(); ++i)
        if (s.Verbs[i] != TFigurePath::TVerb::Bezier) return false;
    return (s.Points.size() - 1) % 3 == 0;
}

// The points of a flattened subpath, its closing point left off.
std::vector<TFigPoint> FlatPoints(const TFigurePath::TSubpath& s) {
    if (!s.HasBezier()) return s.Points;
    std::vector<TFigPoint> out;
    for (std::size_t i = 0; i < s.Points.size(); ++i) {
        if (s.Verbs[i] == TFigurePath::TVerb::Bezier && i + 2 < s.Points.size() && !out.empty()) {
            FlattenBezier(out.back(), s.Points[i], s.Points[i + 1], s.Points[i + 2], kEmitFlatness, out);
            i += 2;
            continue;
        }
        out.push_back(s.Points[i]);
    }
    return out;
}

} // namespace

TdxfExportData FillData(const TFillLook& look) {
    TdxfExportData d;
    d.Color = look.Color;
    d.TrueColor = look.TrueColor;
    d.HatchStyle = look.Hatch;
    d.PatternSpacingX = look.PatternSpacingX;
    d.PatternSpacingY = look.PatternSpacingY;
    return d;
}

TdxfPoint ToDxf(TFigPoint p) {
    return TdxfPoint{static_cast<float>(p.x), static_cast<float>(p.y), 0};
}

TdxfPointList ToDxfList(const std::vector<TFigPoint>& points) {
    TdxfPointList list;
    list.reserve(points.size());
    for (const TFigPoint& p : points)
        list.push_back(ToDxf(p));
    return list;
}

void TFigureEmitter::Draw(const TDrawShape& shape, const TFillLook* fill, const TStrokeLook* stroke) {
    if (Recording) {
        Recording->Add(shape.Path);
        return;
    }
    if (fill) Fill(shape, *fill);
    // A solid fill in the pen's colour already shows the outline.
    if (stroke && !(fill && fill->Hatch == BrushHatch::Solid && fill->Color == stroke->Color &&
                    fill->TrueColor == stroke->TrueColor))
        Stroke(shape, *stroke);
}

void TFigureEmitter::Stroke(const TDrawShape& shape, const TStrokeLook& look) {
    if (shape.Curve && !shape.Curve->IsDegenerate()) return StrokeCurve(*shape.Curve, look);
    if (shape.IsRectangle && shape.Path.Subpaths().size() == 1 &&
        shape.Path.Subpaths()[0].Points.size() == 4) {
        // Kept as a closed polyline of its four corners.
        TdxfExportData d = StrokeData(look);
        d.Flags = FigureFlags::Closed;
        d.Count = 1;
        d.Points.push_back(ToDxfList(shape.Path.Subpaths()[0].Points));
        sink_.AddPolyline(d, 0);
        return;
    }
    StrokePath(shape.Path, look);
}

void TFigureEmitter::Fill(const TDrawShape& shape, const TFillLook& look) {
    if (shape.Curve && shape.Curve->Full && !shape.Curve->IsDegenerate())
        return FillCurve(*shape.Curve, look);
    FillPath(shape.Path, look);
}

void TFigureEmitter::StrokePath(const TFigurePath& path, const TStrokeLook& look) {
    for (const TFigurePath::TSubpath& s : path.Subpaths()) {
        if (s.Points.size() < 2) continue;
        TdxfExportData d = StrokeData(look);
        d.Count = 1;
        if (IsBezierRun(s)) {
            std::vector<TFigPoint> points = s.Points;
            if (s.Closed && !(points.back() == points.front())) {
                // The closing line goes on as a straight Bezier segment.
                const TFigPoint a = points.back(), b = points.front();
                points.insert(points.end(), {a + (b - a) * (1.0 / 3), a + (b - a) * (2.0 / 3), b});
            }
            d.Points.push_back(ToDxfList(points));
            sink_.AddPolyBezier(d, 0);
            continue;
        }
        d.Flags = s.Closed ? FigureFlags::Closed : FigureFlags::None;
        d.Points.push_back(ToDxfList(FlatPoints(s)));
        sink_.AddPolyline(d, 0);
    }
}

void TFigureEmitter::FillPath(const TFigurePath& path, const TFillLook& look) {
    TdxfExportData d = FillData(look);
    d.Kind = HatchKind::Polygon;
    for (const TFigurePath::TSubpath& s : path.Subpaths()) {
        std::vector<TFigPoint> loop = FlatPoints(s);
        while (loop.size() > 1 && loop.back() == loop.front())
            loop.pop_back();
        if (loop.size() < 3) continue;
        d.Points.push_back(ToDxfList(loop));
        if (d.Points.size() == 0xFFFF) break;
    }
    if (d.Points.empty()) return;
    d.Count = static_cast<std::uint16_t>(d.Points.size());
    sink_.AddHatch(d);
}

void TFigureEmitter::StrokeCurve(const TEllipseArc& curve, const TStrokeLook& look) {
    TdxfExportData d = StrokeData(look);
    d.Point1 = ToDxf(curve.Centre);
    if (curve.Full) {
        if (curve.IsCircle()) {
            d.Radius = static_cast<float>(Length(curve.Major));
            sink_.AddCircle(d);
        } else {
            d.Point2 = ToDxf(curve.Major);
            d.Radius = static_cast<float>(curve.Ratio);
            sink_.AddEllipse(d);
        }
        return;
    }
    if (curve.IsCircle()) {
        // Degrees from the x axis, counter-clockwise.
        const double turn = std::atan2(curve.Major.y, curve.Major.x);
        d.Kind = ArcShape::Circular;
        d.Radius = static_cast<float>(Length(curve.Major));
        d.StartAngle = static_cast<float>((curve.Start + turn) * 180 / kPi);
        d.EndAngle = static_cast<float>((curve.End + turn) * 180 / kPi);
    } else {
        d.Kind = ArcShape::Elliptical;
        d.Point2 = ToDxf(curve.Major);
        d.Radius = static_cast<float>(curve.Ratio);
        d.StartAngle = static_cast<float>(curve.Start);
        d.EndAngle = static_cast<float>(curve.End);
    }
    sink_.AddArc(d);
}

void TFigureEmitter::FillCurve(const TEllipseArc& curve, const TFillLook& look) {
    TdxfExportData d = FillData(look);
    d.Point1 = ToDxf(curve.Centre);
    d.StartAngle = 0;
    d.EndAngle = 360;
    if (curve.IsCircle()) {
        d.Kind = HatchKind::Circle;
        d.Radius = static_cast<float>(Length(curve.Major));
    } else {
        d.Kind = HatchKind::Ellipse;
        d.Point2 = ToDxf(curve.Major);
        d.Radius = static_cast<float>(curve.Ratio);
    }
    sink_.AddHatch(d);
}

void TFigureEmitter::Text(const TdxfExportData& text) {
    if (Recording) return;
    sink_.AddMText(text);
}

void TFigureEmitter::Pixel(TFigPoint at, std::int32_t color, std::int32_t trueColor) {
    if (Recording) return;
    TdxfExportData d;
    d.Color = color;
    d.TrueColor = trueColor;
    d.Point1 = ToDxf(at);
    sink_.AddPixel(d);
}

void AppendEllipseArc(TFigurePath& path, const TEllipseArc& arc, bool joined) {
    const double sweep = arc.Full ? 2 * kPi : std::clamp(arc.End - arc.Start, 0.0, 2 * kPi);
    const double start = arc.Full ? 0 : arc.Start;
    const int n = std::max(1, static_cast<int>(std::ceil(sweep / (kPi / 2) - 1e-9)));
    const double step = sweep / n;
    // Control points of a Bezier that follows the unit circle over the step.
    const double k = 4.0 / 3.0 * std::tan(step / 4);
    const TFigPoint u = arc.Major, v = arc.Minor();
    auto dir = [&](double t) { return u * std::cos(t) + v * std::sin(t); };
    auto tangent = [&](double t) { return u * -std::sin(t) + v * std::cos(t); };
    const TFigPoint first = arc.Centre + dir(start);
    if (joined && !path.Empty())
        path.LineTo(first);
    else
        path.MoveTo(first);
    for (int i = 0; i < n; ++i) {
        const double t0 = start + step * i, t1 = t0 + step;
        const TFigPoint p0 = arc.Centre + dir(t0), p3 = arc.Centre + dir(t1);
        path.BezierTo(p0 + tangent(t0) * k, p3 - tangent(t1) * k, p3);
    }
    if (arc.Full) path.Close();
}

} // namespace mv
