#pragma once
// The pen, brush and font objects that metafile records create. Colours are
// kept as DXF colour numbers, converted when the object is made.

#include "figure/ExportData.h"
#include "figure/LineTypes.h"
#include "metafile/EmfRecords.h"

#include <cstdint>
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

} // namespace mv
