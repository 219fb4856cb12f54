#include "metafile/WmfConverter.h"

#include "image/Dib.h"
#include "metafile/EmfRecords.h"
#include "metafile/EmfWriter.h"
#include "metafile/EnhMetafile.h"
#include "metafile/LittleEndian.h"
#include "platform/CodePage.h"
#include "platform/Errors.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <queue>

namespace mv {

namespace {

// Function numbers of the Windows metafile records that are translated or
// that take a slot of the object table.
namespace meta {
enum : std::uint16_t {
    EOF_ = 0x0000,
    SAVEDC = 0x001E,
    CREATEPALETTE = 0x00F7,
    SETBKMODE = 0x0102,
    SETMAPMODE = 0x0103,
    SETPOLYFILLMODE = 0x0106,
    RESTOREDC = 0x0127,
    SELECTOBJECT = 0x012D,
    SETTEXTALIGN = 0x012E,
    DIBCREATEPATTERNBRUSH = 0x0142,
    DELETEOBJECT = 0x01F0,
    CREATEPATTERNBRUSH = 0x01F9,
    SETBKCOLOR = 0x0201,
    SETTEXTCOLOR = 0x0209,
    SETWINDOWORG = 0x020B,
    SETWINDOWEXT = 0x020C,
    SETVIEWPORTORG = 0x020D,
    SETVIEWPORTEXT = 0x020E,
    OFFSETWINDOWORG = 0x020F,
    LINETO = 0x0213,
    MOVETO = 0x0214,
    CREATEPENINDIRECT = 0x02FA,
    CREATEFONTINDIRECT = 0x02FB,
    CREATEBRUSHINDIRECT = 0x02FC,
    POLYGON = 0x0324,
    POLYLINE = 0x0325,
    ELLIPSE = 0x0418,
    RECTANGLE = 0x041B,
    SETPIXEL = 0x041F,
    TEXTOUT = 0x0521,
    POLYPOLYGON = 0x0538,
    ROUNDRECT = 0x061C,
    CREATEREGION = 0x06FF,
    DIBBITBLT = 0x0940,
    DIBSTRETCHBLT = 0x0B41,
    SETDIBTODEV = 0x0D33,
    STRETCHDIB = 0x0F43,
    ARC = 0x0817,
    PIE = 0x081A,
    CHORD = 0x0830,
    EXTTEXTOUT = 0x0A32,
};
} // namespace meta

constexpr std::size_t PlaceableHeaderSize = 22;
constexpr std::size_t MetaHeaderSize = 18;
constexpr std::size_t RecordHeaderSize = 6;
constexpr std::uint16_t DefaultUnitsPerInch = 1440;
// Enhanced object indices are the slot + 1 and the header counts them in 16 bits.
constexpr std::uint32_t MaxSlots = 0xFFFE;
// ExtTextOut options that the enhanced record would read differently.
constexpr std::uint16_t EtoOpaque = 0x0002;
constexpr std::uint16_t EtoClipped = 0x0004;
constexpr std::uint16_t EtoPdy = 0x2000;
constexpr std::int32_t GmCompatible = 1;

std::int32_t Clamp32(std::int64_t v) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, std::numeric_limits<std::int32_t>::min(),
                                                              std::numeric_limits<std::int32_t>::max()));
}

// The smallest box around count 16-bit points that start at offset at.
TRectL PointBounds(const TRecordReader& r, std::size_t at, std::size_t count) {
    if (count == 0) return TRectL{};
    TRectL b{r.I16(at), r.I16(at + 2), r.I16(at), r.I16(at + 2)};
    for (std::size_t i = 1; i < count; ++i) {
        const std::int32_t x = r.I16(at + 4 * i), y = r.I16(at + 4 * i + 2);
        b = TRectL{std::min(b.Left, x), std::min(b.Top, y), std::max(b.Right, x), std::max(b.Bottom, y)};
    }
    return b;
}

