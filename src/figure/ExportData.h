#pragma once
// The figure description that the interpreter fills for each metafile record
// and that every figure copies.

#include <cstdint>
#include <string>
#include <vector>

namespace mv {

// A point in drawing units, three single-precision values.
struct TdxfPoint {
    float x = 0;
    float y = 0;
    float z = 0;
    friend bool operator==(const TdxfPoint&, const TdxfPoint&) = default;
};

using TdxfPointList = std::vector<TdxfPoint>;

// What a hatch's boundary is.
enum class HatchKind : std::uint8_t { Polygon = 0, Circle = 1, Ellipse = 2 };
// Which arc an arc figure draws: angles in degrees, or parameters in radians.
enum class ArcShape : std::uint8_t { Circular = 0, Elliptical = 1 };

// The description's Kind: one byte that a hatch reads as its HatchKind and
// an arc as its ArcShape. Other values stand for nothing drawable.
class TShapeKind {
public:
    constexpr TShapeKind() = default;
    constexpr TShapeKind(HatchKind kind) : value_(static_cast<std::uint8_t>(kind)) {}
    constexpr TShapeKind(ArcShape shape) : value_(static_cast<std::uint8_t>(shape)) {}
    constexpr HatchKind AsHatch() const { return static_cast<HatchKind>(value_); }
    constexpr ArcShape AsArc() const { return static_cast<ArcShape>(value_); }
    constexpr std::uint8_t Value() const { return value_; }
    friend constexpr bool operator==(TShapeKind, TShapeKind) = default;

private:
    std::uint8_t value_ = 0;
};

// The brush style of a filled area: the brush's hatch index + 2 for the
// hatched brushes, 0 for every other brush.
enum class BrushHatch : std::uint8_t {
    Solid = 0,
    Horizontal = 2,
    Vertical = 3,
    ForwardDiagonal = 4,
    BackwardDiagonal = 5,
    Cross = 6,
    DiagonalCross = 7,
};

// Group 70 of a polyline or hatch, and the italic mark of a text: one bit
// whose meaning follows the figure.
enum class FigureFlags : std::uint8_t {
    None = 0,
    Closed = 1,    // polyline and rectangle
    SolidFill = 1, // hatch (set by the hatch itself)
    Italic = 1,    // text
};
constexpr bool HasFlag(FigureFlags flags, FigureFlags flag) {
    return (static_cast<unsigned>(flags) & static_cast<unsigned>(flag)) != 0;
}

// Everything of the description except the point lists. Figures keep a copy
// of this part only: the point lists are needed while a figure is built and
// the polyline and hatch figures copy the points they use.
struct TdxfFigureFields {
    std::uint32_t Count = 0; // number of point lists in Points
    FigureFlags Flags = FigureFlags::None;
    BrushHatch HatchStyle = BrushHatch::Solid;
    TShapeKind Kind;        // HatchKind of a hatch, ArcShape of an arc
    std::int32_t Color = 0; // DXF colour number; 0 and 256 write no group 62
    float PenWidth = 0;
    float Rotation = 0;   // text rotation, degrees counter-clockwise
    float ConstWidth = 0; // LWPOLYLINE group 43; 0 = none
    std::string Text;     // line-type name of a drawn figure, or a text's contents
    TdxfPoint Point1;
    TdxfPoint Point2;
    float Radius = 0;       // circle/arc radius; axis ratio of an ellipse
    std::uint8_t Align = 0; // text attachment, 0-based
    // A text uses TextWidth and Height, an arc StartAngle and EndAngle. The
    // original record overlays the two pairs; nothing reads one pair through
    // the other, so they are kept apart here.
    float TextWidth = 0;
    float StartAngle = 0; // degrees (circular arc) or radians (elliptical arc)
    float EndAngle = 0;
    float Height = 0;
    // A hatched pattern's line spacing along x and y in figure units (the
    // brush's 8 device pixels); 0 keeps the export settings' fixed spacing.
    float PatternSpacingX = 0;
    float PatternSpacingY = 0;
};

struct TdxfExportData : TdxfFigureFields {
    std::vector<TdxfPointList> Points; // valid only while a figure is built

    // The description of a figure: everything but the point lists.
    static TdxfExportData FigureCopy(const TdxfExportData& src) {
        TdxfExportData copy;
        static_cast<TdxfFigureFields&>(copy) = src;
        copy.TrueColor = src.TrueColor;
        return copy;
    }
    std::int32_t TrueColor = -1; // the picture's own colour 0x00RRGGBB, or -1
};

} // namespace mv
