#include "image/Dib.h"

#include "metafile/LittleEndian.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

namespace mv {

namespace {

constexpr std::uint32_t kBiRgb = 0;
constexpr std::uint32_t kBiRle8 = 1;
constexpr std::uint32_t kBiRle4 = 2;
constexpr std::uint32_t kBiBitfields = 3;
constexpr std::uint32_t kBiJpeg = 4;
constexpr std::uint32_t kBiPng = 5;
constexpr std::uint32_t kBiAlphaBitfields = 6;

constexpr std::size_t kCoreHeaderSize = 12;
constexpr std::size_t kInfoHeaderSize = 40;

struct THeader {
    std::uint32_t Size = 0;
    std::int64_t Width = 0;
    std::int64_t Height = 0; // as stored: negative for top-down rows
    std::uint16_t BitCount = 0;
    std::uint32_t Compression = kBiRgb;
    std::uint32_t SizeImage = 0;
    std::uint32_t ClrUsed = 0;
    std::array<std::uint32_t, 4> Masks = {0, 0, 0, 0}; // red, green, blue, alpha
    bool Core = false;
    std::size_t TableOffset = 0; // where the colour table starts
};

bool HasMasks(std::uint32_t compression) {
    return compression == kBiBitfields || compression == kBiAlphaBitfields;
}

TDibFailure ParseHeader(std::span<const std::uint8_t> info, THeader& h) {
    if (info.size() < 4) return TDibFailure::HeaderTooShort;
    h.Size = LE32(info, 0);
    if (h.Size == kCoreHeaderSize) {
        if (info.size() < kCoreHeaderSize) return TDibFailure::HeaderTooShort;
        h.Core = true;
        h.Width = LE16(info, 4);
        h.Height = LE16(info, 6);
        h.BitCount = LE16(info, 10);
        h.TableOffset = kCoreHeaderSize;
        return TDibFailure::None;
    }
    // The info header and its extensions (V2 adds the colour masks, V3 the
    // alpha mask, V4 and V5 colour space data that is not needed here).
    if (h.Size != 40 && h.Size != 52 && h.Size != 56 && h.Size != 108 && h.Size != 124)
        return TDibFailure::HeaderUnsupported;
    if (info.size() < h.Size) return TDibFailure::HeaderTooShort;
    h.Width = static_cast<std::int32_t>(LE32(info, 4));
    h.Height = static_cast<std::int32_t>(LE32(info, 8));
    h.BitCount = LE16(info, 14);
    h.Compression = LE32(info, 16);
    h.SizeImage = LE32(info, 20);
    h.ClrUsed = LE32(info, 32);
    h.TableOffset = h.Size;
    if (HasMasks(h.Compression)) {
        // A plain info header has the masks after it, the longer ones inside.
        const std::size_t count = h.Compression == kBiAlphaBitfields || h.Size >= 56 ? 4 : 3;
        if (h.Size == kInfoHeaderSize) h.TableOffset += count * 4;
        if (info.size() < kInfoHeaderSize + count * 4) return TDibFailure::HeaderTooShort;
        for (std::size_t i = 0; i < count; ++i)
            h.Masks[i] = LE32(info, kInfoHeaderSize + 4 * i);
    }
    return TDibFailure::None;
}

// How many colour table entries the header announces (as stored, which
// for a packed bitmap says where the bits start).
std::uint64_t StoredTableEntries(const THeader& h) {
    if (h.BitCount > 8) return h.Core ? 0 : h.ClrUsed;
    return h.ClrUsed != 0 && !h.Core ? h.ClrUsed : std::uint64_t{1} << h.BitCount;
}

using TLut = std::array<std::array<std::uint8_t, 4>, 256>;

// The colours of the indices; entries the table lacks stay opaque black.
TLut ColourTable(std::span<const std::uint8_t> info, const THeader& h, TDibUsage usage,
                 std::span<const TRgb> palette) {
    TLut lut;
    for (auto& c : lut)
        c = {0, 0, 0, 255};
    const std::size_t indices = std::size_t{1} << h.BitCount;
    const std::size_t entries =
        static_cast<std::size_t>(std::min<std::uint64_t>(StoredTableEntries(h), indices));
    const std::size_t at = h.TableOffset;
    for (std::size_t i = 0; i < entries; ++i) {
        if (usage == TDibUsage::PalColors) {
            if (at + 2 * i + 2 > info.size()) break;
            const std::uint16_t index = LE16(info, at + 2 * i);
            if (!palette.empty()) {
                if (index < palette.size())
                    lut[i] = {palette[index].R, palette[index].G, palette[index].B, 255};
            } else {
                const auto grey =
                    static_cast<std::uint8_t>(std::min<std::size_t>(255, index * 255 / (indices - 1)));
                lut[i] = {grey, grey, grey, 255};
            }
        } else {
            const std::size_t size = h.Core ? 3 : 4; // RGBTRIPLE or RGBQUAD, blue first
            if (at + size * i + 3 > info.size()) break;
            const std::uint8_t* e = info.data() + at + size * i;
            lut[i] = {e[2], e[1], e[0], 255};
        }
    }
    return lut;
}

// One colour channel under a mask, scaled to 8 bits.
class TChannel {
public:
    TChannel(std::uint32_t mask, std::uint8_t absent) : mask_(mask), absent_(absent) {
        if (mask == 0) return;
        shift_ = std::countr_zero(mask);
        bits_ = std::bit_width(mask >> shift_);
        max_ = bits_ >= 32 ? 0xFFFFFFFFu : (1u << bits_) - 1;
    }
    std::uint8_t operator()(std::uint32_t pixel) const {
        if (mask_ == 0) return absent_;
        const std::uint32_t v = (pixel & mask_) >> shift_;
        if (bits_ >= 8) return static_cast<std::uint8_t>(v >> (bits_ - 8));
        return static_cast<std::uint8_t>((v * 255 + max_ / 2) / max_);
    }

private:
    std::uint32_t mask_;
    std::uint8_t absent_;
    int shift_ = 0;
    int bits_ = 0;
    std::uint32_t max_ = 1;
};

void DecodeIndexed(std::span<const std::uint8_t> bits, std::size_t stride, const THeader& h, const TLut& lut,
                   TRgbaImage& image) {
    const bool topDown = h.Height < 0;
    for (std::uint32_t row = 0; row < image.Height(); ++row) {
        const std::uint8_t* src = bits.data() + row * stride;
        std::uint8_t* dst = image.Row(topDown ? row : image.Height() - 1 - row);
        for (std::uint32_t x = 0; x < image.Width(); ++x) {
            std::uint8_t index;
            switch (h.BitCount) {
            case 1:
                index = (src[x >> 3] >> (7 - (x & 7))) & 1;
                break;
            case 4:
                index = (src[x >> 1] >> ((x & 1) ? 0 : 4)) & 15;
                break;
            default:
                index = src[x];
                break;
            }
            std::memcpy(dst + 4 * x, lut[index].data(), 4);
        }
    }
}

void DecodeDirect(std::span<const std::uint8_t> bits, std::size_t stride, const THeader& h, bool alphaByte,
                  TRgbaImage& image) {
    const bool topDown = h.Height < 0;
    const bool masked = HasMasks(h.Compression);
    std::array<std::uint32_t, 4> masks = h.Masks;
    if (!masked) {
        if (h.BitCount == 16)
            masks = {0x7C00, 0x03E0, 0x001F, 0};
        else
            masks = {0xFF0000, 0xFF00, 0xFF, alphaByte ? 0xFF000000u : 0u};
    }
    const TChannel red(masks[0], 0), green(masks[1], 0), blue(masks[2], 0), alpha(masks[3], 255);
    for (std::uint32_t row = 0; row < image.Height(); ++row) {
        const std::uint8_t* src = bits.data() + row * stride;
        std::uint8_t* dst = image.Row(topDown ? row : image.Height() - 1 - row);
        const std::uint32_t width = image.Width();
        if (h.BitCount == 24) {
            for (std::uint32_t x = 0; x < width; ++x, src += 3, dst += 4) {
                dst[0] = src[2];
                dst[1] = src[1];
                dst[2] = src[0];
                dst[3] = 255;
            }
        } else if (h.BitCount == 32 && !masked) {
            for (std::uint32_t x = 0; x < width; ++x, src += 4, dst += 4) {
                dst[0] = src[2];
                dst[1] = src[1];
                dst[2] = src[0];
                dst[3] = alphaByte ? src[3] : 255;
            }
        } else {
            const std::size_t bytes = h.BitCount / 8;
            for (std::uint32_t x = 0; x < width; ++x, src += bytes, dst += 4) {
                const std::uint32_t pixel =
                    bytes == 2 ? std::uint32_t{src[0]} | std::uint32_t{src[1]} << 8 : LE32({src, 4}, 0);
                dst[0] = red(pixel);
                dst[1] = green(pixel);
                dst[2] = blue(pixel);
                dst[3] = alpha(pixel);
            }
        }
    }
}

// Run-length encoded rows, bottom row first. Every write is checked against
// the image: runs past a row's end are cut, moves past the image end the
// decoding, and a stream that stops early leaves the rest transparent.
void DecodeRle(std::span<const std::uint8_t> s, const THeader& h, const TLut& lut, TRgbaImage& image) {
    const bool four = h.Compression == kBiRle4;
    const std::uint64_t width = image.Width(), height = image.Height();
    std::uint64_t x = 0, y = 0;
    auto put = [&](std::uint64_t at, std::uint8_t index) {
        if (at < width)
            std::memcpy(image.Row(static_cast<std::uint32_t>(height - 1 - y)) + 4 * at, lut[index].data(), 4);
    };
    std::size_t pos = 0;
    while (pos + 2 <= s.size() && y < height) {
        const std::uint8_t count = s[pos], value = s[pos + 1];
        pos += 2;
        if (count > 0) {
            const std::uint64_t n = std::min<std::uint64_t>(count, x < width ? width - x : 0);
            for (std::uint64_t i = 0; i < n; ++i)
                put(x + i, four ? (i & 1 ? value & 15 : value >> 4) : value);
            x += count;
            continue;
        }
        if (value == 0) { // end of line
            x = 0;
            ++y;
        } else if (value == 1) { // end of bitmap
            break;
        } else if (value == 2) { // move right and up (in stored order)
            if (pos + 2 > s.size()) break;
            x += s[pos];
            y += s[pos + 1];
            pos += 2;
        } else { // `value` literal indices, padded to a 16-bit boundary
            const std::size_t bytes = four ? (value + 1u) / 2 : value;
            const std::size_t available = std::min(bytes, s.size() - pos);
            const std::uint64_t n = four ? std::min<std::uint64_t>(value, available * 2) : available;
            for (std::uint64_t i = 0; i < n && x + i < width; ++i) {
                const std::uint8_t b = s[pos + (four ? i / 2 : i)];
                put(x + i, four ? (i & 1 ? b & 15 : b >> 4) : b);
            }
            if (available < bytes) break; // the stream ends inside the literal
            x += value;
            pos += bytes + (bytes & 1);
        }
    }
}

std::uint32_t BE32(std::span<const std::uint8_t> b, std::size_t at) {
    return std::uint32_t{b[at]} << 24 | std::uint32_t{b[at + 1]} << 16 | std::uint32_t{b[at + 2]} << 8 |
           b[at + 3];
}

// The size from a PNG's IHDR chunk, which must come first.
bool PngSize(std::span<const std::uint8_t> b, std::uint32_t& width, std::uint32_t& height) {
    static constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (b.size() < 24 || std::memcmp(b.data(), kSignature, 8) != 0 ||
        std::memcmp(b.data() + 12, "IHDR", 4) != 0)
        return false;
    width = BE32(b, 16);
    height = BE32(b, 20);
    return true;
}

// The size from a JPEG's first frame header, walking the marker segments.
bool JpegSize(std::span<const std::uint8_t> b, std::uint32_t& width, std::uint32_t& height) {
    if (b.size() < 4 || b[0] != 0xFF || b[1] != 0xD8) return false;
    std::size_t pos = 2;
    while (pos + 4 <= b.size()) {
        if (b[pos] != 0xFF) return false;
        const std::uint8_t marker = b[pos + 1];
        if (marker == 0xFF) { // fill byte
            ++pos;
            continue;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) { // no length
            pos += 2;
            continue;
        }
        if (marker == 0xD9 || marker == 0xDA) return false; // image data before any frame header
        const std::size_t length = std::size_t{b[pos + 2]} << 8 | b[pos + 3];
        const bool frame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            if (length < 7 || pos + 9 > b.size()) return false;
            height = std::uint32_t{b[pos + 5]} << 8 | b[pos + 6];
            width = std::uint32_t{b[pos + 7]} << 8 | b[pos + 8];
            return true;
        }
        if (length < 2) return false;
        pos += 2 + length;
    }
    return false;
}

TDib Fail(TDibFailure failure) {
    TDib dib;
    dib.Failure = failure;
    return dib;
}

TDib DecodeEmbedded(std::span<const std::uint8_t> bytes, std::uint32_t compression) {
    TEmbeddedImage image;
    image.Kind = compression == kBiJpeg ? TEmbeddedKind::Jpeg : TEmbeddedKind::Png;
    const bool sized = image.Kind == TEmbeddedKind::Jpeg ? JpegSize(bytes, image.Width, image.Height)
                                                         : PngSize(bytes, image.Width, image.Height);
    if (!sized || image.Width == 0 || image.Height == 0) return Fail(TDibFailure::BadEmbedded);
    if (std::uint64_t{image.Width} * image.Height > kMaxImagePixels) return Fail(TDibFailure::TooLarge);
    image.Bytes.assign(bytes.begin(), bytes.end());
    TDib dib;
    dib.Embedded = std::move(image);
    return dib;
}

TDib Decode(const TDibSource& source, const THeader& h) {
    const bool rle = h.Compression == kBiRle8 || h.Compression == kBiRle4;
    const bool embedded = h.Compression == kBiJpeg || h.Compression == kBiPng;
    // A compressed stream is as long as the header says if that fits the
    // record, else as long as the record's bits: a larger claim is not trusted.
    std::span<const std::uint8_t> stream = source.Bits;
    if ((rle || embedded) && h.SizeImage != 0 && h.SizeImage < stream.size())
        stream = stream.first(h.SizeImage);
    if (embedded) return DecodeEmbedded(stream, h.Compression);

    const std::uint16_t bpp = h.BitCount;
    const bool readable = (h.Compression == kBiRgb &&
                           (bpp == 1 || bpp == 4 || bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32)) ||
                          (HasMasks(h.Compression) && (bpp == 16 || bpp == 32)) ||
                          (h.Compression == kBiRle8 && bpp == 8) || (h.Compression == kBiRle4 && bpp == 4);
    if (!readable) return Fail(TDibFailure::FormatUnsupported);
    // Encoded rows run bottom-up only.
    if (rle && h.Height < 0) return Fail(TDibFailure::FormatUnsupported);
    if (h.Width <= 0 || h.Height == 0) return Fail(TDibFailure::BadDimensions);
    const std::uint64_t width = static_cast<std::uint64_t>(h.Width);
    const std::uint64_t height = static_cast<std::uint64_t>(h.Height < 0 ? -h.Height : h.Height);
    if (width * height > kMaxImagePixels) return Fail(TDibFailure::TooLarge);
    const std::uint64_t stride = (width * bpp + 31) / 32 * 4;
    if (!rle && stride * height > source.Bits.size()) return Fail(TDibFailure::BitsTooShort);

    TDib dib;
    dib.BottomUp = h.Height > 0;
    dib.Image = TRgbaImage(static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height));
    if (bpp <= 8) {
        const TLut lut = ColourTable(source.Info, h, source.Usage, source.Palette);
        if (rle)
            DecodeRle(stream, h, lut, dib.Image);
        else
            DecodeIndexed(source.Bits, static_cast<std::size_t>(stride), h, lut, dib.Image);
    } else {
        DecodeDirect(source.Bits, static_cast<std::size_t>(stride), h, source.AlphaByte, dib.Image);
    }
    return dib;
}

} // namespace