class TWmfConverter {
public:
    TWmfConverter(std::span<const std::uint8_t> file, const TLoadOptions& options)
        : file_(file), classic_(options.Classic) {}
    std::vector<std::uint8_t> Run();

private:
    enum class TSlotKind : std::uint8_t { Empty, Pen, Brush, Font, Other };
    struct TSlot {
        TSlotKind Kind = TSlotKind::Empty;
        std::uint8_t CharSet = 0;
    };
    struct TSavedDC {
        std::int32_t OrgX = 0, OrgY = 0;
        std::uint8_t CharSet = 0;
    };

    void Translate(std::uint16_t function, const TRecordReader& r);
    void Poly(std::uint32_t type, const TRecordReader& r);
    void PolyPolygon(const TRecordReader& r);
    void BoxRecord(std::uint32_t type, const TRecordReader& r);
    void ArcLike(std::uint32_t type, const TRecordReader& r);
    void TextOut(const TRecordReader& r);
    void ExtTextOut(const TRecordReader& r);
    void WriteText(std::int32_t x, std::int32_t y, std::span<const std::uint8_t> text, std::uint32_t options,
                   const TRectL& rect, const TRecordReader* dxRecord, std::size_t dxAt);
    void CreatePen(const TRecordReader& r);
    void CreateBrush(const TRecordReader& r);
    void CreateFont(const TRecordReader& r);
    void SelectObject(const TRecordReader& r);
    void DeleteObject(const TRecordReader& r);
    void RestoreDC(const TRecordReader& r);
    void SetWindowOrg(std::int64_t x, std::int64_t y);
    void BitmapRecord(std::uint16_t function, const TRecordReader& r);

    // The lowest free slot, or none when the table is full.
    bool TakeSlot(TSlotKind kind, std::uint8_t charSet, std::uint32_t& slot);
    std::int32_t EnhIndex(std::uint32_t slot) {
        maxIndex_ = std::max(maxIndex_, slot + 1);
        return static_cast<std::int32_t>(slot + 1);
    }

    // The text of a font with the current character set, and how many bytes
    // each of its UTF-16 units stands for.
    std::u16string DecodeText(std::span<const std::uint8_t> text, std::vector<std::uint8_t>& unitBytes) const;

    std::span<const std::uint8_t> file_;
    bool classic_ = false;
    TEmfWriter out_;
    std::vector<TSlot> slots_;
    // Freed slots below slots_.size(); every slot at or past the end is free.
    std::priority_queue<std::uint32_t, std::vector<std::uint32_t>, std::greater<>> freed_;
    std::vector<TSavedDC> saved_;
    std::int32_t orgX_ = 0, orgY_ = 0;
    std::uint8_t charSet_ = 0; // the default font is an ANSI font
    std::uint32_t maxIndex_ = 0;
    float textScale_ = 1.0f;
};

