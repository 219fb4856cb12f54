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
#include <span>
#include <string>
#include <vector>

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

// ExtTextOut options that change how a text record is read.
namespace eto {
enum : std::uint32_t {
    Opaque = 0x2,       // the rectangle is filled with the background colour
    GlyphIndex = 0x10,  // the string holds glyph indices, not characters
    NoRect = 0x100,     // EMR_SMALLTEXTOUT: no clipping rectangle
    SmallChars = 0x200, // EMR_SMALLTEXTOUT: one byte per character
    Pdy = 0x2000,       // the advances come in pairs: along and across the baseline
};
} // namespace eto

// One EMRTEXT of EMR_EXTTEXTOUTA or EMR_POLYTEXTOUTA/W: Chars characters of
// one byte (the font's code page) or two (UTF-16) at offString, and an
// advance per character at offDx (none when offDx is 0), two with eto::Pdy.
struct TEmrText {
    TPointL Reference;
    std::uint32_t Chars = 0;
    std::uint32_t Options = 0;
    TRectL Rectangle;
    std::span<const std::uint8_t> String;
    TU32Array Dx;
};

// EMR_EXTTEXTOUTA (one EMRTEXT of 8-bit characters).
struct TEmrExtTextOutA {
    TRectL Bounds;
    std::uint32_t iGraphicsMode = 0;
    float exScale = 0;
    float eyScale = 0;
    TEmrText Text;
};
TEmrExtTextOutA DecodeExtTextOutA(const TRecordReader& r);

// EMR_POLYTEXTOUTA and EMR_POLYTEXTOUTW: cStrings EMRTEXTs one after the
// other, each with its own string and advances; strings longer together
// than the record make it invalid.
struct TEmrPolyTextOut {
    TRectL Bounds;
    std::uint32_t iGraphicsMode = 0;
    float exScale = 0;
    float eyScale = 0;
    std::vector<TEmrText> aEmrText;
};
TEmrPolyTextOut DecodePolyTextOut(const TRecordReader& r, bool wide);

// EMR_SMALLTEXTOUT: the rectangle only without eto::NoRect, the string of
// one byte per character with eto::SmallChars (else UTF-16), no advances.
struct TEmrSmallTextOut {
    TPointL Reference;
    std::uint32_t cChars = 0;
    std::uint32_t fuOptions = 0;
    std::uint32_t iGraphicsMode = 0;
    float exScale = 0;
    float eyScale = 0;
    TRectL Bounds;
    std::span<const std::uint8_t> TextString;
};
TEmrSmallTextOut DecodeSmallTextOut(const TRecordReader& r);

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
// The EMRTEXT's options (eto::...); 0 when the record ends before them.
std::uint32_t DecodeTextOptions(const TRecordReader& r);

// What the default mode reads of an EMR_EXTTEXTOUTW besides its string: the
// options, the rectangle and the advance of each character along the
// baseline, with eto::Pdy also across it (upward). Fields the record does
// not hold stay empty; advances that do not fit are left out, so the text
// keeps the font's own spacing.
struct TEmrTextLayout {
    std::uint32_t Options = 0;
    TRectL Rectangle;
    std::vector<std::int32_t> Advances; // none, or one per character
    std::vector<std::int32_t> Rises;    // none, or one per character
};
TEmrTextLayout DecodeTextLayout(const TRecordReader& r, std::uint32_t chars);

// ---------------------------------------------------------------- header

// The parts of EMR_HEADER that place and size the picture. The micrometre
// size belongs to the header's second extension: present when the record
// (up to its description, if any) reaches beyond it.
struct TEmrHeader {
    TRectL Bounds;
    TRectL Frame;
    TSizeL Device;
    TSizeL Millimeters;
    TSizeL Micrometers;
    bool HasMicrometers = false;
};
TEmrHeader DecodeHeader(const TRecordReader& r);

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
    // Raster operations that paint without a source bitmap.
    static constexpr std::uint32_t BLACKNESS = 0x00000042, PATCOPY = 0x00F00021, WHITENESS = 0x00FF0062;
    TRectL Bounds;
    std::int32_t xDest = 0, yDest = 0, cxDest = 0, cyDest = 0;
    std::uint32_t Operation = 0;
    std::int32_t xSrc = 0, ySrc = 0;
    TXForm XformSrc;
    std::uint32_t BkColorSrc = 0;
    TEmrBitmapRef Src;
    std::int32_t cxSrc = 0, cySrc = 0;
};
// The destination and the operation, and the source part when the record
// holds it (Src is not Present() otherwise: a blit without a bitmap may end
// after its operation). None for a record that ends before its operation.
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

// EMR_SETVIEWPORTORGEX
struct TEmrSetViewportOrgEx {
    TPointL Origin;
};
TEmrSetViewportOrgEx DecodeSetViewportOrgEx(const TRecordReader& r);

// EMR_SETWINDOWEXTEX and EMR_SETVIEWPORTEXTEX.
struct TEmrSetExtentEx {
    TSizeL Extent;
};
TEmrSetExtentEx DecodeSetExtentEx(const TRecordReader& r);

// EMR_SCALEVIEWPORTEXTEX and EMR_SCALEWINDOWEXTEX.
struct TEmrScaleExtentEx {
    std::int32_t xNum = 0, xDenom = 0, yNum = 0, yDenom = 0;
};
TEmrScaleExtentEx DecodeScaleExtentEx(const TRecordReader& r);

