#include "metafile/EmfWriter.h"

#include "metafile/EnhMetafile.h"
#include "platform/Errors.h"

#include <bit>
#include <limits>
#include <stdexcept>

namespace mv {

// Room for the header record, written by Finish once the counts are known.
// Made at construction: growing the empty vector instead makes g++ 12 warn
// about a copy it cannot see to be empty.
TEmfWriter::TEmfWriter() : bytes_(HeaderSize, 0), records_(1) {}

TEmfWriter& TEmfWriter::Begin(std::uint32_t type) {
    if (open_) throw std::logic_error("TEmfWriter: record already open");
    open_ = true;
    recordStart_ = bytes_.size();
    return U32(type).U32(0);
}

TEmfWriter& TEmfWriter::U8(std::uint8_t v) {
    bytes_.push_back(v);
    return *this;
}

TEmfWriter& TEmfWriter::Bytes(std::span<const std::uint8_t> bytes) {
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    return *this;
}

TEmfWriter& TEmfWriter::U16(std::uint16_t v) {
    bytes_.push_back(static_cast<std::uint8_t>(v));
    bytes_.push_back(static_cast<std::uint8_t>(v >> 8));
    return *this;
}

TEmfWriter& TEmfWriter::U32(std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        bytes_.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    return *this;
}

TEmfWriter& TEmfWriter::F32(float v) {
    return U32(std::bit_cast<std::uint32_t>(v));
}

TEmfWriter& TEmfWriter::Pad4() {
    while (RecordOffset() % 4 != 0)
        bytes_.push_back(0);
    return *this;
}

void TEmfWriter::End() {
    if (!open_) throw std::logic_error("TEmfWriter: no open record");
    Pad4();
    const std::size_t size = RecordOffset();
    if (size > std::numeric_limits<std::uint32_t>::max()) throw EInvalidMetafile();
    Put32(recordStart_ + 4, static_cast<std::uint32_t>(size));
    open_ = false;
    ++records_;
}

void TEmfWriter::Record(std::uint32_t type, std::initializer_list<std::int32_t> fields) {
    Begin(type);
    for (std::int32_t f : fields)
        I32(f);
    End();
}

void TEmfWriter::Put32(std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        bytes_[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::vector<std::uint8_t> TEmfWriter::Finish(const TEmfHeaderInfo& info) {
    if (open_) throw std::logic_error("TEmfWriter: record still open");
    Record(emr::EOF_, {0, 16, 20}); // no palette entries; offset and size as a reader expects
    if (bytes_.size() > std::numeric_limits<std::uint32_t>::max()) throw EInvalidMetafile();

    auto rect = [this](std::size_t at, const TRectL& r) {
        Put32(at, static_cast<std::uint32_t>(r.Left));
        Put32(at + 4, static_cast<std::uint32_t>(r.Top));
        Put32(at + 8, static_cast<std::uint32_t>(r.Right));
        Put32(at + 12, static_cast<std::uint32_t>(r.Bottom));
    };
    Put32(0, emr::HEADER);
    Put32(4, HeaderSize);
    rect(8, info.Bounds);
    rect(24, info.Frame);
    Put32(40, 0x464D4520); // " EMF"
    Put32(44, 0x10000);    // format version
    Put32(48, static_cast<std::uint32_t>(bytes_.size()));
    Put32(52, records_);
    Put32(56, info.Handles); // nHandles, then a reserved 16-bit zero
    // 60..71: no description, no palette entries.
    Put32(72, static_cast<std::uint32_t>(info.Device.cx));
    Put32(76, static_cast<std::uint32_t>(info.Device.cy));
    Put32(80, static_cast<std::uint32_t>(info.Millimeters.cx));
    Put32(84, static_cast<std::uint32_t>(info.Millimeters.cy));
    // 88..99: no pixel format, no OpenGL records.
    Put32(100, static_cast<std::uint32_t>(info.Millimeters.cx * 1000));
    Put32(104, static_cast<std::uint32_t>(info.Millimeters.cy * 1000));
    return std::move(bytes_);
}

} // namespace mv
