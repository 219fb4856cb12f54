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
    GlyphIndex = 0x10,  // the string holds glyph indices, not characters
    NoRect = 0x100,     // EMR_SMALLTEXTOUT: no clipping rectangle
    SmallChars = 0x200, // EMR_SMALLTEXTOUT: one byte per character
};
} // namespace eto

// One EMRTEXT of EMR_EXTTEXTOUTA or EMR_POLYTEXTOUTA/W: Chars characters of
// one byte (the font's code page) or two (UTF-16) at offString, and an
// advance per character at offDx (none when offDx is 0).
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
    std::uint8_t CharSet = 0; // 0 (ANSI) when the record ends before it
    std::u16string FaceName;
};
// EMR_EXTCREATEFONTINDIRECTW: ihFont, then elw.
TLogFontW DecodeExtCreateFontIndirectW(const TRecordReader& r);

} // namespace mv
