#include "metafile/ClipRegion.h"

#include <algorithm>

namespace mv {

namespace {

using TSpans = std::vector<std::pair<double, double>>;

// The x spans of the boxes that cover the band from y0 to y1, joined.
void SpansIn(std::span<const TFigBox> boxes, double y0, double y1, TSpans& out) {
    out.clear();
    for (const TFigBox& b : boxes)
        if (b.MinY <= y0 && b.MaxY >= y1) out.emplace_back(b.MinX, b.MaxX);
    std::sort(out.begin(), out.end());
    std::size_t kept = 0;
    for (const auto& s : out) {
        if (kept > 0 && s.first <= out[kept - 1].second)
            out[kept - 1].second = std::max(out[kept - 1].second, s.second);
        else
            out[kept++] = s;
    }
    out.resize(kept);
}

bool Inside(const TSpans& spans, double x0, double x1) {
    for (const auto& [a, b] : spans)
        if (a <= x0 && b >= x1) return true;
    return false;
}

bool Apply(TClipRegion::TOp op, bool a, bool b) {
    switch (op) {
    case TClipRegion::TOp::And:
        return a && b;
    case TClipRegion::TOp::Or:
        return a || b;
    case TClipRegion::TOp::Xor:
        return a != b;
    case TClipRegion::TOp::Diff:
        return a && !b;
    }
    return false;
}

bool UsableBox(const TFigBox& b) {
    return b.MinX < b.MaxX && b.MinY < b.MaxY;
}

} // namespace

TClipRegion::TClipRegion(const TFigBox& box) {
    if (UsableBox(box)) boxes_.push_back(box);
    Finish();
}

TClipRegion TClipRegion::FromBoxes(std::span<const TFigBox> boxes) {
    return Bands(boxes, {}, TOp::Or);
}

TClipRegion TClipRegion::Combine(const TClipRegion& a, const TClipRegion& b, TOp op) {
    return Bands(a.boxes_, b.boxes_, op);
}

TClipRegion TClipRegion::Bands(std::span<const TFigBox> a, std::span<const TFigBox> b, TOp op) {
    std::vector<double> ys;
    for (auto side : {a, b})
        for (const TFigBox& box : side)
            if (UsableBox(box)) ys.insert(ys.end(), {box.MinY, box.MaxY});
    std::sort(ys.begin(), ys.end());
    ys.erase(std::unique(ys.begin(), ys.end()), ys.end());

    TClipRegion result;
    TSpans spansA, spansB, band, previous;
    std::vector<double> xs;
    std::size_t previousFirst = 0; // first box of the previous band
    double previousTop = 0;
    for (std::size_t i = 0; i + 1 < ys.size(); ++i) {
        const double y0 = ys[i], y1 = ys[i + 1];
        SpansIn(a, y0, y1, spansA);
        SpansIn(b, y0, y1, spansB);
        xs.clear();
        for (const TSpans* s : {&spansA, &spansB})
            for (const auto& [x0, x1] : *s)
                xs.insert(xs.end(), {x0, x1});
        std::sort(xs.begin(), xs.end());
        xs.erase(std::unique(xs.begin(), xs.end()), xs.end());
        band.clear();
        for (std::size_t k = 0; k + 1 < xs.size(); ++k) {
            if (!Apply(op, Inside(spansA, xs[k], xs[k + 1]), Inside(spansB, xs[k], xs[k + 1]))) continue;
            if (!band.empty() && band.back().second == xs[k])
                band.back().second = xs[k + 1];
            else
                band.emplace_back(xs[k], xs[k + 1]);
        }
        if (!band.empty() && band == previous && previousTop == y0) {
            // The band goes on as the one below it: those boxes grow.
            for (std::size_t k = previousFirst; k < result.boxes_.size(); ++k)
                result.boxes_[k].MaxY = y1;
        } else {
            previousFirst = result.boxes_.size();
            for (const auto& [x0, x1] : band)
                result.boxes_.push_back(TFigBox{x0, y0, x1, y1});
            previous = band;
        }
        previousTop = y1;
        if (band.empty()) previous.clear();
    }
    result.Finish();
    if (result.boxes_.size() > kMaxBoxes) result = TClipRegion(result.bounds_);
    return result;
}

TClipRegion TClipRegion::Offset(TFigPoint by) const {
    TClipRegion moved = *this;
    for (TFigBox& b : moved.boxes_)
        b = TFigBox{b.MinX + by.x, b.MinY + by.y, b.MaxX + by.x, b.MaxY + by.y};
    moved.Finish();
    return moved;
}

bool TClipRegion::Contains(TFigPoint p, double slack) const {
    for (const TFigBox& b : boxes_)
        if (p.x >= b.MinX - slack && p.x <= b.MaxX + slack && p.y >= b.MinY - slack && p.y <= b.MaxY + slack)
            return true;
    return false;
}

bool TClipRegion::HoldsWhole(const TFigBox& b) const {
    for (const TFigBox& box : boxes_)
        if (box.Contains(b)) return true;
    return false;
}

void TClipRegion::Finish() {
    bounds_ = TFigBox{};
    for (const TFigBox& b : boxes_) {
        bounds_.Take({b.MinX, b.MinY});
        bounds_.Take({b.MaxX, b.MaxY});
    }
}

} // namespace mv
