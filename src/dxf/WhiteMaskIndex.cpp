#include "dxf/WhiteMaskIndex.h"

#include <algorithm>
#include <cmath>

namespace mv {

namespace {

constexpr std::int64_t kFar = std::int64_t{1} << 40;
// Coordinates beyond this cannot be rounded into 32 bits.
constexpr long double kRoundLimit = 2147483648.0L;
// A mask covering more grid cells than this goes to the list of large masks.
constexpr std::int64_t kMaxCellsPerMask = 16;
// A box covering more grid cells than this is answered by walking the masks in order.
constexpr std::int64_t kMaxCellsPerQuery = 32;

// The box around two corners, widened by a margin that covers the rounding of
// the figure's own corner computation (and its precision at large values).
TBox Widened(long double x1, long double y1, long double x2, long double y2) {
    if (!std::isfinite(x1) || !std::isfinite(y1) || !std::isfinite(x2) || !std::isfinite(y2))
        return EverywhereBox();
    const long double minX = std::min(x1, x2), maxX = std::max(x1, x2);
    const long double minY = std::min(y1, y2), maxY = std::max(y1, y2);
    if (minX < -kRoundLimit || maxX > kRoundLimit || minY < -kRoundLimit || maxY > kRoundLimit)
        return EverywhereBox();
    auto margin = [](long double v) { return 2 + std::fabs(v) / (1 << 20); };
    return TBox{static_cast<std::int64_t>(std::floor(minX - margin(minX))),
                static_cast<std::int64_t>(std::floor(minY - margin(minY))),
                static_cast<std::int64_t>(std::ceil(maxX + margin(maxX))),
                static_cast<std::int64_t>(std::ceil(maxY + margin(maxY)))};
}

TBox AroundCentre(const TdxfPoint& c, long double r) {
    return Widened(c.x - r, c.y - r, c.x + r, c.y + r);
}

long double Abs(float v) {
    return std::fabs(static_cast<long double>(v));
}

} // namespace

TBox EverywhereBox() {
    return TBox{-kFar, -kFar, kFar, kFar};
}

TBox ConservativeBox(const TmvExpDXFFigure& f) {
    const TdxfFigureFields& d = f.Data;
    switch (f.Kind()) {
    case TFigureKind::Polyline:
    case TFigureKind::PolyBezier:
    case TFigureKind::Rectangle:
        // A polyline keeps its bounds in Point1 and Point2.
        return Widened(d.Point1.x, d.Point1.y, d.Point2.x, d.Point2.y);
    case TFigureKind::Ellipse: {
        // Whatever the half axes are made of, neither exceeds this.
        const bool isEllipse = static_cast<const TmvExpDXFEllipse&>(f).IsEllipse;
        const long double r =
            isEllipse ? (Abs(d.Point2.x) + Abs(d.Point2.y)) * std::max(1.0L, Abs(d.Radius)) : Abs(d.Radius);
        return AroundCentre(d.Point1, r);
    }
    case TFigureKind::Arc: {
        const ArcShape arcKind = static_cast<const TmvExpDXFArc&>(f).ArcKind;
        if (arcKind == ArcShape::Circular) return AroundCentre(d.Point1, Abs(d.Radius));
        // Elliptical: centre + u cos t + v sin t, with v the axis vector u
        // turned and scaled by the ratio.
        if (arcKind == ArcShape::Elliptical)
            return AroundCentre(d.Point1, (Abs(d.Point2.x) + Abs(d.Point2.y)) * (1 + Abs(d.Radius)));
        return EverywhereBox();
    }
    case TFigureKind::MText: {
        const long double x = d.Point1.x, y = d.Point1.y, w = d.TextWidth, h = d.Height;
        if (d.Rotation == 0) return Widened(x, y, x + w, y - h);
        if (d.Rotation == 90) return Widened(x, y, x + h, y + w);
        if (d.Rotation == 270) return Widened(x, y, x - h, y - w);
        // Turned any other way, the text stays within its diagonal of the start.
        return AroundCentre(d.Point1, std::fabs(w) + std::fabs(h));
    }
    default:
        return EverywhereBox();
    }
}

TBox RoundedLineBox(const TmvExpDXFFigure& line) {
    const TdxfPoint& a = line.Data.Point1;
    const TdxfPoint& b = line.Data.Point2;
    return TBox{static_cast<std::int64_t>(std::min(a.x, b.x)), static_cast<std::int64_t>(std::min(a.y, b.y)),
                static_cast<std::int64_t>(std::max(a.x, b.x)), static_cast<std::int64_t>(std::max(a.y, b.y))};
}

TMaskIndex::TMaskIndex(std::vector<TRect> masks) : masks_(std::move(masks)) {
    const std::size_t m = masks_.size();
    if (m == 0 || m >= std::numeric_limits<std::uint32_t>::max()) return;
    x0_ = y0_ = std::numeric_limits<std::int64_t>::max();
    x1_ = y1_ = std::numeric_limits<std::int64_t>::min();
    std::vector<std::int64_t> extents(m);
    for (std::size_t k = 0; k < m; ++k) {
        const TRect& r = masks_[k];
        x0_ = std::min<std::int64_t>(x0_, r.Left);
        y0_ = std::min<std::int64_t>(y0_, r.Top);
        x1_ = std::max<std::int64_t>(x1_, r.Right);
        y1_ = std::max<std::int64_t>(y1_, r.Bottom);
        extents[k] = std::max(std::int64_t{r.Right} - r.Left, std::int64_t{r.Bottom} - r.Top) + 1;
    }
    // Most masks should fit one cell or straddle a few: the cell edge is the
    // upper quartile of the mask extents, grown while the grid is too large.
    auto quartile = extents.begin() + static_cast<std::ptrdiff_t>(m * 3 / 4);
    std::nth_element(extents.begin(), quartile, extents.end());
    cell_ = std::max<std::int64_t>(1, *quartile);
    const std::int64_t maxCells = std::clamp<std::int64_t>(16 * static_cast<std::int64_t>(m), 4096, 1 << 20);
    for (;;) {
        nx_ = (x1_ - x0_) / cell_ + 1;
        ny_ = (y1_ - y0_) / cell_ + 1;
        if (nx_ <= maxCells && ny_ <= maxCells && nx_ * ny_ <= maxCells) break;
        cell_ *= 2;
    }

    const auto cells = static_cast<std::size_t>(nx_ * ny_);
    cellStart_.assign(cells + 1, 0);
    std::vector<bool> inGrid(m, false);
    auto forCells = [&](const TRect& r, auto&& visit) {
        for (std::int64_t cy = CellY(r.Top); cy <= CellY(r.Bottom); ++cy)
            for (std::int64_t cx = CellX(r.Left); cx <= CellX(r.Right); ++cx)
                visit(static_cast<std::size_t>(cy * nx_ + cx));
    };
    for (std::size_t k = 0; k < m; ++k) {
        const TRect& r = masks_[k];
        const std::int64_t spanned =
            (CellX(r.Right) - CellX(r.Left) + 1) * (CellY(r.Bottom) - CellY(r.Top) + 1);
        if (spanned > kMaxCellsPerMask) {
            large_.push_back(static_cast<std::uint32_t>(k));
            continue;
        }
        inGrid[k] = true;
        forCells(r, [&](std::size_t c) { ++cellStart_[c + 1]; });
    }
    for (std::size_t c = 0; c < cells; ++c)
        cellStart_[c + 1] += cellStart_[c];
    cellMasks_.resize(cellStart_[cells]);
    std::vector<std::uint32_t> cursor(cellStart_.begin(), cellStart_.end() - 1);
    for (std::size_t k = 0; k < m; ++k) {
        if (!inGrid[k]) continue;
        forCells(masks_[k], [&](std::size_t c) { cellMasks_[cursor[c]++] = static_cast<std::uint32_t>(k); });
    }
    gridded_ = true;
}

std::int64_t TMaskIndex::CellX(std::int64_t x) const {
    return std::clamp<std::int64_t>((x - x0_) / cell_, 0, nx_ - 1);
}

std::int64_t TMaskIndex::CellY(std::int64_t y) const {
    return std::clamp<std::int64_t>((y - y0_) / cell_, 0, ny_ - 1);
}

std::size_t TMaskIndex::ScanInOrder(const TBox& box, std::size_t from, std::size_t limit) const {
    for (std::size_t k = from; k < limit; ++k)
        if (Meets(k, box)) return k;
    return npos;
}

std::size_t TMaskIndex::FirstMeeting(const TBox& box, std::size_t from) const {
    const std::size_t m = masks_.size();
    if (from >= m) return npos;
    if (!gridded_) return ScanInOrder(box, from, m);

    std::size_t best = npos;
    for (auto it = std::lower_bound(large_.begin(), large_.end(), from); it != large_.end(); ++it) {
        if (Meets(*it, box)) {
            best = *it;
            break;
        }
    }
    if (box.Right < x0_ || box.Left > x1_ || box.Bottom < y0_ || box.Top > y1_) return best;

    const std::int64_t cx0 = CellX(std::max(box.Left, x0_)), cx1 = CellX(std::min(box.Right, x1_));
    const std::int64_t cy0 = CellY(std::max(box.Top, y0_)), cy1 = CellY(std::min(box.Bottom, y1_));
    if ((cx1 - cx0 + 1) * (cy1 - cy0 + 1) > kMaxCellsPerQuery) {
        // A large box meets many masks; the next one is usually close by in order.
        const std::size_t k = ScanInOrder(box, from, std::min(best, m));
        return k == npos ? best : k;
    }
    for (std::int64_t cy = cy0; cy <= cy1; ++cy) {
        for (std::int64_t cx = cx0; cx <= cx1; ++cx) {
            const auto c = static_cast<std::size_t>(cy * nx_ + cx);
            const auto first = cellMasks_.begin() + cellStart_[c];
            const auto last = cellMasks_.begin() + cellStart_[c + 1];
            for (auto it = std::lower_bound(first, last, from); it != last && *it < best; ++it) {
                if (Meets(*it, box)) {
                    best = *it;
                    break;
                }
            }
        }
    }
    return best;
}

} // namespace mv
