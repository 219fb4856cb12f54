#include "dxf/Figures.h"

#include "figure/Rounding.h"

#include <algorithm>

namespace mv {

TRect NormalizedRect(long double x1, long double y1, long double x2, long double y2) {
    TRect r{RoundToInt32(x1), RoundToInt32(y1), RoundToInt32(x2), RoundToInt32(y2)};
    if (r.Right < r.Left) std::swap(r.Left, r.Right);
    if (r.Bottom < r.Top) std::swap(r.Top, r.Bottom);
    return r;
}

bool RectsIntersect(const TRect& a, const TRect& b) {
    const std::int32_t left = std::max(a.Left, b.Left);
    const std::int32_t top = std::max(a.Top, b.Top);
    const std::int32_t right = std::min(a.Right, b.Right);
    const std::int32_t bottom = std::min(a.Bottom, b.Bottom);
    return left < right && top < bottom;
}

TmvExpDXFFigure::TmvExpDXFFigure(const TdxfExportData& data) : Data(TdxfExportData::FigureCopy(data)) {}

void TmvExpDXFFigure::SplitIntoLines(TFigureList&) const {}

bool TmvExpDXFFigure::IntersectsRect(const TRect&) const {
    return false;
}

TmvExpDXFLine& TmvExpDXFFigure::AppendLine(TFigureList& list, const TdxfPoint& p1,
                                           const TdxfPoint& p2) const {
    auto line = std::make_unique<TmvExpDXFLine>(Data);
    line->Layer = Layer;
    line->Data.Point1 = p1;
    line->Data.Point2 = p2;
    TmvExpDXFLine& ref = *line;
    list.push_back(std::move(line));
    return ref;
}

} // namespace mv