const char* DibFailureText(TDibFailure failure) {
    switch (failure) {
    case TDibFailure::None:
        return "";
    case TDibFailure::HeaderTooShort:
        return "Bitmap-Kopf unvollständig";
    case TDibFailure::HeaderUnsupported:
        return "Bitmap-Kopf unbekannter Art";
    case TDibFailure::FormatUnsupported:
        return "Bitmap-Format nicht unterstützt";
    case TDibFailure::BadDimensions:
        return "Bitmap-Größe ungültig";
    case TDibFailure::TooLarge:
        return "Bitmap größer als 100 Megapixel";
    case TDibFailure::BitsTooShort:
        return "Bitmap-Daten kürzer als angegeben";
    case TDibFailure::BadEmbedded:
        return "eingebettetes JPEG- oder PNG-Bild ungültig";
    }
    return "";
}

TDib DecodeDib(const TDibSource& source) {
    THeader h;
    if (const TDibFailure failure = ParseHeader(source.Info, h); failure != TDibFailure::None)
        return Fail(failure);
    return Decode(source, h);
}

namespace {

std::uint64_t InfoSize(const THeader& h, TDibUsage usage) {
    const std::uint64_t entrySize = usage == TDibUsage::PalColors && h.BitCount <= 8 ? 2 : h.Core ? 3 : 4;
    return h.TableOffset + StoredTableEntries(h) * entrySize;
}

} // namespace

