#pragma once
// TDcState: everything of the default mode's device context that EMR_SAVEDC
// saves and EMR_RESTOREDC brings back, as one value. The selected objects
// and the clipping regions are shared, never copied, so a saved state costs
// a few hundred bytes whatever it holds.

#include "metafile/ClipRegion.h"
#include "metafile/GdiObjects.h"
#include "metafile/Mapping.h"

#include <cstdint>
#include <memory>

namespace mv {

struct TDcState {
    TMapping Mapping;
    // Selected objects; none stands for NULL_PEN, NULL_BRUSH and the
    // device's own font.
    std::shared_ptr<const TmvPen> Pen;
    std::shared_ptr<const TmvBrush> Brush;
    std::shared_ptr<const TmvFont> Font;
    // The current position, in logical units.
    TFigPoint Position;
    std::uint32_t TextAlign = 0;
    std::uint32_t TextColor = 0;      // 0x00BBGGRR
    std::uint32_t BkColor = 0xFFFFFF; // 0x00BBGGRR
    std::uint32_t BkMode = 2;         // OPAQUE
    std::uint32_t PolyFillMode = 1;   // ALTERNATE
    std::uint32_t Rop2 = 13;          // R2_COPYPEN
    std::uint32_t StretchBltMode = 1; // BLACKONWHITE
    std::uint32_t ArcDirection = 1;   // AD_COUNTERCLOCKWISE
    std::uint32_t MiterLimit = 10;
    // The clipping region and the meta region (none: the whole plane), and
    // what both leave visible, which is what figures are cut to.
    std::shared_ptr<const TClipRegion> Clip;
    std::shared_ptr<const TClipRegion> MetaRegion;
    std::shared_ptr<const TClipRegion> Visible;
};

} // namespace mv
