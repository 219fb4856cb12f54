#include "dxf/EntityGroups.h"
#include "dxf/Figures.h"
#include "dxf/GroupWriter.h"

#include <algorithm>
#include <cmath>
#include <span>

namespace mv {

namespace {

struct TPatternLine {
    float angle;
    float offsetX; // in units of the spacing
    float offsetY;
    // Share of the picture's spacing per offset unit: a diagonal line's
    // offset (-1, 1) moves it by two units along either axis.
    float pictureStep;
};

// Pattern lines of the hatched brush styles 2 to 7, offsets as multiples of
// the line spacing; an empty result for any other style.
std::span<const TPatternLine> PatternLines(BrushHatch style) {
    static constexpr TPatternLine horizontal[] = {{0, 0, 1, 1}};
    static constexpr TPatternLine vertical[] = {{90, -1, 0, 1}};
    static constexpr TPatternLine forward[] = {{135, -1, -1, 0.5f}};
    static constexpr TPatternLine backward[] = {{45, -1, 1, 0.5f}};
    static constexpr TPatternLine cross[] = {{0, 0, 1, 1}, {90, -1, 1, 1}};
    static constexpr TPatternLine diagonalCross[] = {{45, -1, 1, 0.5f}, {135, -1, -1, 0.5f}};
    switch (style) {
    case BrushHatch::Horizontal:
        return horizontal;
    case BrushHatch::Vertical:
        return vertical;
    case BrushHatch::ForwardDiagonal:
        return forward;
    case BrushHatch::BackwardDiagonal:
        return backward;
    case BrushHatch::Cross:
        return cross;
    case BrushHatch::DiagonalCross:
        return diagonalCross;
    default:
        return {};
    }
}

} // namespace

TmvExpDXFHatch::TmvExpDXFHatch(const TdxfExportData& data)
    : TmvExpDXFFigure(data), HatchStyle(data.HatchStyle), BoundaryKind(data.Kind.AsHatch()),
      PatternName("SOLID") {
    Data.Flags = FigureFlags::SolidFill;
    if (HatchStyle != BrushHatch::Solid) {
        Data.Flags = FigureFlags::None;
        switch (HatchStyle) {
        case BrushHatch::Horizontal:
        case BrushHatch::Vertical:
            PatternName = "LINE";
            break;
        case BrushHatch::ForwardDiagonal:
        case BrushHatch::BackwardDiagonal:
            PatternName = "ANSI31";
            break;
        case BrushHatch::Cross:
            PatternName = "NET";
            break;
        case BrushHatch::DiagonalCross:
            PatternName = "ANSI37";
            break;
        default:
            break;
        }
    }
    switch (BoundaryKind) {
    case HatchKind::Polygon:
        if (data.Count == 0) return;
        LoopCount = static_cast<std::int32_t>(data.Count);
        for (const TdxfPointList& list : data.Points) {
            if (list.size() < 3) continue;
            TdxfPointList loop;
            loop.reserve(list.size());
            for (std::size_t j = 0; j < list.size(); ++j) {
                // A point that returns to where the list stood two points
                // before is a back-and-forth spike, not part of the outline.
                const TdxfPoint& p = list[j];
                if (j >= 2 && p.x == list[j - 2].x && p.y == list[j - 2].y) continue;
                loop.push_back(p);
            }
            if (loop.size() >= 3) Loops.push_back(std::move(loop));
        }
        break;
    case HatchKind::Circle:
    case HatchKind::Ellipse:
        LoopCount = 1;
        break;
    default:
        LoopCount = 0;
        break;
    }
    LimitPatternSpacing();
}

void TmvExpDXFHatch::LimitPatternSpacing() {
    float& sx = Data.PatternSpacingX;
    float& sy = Data.PatternSpacingY;
    if (!(std::isfinite(sx) && std::isfinite(sy) && sx > 0 && sy > 0)) {
        sx = sy = 0; // the fixed spacing of the settings
        return;
    }
    // The boundary's larger side, in double so that no difference of
    // finite floats overflows.
    double extent = 0;
    if (BoundaryKind == HatchKind::Circle) {
        extent = 2.0 * std::fabs(static_cast<double>(Data.Radius));
    } else if (BoundaryKind == HatchKind::Ellipse) {
        extent = 2.0 * std::hypot(static_cast<double>(Data.Point2.x), static_cast<double>(Data.Point2.y));
    } else if (!Loops.empty()) {
        double minX = Loops[0][0].x, maxX = minX, minY = Loops[0][0].y, maxY = minY;
        for (const TdxfPointList& loop : Loops)
            for (const TdxfPoint& p : loop) {
                minX = std::min<double>(minX, p.x);
                maxX = std::max<double>(maxX, p.x);
                minY = std::min<double>(minY, p.y);
                maxY = std::max<double>(maxY, p.y);
            }
        extent = std::max(maxX - minX, maxY - minY);
    }
    // A reader draws every line of the pattern: a spacing finer than
    // 1/2000 of the boundary is widened to that, so that no hatch takes
    // more than a few thousand lines; at that density the pattern reads as
    // a tint anyway.
    const double least = extent / kMaxPatternLines;
    sx = static_cast<float>(std::max<double>(sx, least));
    sy = static_cast<float>(std::max<double>(sy, least));
}

void TmvExpDXFHatch::Export(TGroupWriter& out) const {
    // No boundary, nothing to fill: a polygon hatch whose lists were all
    // dropped, or a boundary kind that no record makes.
    if (DrawsNothing()) return;

    out.AddEntityHeader("HATCH", "AcDbHatch");
    out.AddColor(Data);
    AddOrigin(out, 10); // elevation point
    AddFixedGroup(out, " 30", "0");
    AddFixedGroup(out, "210", "0");
    AddFixedGroup(out, "220", "0");
    AddFixedGroup(out, "230", "1");
    out.AddString(2, PatternName);
    out.AddInt(70, static_cast<std::int32_t>(Data.Flags));
    AddFixedGroup(out, " 71", "0");

    if (BoundaryKind == HatchKind::Polygon) {
        out.AddInt(91, static_cast<std::int32_t>(Loops.size()));
        for (const TdxfPointList& loop : Loops) {
            const std::size_t n = loop.size();
            AddFixedGroup(out, " 92", "1");
            out.AddInt(93, static_cast<std::int32_t>(n));
            for (std::size_t j = 1; j < n; ++j) {
                AddFixedGroup(out, " 72", "1");
                out.AddPoint(10, loop[j - 1]);
                out.AddPoint(11, loop[j]);
            }
            AddFixedGroup(out, " 72", "1");
            out.AddPoint(10, loop[n - 1]);
            out.AddPoint(11, loop[0]);
            AddFixedGroup(out, " 97", "0");
        }
    } else {
        AddFixedGroup(out, " 91", "1");
        AddFixedGroup(out, " 92", "1");
        AddFixedGroup(out, " 93", "1");
        out.AddInt(72, BoundaryKind == HatchKind::Circle ? 2 : 3);
        out.AddPoint(10, Data.Point1);
        if (BoundaryKind == HatchKind::Circle) {
            AddReal(out, 40, out.ScaleValue(Data.Radius));
        } else {
            out.AddPoint(11, Data.Point2);
            AddReal(out, 40, Data.Radius); // axis ratio, never scaled
        }
        AddReal(out, 50, Data.StartAngle);
        AddReal(out, 51, Data.EndAngle);
        AddFixedGroup(out, " 73", "1");
        AddFixedGroup(out, " 97", "0");
    }

    AddFixedGroup(out, " 75", "0");
    AddFixedGroup(out, " 76", "1");
    if (Data.Flags == FigureFlags::None) {
        // Spacing 0.05 of the hatch scale, or 0.05 itself for hundredths of a
        // millimetre; held in single precision like the scale.
        const float s = out.Settings().Use01MM ? 0.05f : 0.05f * out.Settings().HatchScale;
        // The picture's own spacing is a length in figure units, written
        // the way the boundary's coordinates are.
        const bool own = Data.PatternSpacingX > 0;
        const std::span<const TPatternLine> lines = PatternLines(HatchStyle);
        AddFixedGroup(out, " 52", "0");
        AddFixedGroup(out, " 41", "1");
        AddFixedGroup(out, " 77", "0");
        out.AddInt(78, static_cast<std::int32_t>(lines.size()));
        for (const TPatternLine& line : lines) {
            AddReal(out, 53, line.angle);
            AddFixedGroup(out, " 43", "0");
            AddFixedGroup(out, " 44", "0");
            if (own) {
                AddReal(out, 45, out.ScaleValue(line.offsetX * line.pictureStep * Data.PatternSpacingX));
                AddReal(out, 46, out.ScaleValue(line.offsetY * line.pictureStep * Data.PatternSpacingY));
            } else {
                AddReal(out, 45, line.offsetX * s);
                AddReal(out, 46, line.offsetY * s);
            }
            AddFixedGroup(out, " 79", "0");
        }
    }
    AddFixedGroup(out, " 98", "1");
    AddOrigin(out, 10); // seed point
}

} // namespace mv
