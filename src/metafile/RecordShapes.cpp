#include "metafile/RecordShapes.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <tuple>

namespace mv {

namespace {

// Bands across a gradient rectangle, and the triangles' cuts per side.
constexpr int kGradientBands = 32;
constexpr int kTriangleCuts = 4;
// Most pieces a gradient record is cut into; beyond, one per object.
constexpr std::size_t kMaxGradientPieces = 1 << 16;

struct TColor {
    double r = 0, g = 0, b = 0;
};

TColor ColorOf(const TTriVertex& v) {
    return {v.Red / 256.0, v.Green / 256.0, v.Blue / 256.0};
}

TColor Mix(const TColor& a, const TColor& b, const TColor& c, double wa, double wb, double wc) {
    return {a.r * wa + b.r * wb + c.r * wc, a.g * wa + b.g * wb + c.g * wc, a.b * wa + b.b * wb + c.b * wc};
}

std::uint32_t Rgb(const TColor& c) {
    auto channel = [](double v) { return static_cast<std::uint32_t>(std::clamp(std::lround(v), 0L, 255L)); };
    return channel(c.r) | channel(c.g) << 8 | channel(c.b) << 16;
}

void RectanglePieces(const TTriVertex& v0, const TTriVertex& v1, bool horizontal, int bands,
                     const TPointMapper& map, std::vector<TColorPiece>& out) {
    const double x0 = v0.x, y0 = v0.y, x1 = v1.x, y1 = v1.y;
    const TColor c0 = ColorOf(v0), c1 = ColorOf(v1);
    for (int k = 0; k < bands; ++k) {
        const double a = static_cast<double>(k) / bands, b = static_cast<double>(k + 1) / bands;
        const double mid = (k + 0.5) / bands;
        TColorPiece piece;
        piece.Rgb = Rgb(Mix(c0, c1, c1, 1 - mid, mid, 0));
        if (horizontal)
            piece.Loop = RectLoop(x0 + (x1 - x0) * a, y0, x0 + (x1 - x0) * b, y1, map);
        else
            piece.Loop = RectLoop(x0, y0 + (y1 - y0) * a, x1, y0 + (y1 - y0) * b, map);
        out.push_back(std::move(piece));
    }
}

void TrianglePieces(const TTriVertex& v0, const TTriVertex& v1, const TTriVertex& v2, int cuts,
                    const TPointMapper& map, std::vector<TColorPiece>& out) {
    const TColor c0 = ColorOf(v0), c1 = ColorOf(v1), c2 = ColorOf(v2);
    const int n = cuts;
    // The grid point a steps toward v1 and b steps toward v2.
    auto at = [&](double a, double b) {
        const double u = a / n, v = b / n;
        return map(v0.x + (v1.x - v0.x) * u + (v2.x - v0.x) * v,
                   v0.y + (v1.y - v0.y) * u + (v2.y - v0.y) * v);
    };
    auto add = [&](std::array<std::pair<int, int>, 3> corners) {
        TColorPiece piece;
        double a = 0, b = 0;
        for (auto [i, j] : corners) {
            piece.Loop.push_back(at(i, j));
            a += i;
            b += j;
        }
        const double u = a / (3.0 * n), v = b / (3.0 * n);
        piece.Rgb = Rgb(Mix(c0, c1, c2, 1 - u - v, u, v));
        out.push_back(std::move(piece));
    };
    for (int a = 0; a < n; ++a)
        for (int b = 0; a + b < n; ++b) {
            add({{{a, b}, {a + 1, b}, {a, b + 1}}});
            if (a + b + 2 <= n) add({{{a + 1, b}, {a + 1, b + 1}, {a, b + 1}}});
        }
}

} // namespace

TPolyDrawResult AppendPolyDraw(const TEmrPolyDraw& rec, const TPointMapper& map,
                               std::optional<TFigPoint> start, TFigurePath& path) {
    TPolyDrawResult result;
    const std::size_t n = std::min(rec.aPoints.Count(), rec.abTypes.Count());
    // The whole record is checked first: a broken one draws nothing at all.
    bool started = start.has_value();
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint8_t type = rec.abTypes[i] & ~PT_CLOSEFIGURE;
        if (type == PT_MOVETO) {
            started = true;
        } else if (type == PT_BEZIERTO) {
            if (!started || i + 2 >= n || (rec.abTypes[i + 1] & ~PT_CLOSEFIGURE) != PT_BEZIERTO ||
                (rec.abTypes[i + 2] & ~PT_CLOSEFIGURE) != PT_BEZIERTO)
                return result;
            i += 2;
        } else if (type != PT_LINETO || !started) {
            return result;
        }
    }
    result.Valid = true;
    bool open = false;
    if (start) {
        path.MoveTo(*start);
        open = true;
    }
    auto point = [&](std::size_t i) {
        const TPointL p = rec.aPoints[i];
        return map(p.x, p.y);
    };
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint8_t type = rec.abTypes[i] & ~PT_CLOSEFIGURE;
        std::size_t last = i;
        if (type == PT_MOVETO) {
            path.MoveTo(point(i));
        } else if (type == PT_LINETO) {
            path.LineTo(point(i));
        } else {
            path.BezierTo(point(i), point(i + 1), point(i + 2));
            last = i + 2;
        }
        open = true;
        if (type != PT_MOVETO && (rec.abTypes[last] & PT_CLOSEFIGURE)) {
            path.Close();
            open = false;
        }
        i = last;
        result.Moved = true;
        result.Last = rec.aPoints[last];
    }
    result.EndsOpen = open;
    return result;
}

