#pragma once
// The pen, brush and font objects that metafile records create. Colours are
// kept as DXF colour numbers, converted when the object is made.

#include "figure/ExportData.h"
#include "figure/LineTypes.h"
#include "metafile/EmfRecords.h"

#include <cstdint>
#include <memory>
#include <string>

namespace mv {

class TmvGDI {
public:
    enum class TKind : std::uint8_t { Pen, Brush, Font };
    explicit TmvGDI(TKind kind) : Kind(kind) {}
    virtual ~TmvGDI() = default;
    TmvGDI(const TmvGDI&) = delete;
    TmvGDI& operator=(const TmvGDI&) = delete;

    const TKind Kind;
};

class TmvPen : public TmvGDI {
public:
    // The stock pen: colour -1 until a stock selection sets it.
    TmvPen() : TmvGDI(TKind::Pen) {}
    // EMR_CREATEPEN.
    TmvPen(const TLogPen& logPen, bool alternativeBlack);

    std::int32_t Color = -1; // DXF colour number
    std::int32_t Width = 0;  // logical units
    PenStyle Style = PenStyle::Solid;
    // The default mode's view: the colour as the metafile gives it
    // (0x00BBGGRR, palette forms resolved), and whether the pen is one device pixel wide whatever
    // the mapping (a pen of width 0, or a cosmetic extended pen).
    std::uint32_t Rgb = 0;
    bool Cosmetic = true;
};

class TmvExtPen : public TmvPen {
public:
    // EMR_EXTCREATEPEN.
    TmvExtPen(const TLogPenEx& elp, bool alternativeBlack);
};

class TmvBrush : public TmvGDI {
public:
    TmvBrush() : TmvGDI(TKind::Brush) {}
    // EMR_CREATEBRUSHINDIRECT.
    TmvBrush(const TLogBrush& logBrush, bool alternativeBlack);

    std::int32_t Color = -1;
    BrushHatch HatchStyle = BrushHatch::Solid;
    // The default mode's view: the colour (0x00BBGGRR, resolved) and the brush style
    // as the metafile gives it (BS_SOLID 0, BS_NULL 1, BS_HATCHED 2, ...).
    std::uint32_t Rgb = 0;
    std::uint32_t Style = 0;
};

class TmvFont : public TmvGDI {
public:
    TmvFont() : TmvGDI(TKind::Font) {}
    // EMR_EXTCREATEFONTINDIRECTW.
    explicit TmvFont(const TLogFontW& logFont);

    std::string Name; // face name in the single-byte code page
    std::int32_t Height = 0;
    std::int32_t Escapement = 0; // tenths of a degree
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    std::uint8_t CharSet = 0; // the code page of its 8-bit texts
    std::u16string FaceName;  // the name as the record gives it
};

// A text record's string as text: with the Symbol face the low bytes of its
// private-range units, otherwise the units up to the first zero converted to
// the code page and cut to the record's character count.
std::string ReadTextUnits(const TmvFont* font, const TU16Array& units);

// A COLORREF as the colour it names (0x00BBGGRR): PALETTERGB (flag byte 2)
// is the colour itself, PALETTEINDEX (flag byte 1) an entry of the default
// palette.
std::uint32_t ResolveColorRef(std::uint32_t color);

// The object that a creation record (EMR_CREATEPEN, EMR_EXTCREATEPEN,
// EMR_CREATEBRUSHINDIRECT, EMR_EXTCREATEFONTINDIRECTW) makes; none for any
// other record type.
std::unique_ptr<TmvGDI> MakeGdiObject(const TRecordReader& r, std::uint32_t type, bool alternativeBlack);

} // namespace mv
