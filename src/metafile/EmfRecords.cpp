#include "metafile/EmfRecords.h"

#include "platform/Errors.h"

#include <algorithm>

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

namespace {

// An EMRTEXT at `at`, its string of charBytes per character.
TEmrText ReadEmrText(const TRecordReader& r, std::size_t at, std::size_t charBytes) {
    TEmrText text;
    text.Reference = r.PointL(at);
    text.Chars = r.U32(at + 8);
    const std::uint32_t offString = r.U32(at + 12);
    text.Options = r.U32(at + 16);
    text.Rectangle = ReadRectL(r, at + 20);
    const std::uint32_t offDx = r.U32(at + 36);
    text.String = r.Bytes(offString, std::uint64_t{text.Chars} * charBytes);
    const std::uint64_t advances = std::uint64_t{text.Chars} * ((text.Options & eto::Pdy) != 0 ? 2 : 1);
    if (offDx != 0 && text.Chars != 0) text.Dx = r.U32Array(offDx, advances);
    return text;
}

constexpr std::size_t kEmrTextSize = 40;

// The fields the text records other than EMR_SMALLTEXTOUT begin with.
template <class TRecord> void ReadTextHead(const TRecordReader& r, TRecord& rec) {
    rec.Bounds = ReadRectL(r, 8);
    rec.iGraphicsMode = r.U32(24);
    rec.exScale = r.F32(28);
    rec.eyScale = r.F32(32);
}

} // namespace

TEmrExtTextOutA DecodeExtTextOutA(const TRecordReader& r) {
    TEmrExtTextOutA rec;
    ReadTextHead(r, rec);
    rec.Text = ReadEmrText(r, 36, 1);
    return rec;
}

TEmrPolyTextOut DecodePolyTextOut(const TRecordReader& r, bool wide) {
    TEmrPolyTextOut rec;
    ReadTextHead(r, rec);
    const std::uint32_t count = r.U32(36);
    // Every EMRTEXT lies in the record, so their number is bounded by its size.
    r.Require(40, count, kEmrTextSize);
    rec.aEmrText.reserve(count);
    std::uint64_t total = 0;
    for (std::uint32_t i = 0; i < count; ++i) {
        rec.aEmrText.push_back(ReadEmrText(r, 40 + kEmrTextSize * i, wide ? 2 : 1));
        // Strings that share their bytes would let a small record draw
        // without end; sound records hold each string of their own.
        total += rec.aEmrText.back().String.size();
        if (total > r.Size()) throw EInvalidMetafile();
    }
    return rec;
}

TEmrSmallTextOut DecodeSmallTextOut(const TRecordReader& r) {
    TEmrSmallTextOut rec;
    rec.Reference = r.PointL(8);
    rec.cChars = r.U32(16);
    rec.fuOptions = r.U32(20);
    rec.iGraphicsMode = r.U32(24);
    rec.exScale = r.F32(28);
    rec.eyScale = r.F32(32);
    std::size_t at = 36;
    if ((rec.fuOptions & eto::NoRect) == 0) {
        rec.Bounds = ReadRectL(r, at);
        at += 16;
    }
    const std::size_t charBytes = (rec.fuOptions & eto::SmallChars) != 0 ? 1 : 2;
    rec.TextString = r.Bytes(at, std::uint64_t{rec.cChars} * charBytes);
    return rec;
}

TEmrExtTextOutW DecodeExtTextOutW(const TRecordReader& r) {
    TEmrExtTextOutW rec;
    ReadTextHead(r, rec);
    rec.Reference = r.PointL(36);
    rec.Chars = r.I32(44);
    return rec;
}

TU16Array DecodeTextString(const TRecordReader& r, std::uint32_t chars) {
    const std::uint32_t offString = r.U32(48);
    return r.U16Array(offString, chars);
}