// The records of one 32-bit value: EMR_SETMAPMODE, EMR_SETBKMODE,
// EMR_SETPOLYFILLMODE, EMR_SETROP2, EMR_SETSTRETCHBLTMODE, EMR_SETBKCOLOR,
// EMR_SETARCDIRECTION, EMR_SETMITERLIMIT.
struct TEmrSingleValue {
    std::uint32_t Value = 0;
};
TEmrSingleValue DecodeSingleValue(const TRecordReader& r);

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

// ---------------------------------------------------------------- clipping

// EMR_INTERSECTCLIPRECT and EMR_EXCLUDECLIPRECT: a rectangle in logical units.
struct TEmrClipRect {
    TRectL Clip;
};
TEmrClipRect DecodeClipRect(const TRecordReader& r);

// EMR_OFFSETCLIPRGN: an offset in logical units.
struct TEmrOffsetClipRgn {
    TPointL Offset;
};
TEmrOffsetClipRgn DecodeOffsetClipRgn(const TRecordReader& r);

// EMR_EXTSELECTCLIPRGN: the mode and the rectangles of its region in device
// units; a record without region data (RgnDataSize 0) has no rectangles.
struct TEmrExtSelectClipRgn {
    std::uint32_t RgnDataSize = 0;
    std::uint32_t RegionMode = 0;
    TRectLArray Rects;
};
TEmrExtSelectClipRgn DecodeExtSelectClipRgn(const TRecordReader& r);

// EMR_GDICOMMENT: the comment's data.
struct TEmrGdiComment {
    std::uint32_t DataSize = 0;
    std::span<const std::uint8_t> Data;
};
TEmrGdiComment DecodeGdiComment(const TRecordReader& r);

// The private comment that a placeable Windows metafile's conversion puts
// first: the tag, then the bounding box of the placeable header (left, top,
// right, bottom in the metafile's logical units), which is the picture's
// window.
inline constexpr std::uint32_t kPlaceableWindowTag = 0x4C50564D; // "MVPL"
inline constexpr std::size_t kPlaceableWindowSize = 20;

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
    std::uint8_t CharSet = 0; // 0 (ANSI) when the record ends before it
    std::u16string FaceName;
};
// EMR_EXTCREATEFONTINDIRECTW: ihFont, then elw.
TLogFontW DecodeExtCreateFontIndirectW(const TRecordReader& r);

// ---------------------------------------------------------------- paths, regions, gradients, blocks

namespace detail {
inline std::uint8_t ReadU8(std::span<const std::uint8_t> b, std::size_t at) {
    return b[at];
}
} // namespace detail
using TU8Array = TRecordArray<std::uint8_t, 1, &detail::ReadU8>;

// EMR_POLYDRAW (POINTL) and EMR_POLYDRAW16 (POINTS): the points, then one
// type byte per point.
struct TEmrPolyDraw {
    TRectL Bounds;
    std::uint32_t Count = 0;
    TPointArray aPoints;
    TU8Array abTypes;
};
TEmrPolyDraw DecodePolyDraw(const TRecordReader& r, TPointSize size);

// The rectangles of a RegionData object: its header (32 bytes: size, type,
// count, region size, bounds) and the count of rectangles after it, which
// must lie inside the region data.
struct TRegionData {
    TRectL Bound;
    std::vector<TRectL> Rects;
};

// EMR_FILLRGN (ihBrush), EMR_PAINTRGN (the selected brush) and EMR_FRAMERGN
// (ihBrush, and the frame's width and height), each with its region in
// logical units.
struct TEmrRegion {
    TRectL Bounds;
    std::uint32_t RgnDataSize = 0;
    std::uint32_t ihBrush = 0;
    TSizeL Frame;
    TRegionData RgnData;
};
TEmrRegion DecodeFillRgn(const TRecordReader& r);
TEmrRegion DecodePaintRgn(const TRecordReader& r);
TEmrRegion DecodeFrameRgn(const TRecordReader& r);

// A TriVertex: a point in logical units and 16-bit colour channels.
struct TTriVertex {
    std::int32_t x = 0, y = 0;
    std::uint16_t Red = 0, Green = 0, Blue = 0, Alpha = 0;
};

// EMR_GRADIENTFILL: the vertices, then nTri GradientRectangle (two vertex
// indices) or GradientTriangle (three) objects as ulMode says. Writers give
// rectangles the triangle's 12 bytes as often as their own 8: a record long
// enough for 12 is read so.
struct TEmrGradientFill {
    static constexpr std::uint32_t GRADIENT_FILL_RECT_H = 0, GRADIENT_FILL_RECT_V = 1,
                                   GRADIENT_FILL_TRIANGLE = 2;
    TRectL Bounds;
    std::uint32_t nVer = 0;
    std::uint32_t nTri = 0;
    std::uint32_t ulMode = 0;
    std::vector<TTriVertex> VertexObjects;
    TU32Array GradientObjects; // ObjectStride values per object, the indices first
    std::size_t ObjectStride = 3;
    std::size_t IndicesPerObject() const { return ulMode == GRADIENT_FILL_TRIANGLE ? 3 : 2; }
};
TEmrGradientFill DecodeGradientFill(const TRecordReader& r);

} // namespace mv
