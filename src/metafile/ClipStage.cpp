#include "metafile/ClipStage.h"

#include "metafile/FigureEmitter.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace mv {

namespace {

constexpr double kPi = std::numbers::pi;

TFigPoint ToFig(const TdxfPoint& p) {
    return {p.x, p.y};
}

std::vector<TFigPoint> ToFig(const TdxfPointList& list) {
    std::vector<TFigPoint> points;
    points.reserve(list.size());
    for (const TdxfPoint& p : list)
        points.push_back(ToFig(p));
    return points;
}

// The ellipse of a circle, ellipse or arc description (and of a hatch's
// circle or ellipse boundary).
TEllipseArc CurveOf(const TdxfExportData& d, bool ellipse) {
    TEllipseArc e;
    e.Centre = ToFig(d.Point1);
    if (ellipse) {
        e.Major = ToFig(d.Point2);
        e.Ratio = d.Radius;
    } else {
        e.Major = TFigPoint{std::fabs(d.Radius), 0};
        e.Ratio = 1;
    }
    return e;
}

// A whole Bezier run: a start and three points per segment.
bool IsBezierRun(std::size_t n) {
    return n >= 4 && (n - 4) % 3 == 0;
}

} // namespace

bool TClipStage::Gone(const TFigBox& box) const {
    if (!region_) return false;
    if (box.IsEmpty() || !region_->Bounds().Meets(box)) return true;
    for (const TFigBox& b : region_->Boxes())
        if (b.Meets(box)) return false;
    return true;
}

std::vector<TFigBox> TClipStage::BoxesMeeting(const TFigBox& box) const {
    std::vector<TFigBox> boxes;
    for (const TFigBox& b : region_->Boxes())
        if (b.Meets(box)) boxes.push_back(b);
    return boxes;
}

void TClipStage::CutPolyline(const TdxfExportData& data, const std::vector<TFigPoint>& points, bool closed) {
    const TFigBox box = BoxOf(points);
    if (Gone(box)) return;
    for (const std::vector<TFigPoint>& part : ClipPolyline(points, closed, BoxesMeeting(box))) {
        TdxfExportData piece = TdxfExportData::FigureCopy(data);
        piece.TrueColor = data.TrueColor;
        piece.Flags = FigureFlags::None;
        piece.Count = 1;
        piece.Points.push_back(ToDxfList(part));
        next_.AddPolyline(piece, 0);
    }
}

void TClipStage::CutCurve(const TdxfExportData& data, const TEllipseArc& curve) {
    CutPolyline(data, curve.Flattened(), false);
}

void TClipStage::CutLoops(const TdxfExportData& data, const std::vector<std::vector<TFigPoint>>& loops) {
    TFigBox all;
    for (const auto& loop : loops)
        for (const TFigPoint& p : loop)
            all.Take(p);
    if (Gone(all)) return;
    // One hatch per box of the region: each keeps the loops' parity inside it.
    for (const TFigBox& box : BoxesMeeting(all)) {
        TdxfExportData piece = TdxfExportData::FigureCopy(data);
        piece.TrueColor = data.TrueColor;
        piece.Kind = HatchKind::Polygon;
        for (const auto& loop : loops) {
            std::vector<TFigPoint> cut = ClipPolygon(loop, box);
            if (cut.size() >= 3) piece.Points.push_back(ToDxfList(cut));
        }
        if (piece.Points.empty()) continue;
        piece.Count = static_cast<std::uint16_t>(piece.Points.size());
        next_.AddHatch(piece);
    }
}

bool TClipStage::Visible(const TdxfPoint& p) const {
    // A point on the edge stays: the description's single precision may
    // have moved it just outside.
    const double slack = std::max(1e-3, 1e-6 * std::max(std::fabs(p.x), std::fabs(p.y)));
    return !region_ || region_->Contains(ToFig(p), slack);
}

void TClipStage::AddPixel(const TdxfExportData& data) {
    if (Visible(data.Point1)) next_.AddPixel(data);
}

void TClipStage::AddMText(const TdxfExportData& data) {
    if (Visible(data.Point1)) next_.AddMText(data);
}

void TClipStage::AddLine(const TdxfExportData& data) {
    const std::vector<TFigPoint> points{ToFig(data.Point1), ToFig(data.Point2)};
    const TFigBox box = BoxOf(points);
    if (Whole(box)) return next_.AddLine(data);
    if (Gone(box)) return;
    for (const std::vector<TFigPoint>& part : ClipPolyline(points, false, BoxesMeeting(box))) {
        TdxfExportData piece = TdxfExportData::FigureCopy(data);
        piece.TrueColor = data.TrueColor;
        piece.Point1 = ToDxf(part.front());
        piece.Point2 = ToDxf(part.back());
        next_.AddLine(piece);
    }
}

