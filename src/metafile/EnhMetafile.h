#pragma once
// An enhanced metafile held as its bytes, checked once when it is made so
// that the record walk can trust the record sizes.

#include "metafile/LittleEndian.h"

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <span>
#include <string>
#include <vector>

namespace mv {

// EMR record types that the conversion looks at.
namespace emr {
enum : std::uint32_t {
    HEADER = 1,
    POLYBEZIER = 2,
    POLYGON = 3,
    POLYLINE = 4,
    POLYBEZIERTO = 5,
    POLYLINETO = 6,
    POLYPOLYLINE = 7,
    POLYPOLYGON = 8,
    SETWINDOWEXTEX = 9,
    SETWINDOWORGEX = 10,
    SETVIEWPORTEXTEX = 11,
    SETVIEWPORTORGEX = 12,
    EOF_ = 14,
    SETPIXELV = 15,
    SETMAPPERFLAGS = 16,
    SETMAPMODE = 17,
    SETBKMODE = 18,
    SETPOLYFILLMODE = 19,
    SETROP2 = 20,
    SETSTRETCHBLTMODE = 21,
    SETTEXTALIGN = 22,
    SETTEXTCOLOR = 24,
    SETBKCOLOR = 25,
    OFFSETCLIPRGN = 26,
    MOVETOEX = 27,
    SETMETARGN = 28,
    EXCLUDECLIPRECT = 29,
    INTERSECTCLIPRECT = 30,
    SCALEVIEWPORTEXTEX = 31,
    SCALEWINDOWEXTEX = 32,
    SAVEDC = 33,
    RESTOREDC = 34,
    SETWORLDTRANSFORM = 35,
    MODIFYWORLDTRANSFORM = 36,
    SELECTOBJECT = 37,
    CREATEPEN = 38,
    CREATEBRUSHINDIRECT = 39,
    DELETEOBJECT = 40,
    ANGLEARC = 41,
    ELLIPSE = 42,
    RECTANGLE = 43,
    ROUNDRECT = 44,
    ARC = 45,
    CHORD = 46,
    PIE = 47,
    SELECTPALETTE = 48,
    CREATEPALETTE = 49,
    LINETO = 54,
    ARCTO = 55,
    SETARCDIRECTION = 57,
    SETMITERLIMIT = 58,
    SELECTCLIPPATH = 67,
    GDICOMMENT = 70,
    EXTSELECTCLIPRGN = 75,
    BITBLT = 76,
    STRETCHBLT = 77,
    MASKBLT = 78,
    PLGBLT = 79,
    SETDIBITSTODEVICE = 80,
    STRETCHDIBITS = 81,
    EXTCREATEFONTINDIRECTW = 82,
    EXTTEXTOUTA = 83,
    EXTTEXTOUTW = 84,
    POLYBEZIER16 = 85,
    POLYGON16 = 86,
    POLYLINE16 = 87,
    POLYBEZIERTO16 = 88,
    POLYLINETO16 = 89,
    POLYPOLYLINE16 = 90,
    POLYPOLYGON16 = 91,
    CREATEMONOBRUSH = 93,
    CREATEDIBPATTERNBRUSHPT = 94,
    EXTCREATEPEN = 95,
    // Paths, regions and gradients.
    POLYDRAW = 56,
    BEGINPATH = 59,
    ENDPATH = 60,
    CLOSEFIGURE = 61,
    FILLPATH = 62,
    STROKEANDFILLPATH = 63,
    STROKEPATH = 64,
    FLATTENPATH = 65,
    WIDENPATH = 66,
    ABORTPATH = 68,
    FILLRGN = 71,
    FRAMERGN = 72,
    PAINTRGN = 74,
    POLYDRAW16 = 92,
    ALPHABLEND = 114,
    TRANSPARENTBLT = 116,
    GRADIENTFILL = 118,
    // Text records beside EXTTEXTOUTW.
    POLYTEXTOUTA = 96,
    POLYTEXTOUTW = 97,
    SMALLTEXTOUT = 108,
};
} // namespace emr

// One record: its type, and its bytes (type and size fields included).
struct TEmrRecord {
    std::uint32_t Type = 0;
    std::span<const std::uint8_t> Bytes;
};

// How a file becomes enhanced records.
struct TLoadOptions {
    // The conversion of earlier versions (see TInterpretSettings::Classic).
    bool Classic = false;
};

class TEnhMetafile {
public:
    // Accepts the bytes of an enhanced metafile: at least 101 bytes, first
    // record EMR_HEADER, signature " EMF" at byte 40; the header's byte count
    // (at byte 48) says how many bytes belong to it. Every record must be at
    // least 8 bytes, a multiple of 4 and lie inside those bytes. Raises
    // EInvalidMetafile otherwise.
    static TEnhMetafile FromEmfBytes(std::vector<std::uint8_t> bytes);
    // The platform loader: an enhanced metafile, or a placeable Windows
    // metafile converted into enhanced records; anything else is invalid.
    static TEnhMetafile FromFileBytes(std::vector<std::uint8_t> bytes, const TLoadOptions& options = {});
    // Reads the file (EFOpenError when it cannot be opened) and loads it.
    static TEnhMetafile LoadFromFile(const std::string& fileName, const TLoadOptions& options = {});
    // Reads one metafile from standard input as LoadFromFile reads a file,
    // `name` standing for it in messages. An enhanced metafile is read as far
    // as its header's byte count goes and no further; a placeable WMF to the
    // end of the stream. Neither may be larger than kStandardInputLimit
    // (TmvError with msg::StandardInputTooLarge).
    static TEnhMetafile LoadFromStandardInput(const std::string& name, const TLoadOptions& options = {});
    static constexpr std::uint64_t kStandardInputLimit = 256u << 20;

