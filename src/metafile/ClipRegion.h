#pragma once
// TClipRegion: a clipping region of the default mode in figure coordinates,
// held as disjoint boxes in horizontal bands. Regions are combined exactly;
// one that would need more than kMaxBoxes boxes is replaced by its bounding
// box, so that a file full of region records cannot make the work grow
// without bound.

#include "metafile/FigureGeometry.h"

#include <cstdint>
#include <span>
#include <vector>

namespace mv {

class TClipRegion {
public:
    static constexpr std::size_t kMaxBoxes = 256;
    // Stands for the whole plane where a region is cut out of "everything".
    static constexpr double kPlane = 1e13;

    enum class TOp : std::uint8_t { And, Or, Xor, Diff };

    TClipRegion() = default; // empty: nothing is visible
    explicit TClipRegion(const TFigBox& box);
    // The union of the boxes (which may overlap).
    static TClipRegion FromBoxes(std::span<const TFigBox> boxes);
    static TClipRegion Combine(const TClipRegion& a, const TClipRegion& b, TOp op);
    static TClipRegion Plane() { return TClipRegion(TFigBox{-kPlane, -kPlane, kPlane, kPlane}); }

    TClipRegion Offset(TFigPoint by) const;
    bool IsEmpty() const { return boxes_.empty(); }
    const std::vector<TFigBox>& Boxes() const { return boxes_; }
    const TFigBox& Bounds() const { return bounds_; }
    // slack: how far outside a box a point may lie and still count as inside.
    bool Contains(TFigPoint p, double slack = 0) const;
    // Whether one of the boxes holds all of b: then b needs no cutting.
    bool HoldsWhole(const TFigBox& b) const;

private:
    // a op b, worked out band by band between the boxes' y edges.
    static TClipRegion Bands(std::span<const TFigBox> a, std::span<const TFigBox> b, TOp op);
    void Finish();

    std::vector<TFigBox> boxes_;
    TFigBox bounds_;
};

} // namespace mv
