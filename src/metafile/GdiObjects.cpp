#include "metafile/GdiObjects.h"

#include "figure/Colors.h"
#include "metafile/EnhMetafile.h"
#include "platform/CodePage.h"

namespace mv {

// Offsets count from the start of the record (type and size are bytes 0..7,
// the object index bytes 8..11).

TmvPen::TmvPen(const TRecordReader& record, bool alternativeBlack) : TmvGDI(TKind::Pen) {
    Style = static_cast<PenStyle>(record.U32(12) & 0xFF);
    Width = record.I32(16);
    Color = ColorToIndex(record.U32(24), alternativeBlack);
}

TmvExtPen::TmvExtPen(const TRecordReader& record, bool alternativeBlack) {
    // offBmi, cbBmi, offBits and cbBits (12..27) come before the EXTLOGPEN.
    Style = static_cast<PenStyle>(record.U32(28) & 0xFF);
    Width = static_cast<std::int32_t>(record.U32(32));
    Color = ColorToIndex(record.U32(40), alternativeBlack);
}

TmvBrush::TmvBrush(const TRecordReader& record, bool alternativeBlack) : TmvGDI(TKind::Brush) {
    constexpr std::uint32_t BS_HATCHED = 2;
    const std::uint32_t style = record.U32(12);
    Color = ColorToIndex(record.U32(16), alternativeBlack);
    const std::uint32_t hatch = record.U32(20);
    HatchStyle = style == BS_HATCHED && hatch <= 5 ? static_cast<BrushHatch>(hatch + 2) : BrushHatch::Solid;
}

TmvFont::TmvFont(const TRecordReader& record) : TmvGDI(TKind::Font) {
    Height = record.I32(12);
    Escapement = record.I32(20);
    Bold = record.I32(28) >= 700;
    Italic = record.U8(32) != 0;
    Underline = record.U8(33) != 0;
    // The face name: at most 32 units up to the first zero unit. A record cut
    // short inside the name keeps what it holds.
    std::u16string face;
    for (std::size_t i = 0; i < 32 && record.Has(40 + 2 * i, 2); ++i) {
        const char16_t unit = static_cast<char16_t>(record.U16(40 + 2 * i));
        if (unit == 0) break;
        face.push_back(unit);
    }
    Name = Utf16ToAnsi(face);
}

} // namespace mv
