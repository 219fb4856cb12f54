#pragma once
// The fields of the enhanced-metafile records the interpreter plays, under
// the names the published EMF format gives them. One decode function per
// record reads its fields through the bounds-checked record reader; a field
// beyond the record makes the metafile invalid.
//
// Each decoder reads the fields its handler uses and no field past the last
// of them, so a record is never required to be longer than its handler
// needs. Adding a record: a struct and a Decode function here, a case in
// TmvMetafile::PlayRecord and the handler.

#include "metafile/EnhMetafile.h"

#include <cstdint>
#include <optional>
#include <string>

namespace mv {

struct TXForm {
    float eM11 = 0, eM12 = 0, eM21 = 0, eM22 = 0, eDx = 0, eDy = 0;
    friend bool operator==(const TXForm&, const TXForm&) = default;
};
inline constexpr TXForm IdentityXForm{1, 0, 0, 1, 0, 0};

// ---------------------------------------------------------------- drawing records

// EMR_POLYLINE, EMR_POLYGON, EMR_POLYBEZIER, EMR_POLYLINETO, EMR_POLYBEZIERTO
// (POINTL) and their 16-bit forms (POINTS).
struct TEmrPoly {
    TRectL Bounds;
    std::uint32_t Count = 0;
    TPointArray aPoints;
};
TEmrPoly DecodePoly(const TRecordReader& r, TPointSize size);

// EMR_POLYPOLYLINE16, EMR_POLYPOLYGON16. aPoints holds the points that the
// counts name; more than Count of them makes the record invalid.
struct TEmrPolyPoly {
    TRectL Bounds;
    std::uint32_t NumberOfPolylines = 0;
    std::uint32_t Count = 0;
    TU32Array PolylinePointCount;
    TPointArray aPoints;
};
TEmrPolyPoly DecodePolyPoly(const TRecordReader& r, TPointSize size);

struct TEmrLineTo {
    TPointL Point;
};
TEmrLineTo DecodeLineTo(const TRecordReader& r);

struct TEmrSetPixelV {
    TPointL Pixel;
    std::uint32_t Color = 0;
};
TEmrSetPixelV DecodeSetPixelV(const TRecordReader& r);

// EMR_RECTANGLE and EMR_ELLIPSE.
struct TEmrBox {
    TRectL Box;
};
TEmrBox DecodeBox(const TRecordReader& r);

struct TEmrRoundRect {
    TRectL Box;
    TSizeL Corner;
};
TEmrRoundRect DecodeRoundRect(const TRecordReader& r);

// EMR_ARC, EMR_CHORD, EMR_PIE and EMR_ARCTO.
struct TEmrArc {
    TRectL Box;
    TPointL Start;
    TPointL End;
};
TEmrArc DecodeArc(const TRecordReader& r);

struct TEmrAngleArc {
    TPointL Center;
    std::uint32_t Radius = 0;
    float StartAngle = 0;
    float SweepAngle = 0;
};
TEmrAngleArc DecodeAngleArc(const TRecordReader& r);

// EMR_EXTTEXTOUTW up to the character count of its EMRTEXT. The string is
// read apart (DecodeTextString): a record without characters needs no offset.
struct TEmrExtTextOutW {
    TRectL Bounds;
    std::uint32_t iGraphicsMode = 0;
    float exScale = 0;
    float eyScale = 0;
    TPointL Reference; // EMRTEXT from here on
    std::int32_t Chars = 0;
};
TEmrExtTextOutW DecodeExtTextOutW(const TRecordReader& r);
// The EMRTEXT's string: chars UTF-16 units at its offString.
TU16Array DecodeTextString(const TRecordReader& r, std::uint32_t chars);

// ---------------------------------------------------------------- bitmap records
//
// The bitmap records are decoded apart from the others: a record too short
// for its fixed part gives nothing instead of making the whole metafile
// invalid, so that a broken bitmap only leaves out its image.

// Where a record holds a bitmap: its BITMAPINFO at offBmi (cbBmi bytes) and
// its bits at offBits (cbBits bytes), both counted from the record's start;
// Usage says how the colour table reads (DIB_RGB_COLORS, DIB_PAL_COLORS).
struct TEmrBitmapRef {
    std::uint32_t Usage = 0;
    std::uint32_t offBmi = 0, cbBmi = 0, offBits = 0, cbBits = 0;
    bool Present() const { return cbBmi != 0; }
};

// EMR_BITBLT, EMR_STRETCHBLT, EMR_ALPHABLEND and EMR_TRANSPARENTBLT share
// one layout. The 32-bit field after the destination is the raster
// operation of the two blits, the BLENDFUNCTION of the alpha blend (bytes:
// operation, flags, constant alpha, alpha format) and the transparent
// colour of the transparent blit. BITBLT has no source size: it is the
// destination's.
struct TEmrBitBlt {
    TRectL Bounds;
    std::int32_t xDest = 0, yDest = 0, cxDest = 0, cyDest = 0;
    std::uint32_t Operation = 0;
    std::int32_t xSrc = 0, ySrc = 0;
    TXForm XformSrc;
    std::uint32_t BkColorSrc = 0;
    TEmrBitmapRef Src;
    std::int32_t cxSrc = 0, cySrc = 0;
};
std::optional<TEmrBitBlt> DecodeBitBlt(const TRecordReader& r, std::uint32_t type);

// EMR_MASKBLT: the blit's fields, then the monochrome mask. Operation is the
// ROP4: the low 24 bits apply where the mask is 1, the high byte where it is 0.
struct TEmrMaskBlt {
    TEmrBitBlt Blt;
    std::int32_t xMask = 0, yMask = 0;
    TEmrBitmapRef Mask;
};
std::optional<TEmrMaskBlt> DecodeMaskBlt(const TRecordReader& r);

// EMR_PLGBLT: the source rectangle goes to the parallelogram whose upper-left,
// upper-right and lower-left corners aptlDest gives; the mask is optional.
struct TEmrPlgBlt {
    TRectL Bounds;
    TPointL aptlDest[3];
    std::int32_t xSrc = 0, ySrc = 0, cxSrc = 0, cySrc = 0;
    TXForm XformSrc;
    std::uint32_t BkColorSrc = 0;
    TEmrBitmapRef Src;
    std::int32_t xMask = 0, yMask = 0;
    TEmrBitmapRef Mask;
};
std::optional<TEmrPlgBlt> DecodePlgBlt(const TRecordReader& r);

// The fields EMR_SETDIBITSTODEVICE and EMR_STRETCHDIBITS begin with. The
// source rectangle counts its rows from the bitmap's first stored row.
struct TEmrDIBits {
    TRectL Bounds;
    std::int32_t xDest = 0, yDest = 0, xSrc = 0, ySrc = 0, cxSrc = 0, cySrc = 0;
    TEmrBitmapRef Src;
};

// EMR_SETDIBITSTODEVICE: the bits hold cScans rows from iStartScan on.
struct TEmrSetDIBitsToDevice : TEmrDIBits {
    std::uint32_t iStartScan = 0, cScans = 0;
};
std::optional<TEmrSetDIBitsToDevice> DecodeSetDIBitsToDevice(const TRecordReader& r);

struct TEmrStretchDIBits : TEmrDIBits {
    std::uint32_t BitBltRasterOperation = 0;
    std::int32_t cxDest = 0, cyDest = 0;
};
std::optional<TEmrStretchDIBits> DecodeStretchDIBits(const TRecordReader& r);

// ---------------------------------------------------------------- state records

// EMR_SETWINDOWORGEX
struct TEmrSetWindowOrgEx {
    TPointL Origin;
};
TEmrSetWindowOrgEx DecodeSetWindowOrgEx(const TRecordReader& r);

struct TEmrMoveToEx {
    TPointL Offset;
};
TEmrMoveToEx DecodeMoveToEx(const TRecordReader& r);

struct TEmrSetTextAlign {
    std::uint32_t TextAlignmentMode = 0;
};
TEmrSetTextAlign DecodeSetTextAlign(const TRecordReader& r);

struct TEmrSetTextColor {
    std::uint32_t Color = 0;
};
TEmrSetTextColor DecodeSetTextColor(const TRecordReader& r);

struct TEmrSetWorldTransform {
    TXForm Xform;
};
TEmrSetWorldTransform DecodeSetWorldTransform(const TRecordReader& r);

struct TEmrModifyWorldTransform {
    TXForm Xform;
    std::uint32_t ModifyWorldTransformMode = 0;
};
TEmrModifyWorldTransform DecodeModifyWorldTransform(const TRecordReader& r);

// ---------------------------------------------------------------- objects

// The object index that every object record starts with (ihObject, ihPen,
// ihBrush, ihFont); EMR_SELECTOBJECT and EMR_DELETEOBJECT hold nothing else.
std::uint32_t DecodeObjectIndex(const TRecordReader& r);

struct TLogPen {
    std::uint32_t PenStyle = 0;
    TPointL Width; // x is the width
    std::uint32_t ColorRef = 0;
};
// EMR_CREATEPEN: ihPen, then LogPen.
TLogPen DecodeCreatePen(const TRecordReader& r);

// The fields of a LogPenEx up to its colour (the hatch and the style
// entries that follow are not used).
struct TLogPenEx {
    std::uint32_t PenStyle = 0;
    std::uint32_t Width = 0;
    std::uint32_t BrushStyle = 0;
    std::uint32_t ColorRef = 0;
};
// EMR_EXTCREATEPEN: ihPen, offBmi, cbBmi, offBits, cbBits, then elp.
TLogPenEx DecodeExtCreatePen(const TRecordReader& r);

struct TLogBrush {
    std::uint32_t BrushStyle = 0;
    std::uint32_t Color = 0;
    std::uint32_t BrushHatch = 0;
};
// EMR_CREATEBRUSHINDIRECT: ihBrush, then LogBrush.
TLogBrush DecodeCreateBrushIndirect(const TRecordReader& r);

// The fields of a LogFont up to its underline flag, and the face name: at
// most 32 units up to the first zero unit; a record cut short inside the
// name keeps what it holds.
struct TLogFontW {
    std::int32_t Height = 0;
    std::int32_t Width = 0;
    std::int32_t Escapement = 0;
    std::int32_t Orientation = 0;
    std::int32_t Weight = 0;
    std::uint8_t Italic = 0;
    std::uint8_t Underline = 0;
    std::u16string FaceName;
};
// EMR_EXTCREATEFONTINDIRECTW: ihFont, then elw.
TLogFontW DecodeExtCreateFontIndirectW(const TRecordReader& r);

} // namespace mv
