#include "metafile/PathFigures.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace mv {

namespace {

using TLoop = std::vector<TFigPoint>;

// Coarser flatness steps tried before the curves are taken as chords.
constexpr int kFlattenTries = 6;
constexpr double kCoarserBy = 16;
// Point tests the winding rule may cost (loops times points); a larger fill
// keeps every loop, as odd parity fills it.
constexpr double kMaxWindingWork = 5e7;

// Flattens into out; false as soon as it would pass maxPoints. A flatness
// of infinity takes every Bezier segment as the chord to its end.
bool FlattenInto(const TFigurePath& path, double flatness, std::size_t maxPoints, TFigurePath& out,
                 bool chordsOnly) {
    std::size_t count = 0;
    std::vector<TFigPoint> curve;
    for (const TFigurePath::TSubpath& s : path.Subpaths()) {
        if (s.Points.empty()) continue;
        out.MoveTo(s.Points.front());
        ++count;
        for (std::size_t i = 1; i < s.Points.size(); ++i) {
            const bool bezier = s.Verbs[i] == TFigurePath::TVerb::Bezier && i + 2 < s.Points.size();
            if (!bezier) {
                out.LineTo(s.Points[i]);
                ++count;
                continue;
            }
            if (chordsOnly) {
                out.LineTo(s.Points[i + 2]);
                ++count;
            } else {
                curve.clear();
                FlattenBezier(s.Points[i - 1], s.Points[i], s.Points[i + 1], s.Points[i + 2], flatness,
                              curve);
                for (const TFigPoint& p : curve)
                    out.LineTo(p);
                count += curve.size();
            }
            i += 2;
            if (!chordsOnly && count > maxPoints) return false;
        }
        if (s.Closed) out.Close();
    }
    return true;
}

// Sum of the signed crossings of the loops' edges with the ray from p to the right.
int WindingAt(const std::vector<TLoop>& loops, const std::vector<TFigBox>& boxes, TFigPoint p) {
    int w = 0;
    for (std::size_t k = 0; k < loops.size(); ++k) {
        const TFigBox& b = boxes[k];
        if (p.y < b.MinY || p.y > b.MaxY || p.x > b.MaxX) continue;
        const TLoop& loop = loops[k];
        for (std::size_t i = 0; i < loop.size(); ++i) {
            const TFigPoint a = loop[i], c = loop[(i + 1) % loop.size()];
            if (a.y <= p.y) {
                if (c.y > p.y && Cross(c - a, p - a) > 0) ++w;
            } else if (c.y <= p.y && Cross(c - a, p - a) < 0) {
                --w;
            }
        }
    }
    return w;
}

// Whether the fill changes across the loop's longest edge under the
// winding rule: then the loop bounds the filled area.
bool PartsFilled(const std::vector<TLoop>& loops, const std::vector<TFigBox>& boxes, const TLoop& loop) {
    std::size_t best = 0;
    double longest = -1;
    for (std::size_t i = 0; i < loop.size(); ++i) {
        const double d = Length(loop[(i + 1) % loop.size()] - loop[i]);
        if (d > longest) {
            longest = d;
            best = i;
        }
    }
    if (!(longest > 0)) return false;
    const TFigPoint a = loop[best], b = loop[(best + 1) % loop.size()];
    const TFigPoint mid = (a + b) * 0.5;
    const TFigPoint d = b - a;
    const TFigPoint normal = TFigPoint{-d.y, d.x} * (1e-6);
    return (WindingAt(loops, boxes, mid + normal) != 0) != (WindingAt(loops, boxes, mid - normal) != 0);
}

// A run of the stroke: straight segments, or Bezier segments (a start point
// and three points per segment).
struct TRun {
    bool Bezier = false;
    std::vector<TFigPoint> Points;
};

void EmitStroke(const TRun& run, bool closed, const TStrokeLook& look, IFigureSink& sink) {
    TdxfExportData data;
    data.Color = look.Color;
    data.TrueColor = look.TrueColor;
    data.PenWidth = look.Width;
    data.Text = look.LineType;
    data.Flags = closed ? FigureFlags::Closed : FigureFlags::None;
    data.Count = 1;
    data.Points.push_back(ToDxfList(run.Points));
    if (run.Bezier)
        sink.AddPolyBezier(data, 0);
    else
        sink.AddPolyline(data, 0);
}

void StrokeSubpath(const TFigurePath::TSubpath& s, const TStrokeLook& look, IFigureSink& sink) {
    const std::vector<TFigPoint>& p = s.Points;
    if (p.size() < 2) return; // a lone point draws nothing
    std::vector<TRun> runs;
    for (std::size_t i = 1; i < p.size();) {
        // A Bezier segment short of points (never made by the path) goes as lines.
        const bool bezier = s.Verbs[i] == TFigurePath::TVerb::Bezier && i + 2 < p.size();
        if (runs.empty() || runs.back().Bezier != bezier) runs.push_back({bezier, {p[i - 1]}});
        const std::size_t take = bezier ? 3 : 1;
        runs.back().Points.insert(runs.back().Points.end(), p.begin() + static_cast<std::ptrdiff_t>(i),
                                  p.begin() + static_cast<std::ptrdiff_t>(i + take));
        i += take;
    }
    bool closedPolyline = false;
    if (s.Closed) {
        if (!(p.back() == p.front())) {
            if (runs.back().Bezier)
                runs.push_back({false, {p.back(), p.front()}});
            else
                runs.back().Points.push_back(p.front());
        }
        if (runs.size() == 1 && !runs.front().Bezier) {
            // One closed polyline: the flag closes it, the first point is not repeated.
            closedPolyline = true;
            if (runs.front().Points.size() > 2) runs.front().Points.pop_back();
        } else if (runs.size() > 1 && !runs.front().Bezier && !runs.back().Bezier) {
            // The closing run goes on into the first one.
            runs.back().Points.insert(runs.back().Points.end(), runs.front().Points.begin() + 1,
                                      runs.front().Points.end());
            runs.erase(runs.begin());
        }
    }
    for (const TRun& run : runs)
        EmitStroke(run, closedPolyline, look, sink);
}

} // namespace