std::vector<std::uint8_t> TWmfConverter::Run() {
    if (!TEnhMetafile::IsPlaceableWmf(file_)) throw EInvalidMetafile();
    const std::int32_t left = static_cast<std::int16_t>(LE16(file_, 6));
    const std::int32_t top = static_cast<std::int16_t>(LE16(file_, 8));
    const std::int32_t right = static_cast<std::int16_t>(LE16(file_, 10));
    const std::int32_t bottom = static_cast<std::int16_t>(LE16(file_, 12));
    std::uint16_t inch = LE16(file_, 14);
    if (inch == 0) inch = DefaultUnitsPerInch; // the frame needs some scale; the drawing needs none
    textScale_ = static_cast<float>(2540.0 / inch);

    // The metafile header: type (memory or disk), its own size of nine words, version.
    const std::span<const std::uint8_t> wmf = file_.subspan(PlaceableHeaderSize);
    if (wmf.size() < MetaHeaderSize) throw EInvalidMetafile();
    const std::uint16_t type = LE16(wmf, 0);
    const std::uint16_t version = LE16(wmf, 4);
    const std::uint64_t sizeBytes = 2ull * LE32(wmf, 6);
    if ((type != 1 && type != 2) || LE16(wmf, 2) != MetaHeaderSize / 2 ||
        (version != 0x0100 && version != 0x0300))
        throw EInvalidMetafile();

    // The bounding box goes first, for the default mode's window.
    out_.Record(emr::GDICOMMENT, {static_cast<std::int32_t>(kPlaceableWindowSize),
                                  static_cast<std::int32_t>(kPlaceableWindowTag), left, top, right, bottom});

    std::size_t at = MetaHeaderSize;
    bool ended = false;
    while (at < wmf.size()) {
        if (wmf.size() - at < RecordHeaderSize) {
            if (at >= sizeBytes) break; // slack after the size the header gives
            throw EInvalidMetafile();
        }
        const std::uint64_t size = 2ull * LE32(wmf, at);
        const std::uint16_t function = LE16(wmf, at + 4);
        if (size < RecordHeaderSize || size > wmf.size() - at) throw EInvalidMetafile();
        if (function == meta::EOF_) {
            ended = true;
            break;
        }
        Translate(function, TRecordReader(wmf.subspan(at + RecordHeaderSize, size - RecordHeaderSize)));
        at += size;
    }
    // Records that stop at a record boundary without the end record are
    // accepted, unless the header says the file was meant to go on.
    if (!ended && sizeBytes > wmf.size()) throw EInvalidMetafile();

    // The frame the platform gives a placeable file: the bounding box at its
    // units per inch, in 0.01 mm, from the origin.
    TEmfHeaderInfo info;
    const double frameW = std::abs(right - left) * 2540.0 / inch;
    const double frameH = std::abs(bottom - top) * 2540.0 / inch;
    info.Frame = TRectL{0, 0, static_cast<std::int32_t>(std::lround(frameW)),
                        static_cast<std::int32_t>(std::lround(frameH))};
    info.Bounds = TRectL{
        0, 0, static_cast<std::int32_t>(std::lround(frameW * info.Device.cx / (info.Millimeters.cx * 100.0))),
        static_cast<std::int32_t>(std::lround(frameH * info.Device.cy / (info.Millimeters.cy * 100.0)))};
    info.Handles = static_cast<std::uint16_t>(maxIndex_ + 1);
    return out_.Finish(info);
}