std::optional<std::size_t> PackedDibInfoSize(std::span<const std::uint8_t> packed, TDibUsage usage) {
    THeader h;
    if (ParseHeader(packed, h) != TDibFailure::None) return std::nullopt;
    const std::uint64_t infoSize = InfoSize(h, usage);
    if (infoSize > packed.size()) return std::nullopt;
    return static_cast<std::size_t>(infoSize);
}

TDib DecodePackedDib(std::span<const std::uint8_t> packed, TDibUsage usage, std::span<const TRgb> palette,
                     bool alphaByte) {
    THeader h;
    if (const TDibFailure failure = ParseHeader(packed, h); failure != TDibFailure::None)
        return Fail(failure);
    const std::uint64_t infoSize = InfoSize(h, usage);
    if (infoSize > packed.size()) return Fail(TDibFailure::HeaderTooShort);
    TDibSource source;
    source.Info = packed.first(static_cast<std::size_t>(infoSize));
    source.Bits = packed.subspan(static_cast<std::size_t>(infoSize));
    source.Usage = usage;
    source.Palette = palette;
    source.AlphaByte = alphaByte;
    return Decode(source, h);
}

std::optional<std::span<const std::uint8_t>> RecordSpan(std::span<const std::uint8_t> record,
                                                        std::uint64_t offset, std::uint64_t size) {
    if (offset > record.size() || size > record.size() - offset) return std::nullopt;
    return record.subspan(static_cast<std::size_t>(offset), static_cast<std::size_t>(size));
}

} // namespace mv
