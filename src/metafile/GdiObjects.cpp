#include "metafile/GdiObjects.h"

#include "figure/Colors.h"
#include "platform/CodePage.h"

namespace mv {

// Pens keep the low byte of their style.

TmvPen::TmvPen(const TLogPen& logPen, bool alternativeBlack) : TmvGDI(TKind::Pen) {
    Style = static_cast<PenStyle>(logPen.PenStyle & 0xFF);
    Width = logPen.Width.x;
    Color = ColorToIndex(logPen.ColorRef, alternativeBlack);
}

TmvExtPen::TmvExtPen(const TLogPenEx& elp, bool alternativeBlack) {
    Style = static_cast<PenStyle>(elp.PenStyle & 0xFF);
    Width = static_cast<std::int32_t>(elp.Width);
    Color = ColorToIndex(elp.ColorRef, alternativeBlack);
}

TmvBrush::TmvBrush(const TLogBrush& logBrush, bool alternativeBlack) : TmvGDI(TKind::Brush) {
    constexpr std::uint32_t BS_HATCHED = 2;
    Color = ColorToIndex(logBrush.Color, alternativeBlack);
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
    CharSet = logFont.CharSet;
    Name = Utf16ToAnsi(logFont.FaceName);
    FaceName = logFont.FaceName;
}

} // namespace mv