void TWmfConverter::Translate(std::uint16_t function, const TRecordReader& r) {
    switch (function) {
    case meta::SETWINDOWORG:
        SetWindowOrg(r.I16(2), r.I16(0));
        break;
    case meta::OFFSETWINDOWORG:
        SetWindowOrg(std::int64_t{orgX_} + r.I16(2), std::int64_t{orgY_} + r.I16(0));
        break;
    case meta::SETWINDOWEXT:
        out_.Record(emr::SETWINDOWEXTEX, {r.I16(2), r.I16(0)});
        break;
    case meta::SETVIEWPORTORG:
        out_.Record(emr::SETVIEWPORTORGEX, {r.I16(2), r.I16(0)});
        break;
    case meta::SETVIEWPORTEXT:
        out_.Record(emr::SETVIEWPORTEXTEX, {r.I16(2), r.I16(0)});
        break;
    case meta::SETMAPMODE:
        out_.Record(emr::SETMAPMODE, {r.U16(0)});
        break;
    case meta::SETBKMODE:
        out_.Record(emr::SETBKMODE, {r.U16(0)});
        break;
    case meta::SETPOLYFILLMODE:
        out_.Record(emr::SETPOLYFILLMODE, {r.U16(0)});
        break;
    case meta::SETBKCOLOR:
        out_.Record(emr::SETBKCOLOR, {r.I32(0)});
        break;
    case meta::SETTEXTALIGN:
        out_.Record(emr::SETTEXTALIGN, {r.U16(0)});
        break;
    case meta::SETTEXTCOLOR:
        out_.Record(emr::SETTEXTCOLOR, {r.I32(0)});
        break;
    case meta::MOVETO:
        out_.Record(emr::MOVETOEX, {r.I16(2), r.I16(0)});
        break;
    case meta::LINETO:
        out_.Record(emr::LINETO, {r.I16(2), r.I16(0)});
        break;
    case meta::SETPIXEL:
        out_.Record(emr::SETPIXELV, {r.I16(6), r.I16(4), r.I32(0)});
        break;
    case meta::POLYLINE:
        Poly(emr::POLYLINE16, r);
        break;
    case meta::POLYGON:
        Poly(emr::POLYGON16, r);
        break;
    case meta::POLYPOLYGON:
        PolyPolygon(r);
        break;
    case meta::RECTANGLE:
        BoxRecord(emr::RECTANGLE, r);
        break;
    case meta::ELLIPSE:
        BoxRecord(emr::ELLIPSE, r);
        break;
    case meta::ROUNDRECT: {
        const TRectL box{r.I16(10), r.I16(8), r.I16(6), r.I16(4)};
        out_.Record(emr::ROUNDRECT, {box.Left, box.Top, box.Right, box.Bottom, r.I16(2), r.I16(0)});
        break;
    }
    case meta::ARC:
        ArcLike(emr::ARC, r);
        break;
    case meta::PIE:
        ArcLike(emr::PIE, r);
        break;
    case meta::CHORD:
        ArcLike(emr::CHORD, r);
        break;
    case meta::TEXTOUT:
        TextOut(r);
        break;
    case meta::EXTTEXTOUT:
        ExtTextOut(r);
        break;
    case meta::SAVEDC:
        saved_.push_back(TSavedDC{orgX_, orgY_, charSet_});
        out_.Record(emr::SAVEDC, {});
        break;
    case meta::RESTOREDC:
        RestoreDC(r);
        break;
    case meta::CREATEPENINDIRECT:
        CreatePen(r);
        break;
    case meta::CREATEBRUSHINDIRECT:
        CreateBrush(r);
        break;
    case meta::CREATEFONTINDIRECT:
        CreateFont(r);
        break;
    case meta::CREATEPALETTE:
    case meta::CREATEPATTERNBRUSH:
    case meta::DIBCREATEPATTERNBRUSH:
    case meta::CREATEREGION: {
        // These objects have no enhanced counterpart that is played, but they
        // occupy a slot, which moves the slots of every later object.
        std::uint32_t slot;
        TakeSlot(TSlotKind::Other, 0, slot);
        break;
    }
    case meta::DIBBITBLT:
    case meta::DIBSTRETCHBLT:
    case meta::SETDIBTODEV:
    case meta::STRETCHDIB:
        BitmapRecord(function, r);
        break;
    case meta::SELECTOBJECT:
        SelectObject(r);
        break;
    case meta::DELETEOBJECT:
        DeleteObject(r);
        break;
    default:
        break; // no enhanced counterpart that the interpreter plays
    }
}

