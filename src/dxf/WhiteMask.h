#pragma once
// White area masking: white solid rectangles hide what was drawn before them.

#include "dxf/Figures.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace mv {

// Rewrites the figure list: every white solid rectangle becomes a mask that
// cuts or trims the figures before it, and is then removed. Uses a spatial
// index over the masks; the result is the same as that of
// ApplyWhiteMasksReference, figure for figure.
void ApplyWhiteMasks(TFigureList& figures);

// The pass in its plain form: each mask visits every figure before it, from
// the nearest down to the first. Kept as the yardstick for ApplyWhiteMasks.
void ApplyWhiteMasksReference(TFigureList& figures);

// ---- Building blocks, shared by both passes.

// Whether f is a white solid fill of one four-point loop.
bool IsWhiteMask(const TmvExpDXFFigure& f);

// The integer rectangle that a mask hides: its loop points 0 and 2, rounded
// (ties to even) and ordered. ERangeError outside 32 bits.
TRect WhiteRectOf(const TmvExpDXFHatch& mask);

struct TIntSegment {
    std::int32_t x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    friend bool operator==(const TIntSegment&, const TIntSegment&) = default;
};

// At most one piece per rectangle edge.
struct TSegmentPieces {
    std::array<TIntSegment, 4> Items{};
    std::size_t Count = 0;
    const TIntSegment* begin() const { return Items.data(); }
    const TIntSegment* end() const { return Items.data() + Count; }
};

// The parts of s that lie outside r, found from s's crossings with the four
// edge lines of r in integer arithmetic (divisions truncate toward zero).
TSegmentPieces ClipSegmentOutside(const TIntSegment& s, const TRect& r);

// Cuts one figure by the rectangle white. Returns true when the figure is to
// be replaced; pieces then holds its replacement, in the order made. Lines are
// always replaced (by their visible parts, with rounded end points); texts,
// curves, rectangles and polylines only when their rectangle meets white.
bool CutFigure(const TmvExpDXFFigure& g, const TRect& white, TFigureList& pieces);

} // namespace mv
