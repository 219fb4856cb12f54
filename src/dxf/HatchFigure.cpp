#include "dxf/EntityGroups.h"
#include "dxf/Figures.h"
#include "dxf/GroupWriter.h"

#include <span>

namespace mv {

namespace {

struct TPatternLine {
    float angle;
    float offsetX; // in units of the spacing
    float offsetY;
};

// Pattern lines of the hatched brush styles 2 to 7, offsets as multiples of
// the line spacing; an empty result for any other style.
std::span<const TPatternLine> PatternLines(BrushHatch style) {
    static constexpr TPatternLine horizontal[] = {{0, 0, 1}};
    static constexpr TPatternLine vertical[] = {{90, -1, 0}};
    static constexpr TPatternLine forward[] = {{135, -1, -1}};
    static constexpr TPatternLine backward[] = {{45, -1, 1}};
    static constexpr TPatternLine cross[] = {{0, 0, 1}, {90, -1, 1}};
    static constexpr TPatternLine diagonalCross[] = {{45, -1, 1}, {135, -1, -1}};
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
        const std::span<const TPatternLine> lines = PatternLines(HatchStyle);
        AddFixedGroup(out, " 52", "0");
        AddFixedGroup(out, " 41", "1");
        AddFixedGroup(out, " 77", "0");
        out.AddInt(78, static_cast<std::int32_t>(lines.size()));
        for (const TPatternLine& line : lines) {
            AddReal(out, 53, line.angle);
            AddFixedGroup(out, " 43", "0");
            AddFixedGroup(out, " 44", "0");
            AddReal(out, 45, line.offsetX * s);
            AddReal(out, 46, line.offsetY * s);
            AddFixedGroup(out, " 79", "0");
        }
    }
    AddFixedGroup(out, " 98", "1");
    AddOrigin(out, 10); // seed point
}

} // namespace mv
