#include "metafile/PathRecorder.h"

#include <algorithm>
#include <cmath>

namespace mv {

namespace {

// Bands a clipping path is cut into at most, and the points beyond which
// only its bounding box is taken.
constexpr std::size_t kClipBands = 48;
constexpr std::size_t kMaxClipPoints = 1 << 20;

std::size_t PointsOf(const TFigurePath& path) {
    std::size_t n = 0;
    for (const TFigurePath::TSubpath& s : path.Subpaths())
        n += s.Points.size();
    return n;
}

} // namespace

void TPathRecorder::Begin() {
    Abort();
    recording_ = true;
}

void TPathRecorder::Abort() {
    path_ = TFigurePath{};
    points_ = 0;
    recording_ = false;
    ready_ = false;
    widened_.reset();
}

void TPathRecorder::Add(const TFigurePath& shape) {
    for (const TFigurePath::TSubpath& s : shape.Subpaths()) {
        if (s.Points.empty()) continue;
        if (s.Points.size() > maxPoints_ - points_) return;
        points_ += s.Points.size();
        const auto& figures = path_.Subpaths();
        const bool goesOn = !s.Closed && !figures.empty() && !figures.back().Closed &&
                            figures.back().Points.back() == s.Points.front();
        if (!goesOn) path_.MoveTo(s.Points.front());
        for (std::size_t i = 1; i < s.Points.size(); ++i) {
            if (s.Verbs[i] == TFigurePath::TVerb::Bezier && i + 2 < s.Points.size()) {
                path_.BezierTo(s.Points[i], s.Points[i + 1], s.Points[i + 2]);
                i += 2;
            } else {
                path_.LineTo(s.Points[i]);
            }
        }
        if (s.Closed) path_.Close();
    }
}

void TPathRecorder::Flatten() {
    path_ = FlattenWithin(path_);
    points_ = PointsOf(path_);
}

void TPathRecorder::Widen(float penWidth) {
    if (ready_) widened_ = penWidth;
}

std::optional<TFigurePath> TPathRecorder::Take() {
    if (recording_ || !ready_) return std::nullopt;
    std::optional<TFigurePath> path(std::move(path_));
    Abort();
    return path;
}

TClipRegion PathClipRegion(const TFigurePath& path, TPolyFillMode mode) {
    const std::vector<std::vector<TFigPoint>> loops = FillLoops(path, mode);
    TFigBox bounds;
    std::size_t points = 0;
    for (const auto& loop : loops) {
        for (const TFigPoint& p : loop)
            bounds.Take(p);
        points += loop.size();
    }
    if (bounds.IsEmpty()) return TClipRegion{};
    if (points > kMaxClipPoints) return TClipRegion(bounds);
    // Band edges at the vertices where they are few, else evenly spaced.
    std::vector<double> edges;
    for (const auto& loop : loops)
        for (const TFigPoint& p : loop)
            edges.push_back(p.y);
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
    if (edges.size() > kClipBands + 1) {
        edges.clear();
        for (std::size_t i = 0; i <= kClipBands; ++i)
            edges.push_back(bounds.MinY + (bounds.MaxY - bounds.MinY) * static_cast<double>(i) / kClipBands);
    }
    std::vector<TFigBox> boxes;
    std::vector<double> xs;
    for (std::size_t b = 0; b + 1 < edges.size(); ++b) {
        const double y0 = edges[b], y1 = edges[b + 1], y = (y0 + y1) / 2;
        xs.clear();
        for (const auto& loop : loops)
            for (std::size_t i = 0; i < loop.size(); ++i) {
                const TFigPoint p = loop[i], q = loop[(i + 1) % loop.size()];
                if ((p.y <= y) != (q.y <= y)) xs.push_back(p.x + (q.x - p.x) * (y - p.y) / (q.y - p.y));
            }
        std::sort(xs.begin(), xs.end());
        for (std::size_t i = 0; i + 1 < xs.size(); i += 2)
            if (xs[i + 1] > xs[i]) boxes.push_back(TFigBox{xs[i], y0, xs[i + 1], y1});
    }
    return TClipRegion::FromBoxes(boxes);
}

} // namespace mv
