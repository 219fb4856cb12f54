#pragma once
// Writes an enhanced metafile record by record: little-endian fields in the
// published EMF layout, each record padded to four bytes, the header's byte,
// record and handle counts filled in when the stream is finished.

#include "metafile/EnhMetafile.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace mv {

// What the header says about the picture as a whole.
struct TEmfHeaderInfo {
    TRectL Bounds;             // reference-device pixels, inclusive
    TRectL Frame;              // 0.01 mm, inclusive
    std::uint16_t Handles = 1; // object indices in use + 1 (index 0 is reserved)
    TSizeL Device{1024, 768};  // reference device in pixels
    TSizeL Millimeters{320, 240};
};

class TEmfWriter {
public:
    // Size of the header record this writer produces.
    static constexpr std::uint32_t HeaderSize = 108;

    TEmfWriter();

    // Opens a record; fields follow until End.
    TEmfWriter& Begin(std::uint32_t type);
    TEmfWriter& U8(std::uint8_t v);
    TEmfWriter& U16(std::uint16_t v);
    TEmfWriter& I16(std::int16_t v) { return U16(static_cast<std::uint16_t>(v)); }
    TEmfWriter& U32(std::uint32_t v);
    TEmfWriter& I32(std::int32_t v) { return U32(static_cast<std::uint32_t>(v)); }
    TEmfWriter& F32(float v);
    TEmfWriter& Bytes(std::span<const std::uint8_t> bytes);
    TEmfWriter& Rect(const TRectL& r) { return I32(r.Left).I32(r.Top).I32(r.Right).I32(r.Bottom); }
    // Pads the open record to a multiple of four bytes.
    TEmfWriter& Pad4();
    // Closes the open record: pads it and stores its size.
    void End();
    // A whole record of 32-bit fields.
    void Record(std::uint32_t type, std::initializer_list<std::int32_t> fields);

    // Bytes written so far in the open record, its type and size fields included.
    std::size_t RecordOffset() const { return bytes_.size() - recordStart_; }

    // Appends the end-of-file record and returns the whole metafile with its
    // header filled in. Raises EInvalidMetafile when the result would not fit
    // the header's 32-bit byte count.
    std::vector<std::uint8_t> Finish(const TEmfHeaderInfo& info);

private:
    void Put32(std::size_t at, std::uint32_t v);

    std::vector<std::uint8_t> bytes_;
    std::size_t recordStart_ = 0;
    bool open_ = false;
    std::uint32_t records_ = 0;
};

} // namespace mv