// The bitmap records carry a packed bitmap after their fields (in reverse
// order, as always); the enhanced records hold its BITMAPINFO and bits
// apart. A blit without a bitmap (a pattern fill) is left to the blits of
// the brush.
void TWmfConverter::BitmapRecord(std::uint16_t function, const TRecordReader& r) {
    std::size_t dibAt = 0;
    switch (function) {
    case meta::DIBBITBLT:
        dibAt = 16;
        if (r.Size() <= 18) return;
        break;
    case meta::DIBSTRETCHBLT:
        dibAt = 20;
        if (r.Size() <= 22) return;
        break;
    case meta::SETDIBTODEV:
        dibAt = 18;
        break;
    default:
        dibAt = 22;
        break;
    }
    // A record too short for its fields is passed over, as it was before
    // bitmaps were read: it must not make the whole file invalid.
    if (!r.Has(0, dibAt)) return;
    std::vector<std::uint8_t> packed(r.Size() - dibAt);
    for (std::size_t i = 0; i < packed.size(); ++i)
        packed[i] = r.U8(dibAt + i);
    const std::uint16_t usage = function == meta::STRETCHDIB    ? r.U16(4)
                                : function == meta::SETDIBTODEV ? r.U16(0)
                                                                : 0;
    const std::size_t infoSize =
        PackedDibInfoSize(packed, usage == 1 ? TDibUsage::PalColors : TDibUsage::RgbColors)
            .value_or(packed.size());
    const auto info = std::span<const std::uint8_t>(packed).first(infoSize);
    const auto bits = std::span<const std::uint8_t>(packed).subspan(infoSize);
    const auto cbBmi = static_cast<std::uint32_t>(info.size()),
               cbBits = static_cast<std::uint32_t>(bits.size());
    const auto blit = [&](std::uint32_t type, std::uint32_t rop, std::int32_t xSrc, std::int32_t ySrc,
                          std::int32_t cxSrc, std::int32_t cySrc, std::int32_t xDest, std::int32_t yDest,
                          std::int32_t cxDest, std::int32_t cyDest) {
        const std::uint32_t fixed = type == emr::BITBLT ? 100 : 108;
        out_.Begin(type)
            .Rect({xDest, yDest, xDest + cxDest, yDest + cyDest})
            .I32(xDest)
            .I32(yDest)
            .I32(cxDest)
            .I32(cyDest)
            .U32(rop)
            .I32(xSrc)
            .I32(ySrc);
        for (float f : {1.0f, 0.0f, 0.0f, 1.0f, 0.0f, 0.0f})
            out_.F32(f);
        out_.U32(0).U32(0).U32(fixed).U32(cbBmi).U32(fixed + cbBmi).U32(cbBits);
        if (type != emr::BITBLT) out_.I32(cxSrc).I32(cySrc);
    };
    // The fields SETDIBITSTODEVICE and STRETCHDIBITS begin with.
    const auto dibits = [&](std::uint32_t type, std::int32_t xSrc, std::int32_t ySrc, std::int32_t cxSrc,
                            std::int32_t cySrc, std::int32_t xDest, std::int32_t yDest, std::int32_t cxDest,
                            std::int32_t cyDest) {
        const std::uint32_t fixed = type == emr::SETDIBITSTODEVICE ? 76 : 80;
        out_.Begin(type)
            .Rect({xDest, yDest, xDest + cxDest, yDest + cyDest})
            .I32(xDest)
            .I32(yDest)
            .I32(xSrc)
            .I32(ySrc)
            .I32(cxSrc)
            .I32(cySrc)
            .U32(fixed)
            .U32(cbBmi)
            .U32(fixed + cbBmi)
            .U32(cbBits)
            .U32(usage);
    };
    switch (function) {
    case meta::DIBBITBLT:
        // rop, ySrc, xSrc, height, width, yDest, xDest
        blit(emr::BITBLT, r.U32(0), r.I16(6), r.I16(4), r.I16(10), r.I16(8), r.I16(14), r.I16(12), r.I16(10),
             r.I16(8));
        break;
    case meta::DIBSTRETCHBLT:
        // rop, srcHeight, srcWidth, ySrc, xSrc, destHeight, destWidth, yDest, xDest
        blit(emr::STRETCHBLT, r.U32(0), r.I16(10), r.I16(8), r.I16(6), r.I16(4), r.I16(18), r.I16(16),
             r.I16(14), r.I16(12));
        break;
    case meta::SETDIBTODEV: {
        // usage, scanCount, startScan, yDib, xDib, height, width, yDest, xDest
        dibits(emr::SETDIBITSTODEVICE, r.I16(8), r.I16(6), r.I16(12), r.I16(10), r.I16(16), r.I16(14),
               r.I16(12), r.I16(10));
        out_.U32(r.U16(4)).U32(r.U16(2));
        break;
    }
    default: {
        // rop, usage, srcHeight, srcWidth, ySrc, xSrc, destHeight, destWidth, yDest, xDest
        dibits(emr::STRETCHDIBITS, r.I16(12), r.I16(10), r.I16(8), r.I16(6), r.I16(20), r.I16(18), r.I16(16),
               r.I16(14));
        out_.U32(r.U32(0)).I32(r.I16(16)).I32(r.I16(14));
        break;
    }
    }
    out_.Bytes(info).Bytes(bits).End();
}

