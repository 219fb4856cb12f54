#include "metafile/EnhMetafile.h"

#include "metafile/LittleEndian.h"
#include "metafile/WmfConverter.h"
#include "platform/Errors.h"
#include "platform/FileAccess.h"

#include <bit>
#include <cstring>
#include <limits>

namespace mv {

namespace {
// The fewest bytes an enhanced metafile has; enough to tell either kind.
constexpr std::size_t kEmfProbeSize = 101;
} // namespace

bool TEnhMetafile::IsEnhancedMetafile(std::span<const std::uint8_t> bytes) {
    return bytes.size() >= kEmfProbeSize && LE32(bytes, 0) == emr::HEADER && LE32(bytes, 40) == 0x464D4520;
}

bool TEnhMetafile::IsPlaceableWmf(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < 22 || LE32(bytes, 0) != 0x9AC6CDD7) return false;
    std::uint16_t sum = 0;
    for (std::size_t i = 0; i < 10; ++i)
        sum ^= LE16(bytes, 2 * i);
    return sum == LE16(bytes, 20);
}

TEnhMetafile TEnhMetafile::FromEmfBytes(std::vector<std::uint8_t> bytes) {
    if (!IsEnhancedMetafile(bytes)) throw EInvalidMetafile();
    const std::uint32_t total = LE32(bytes, 48);
    const std::uint32_t headerSize = LE32(bytes, 4);
    // The header record must hold at least the fields up to the byte count
    // and the record count (88 bytes), and the byte count must be honest.
    if (total > bytes.size() || headerSize < 88 || headerSize > total) throw EInvalidMetafile();
    bytes.resize(total);
    TEnhMetafile mf;
    mf.bytes_ = std::move(bytes);
    const std::span<const std::uint8_t> all(mf.bytes_);
    // Two walks: the first checks the records and counts them, so that the
    // list of records is made once at its size; a list grown as it goes
    // would need up to three times the room for a moment.
    auto walk = [&all](auto&& take) {
        std::size_t at = 0;
        while (at < all.size()) {
            if (all.size() - at < 8) throw EInvalidMetafile();
            const std::uint32_t type = LE32(all, at);
            const std::uint32_t size = LE32(all, at + 4);
            if (size < 8 || size % 4 != 0 || size > all.size() - at) throw EInvalidMetafile();
            take(TEmrRecord{type, all.subspan(at, size)});
            at += size;
            if (type == emr::EOF_) break; // nothing after the end-of-file record is played
        }
    };
    std::size_t count = 0;
    walk([&count](const TEmrRecord&) { ++count; });
    mf.records_.reserve(count);
    walk([&mf](const TEmrRecord& record) { mf.records_.push_back(record); });
    return mf;
}

TEnhMetafile TEnhMetafile::FromFileBytes(std::vector<std::uint8_t> bytes, const TLoadOptions& options) {
    if (IsEnhancedMetafile(bytes)) return FromEmfBytes(std::move(bytes));
    if (IsPlaceableWmf(bytes)) return FromEmfBytes(ConvertPlaceableWmf(bytes, options));
    throw EInvalidMetafile();
}

namespace {

// The kind is told from the first bytes, so that a large input that is no
// metafile is refused unread, and an enhanced metafile is read only as far
// as its header's byte count goes. Nothing beyond maxBytes is kept.
TEnhMetafile LoadFrom(TInputFile& file, std::uint64_t maxBytes, const TLoadOptions& options) {
    auto tooLarge = [] { return TmvError(msg::StandardInputTooLarge); };
    std::vector<std::uint8_t> bytes;
    file.ReadInto(bytes, kEmfProbeSize);
    if (TEnhMetafile::IsEnhancedMetafile(bytes)) {
        const std::uint32_t total = LE32(bytes, 48);
        if (file.SizeKnown() && total > file.Size()) throw EInvalidMetafile(); // shorter than its header says
        if (total > maxBytes) throw tooLarge();
        // A stream that ends early leaves fewer bytes than the header counts,
        // which makes the metafile invalid.
        if (total > bytes.size()) file.ReadInto(bytes, total - bytes.size());
        return TEnhMetafile::FromEmfBytes(std::move(bytes));
    }
    if (TEnhMetafile::IsPlaceableWmf(bytes)) {
        // Its records run to the end record, wherever that is.
        if (maxBytes == std::numeric_limits<std::uint64_t>::max()) {
            file.ReadInto(bytes, maxBytes);
        } else {
            file.ReadInto(bytes, maxBytes + 1 - bytes.size());
            if (bytes.size() > maxBytes) throw tooLarge();
        }
        return TEnhMetafile::FromEmfBytes(ConvertPlaceableWmf(bytes, options));
    }
    throw EInvalidMetafile();
}

} // namespace

TEnhMetafile TEnhMetafile::LoadFromFile(const std::string& fileName, const TLoadOptions& options) {
    TInputFile file(fileName);
    return LoadFrom(file, std::numeric_limits<std::uint64_t>::max(), options);
}

TEnhMetafile TEnhMetafile::LoadFromStandardInput(const std::string& name, const TLoadOptions& options) {
    static_assert(kStandardInputLimit == 256u << 20, "msg::StandardInputTooLarge names the limit");
    TInputFile input(TInputFile::TStandardInput{}, name);
    return LoadFrom(input, kStandardInputLimit, options);
}

std::uint8_t TRecordReader::U8(std::size_t offset) const {
    Require(offset, 1, 1);
    return bytes_[offset];
}

std::uint16_t TRecordReader::U16(std::size_t offset) const {
    Require(offset, 1, 2);
    return LE16(bytes_, offset);
}

std::uint32_t TRecordReader::U32(std::size_t offset) const {
    Require(offset, 1, 4);
    return LE32(bytes_, offset);
}

float TRecordReader::F32(std::size_t offset) const {
    return std::bit_cast<float>(U32(offset));
}

void TRecordReader::Require(std::size_t offset, std::uint64_t count, std::size_t elementSize) const {
    if (offset > bytes_.size()) throw EInvalidMetafile();
    const std::uint64_t room = bytes_.size() - offset;
    if (elementSize != 0 && count > room / elementSize) throw EInvalidMetafile();
}

} // namespace mv