    static bool IsEnhancedMetafile(std::span<const std::uint8_t> bytes);
    static bool IsPlaceableWmf(std::span<const std::uint8_t> bytes);

    const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
    const std::vector<TEmrRecord>& Records() const { return records_; }

private:
    std::vector<std::uint8_t> bytes_;
    std::vector<TEmrRecord> records_;
};

// A point of two 32-bit signed values, as records hold POINTL (and POINTS,
// sign-extended).
struct TPointL {
    std::int32_t x = 0;
    std::int32_t y = 0;
    friend bool operator==(const TPointL&, const TPointL&) = default;
};

struct TRectL {
    std::int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
};

struct TSizeL {
    std::int32_t cx = 0, cy = 0;
};

// How a record stores its points: POINTS (two 16-bit values) or POINTL.
enum class TPointSize : std::uint8_t { Points16 = 4, Points32 = 8 };

// A run of elements inside a record, checked once against the record when
// the reader makes it: Count() elements of Stride bytes each, read with
// Read. Element i < Count() needs no further check.
template <class T, std::size_t Stride, T (*Read)(std::span<const std::uint8_t>, std::size_t)>
class TRecordArray {
public:
    TRecordArray() = default;
    explicit TRecordArray(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::size_t Count() const { return bytes_.size() / Stride; }
    T operator[](std::size_t i) const { return Read(bytes_, i * Stride); }

    class iterator {
    public:
        using value_type = T;
        using difference_type = std::ptrdiff_t;
        iterator() = default;
        iterator(const TRecordArray* array, std::size_t i) : array_(array), i_(i) {}
        T operator*() const { return (*array_)[i_]; }
        iterator& operator++() {
            ++i_;
            return *this;
        }
        iterator operator++(int) {
            iterator before = *this;
            ++i_;
            return before;
        }
        friend bool operator==(const iterator& a, const iterator& b) { return a.i_ == b.i_; }

    private:
        const TRecordArray* array_ = nullptr;
        std::size_t i_ = 0;
    };
    iterator begin() const { return iterator(this, 0); }
    iterator end() const { return iterator(this, Count()); }

private:
    std::span<const std::uint8_t> bytes_;
};

namespace detail {
inline TPointL ReadPointS(std::span<const std::uint8_t> b, std::size_t at) {
    return TPointL{static_cast<std::int16_t>(LE16(b, at)), static_cast<std::int16_t>(LE16(b, at + 2))};
}
inline TPointL ReadPointL(std::span<const std::uint8_t> b, std::size_t at) {
    return TPointL{static_cast<std::int32_t>(LE32(b, at)), static_cast<std::int32_t>(LE32(b, at + 4))};
}
inline TRectL ReadRectL(std::span<const std::uint8_t> b, std::size_t at) {
    return TRectL{static_cast<std::int32_t>(LE32(b, at)), static_cast<std::int32_t>(LE32(b, at + 4)),
                  static_cast<std::int32_t>(LE32(b, at + 8)), static_cast<std::int32_t>(LE32(b, at + 12))};
}
} // namespace detail

using TU16Array = TRecordArray<std::uint16_t, 2, &LE16>;
using TU32Array = TRecordArray<std::uint32_t, 4, &LE32>;
using TPointSArray = TRecordArray<TPointL, 4, &detail::ReadPointS>;
using TPointLArray = TRecordArray<TPointL, 8, &detail::ReadPointL>;
using TRectLArray = TRecordArray<TRectL, 16, &detail::ReadRectL>;

// Points of either size behind one interface.
class TPointArray {
public:
    TPointArray() = default;
    TPointArray(TPointSArray points) : short_(points), size_(TPointSize::Points16) {}
    TPointArray(TPointLArray points) : long_(points), size_(TPointSize::Points32) {}
    std::size_t Count() const { return size_ == TPointSize::Points16 ? short_.Count() : long_.Count(); }
    TPointL operator[](std::size_t i) const { return size_ == TPointSize::Points16 ? short_[i] : long_[i]; }

private:
    TPointSArray short_;
    TPointLArray long_;
    TPointSize size_ = TPointSize::Points32;
};

// Little-endian reading inside one record. Every read is checked against the
// record's own size: a field beyond it makes the metafile invalid.
class TRecordReader {
public:
    explicit TRecordReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    std::size_t Size() const { return bytes_.size(); }
    bool Has(std::size_t offset, std::size_t length) const {
        return offset <= bytes_.size() && length <= bytes_.size() - offset;
    }
    std::uint8_t U8(std::size_t offset) const;
    std::uint16_t U16(std::size_t offset) const;
    std::int16_t I16(std::size_t offset) const { return static_cast<std::int16_t>(U16(offset)); }
    std::uint32_t U32(std::size_t offset) const;
    std::int32_t I32(std::size_t offset) const { return static_cast<std::int32_t>(U32(offset)); }
    float F32(std::size_t offset) const;
    // Raises EInvalidMetafile unless [offset, offset + count * elementSize) lies inside the record.
    // Overflow-safe: the count is compared with the room left, never multiplied first.
    void Require(std::size_t offset, std::uint64_t count, std::size_t elementSize) const;