void TWmfConverter::SetWindowOrg(std::int64_t x, std::int64_t y) {
    orgX_ = Clamp32(x);
    orgY_ = Clamp32(y);
    out_.Record(emr::SETWINDOWORGEX, {orgX_, orgY_});
}

void TWmfConverter::Poly(std::uint32_t type, const TRecordReader& r) {
    const std::uint16_t count = r.U16(0);
    r.Require(2, count, 4);
    out_.Begin(type).Rect(PointBounds(r, 2, count)).U32(count);
    for (std::size_t i = 0; i < count; ++i)
        out_.I16(r.I16(2 + 4 * i)).I16(r.I16(4 + 4 * i));
    out_.End();
}

void TWmfConverter::PolyPolygon(const TRecordReader& r) {
    const std::uint16_t polys = r.U16(0);
    r.Require(2, polys, 2);
    std::uint64_t total = 0;
    for (std::size_t k = 0; k < polys; ++k)
        total += r.U16(2 + 2 * k);
    const std::size_t pointsAt = 2 + 2 * std::size_t{polys};
    r.Require(pointsAt, total, 4);
    out_.Begin(emr::POLYPOLYGON16)
        .Rect(PointBounds(r, pointsAt, total))
        .U32(polys)
        .U32(static_cast<std::uint32_t>(total));
    for (std::size_t k = 0; k < polys; ++k)
        out_.U32(r.U16(2 + 2 * k));
    for (std::size_t i = 0; i < total; ++i)
        out_.I16(r.I16(pointsAt + 4 * i)).I16(r.I16(pointsAt + 4 * i + 2));
    out_.End();
}

// RECTANGLE and ELLIPSE: bottom, right, top, left. The enhanced record keeps
// the box as the drawing call gave it (turned over or not), so that a picture
// converts to the same figures whichever of the two formats it was recorded in.
void TWmfConverter::BoxRecord(std::uint32_t type, const TRecordReader& r) {
    const TRectL box{r.I16(6), r.I16(4), r.I16(2), r.I16(0)};
    out_.Record(type, {box.Left, box.Top, box.Right, box.Bottom});
}

// ARC, PIE, CHORD: end point, start point, then the box, all in reverse order.
void TWmfConverter::ArcLike(std::uint32_t type, const TRecordReader& r) {
    const TRectL box{r.I16(14), r.I16(12), r.I16(10), r.I16(8)};
    out_.Record(type, {box.Left, box.Top, box.Right, box.Bottom, r.I16(6), r.I16(4), r.I16(2), r.I16(0)});
}

// TEXTOUT: length, the string padded to a whole word, y, x.
void TWmfConverter::TextOut(const TRecordReader& r) {
    const std::uint16_t length = r.U16(0);
    const std::size_t padded = (std::size_t{length} + 1) & ~std::size_t{1};
    r.Require(2, padded + 4, 1);
    const std::int32_t y = r.I16(2 + padded), x = r.I16(4 + padded);
    std::vector<std::uint8_t> text(length);
    for (std::size_t i = 0; i < length; ++i)
        text[i] = r.U8(2 + i);
    WriteText(x, y, text, 0, TRectL{}, nullptr, 0);
}

