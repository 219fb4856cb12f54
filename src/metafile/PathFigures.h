#pragma once
// Figures of an outline made of lines and Bezier segments: what stroking,
// filling or both make of it in the default mode. A stroke becomes
// polylines for the straight runs and splines for the Bezier runs; a fill
// becomes one hatch whose loops are the subpaths, closed and flattened.

#include "figure/FigureSink.h"
#include "metafile/FigureEmitter.h"
#include "metafile/FigureGeometry.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace mv {

// EMR_SETPOLYFILLMODE: which points an outline that crosses itself, or
// subpaths inside each other, fill.
enum class TPolyFillMode : std::uint8_t { Alternate = 1, Winding = 2 };

// Most points a flattened outline may have; beyond, curves are cut coarser.
inline constexpr std::size_t kMaxFlatPoints = std::size_t{1} << 22;

// The outline with every curve replaced by lines within the flatness, or
// coarser where the fine result would pass maxPoints (never more points than
// the outline has, nor than maxPoints where the outline has fewer).
TFigurePath FlattenWithin(const TFigurePath& path, double flatness = kFlatness,
                          std::size_t maxPoints = kMaxFlatPoints);

// The loops a fill of the outline has: every subpath closed, curves
// flattened, loops of fewer than three points left out. Under the winding
// rule the loops whose edges do not part filled from unfilled are left out
// too, so that a fill by odd parity (the one a hatch knows) covers what the
// winding rule fills; this holds for loops that do not cross each other.
std::vector<std::vector<TFigPoint>> FillLoops(const TFigurePath& path, TPolyFillMode mode);

// The stroke of every subpath: one polyline per straight run (closed when the
// whole subpath is a closed straight run) and one Bezier figure per run of
// Bezier segments; a closed subpath gets its closing line.
void StrokePathFigures(const TFigurePath& path, const TStrokeLook& look, IFigureSink& sink);
// One polygon hatch of FillLoops; nothing when no loop is left.
void FillPathFigures(const TFigurePath& path, const TFillLook& look, TPolyFillMode mode, IFigureSink& sink);
// The fill, then the stroke on top of it.
void StrokeAndFillPathFigures(const TFigurePath& path, const TStrokeLook& stroke, const TFillLook& fill,
                              TPolyFillMode mode, IFigureSink& sink);

// A hatch of the given loops (at least three points each) in the fill's
// colour and style; nothing when there are none.
void FillLoopsHatch(const std::vector<std::vector<TFigPoint>>& loops, const TFillLook& look,
                    IFigureSink& sink);

} // namespace mv
