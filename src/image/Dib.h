#pragma once
// Device-independent bitmaps as metafile records carry them: a BITMAPINFO
// (header, optional colour masks, colour table) and the pixel bits, both
// untrusted. Decoding checks every size against the bytes the record holds
// before it allocates, and gives a failure value instead of an image when
// the bitmap cannot be read; it never raises for bad input.
//
// Read are BITMAPCOREHEADER and BITMAPINFOHEADER with its V2 to V5
// extensions; 1, 4, 8, 16, 24 and 32 bits per pixel; uncompressed, with
// colour masks (the alpha mask included), and run-length encoded with 4 or
// 8 bits. JPEG and PNG bitmaps are not decoded: their bytes are handed on
// as they are, to be written as files of their own.

#include "image/RgbaImage.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace mv {

// How the colour table of a bitmap of up to 8 bits per pixel is to be read
// (the iUsage field of the records).
enum class TDibUsage : std::uint32_t {
    RgbColors = 0, // the table holds colours
    PalColors = 1, // the table holds 16-bit indices into the selected logical palette
};

struct TDibSource {
    std::span<const std::uint8_t> Info; // header, masks, colour table
    std::span<const std::uint8_t> Bits;
    TDibUsage Usage = TDibUsage::RgbColors;
    // The selected logical palette, for PalColors. Without one, index i of a
    // table for n bits per pixel is the grey i * 255 / (2^n - 1) (so the
    // indices 0 and 1 of a monochrome bitmap are black and white); an index
    // past a given palette is black.
    std::span<const TRgb> Palette;
    // 32 bits per pixel without colour masks: the fourth byte is alpha (the
    // source of an alpha blend with per-pixel alpha). Otherwise it is unused
    // and the pixels are opaque, as a plain copy draws them.
    bool AlphaByte = false;
};

enum class TDibFailure : std::uint8_t {
    None,
    HeaderTooShort,    // the header, its masks or a packed bitmap's table do not fit the bytes
    HeaderUnsupported, // a header size of no known kind
    FormatUnsupported, // bits per pixel and compression of no readable combination
    BadDimensions,     // zero or negative width, zero height
    TooLarge,          // more than kMaxImagePixels
    BitsTooShort,      // fewer bits than width, height and bits per pixel need
    BadEmbedded,       // JPEG or PNG bytes without a valid signature or size
};

// The reason in the words of a warning line ("Bild ausgelassen: ...").
const char* DibFailureText(TDibFailure failure);

enum class TEmbeddedKind : std::uint8_t { Jpeg, Png };

// A JPEG or PNG bitmap, its bytes as the record holds them.
struct TEmbeddedImage {
    TEmbeddedKind Kind = TEmbeddedKind::Png;
    std::vector<std::uint8_t> Bytes;
    std::uint32_t Width = 0; // pixels, from the image data itself
    std::uint32_t Height = 0;
};

struct TDib {
    TDibFailure Failure = TDibFailure::None;
    // The pixels, top row first, unless the bitmap is embedded JPEG or PNG.
    // Run-length encoded bitmaps leave the pixels they skip transparent.
    TRgbaImage Image;
    std::optional<TEmbeddedImage> Embedded;
    // The rows were stored bottom row first (a positive height). Records that
    // count a source rectangle from the first stored row need it.
    bool BottomUp = false;

    explicit operator bool() const { return Failure == TDibFailure::None; }
};

TDib DecodeDib(const TDibSource& source);

// A bitmap whose bits follow its BITMAPINFO directly (the WMF bitmap records
// and DIB pattern brushes). The bits start after the header, the masks and
// the colour table its header announces.
TDib DecodePackedDib(std::span<const std::uint8_t> packed, TDibUsage usage,
                     std::span<const TRgb> palette = {}, bool alphaByte = false);

// The size of a packed bitmap's BITMAPINFO (header, masks, colour table),
// where its bits start; nothing when the header cannot be read or the
// table does not fit.
std::optional<std::size_t> PackedDibInfoSize(std::span<const std::uint8_t> packed, TDibUsage usage);

// The `size` bytes at `offset` in a record (the offBmi/cbBmi and
// offBits/cbBits pairs of the EMF bitmap records), or nothing when they do
// not lie inside it.
std::optional<std::span<const std::uint8_t>> RecordSpan(std::span<const std::uint8_t> record,
                                                        std::uint64_t offset, std::uint64_t size);

} // namespace mv