// EXTTEXTOUT: y, x, length, options, the rectangle when the options use one,
// the string padded to a whole word, and optionally one advance per byte.
void TWmfConverter::ExtTextOut(const TRecordReader& r) {
    const std::int32_t y = r.I16(0), x = r.I16(2);
    const std::uint16_t length = r.U16(4);
    const std::uint16_t options = r.U16(6);
    std::size_t at = 8;
    TRectL rect;
    if (options & (EtoOpaque | EtoClipped)) {
        rect = TRectL{r.I16(8), r.I16(10), r.I16(12), r.I16(14)};
        at = 16;
    }
    r.Require(at, length, 1);
    std::vector<std::uint8_t> text(length);
    for (std::size_t i = 0; i < length; ++i)
        text[i] = r.U8(at + i);
    const std::size_t dxAt = at + ((std::size_t{length} + 1) & ~std::size_t{1});
    const bool hasDx = length > 0 && r.Has(dxAt, 2 * std::size_t{length});
    WriteText(x, y, text, options & ~EtoPdy, rect, hasDx ? &r : nullptr, dxAt);
}

std::u16string TWmfConverter::DecodeText(std::span<const std::uint8_t> text,
                                         std::vector<std::uint8_t>& unitBytes) const {
    if (!classic_) return DecodeCharset(charSet_, text, &unitBytes);
    // Classic: a symbol font's bytes are glyph codes, which Unicode keeps in
    // the private-use block; every other font is read in the ANSI code page.
    std::u16string units;
    for (std::uint8_t b : text)
        units.push_back(charSet_ == charset::Symbol
                            ? static_cast<char16_t>(0xF000 | b)
                            : static_cast<char16_t>(AnsiCharToUnicode(static_cast<char>(b))));
    unitBytes.assign(text.size(), 1);
    return units;
}

void TWmfConverter::WriteText(std::int32_t x, std::int32_t y, std::span<const std::uint8_t> text,
                              std::uint32_t options, const TRectL& rect, const TRecordReader* dxRecord,
                              std::size_t dxAt) {
    std::vector<std::uint8_t> unitBytes;
    const std::u16string units = DecodeText(text, unitBytes);
    // The default mode draws nothing for a text without characters or box;
    // leaving it out keeps a file of millions of them small in memory.
    if (!classic_ && units.empty() && (options & EtoOpaque) == 0) return;
    const auto count = static_cast<std::uint32_t>(units.size());
    constexpr std::uint32_t offString = 76; // the fixed part of EMR_EXTTEXTOUTW with its EMRTEXT
    const std::uint32_t stringBytes = (2 * count + 3) & ~3u;
    out_.Begin(emr::EXTTEXTOUTW).Rect(TRectL{}).I32(GmCompatible).F32(textScale_).F32(textScale_);
    out_.I32(x).I32(y).U32(count).U32(offString).U32(options).Rect(rect);
    out_.U32(dxRecord ? offString + stringBytes : 0);
    for (char16_t unit : units)
        out_.U16(unit);
    out_.Pad4();
    if (dxRecord) {
        // One advance per byte: a character of two bytes advances by both.
        std::size_t at = dxAt;
        for (std::uint8_t n : unitBytes) {
            std::int32_t dx = 0;
            for (std::uint8_t k = 0; k < n; ++k, at += 2)
                dx += dxRecord->I16(at);
            out_.I32(dx);
        }
    }
    out_.End();
}

bool TWmfConverter::TakeSlot(TSlotKind kind, std::uint8_t charSet, std::uint32_t& slot) {
    if (!freed_.empty()) {
        slot = freed_.top();
        freed_.pop();
    } else if (slots_.size() < MaxSlots) {
        slot = static_cast<std::uint32_t>(slots_.size());
        slots_.emplace_back();
    } else {
        return false; // the table is full: the object is not made
    }
    slots_[slot] = TSlot{kind, charSet};
    return true;
}

// LOGPEN16: style, width as a point (x used), colour.
void TWmfConverter::CreatePen(const TRecordReader& r) {
    const std::uint16_t style = r.U16(0);
    const std::int32_t width = r.I16(2), widthY = r.I16(4), color = r.I32(6);
    std::uint32_t slot;
    if (!TakeSlot(TSlotKind::Pen, 0, slot)) return;
    out_.Record(emr::CREATEPEN, {EnhIndex(slot), style, width, widthY, color});
}