std::vector<TRectL> MergeRegionRects(std::vector<TRectL> rects) {
    std::erase_if(rects, [](const TRectL& r) { return r.Right <= r.Left || r.Bottom <= r.Top; });
    std::sort(rects.begin(), rects.end(), [](const TRectL& a, const TRectL& b) {
        return std::tie(a.Top, a.Left) < std::tie(b.Top, b.Left);
    });
    std::vector<TRectL> rows;
    for (const TRectL& r : rects) {
        if (!rows.empty()) {
            TRectL& last = rows.back();
            if (last.Top == r.Top && last.Bottom == r.Bottom && last.Right == r.Left) {
                last.Right = r.Right;
                continue;
            }
        }
        rows.push_back(r);
    }
    // A rectangle goes on below one of the same width that ends where it starts.
    std::vector<TRectL> merged;
    std::map<std::tuple<std::int32_t, std::int32_t, std::int32_t>, std::size_t> open; // left, right, bottom
    for (const TRectL& r : rows) {
        const auto it = open.find({r.Left, r.Right, r.Top});
        if (it != open.end()) {
            const std::size_t k = it->second;
            open.erase(it);
            merged[k].Bottom = r.Bottom;
            open[{r.Left, r.Right, r.Bottom}] = k;
            continue;
        }
        open[{r.Left, r.Right, r.Bottom}] = merged.size();
        merged.push_back(r);
    }
    return merged;
}

std::vector<TFigPoint> RectLoop(double left, double top, double right, double bottom,
                                const TPointMapper& map) {
    return {map(left, top), map(right, top), map(right, bottom), map(left, bottom)};
}

TFigurePath RegionPath(const TRegionData& region, const TPointMapper& map) {
    TFigurePath path;
    for (const TRectL& r : MergeRegionRects(region.Rects)) {
        const std::vector<TFigPoint> loop = RectLoop(r.Left, r.Top, r.Right, r.Bottom, map);
        path.MoveTo(loop[0]);
        for (std::size_t i = 1; i < loop.size(); ++i)
            path.LineTo(loop[i]);
        path.Close();
    }
    return path;
}

std::vector<TColorPiece> GradientPieces(const TEmrGradientFill& rec, const TPointMapper& map) {
    std::vector<TColorPiece> pieces;
    const std::size_t objects = rec.GradientObjects.Count() / rec.ObjectStride;
    const bool triangles = rec.ulMode == TEmrGradientFill::GRADIENT_FILL_TRIANGLE;
    if (!triangles && rec.ulMode != TEmrGradientFill::GRADIENT_FILL_RECT_H &&
        rec.ulMode != TEmrGradientFill::GRADIENT_FILL_RECT_V)
        return pieces;
    const std::size_t per = triangles ? kTriangleCuts * kTriangleCuts : kGradientBands;
    const bool fine = objects <= kMaxGradientPieces / per;
    const std::vector<TTriVertex>& v = rec.VertexObjects;
    for (std::size_t k = 0; k < objects; ++k) {
        const std::size_t at = k * rec.ObjectStride;
        const std::uint32_t i0 = rec.GradientObjects[at], i1 = rec.GradientObjects[at + 1];
        const std::uint32_t i2 = triangles ? rec.GradientObjects[at + 2] : 0;
        if (i0 >= v.size() || i1 >= v.size() || i2 >= v.size()) continue;
        if (triangles)
            TrianglePieces(v[i0], v[i1], v[i2], fine ? kTriangleCuts : 1, map, pieces);
        else
            RectanglePieces(v[i0], v[i1], rec.ulMode == TEmrGradientFill::GRADIENT_FILL_RECT_H,
                            fine ? kGradientBands : 1, map, pieces);
    }
    return pieces;
}

} // namespace mv
