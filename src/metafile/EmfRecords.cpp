#include "metafile/EmfRecords.h"

#include "platform/Errors.h"

namespace mv {

// Offsets count from the start of the record: type and size take bytes 0..7.

namespace {

TRectL ReadRectL(const TRecordReader& r, std::size_t at) {
    return TRectL{r.I32(at), r.I32(at + 4), r.I32(at + 8), r.I32(at + 12)};
}

TXForm ReadXForm(const TRecordReader& r, std::size_t at) {
    return TXForm{r.F32(at), r.F32(at + 4), r.F32(at + 8), r.F32(at + 12), r.F32(at + 16), r.F32(at + 20)};
}

} // namespace

TEmrPoly DecodePoly(const TRecordReader& r, TPointSize size) {
    TEmrPoly rec;
    rec.Bounds = ReadRectL(r, 8);
    rec.Count = r.U32(24);
    rec.aPoints = r.Points(28, rec.Count, size);
    return rec;
}

TEmrPolyPoly DecodePolyPoly(const TRecordReader& r, TPointSize size) {
    TEmrPolyPoly rec;
    rec.Bounds = ReadRectL(r, 8);
    rec.NumberOfPolylines = r.U32(24);
    rec.Count = r.U32(28);
    rec.PolylinePointCount = r.U32Array(32, rec.NumberOfPolylines);
    std::uint64_t sum = 0;
    for (std::uint32_t n : rec.PolylinePointCount)
        sum += n;
    if (sum > rec.Count) throw EInvalidMetafile();
    rec.aPoints = r.Points(32 + 4 * std::size_t{rec.NumberOfPolylines}, sum, size);
    return rec;
}

TEmrLineTo DecodeLineTo(const TRecordReader& r) {
    return TEmrLineTo{r.PointL(8)};
}

TEmrSetPixelV DecodeSetPixelV(const TRecordReader& r) {
    return TEmrSetPixelV{r.PointL(8), r.U32(16)};
}

TEmrBox DecodeBox(const TRecordReader& r) {
    return TEmrBox{ReadRectL(r, 8)};
}

TEmrRoundRect DecodeRoundRect(const TRecordReader& r) {
    return TEmrRoundRect{ReadRectL(r, 8), TSizeL{r.I32(24), r.I32(28)}};
}

TEmrArc DecodeArc(const TRecordReader& r) {
    return TEmrArc{ReadRectL(r, 8), r.PointL(24), r.PointL(32)};
}

TEmrAngleArc DecodeAngleArc(const TRecordReader& r) {
    return TEmrAngleArc{r.PointL(8), r.U32(16), r.F32(20), r.F32(24)};
}

TEmrExtTextOutW DecodeExtTextOutW(const TRecordReader& r) {
    TEmrExtTextOutW rec;
    rec.Bounds = ReadRectL(r, 8);
    rec.iGraphicsMode = r.U32(24);
    rec.exScale = r.F32(28);
    rec.eyScale = r.F32(32);
    rec.Reference = r.PointL(36);
    rec.Chars = r.I32(44);
    return rec;
}

TU16Array DecodeTextString(const TRecordReader& r, std::uint32_t chars) {
    const std::uint32_t offString = r.U32(48);
    return r.U16Array(offString, chars);
}

TEmrSetWindowOrgEx DecodeSetWindowOrgEx(const TRecordReader& r) {
    return TEmrSetWindowOrgEx{r.PointL(8)};
}

TEmrMoveToEx DecodeMoveToEx(const TRecordReader& r) {
    return TEmrMoveToEx{r.PointL(8)};
}

TEmrSetTextAlign DecodeSetTextAlign(const TRecordReader& r) {
    return TEmrSetTextAlign{r.U32(8)};
}

TEmrSetTextColor DecodeSetTextColor(const TRecordReader& r) {
    return TEmrSetTextColor{r.U32(8)};
}

TEmrSetWorldTransform DecodeSetWorldTransform(const TRecordReader& r) {
    return TEmrSetWorldTransform{ReadXForm(r, 8)};
}

TEmrModifyWorldTransform DecodeModifyWorldTransform(const TRecordReader& r) {
    return TEmrModifyWorldTransform{ReadXForm(r, 8), r.U32(32)};
}

std::uint32_t DecodeObjectIndex(const TRecordReader& r) {
    return r.U32(8);
}

TLogPen DecodeCreatePen(const TRecordReader& r) {
    return TLogPen{r.U32(12), r.PointL(16), r.U32(24)};
}

TLogPenEx DecodeExtCreatePen(const TRecordReader& r) {
    // offBmi, cbBmi, offBits and cbBits (12..27) come before the pen.
    return TLogPenEx{r.U32(28), r.U32(32), r.U32(36), r.U32(40)};
}

TLogBrush DecodeCreateBrushIndirect(const TRecordReader& r) {
    return TLogBrush{r.U32(12), r.U32(16), r.U32(20)};
}

TLogFontW DecodeExtCreateFontIndirectW(const TRecordReader& r) {
    TLogFontW font;
    font.Height = r.I32(12);
    font.Width = r.I32(16);
    font.Escapement = r.I32(20);
    font.Orientation = r.I32(24);
    font.Weight = r.I32(28);
    font.Italic = r.U8(32);
    font.Underline = r.U8(33);
    for (std::size_t i = 0; i < 32 && r.Has(40 + 2 * i, 2); ++i) {
        const auto unit = static_cast<char16_t>(r.U16(40 + 2 * i));
        if (unit == 0) break;
        font.FaceName.push_back(unit);
    }
    return font;
}

// ---------------------------------------------------------------- bitmap records

namespace {

TEmrBitmapRef ReadBitmapRef(const TRecordReader& r, std::size_t usageAt, std::size_t offBmiAt) {
    return TEmrBitmapRef{r.U32(usageAt), r.U32(offBmiAt), r.U32(offBmiAt + 4), r.U32(offBmiAt + 8),
                         r.U32(offBmiAt + 12)};
}

} // namespace

std::optional<TEmrBitBlt> DecodeBitBlt(const TRecordReader& r, std::uint32_t type) {
    const bool sized = type != emr::BITBLT;
    if (!r.Has(0, sized ? 108 : 100)) return std::nullopt;
    TEmrBitBlt rec;
    rec.Bounds = ReadRectL(r, 8);
    rec.xDest = r.I32(24);
    rec.yDest = r.I32(28);
    rec.cxDest = r.I32(32);
    rec.cyDest = r.I32(36);
    rec.Operation = r.U32(40);
    rec.xSrc = r.I32(44);
    rec.ySrc = r.I32(48);
    rec.XformSrc = ReadXForm(r, 52);
    rec.BkColorSrc = r.U32(76);
    rec.Src = ReadBitmapRef(r, 80, 84);
    rec.cxSrc = sized ? r.I32(100) : rec.cxDest;
    rec.cySrc = sized ? r.I32(104) : rec.cyDest;
    return rec;
}

std::optional<TEmrMaskBlt> DecodeMaskBlt(const TRecordReader& r) {
    if (!r.Has(0, 128)) return std::nullopt;
    TEmrMaskBlt rec;
    rec.Blt = *DecodeBitBlt(r, emr::BITBLT);
    rec.xMask = r.I32(100);
    rec.yMask = r.I32(104);
    rec.Mask = ReadBitmapRef(r, 108, 112);
    return rec;
}

std::optional<TEmrPlgBlt> DecodePlgBlt(const TRecordReader& r) {
    if (!r.Has(0, 140)) return std::nullopt;
    TEmrPlgBlt rec;
    rec.Bounds = ReadRectL(r, 8);
    for (std::size_t i = 0; i < 3; ++i)
        rec.aptlDest[i] = r.PointL(24 + 8 * i);
    rec.xSrc = r.I32(48);
    rec.ySrc = r.I32(52);
    rec.cxSrc = r.I32(56);
    rec.cySrc = r.I32(60);
    rec.XformSrc = ReadXForm(r, 64);
    rec.BkColorSrc = r.U32(88);
    rec.Src = ReadBitmapRef(r, 92, 96);
    rec.xMask = r.I32(112);
    rec.yMask = r.I32(116);
    rec.Mask = ReadBitmapRef(r, 120, 124);
    return rec;
}

namespace {

void ReadDIBits(const TRecordReader& r, TEmrDIBits& rec) {
    rec.Bounds = ReadRectL(r, 8);
    rec.xDest = r.I32(24);
    rec.yDest = r.I32(28);
    rec.xSrc = r.I32(32);
    rec.ySrc = r.I32(36);
    rec.cxSrc = r.I32(40);
    rec.cySrc = r.I32(44);
    rec.Src = TEmrBitmapRef{r.U32(64), r.U32(48), r.U32(52), r.U32(56), r.U32(60)};
}

} // namespace

std::optional<TEmrSetDIBitsToDevice> DecodeSetDIBitsToDevice(const TRecordReader& r) {
    if (!r.Has(0, 76)) return std::nullopt;
    TEmrSetDIBitsToDevice rec;
    ReadDIBits(r, rec);
    rec.iStartScan = r.U32(68);
    rec.cScans = r.U32(72);
    return rec;
}

std::optional<TEmrStretchDIBits> DecodeStretchDIBits(const TRecordReader& r) {
    if (!r.Has(0, 80)) return std::nullopt;
    TEmrStretchDIBits rec;
    ReadDIBits(r, rec);
    rec.BitBltRasterOperation = r.U32(68);
    rec.cxDest = r.I32(72);
    rec.cyDest = r.I32(76);
    return rec;
}

} // namespace mv