// LOGBRUSH16: style, colour, hatch.
void TWmfConverter::CreateBrush(const TRecordReader& r) {
    const std::uint16_t style = r.U16(0);
    const std::int32_t color = r.I32(2);
    const std::uint16_t hatch = r.U16(6);
    std::uint32_t slot;
    if (!TakeSlot(TSlotKind::Brush, 0, slot)) return;
    out_.Record(emr::CREATEBRUSHINDIRECT, {EnhIndex(slot), style, color, hatch});
}

// LOGFONT16: five 16-bit values, eight bytes, then a face name of at most
// 32 bytes that may end early with the record.
void TWmfConverter::CreateFont(const TRecordReader& r) {
    r.Require(0, 18, 1);
    const std::uint8_t charSet = r.U8(13);
    std::uint32_t slot;
    if (!TakeSlot(TSlotKind::Font, charSet, slot)) return;
    out_.Begin(emr::EXTCREATEFONTINDIRECTW).I32(EnhIndex(slot));
    for (std::size_t i = 0; i < 5; ++i)
        out_.I32(r.I16(2 * i)); // height, width, escapement, orientation, weight
    for (std::size_t i = 10; i < 18; ++i)
        out_.U8(r.U8(i)); // italic ... pitch and family
    std::vector<std::uint8_t> face;
    for (std::size_t at = 18; at < 18 + 32 && r.Has(at, 1) && r.U8(at) != 0; ++at)
        face.push_back(r.U8(at));
    // A symbol font's name is written in letters all the same.
    const std::u16string name =
        classic_ ? DecodeCharset(charset::Ansi, face)
                 : DecodeCharset(charSet == charset::Symbol ? std::uint8_t{charset::Ansi} : charSet, face);
    for (std::size_t i = 0; i < 32; ++i)
        out_.U16(i < name.size() ? name[i] : 0);
    out_.End();
}

void TWmfConverter::SelectObject(const TRecordReader& r) {
    const std::uint16_t slot = r.U16(0);
    if (slot >= slots_.size()) return;
    const TSlot& s = slots_[slot];
    // Palettes and regions are not selected this way; an empty slot selects nothing.
    if (s.Kind == TSlotKind::Empty || s.Kind == TSlotKind::Other) return;
    if (s.Kind == TSlotKind::Font) charSet_ = s.CharSet;
    out_.Record(emr::SELECTOBJECT, {EnhIndex(slot)});
}

void TWmfConverter::DeleteObject(const TRecordReader& r) {
    const std::uint16_t slot = r.U16(0);
    if (slot >= slots_.size() || slots_[slot].Kind == TSlotKind::Empty) return;
    if (slots_[slot].Kind != TSlotKind::Other) out_.Record(emr::DELETEOBJECT, {EnhIndex(slot)});
    slots_[slot] = TSlot{};
    freed_.push(slot);
}

// A negative level counts back from the latest save, a positive one names a
// save by its number; a level that does not exist restores nothing.
void TWmfConverter::RestoreDC(const TRecordReader& r) {
    const std::int32_t level = r.I16(0);
    out_.Record(emr::RESTOREDC, {level});
    std::size_t keep;
    if (level < 0 && static_cast<std::size_t>(-level) <= saved_.size())
        keep = saved_.size() + level;
    else if (level > 0 && static_cast<std::size_t>(level) <= saved_.size())
        keep = static_cast<std::size_t>(level) - 1;
    else
        return;
    const TSavedDC state = saved_[keep];
    saved_.resize(keep);
    orgX_ = state.OrgX;
    orgY_ = state.OrgY;
    charSet_ = state.CharSet;
}

} // namespace

std::vector<std::uint8_t> ConvertPlaceableWmf(std::span<const std::uint8_t> file,
                                              const TLoadOptions& options) {
    return TWmfConverter(file, options).Run();
}

} // namespace mv