    TPointL PointL(std::size_t offset) const { return TPointL{I32(offset), I32(offset + 4)}; }
    // The count bytes from offset (EInvalidMetafile when they leave the record).
    std::span<const std::uint8_t> Bytes(std::size_t offset, std::uint64_t count) const {
        Require(offset, count, 1);
        return bytes_.subspan(offset, static_cast<std::size_t>(count));
    }
    // Checked views of count elements from offset (EInvalidMetafile when they
    // do not all lie inside the record).
    template <class TArray, std::size_t Stride> TArray Array(std::size_t offset, std::uint64_t count) const {
        Require(offset, count, Stride);
        return TArray(bytes_.subspan(offset, static_cast<std::size_t>(count) * Stride));
    }
    TU16Array U16Array(std::size_t offset, std::uint64_t count) const {
        return Array<TU16Array, 2>(offset, count);
    }
    TU32Array U32Array(std::size_t offset, std::uint64_t count) const {
        return Array<TU32Array, 4>(offset, count);
    }
    TPointArray Points(std::size_t offset, std::uint64_t count, TPointSize size) const {
        if (size == TPointSize::Points16) return Array<TPointSArray, 4>(offset, count);
        return Array<TPointLArray, 8>(offset, count);
    }

private:
    std::span<const std::uint8_t> bytes_;
};

} // namespace mv
