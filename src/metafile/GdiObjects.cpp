#include "metafile/GdiObjects.h"

#include "figure/Colors.h"
#include "platform/CodePage.h"

namespace mv {

// Pens keep the low byte of their style.

TmvPen::TmvPen(const TLogPen& logPen, bool alternativeBlack) : TmvGDI(TKind::Pen) {
    Style = static_cast<PenStyle>(logPen.PenStyle & 0xFF);
    Width = logPen.Width.x;
    Color = ColorToIndex(logPen.ColorRef, alternativeBlack);
    Rgb = logPen.ColorRef & 0xFFFFFF;
    Cosmetic = Width == 0;
}

TmvExtPen::TmvExtPen(const TLogPenEx& elp, bool alternativeBlack) {
    Style = static_cast<PenStyle>(elp.PenStyle & 0xFF);
    Width = static_cast<std::int32_t>(elp.Width);
    Color = ColorToIndex(elp.ColorRef, alternativeBlack);
    Rgb = elp.ColorRef & 0xFFFFFF;
    constexpr std::uint32_t PS_GEOMETRIC = 0x00010000, PS_TYPE_MASK = 0x000F0000;
    Cosmetic = (elp.PenStyle & PS_TYPE_MASK) != PS_GEOMETRIC;
}

TmvBrush::TmvBrush(const TLogBrush& logBrush, bool alternativeBlack) : TmvGDI(TKind::Brush) {
    constexpr std::uint32_t BS_HATCHED = 2;
    Color = ColorToIndex(logBrush.Color, alternativeBlack);
    Rgb = logBrush.Color & 0xFFFFFF;
    Style = logBrush.BrushStyle;
    HatchStyle = logBrush.BrushStyle == BS_HATCHED && logBrush.BrushHatch <= 5
                     ? static_cast<BrushHatch>(logBrush.BrushHatch + 2)
                     : BrushHatch::Solid;
}

TmvFont::TmvFont(const TLogFontW& logFont) : TmvGDI(TKind::Font) {
    Height = logFont.Height;
    Escapement = logFont.Escapement;
    Bold = logFont.Weight >= 700;
    Italic = logFont.Italic != 0;
    Underline = logFont.Underline != 0;
    Name = Utf16ToAnsi(logFont.FaceName);
}

std::unique_ptr<TmvGDI> MakeGdiObject(const TRecordReader& r, std::uint32_t type, bool alternativeBlack) {
    switch (type) {
    case emr::CREATEPEN:
        return std::make_unique<TmvPen>(DecodeCreatePen(r), alternativeBlack);
    case emr::EXTCREATEPEN:
        return std::make_unique<TmvExtPen>(DecodeExtCreatePen(r), alternativeBlack);
    case emr::CREATEBRUSHINDIRECT:
        return std::make_unique<TmvBrush>(DecodeCreateBrushIndirect(r), alternativeBlack);
    case emr::EXTCREATEFONTINDIRECTW:
        return std::make_unique<TmvFont>(DecodeExtCreateFontIndirectW(r));
    default:
        return nullptr;
    }
}

} // namespace mv