void TClipStage::AddRectangle(const TdxfExportData& data) {
    const TFigPoint a = ToFig(data.Point1), b = ToFig(data.Point2);
    const std::vector<TFigPoint> corners{a, {b.x, a.y}, b, {a.x, b.y}};
    if (Whole(BoxOf(corners))) return next_.AddRectangle(data);
    CutPolyline(data, corners, true);
}

void TClipStage::AddPolyline(const TdxfExportData& data, int index) {
    if (!region_) return next_.AddPolyline(data, index);
    if (index < 0 || static_cast<std::size_t>(index) >= data.Points.size()) return;
    const std::vector<TFigPoint> points = ToFig(data.Points[static_cast<std::size_t>(index)]);
    if (Whole(BoxOf(points))) return next_.AddPolyline(data, index);
    CutPolyline(data, points, HasFlag(data.Flags, FigureFlags::Closed));
}

void TClipStage::AddPolyBezier(const TdxfExportData& data, int index) {
    if (!region_) return next_.AddPolyBezier(data, index);
    if (index < 0 || static_cast<std::size_t>(index) >= data.Points.size()) return;
    const std::vector<TFigPoint> points = ToFig(data.Points[static_cast<std::size_t>(index)]);
    // The curve lies inside the box of its control points.
    const TFigBox box = BoxOf(points);
    if (Whole(box)) return next_.AddPolyBezier(data, index);
    if (Gone(box)) return;
    if (!IsBezierRun(points.size())) return CutPolyline(data, points, false);
    std::vector<TFigPoint> flat{points.front()};
    for (std::size_t i = 1; i + 2 < points.size(); i += 3)
        FlattenBezier(flat.back(), points[i], points[i + 1], points[i + 2], kFlatness, flat);
    CutPolyline(data, flat, false);
}

void TClipStage::AddCircle(const TdxfExportData& data) {
    const TEllipseArc curve = CurveOf(data, false);
    if (Whole(curve.Box())) return next_.AddCircle(data);
    if (!Gone(curve.Box())) CutCurve(data, curve);
}

void TClipStage::AddEllipse(const TdxfExportData& data) {
    const TEllipseArc curve = CurveOf(data, true);
    if (Whole(curve.Box())) return next_.AddEllipse(data);
    if (!Gone(curve.Box())) CutCurve(data, curve);
}

void TClipStage::AddArc(const TdxfExportData& data) {
    const ArcShape shape = data.Kind.AsArc();
    if (shape != ArcShape::Circular && shape != ArcShape::Elliptical) return;
    TEllipseArc curve = CurveOf(data, shape == ArcShape::Elliptical);
    if (Whole(curve.Box())) return next_.AddArc(data);
    if (Gone(curve.Box())) return;
    // Circular arcs count in degrees, elliptical ones in radians; both run
    // counter-clockwise, and equal ends make the whole curve.
    const double scale = shape == ArcShape::Circular ? kPi / 180 : 1;
    curve.Start = data.StartAngle * scale;
    curve.End = data.EndAngle * scale;
    curve.Full = curve.Start == curve.End;
    while (curve.End <= curve.Start && !curve.Full)
        curve.End += 2 * kPi;
    CutCurve(data, curve);
}

void TClipStage::AddHatch(const TdxfExportData& data) {
    if (!region_) return next_.AddHatch(data);
    const HatchKind kind = data.Kind.AsHatch();
    if (kind == HatchKind::Circle || kind == HatchKind::Ellipse) {
        const TEllipseArc curve = CurveOf(data, kind == HatchKind::Ellipse);
        if (Whole(curve.Box())) return next_.AddHatch(data);
        if (Gone(curve.Box())) return;
        std::vector<TFigPoint> loop = curve.Flattened();
        loop.pop_back(); // the loop closes by itself
        return CutLoops(data, {loop});
    }
    std::vector<std::vector<TFigPoint>> loops;
    TFigBox all;
    for (const TdxfPointList& list : data.Points) {
        loops.push_back(ToFig(list));
        for (const TFigPoint& p : loops.back())
            all.Take(p);
    }
    if (Whole(all)) return next_.AddHatch(data);
    CutLoops(data, loops);
}

} // namespace mv