TFigurePath FlattenWithin(const TFigurePath& path, double flatness, std::size_t maxPoints) {
    double f = flatness;
    for (int attempt = 0; attempt < kFlattenTries; ++attempt, f *= kCoarserBy) {
        TFigurePath flat;
        if (FlattenInto(path, f, maxPoints, flat, false)) return flat;
    }
    TFigurePath chords;
    FlattenInto(path, f, maxPoints, chords, true);
    return chords;
}

std::vector<std::vector<TFigPoint>> FillLoops(const TFigurePath& path, TPolyFillMode mode) {
    std::vector<TLoop> loops;
    std::size_t points = 0;
    const TFigurePath flat = FlattenWithin(path);
    for (const TFigurePath::TSubpath& s : flat.Subpaths()) {
        TLoop loop;
        loop.reserve(s.Points.size());
        for (const TFigPoint& p : s.Points)
            if (loop.empty() || !(p == loop.back())) loop.push_back(p);
        while (loop.size() > 1 && loop.back() == loop.front())
            loop.pop_back();
        if (loop.size() < 3) continue;
        points += loop.size();
        loops.push_back(std::move(loop));
    }
    if (mode != TPolyFillMode::Winding || loops.size() < 2 ||
        static_cast<double>(loops.size()) * static_cast<double>(points) > kMaxWindingWork)
        return loops;
    std::vector<TFigBox> boxes;
    boxes.reserve(loops.size());
    for (const TLoop& loop : loops)
        boxes.push_back(BoxOf(loop));
    std::vector<TLoop> kept;
    for (const TLoop& loop : loops)
        if (PartsFilled(loops, boxes, loop)) kept.push_back(loop);
    return kept;
}

void FillLoopsHatch(const std::vector<std::vector<TFigPoint>>& loops, const TFillLook& look,
                    IFigureSink& sink) {
    if (loops.empty()) return;
    TdxfExportData data = FillData(look);
    data.Kind = HatchKind::Polygon;
    // The count names the loops for the white-area pass, which looks for one.
    data.Count = static_cast<std::uint16_t>(std::min<std::size_t>(loops.size(), UINT16_MAX));
    data.Points.reserve(loops.size());
    for (const TLoop& loop : loops)
        data.Points.push_back(ToDxfList(loop));
    sink.AddHatch(data);
}

void StrokePathFigures(const TFigurePath& path, const TStrokeLook& look, IFigureSink& sink) {
    for (const TFigurePath::TSubpath& s : path.Subpaths())
        StrokeSubpath(s, look, sink);
}

void FillPathFigures(const TFigurePath& path, const TFillLook& look, TPolyFillMode mode, IFigureSink& sink) {
    FillLoopsHatch(FillLoops(path, mode), look, sink);
}

void StrokeAndFillPathFigures(const TFigurePath& path, const TStrokeLook& stroke, const TFillLook& fill,
                              TPolyFillMode mode, IFigureSink& sink) {
    FillPathFigures(path, fill, mode, sink);
    StrokePathFigures(path, stroke, sink);
}

} // namespace mv