TEmrHeader DecodeHeader(const TRecordReader& r) {
    TEmrHeader h;
    h.Bounds = ReadRectL(r, 8);
    h.Frame = ReadRectL(r, 24);
    h.Device = TSizeL{r.I32(72), r.I32(76)};
    h.Millimeters = TSizeL{r.I32(80), r.I32(84)};
    // A description inside the record ends the fields before it.
    std::size_t end = r.Size();
    const std::uint32_t nDescription = r.U32(60), offDescription = r.U32(64);
    if (nDescription > 0 && offDescription >= 88) end = std::min<std::size_t>(end, offDescription);
    if (end >= 108) {
        h.Micrometers = TSizeL{r.I32(100), r.I32(104)};
        h.HasMicrometers = true;
    }
    return h;
}

TEmrSetViewportOrgEx DecodeSetViewportOrgEx(const TRecordReader& r) {
    return TEmrSetViewportOrgEx{r.PointL(8)};
}

TEmrSetExtentEx DecodeSetExtentEx(const TRecordReader& r) {
    return TEmrSetExtentEx{TSizeL{r.I32(8), r.I32(12)}};
}

TEmrScaleExtentEx DecodeScaleExtentEx(const TRecordReader& r) {
    return TEmrScaleExtentEx{r.I32(8), r.I32(12), r.I32(16), r.I32(20)};
}

TEmrSingleValue DecodeSingleValue(const TRecordReader& r) {
    return TEmrSingleValue{r.U32(8)};
}

TEmrClipRect DecodeClipRect(const TRecordReader& r) {
    return TEmrClipRect{ReadRectL(r, 8)};
}

TEmrOffsetClipRgn DecodeOffsetClipRgn(const TRecordReader& r) {
    return TEmrOffsetClipRgn{r.PointL(8)};
}

TEmrExtSelectClipRgn DecodeExtSelectClipRgn(const TRecordReader& r) {
    TEmrExtSelectClipRgn rec;
    rec.RgnDataSize = r.U32(8);
    rec.RegionMode = r.U32(12);
    // RgnData: a 32-byte header (dwSize, iType, nCount, nRgnSize, rcBound),
    // then nCount rectangles.
    constexpr std::size_t rgnData = 16, headerSize = 32;
    if (rec.RgnDataSize >= headerSize)
        rec.Rects = r.Array<TRectLArray, 16>(rgnData + headerSize, r.U32(rgnData + 8));
    return rec;
}

TEmrGdiComment DecodeGdiComment(const TRecordReader& r) {
    TEmrGdiComment rec;
    rec.DataSize = r.U32(8);
    rec.Data = r.Bytes(12, rec.DataSize);
    return rec;
}

std::uint32_t DecodeTextOptions(const TRecordReader& r) {
    return r.Has(52, 4) ? r.U32(52) : 0;
}

TEmrTextLayout DecodeTextLayout(const TRecordReader& r, std::uint32_t chars) {
    TEmrTextLayout layout;
    layout.Options = DecodeTextOptions(r);
    if (r.Has(56, 16)) layout.Rectangle = ReadRectL(r, 56);
    if (chars == 0 || !r.Has(72, 4)) return layout;
    const std::uint32_t offDx = r.U32(72);
    const std::size_t stride = (layout.Options & eto::Pdy) != 0 ? 8 : 4;
    if (offDx == 0 || !r.Has(offDx, std::size_t{chars} * stride)) return layout;
    layout.Advances.reserve(chars);
    for (std::size_t i = 0; i < chars; ++i)
        layout.Advances.push_back(r.I32(offDx + i * stride));
    if (stride == 8) {
        layout.Rises.reserve(chars);
        for (std::size_t i = 0; i < chars; ++i)
            layout.Rises.push_back(r.I32(offDx + i * stride + 4));
    }
    return layout;
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
    if (r.Has(35, 1)) font.CharSet = r.U8(35);
    for (std::size_t i = 0; i < 32 && r.Has(40 + 2 * i, 2); ++i) {
        const auto unit = static_cast<char16_t>(r.U16(40 + 2 * i));
        if (unit == 0) break;
        font.FaceName.push_back(unit);
    }
    return font;
}

// ---------------------------------------------------------------- paths, regions, gradients, blocks

