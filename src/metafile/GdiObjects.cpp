#include "metafile/GdiObjects.h"

#include "figure/Colors.h"
#include "platform/CodePage.h"

namespace mv {

// Pens keep the low byte of their style.

TmvPen::TmvPen(const TLogPen& logPen, bool alternativeBlack) : TmvGDI(TKind::Pen) {
    Style = static_cast<PenStyle>(logPen.PenStyle & 0xFF);
    Width = logPen.Width.x;
    Color = ColorToIndex(logPen.ColorRef, alternativeBlack);
    Rgb = ResolveColorRef(logPen.ColorRef);
    Cosmetic = Width == 0;
}

TmvExtPen::TmvExtPen(const TLogPenEx& elp, bool alternativeBlack) {
    Style = static_cast<PenStyle>(elp.PenStyle & 0xFF);
    Width = static_cast<std::int32_t>(elp.Width);
    Color = ColorToIndex(elp.ColorRef, alternativeBlack);
    Rgb = ResolveColorRef(elp.ColorRef);
    constexpr std::uint32_t PS_GEOMETRIC = 0x00010000, PS_TYPE_MASK = 0x000F0000;
    Cosmetic = (elp.PenStyle & PS_TYPE_MASK) != PS_GEOMETRIC;
}

TmvBrush::TmvBrush(const TLogBrush& logBrush, bool alternativeBlack) : TmvGDI(TKind::Brush) {
    constexpr std::uint32_t BS_HATCHED = 2;
    Color = ColorToIndex(logBrush.Color, alternativeBlack);
    Rgb = ResolveColorRef(logBrush.Color);
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
    CharSet = logFont.CharSet;
    Name = Utf16ToAnsi(logFont.FaceName);
    FaceName = logFont.FaceName;
}

std::string ReadTextUnits(const TmvFont* font, const TU16Array& units) {
    const auto n = static_cast<std::uint32_t>(units.Count());
    std::string text;
    if (font && font->Name == "Symbol") {
        // Symbol characters sit in the private range F000..F0FF; their low byte is the character.
        for (std::uint32_t i = 0; i < n; ++i) {
            const std::uint16_t unit = units[i];
            if ((unit & 0xFF) == 0 || (unit >> 8) == 0) break;
            if ((unit >> 8) == 0xF0) text.push_back(static_cast<char>(unit & 0xFF));
        }
        return text;
    }
    std::u16string wide;
    wide.reserve(n);
    for (std::uint32_t i = 0; i < n; ++i) {
        const auto unit = static_cast<char16_t>(units[i]);
        if (unit == 0) break;
        wide.push_back(unit);
    }
    text = Utf16ToAnsi(wide);
    if (text.size() > n) text.resize(n);
    return text;
}

std::uint32_t ResolveColorRef(std::uint32_t color) {
    if ((color >> 24) != 0x01) return color & 0xFFFFFF;
    // An index into the palette; the default palette's twenty colours stand
    // in for whatever palette the picture selected.
    static constexpr std::uint32_t kDefaultPalette[20] = {
        0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0xC0C0C0, 0xC0DCC0, 0xF0CAA6,
        0xF0FBFF, 0xA4A0A0, 0x808080, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};
    const std::uint32_t index = color & 0xFFFF;
    return index < 20 ? kDefaultPalette[index] : 0;
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
