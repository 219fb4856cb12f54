#pragma once
// The outlines and coloured areas that the path, region, gradient and block
// records of the default mode draw, in figure-plane terms. Logical points
// reach the figure plane through the caller's mapping.

#include "metafile/EmfRecords.h"
#include "metafile/FigureGeometry.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace mv {

// A logical point in the figure plane.
using TPointMapper = std::function<TFigPoint(double x, double y)>;

// EMR_POLYDRAW's point types; PT_CLOSEFIGURE is or-ed into a line or Bezier point.
enum : std::uint8_t { PT_CLOSEFIGURE = 1, PT_LINETO = 2, PT_BEZIERTO = 4, PT_MOVETO = 6 };

struct TPolyDrawResult {
    bool Valid = false;    // false: the types make no drawing, nothing was added
    bool Moved = false;    // the record had points: the position is Last
    TPointL Last;          // the last point, logical
    bool EndsOpen = false; // the last figure takes further segments
};
// Adds what EMR_POLYDRAW draws to the path; with start, a figure first
// begins there (the current position). Bezier points come in threes and
// only after a start; any other type byte makes the record draw nothing.
TPolyDrawResult AppendPolyDraw(const TEmrPolyDraw& rec, const TPointMapper& map,
                               std::optional<TFigPoint> start, TFigurePath& path);

// The rectangles of a region with the empty ones dropped and neighbours of
// the same height (then of the same width) joined into one.
std::vector<TRectL> MergeRegionRects(std::vector<TRectL> rects);
// The merged rectangles as closed subpaths.
TFigurePath RegionPath(const TRegionData& region, const TPointMapper& map);

// The corners of a logical rectangle in the figure plane, in order.
std::vector<TFigPoint> RectLoop(double left, double top, double right, double bottom,
                                const TPointMapper& map);

// A part of a gradient in one colour (0x00BBGGRR).
struct TColorPiece {
    std::vector<TFigPoint> Loop;
    std::uint32_t Rgb = 0;
};
// Pieces each in its interpolated colour: bands across a rectangle along
// its gradient, and a triangle cut into smaller ones. Objects with an index
// beyond the vertices are passed over; very many objects give one piece each
// in the average colour.
std::vector<TColorPiece> GradientPieces(const TEmrGradientFill& rec, const TPointMapper& map);

} // namespace mv
