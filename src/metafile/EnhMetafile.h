#pragma once
// An enhanced metafile held as its bytes, checked once when it is made so
// that the record walk can trust the record sizes.

#include <cstdint>
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
    SETMAPMODE = 17,
    SETBKMODE = 18,
    SETPOLYFILLMODE = 19,
    SETTEXTALIGN = 22,
    SETTEXTCOLOR = 24,
    SETBKCOLOR = 25,
    MOVETOEX = 27,
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
    EXTSELECTCLIPRGN = 75,
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
};
} // namespace emr

// One record: its type, and its bytes (type and size fields included).
struct TEmrRecord {
    std::uint32_t Type = 0;
    std::span<const std::uint8_t> Bytes;
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
    static TEnhMetafile FromFileBytes(std::vector<std::uint8_t> bytes);
    // Reads the file (EFOpenError when it cannot be opened) and loads it.
    static TEnhMetafile LoadFromFile(const std::string& fileName);
    // Reads one metafile from standard input as LoadFromFile reads a file,
    // `name` standing for it in messages. An enhanced metafile is read as far
    // as its header's byte count goes and no further; a placeable WMF to the
    // end of the stream. Neither may be larger than kStandardInputLimit
    // (TmvError with msg::StandardInputTooLarge).
    static TEnhMetafile LoadFromStandardInput(const std::string& name);
    static constexpr std::uint64_t kStandardInputLimit = 256u << 20;

    static bool IsEnhancedMetafile(std::span<const std::uint8_t> bytes);
    static bool IsPlaceableWmf(std::span<const std::uint8_t> bytes);

    const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
    const std::vector<TEmrRecord>& Records() const { return records_; }

private:
    std::vector<std::uint8_t> bytes_;
    std::vector<TEmrRecord> records_;
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
    void Require(std::size_t offset, std::uint64_t count, std::size_t elementSize) const;

private:
    std::span<const std::uint8_t> bytes_;
};

} // namespace mv
