#pragma once
// Spatial look-up for the white-mask pass: which later mask is the next one
// that can touch a figure.

#include "dxf/Figures.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

namespace mv {

// A closed integer box (both ends inclusive), wide enough for margins around
// 32-bit coordinates.
struct TBox {
    std::int64_t Left = 0, Top = 0, Right = 0, Bottom = 0;
    friend bool operator==(const TBox&, const TBox&) = default;
};

// A box that meets every mask.
TBox EverywhereBox();

// A box that holds the integer rectangle that f's IntersectsRect would use,
// with a margin for rounding. It never fails: a figure whose rectangle cannot
// be told, or would not fit 32 bits, gets EverywhereBox. Used for texts,
// curves, rectangles and polylines.
TBox ConservativeBox(const TmvExpDXFFigure& f);

// The bounding box of a line whose end points are whole numbers.
TBox RoundedLineBox(const TmvExpDXFFigure& line);

// The masks' rectangles in pass order, in a uniform grid; masks that would
// span many cells are kept in a separate list.
class TMaskIndex {
public:
    static constexpr std::size_t npos = std::numeric_limits<std::size_t>::max();

    explicit TMaskIndex(std::vector<TRect> masks);

    std::size_t Size() const { return masks_.size(); }
    const TRect& Mask(std::size_t k) const { return masks_[k]; }

    // The first mask k >= from whose closed rectangle meets the closed box,
    // or npos.
    std::size_t FirstMeeting(const TBox& box, std::size_t from) const;

private:
    bool Meets(std::size_t k, const TBox& b) const {
        const TRect& r = masks_[k];
        return r.Left <= b.Right && b.Left <= r.Right && r.Top <= b.Bottom && b.Top <= r.Bottom;
    }
    std::int64_t CellX(std::int64_t x) const;
    std::int64_t CellY(std::int64_t y) const;
    std::size_t ScanInOrder(const TBox& box, std::size_t from, std::size_t limit) const;

    std::vector<TRect> masks_;
    bool gridded_ = false;
    std::int64_t x0_ = 0, y0_ = 0, x1_ = 0, y1_ = 0; // the masks' bounding box
    std::int64_t cell_ = 1;
    std::int64_t nx_ = 0, ny_ = 0;
    std::vector<std::uint32_t> cellStart_; // per cell, where its masks start in cellMasks_
    std::vector<std::uint32_t> cellMasks_; // mask numbers, ascending within each cell
    std::vector<std::uint32_t> large_;     // masks kept out of the grid, ascending
};

} // namespace mv