TEmrPolyDraw DecodePolyDraw(const TRecordReader& r, TPointSize size) {
    TEmrPolyDraw rec;
    rec.Bounds = ReadRectL(r, 8);
    rec.Count = r.U32(24);
    rec.aPoints = r.Points(28, rec.Count, size);
    const std::size_t types = 28 + rec.aPoints.Count() * static_cast<std::size_t>(size);
    rec.abTypes = r.Array<TU8Array, 1>(types, rec.Count);
    return rec;
}

namespace {

// A RegionData object of dataSize bytes at the offset.
TRegionData ReadRegionData(const TRecordReader& r, std::size_t at, std::uint32_t dataSize) {
    constexpr std::size_t header = 32, rect = 16;
    r.Require(at, dataSize, 1);
    if (dataSize < header) throw EInvalidMetafile();
    TRegionData region;
    const std::uint32_t nCount = r.U32(at + 8);
    region.Bound = ReadRectL(r, at + 16);
    if (nCount > (dataSize - header) / rect) throw EInvalidMetafile();
    region.Rects.reserve(nCount);
    for (std::size_t i = 0; i < nCount; ++i)
        region.Rects.push_back(ReadRectL(r, at + header + i * rect));
    return region;
}

} // namespace

namespace {

// The region records differ only in the fields before the region data.
TEmrRegion DecodeRegionRecord(const TRecordReader& r, bool hasBrush, bool hasFrame) {
    TEmrRegion rec;
    rec.Bounds = ReadRectL(r, 8);
    rec.RgnDataSize = r.U32(24);
    std::size_t at = 28;
    if (hasBrush) {
        rec.ihBrush = r.U32(at);
        at += 4;
    }
    if (hasFrame) {
        rec.Frame = TSizeL{r.I32(at), r.I32(at + 4)};
        at += 8;
    }
    rec.RgnData = ReadRegionData(r, at, rec.RgnDataSize);
    return rec;
}

} // namespace

TEmrRegion DecodeFillRgn(const TRecordReader& r) {
    return DecodeRegionRecord(r, true, false);
}

TEmrRegion DecodePaintRgn(const TRecordReader& r) {
    return DecodeRegionRecord(r, false, false);
}

TEmrRegion DecodeFrameRgn(const TRecordReader& r) {
    return DecodeRegionRecord(r, true, true);
}

TEmrGradientFill DecodeGradientFill(const TRecordReader& r) {
    constexpr std::size_t vertex = 16;
    TEmrGradientFill rec;
    rec.Bounds = ReadRectL(r, 8);
    rec.nVer = r.U32(24);
    rec.nTri = r.U32(28);
    rec.ulMode = r.U32(32);
    r.Require(36, rec.nVer, vertex);
    rec.VertexObjects.reserve(rec.nVer);
    for (std::size_t i = 0; i < rec.nVer; ++i) {
        const std::size_t at = 36 + i * vertex;
        rec.VertexObjects.push_back(TTriVertex{r.I32(at), r.I32(at + 4), r.U16(at + 8), r.U16(at + 10),
                                               r.U16(at + 12), r.U16(at + 14)});
    }
    const std::size_t objects = 36 + rec.nVer * vertex;
    rec.ObjectStride = rec.IndicesPerObject();
    if (rec.ObjectStride == 2 && r.Has(objects, 0) && (r.Size() - objects) / 12 >= rec.nTri)
        rec.ObjectStride = 3;
    rec.GradientObjects = r.U32Array(objects, std::uint64_t{rec.nTri} * rec.ObjectStride);
    return rec;
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
    if (!r.Has(0, 44)) return std::nullopt;
    TEmrBitBlt rec;
    rec.Bounds = ReadRectL(r, 8);
    rec.xDest = r.I32(24);
    rec.yDest = r.I32(28);
    rec.cxDest = r.I32(32);
    rec.cyDest = r.I32(36);
    rec.Operation = r.U32(40);
    if (!r.Has(0, sized ? 108 : 100)) {
        rec.cxSrc = rec.cxDest;
        rec.cySrc = rec.cyDest;
        return rec;
    }
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
