#include "dxf/Figures.h"
#include "dxf/GroupWriter.h"

#include <algorithm>

namespace mv {

// ---------------------------------------------------------------- polyline

TmvExpDXFPolyline::TmvExpDXFPolyline(const TdxfExportData& data, int index) : TmvExpDXFFigure(data) {
    // The bounds start at the origin, not at the first vertex.
    Data.Point1 = TdxfPoint{};
    Data.Point2 = TdxfPoint{};
    if (index < 0) return;
    const auto k = static_cast<std::size_t>(index);
    if (k >= data.Count || k >= data.Points.size()) return;
    Data.Count = static_cast<std::uint32_t>(data.Points.size());
    hasVertices_ = true;
    const TdxfPointList& list = data.Points[k];
    Vertices.reserve(list.size());
    for (const TdxfPoint& p : list) {
        Data.Point1.x = std::min(Data.Point1.x, p.x);
        Data.Point1.y = std::min(Data.Point1.y, p.y);
        Data.Point2.x = std::max(Data.Point2.x, p.x);
        Data.Point2.y = std::max(Data.Point2.y, p.y);
        Vertices.push_back(p);
    }
}

void TmvExpDXFPolyline::SplitIntoLines(TFigureList& list) const {
    const std::size_t n = Vertices.size();
    if (n == 0) return;
    for (std::size_t i = 0; i + 1 < n; ++i)
        AppendLine(list, Vertices[i], Vertices[i + 1]);
    if (Data.Flags == FigureFlags::Closed) AppendLine(list, Vertices[n - 1], Vertices[0]);
}

bool TmvExpDXFPolyline::IntersectsRect(const TRect& rect) const {
    return RectsIntersect(NormalizedRect(Data.Point1.x, Data.Point1.y, Data.Point2.x, Data.Point2.y), rect);
}

void TmvExpDXFPolyline::Export(TGroupWriter& out) const {
    // Without a vertex there is nothing to draw: an LWPOLYLINE of no vertices
    // is no valid entity.
    if (DrawsNothing()) return;
    out.AddPolylineHeader(Data, static_cast<std::int32_t>(Vertices.size()));
    for (const TdxfPoint& p : Vertices)
        out.AddPoint(10, p);
}

// ---------------------------------------------------------------- rectangle

void TmvExpDXFRectangle::SplitIntoLines(TFigureList& list) const {
    const TdxfPoint& a = Data.Point1;
    const TdxfPoint& b = Data.Point2;
    AppendLine(list, a, TdxfPoint{a.x, b.y, b.z});
    AppendLine(list, a, TdxfPoint{b.x, a.y, a.z});
    AppendLine(list, TdxfPoint{b.x, a.y, a.z}, b);
    AppendLine(list, TdxfPoint{a.x, b.y, a.z}, b);
}

bool TmvExpDXFRectangle::IntersectsRect(const TRect& rect) const {
    return RectsIntersect(NormalizedRect(Data.Point1.x, Data.Point1.y, Data.Point2.x, Data.Point2.y), rect);
}

void TmvExpDXFRectangle::Export(TGroupWriter& out) const {
    const float x1 = Data.Point1.x, y1 = Data.Point1.y, x2 = Data.Point2.x, y2 = Data.Point2.y;
    out.AddPolylineHeader(Data, 5);
    out.AddPoint(10, x1, y1);
    out.AddPoint(10, x2, y1);
    out.AddPoint(10, x2, y2);
    out.AddPoint(10, x1, y2);
    out.AddPoint(10, x1, y1);
}

// ---------------------------------------------------------------- line and point

void TmvExpDXFLine::Export(TGroupWriter& out) const {
    out.AddEntityHeader("LINE", "AcDbLine");
    out.AddColor(Data);
    out.AddLineTypeAndWeight(Data);
    out.AddPoint(10, Data.Point1);
    out.AddPoint(11, Data.Point2);
}

void TmvExpDXFPixel::Export(TGroupWriter& out) const {
    out.AddEntityHeader("POINT", "AcDbPoint");
    out.AddColor(Data);
    out.AddPoint(10, Data.Point1);
}

} // namespace mv
