// Bitmaps from untrusted bytes: decoding, cropping, masking and the PNG
// encoder must stay inside their buffers, and a decoded image must have
// the size it claims.

#include "FuzzMain.h"
#include "image/Dib.h"
#include "image/PngCodec.h"
#include "metafile/LittleEndian.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <utility>

namespace {

std::string Check(std::span<const std::uint8_t> data) {
    using namespace mv;
    if (data.size() < 2) return {};
    // The first byte: usage, alpha byte, a palette, packed or split (the
    // second byte then says where the bits start).
    const std::uint8_t mode = data[0];
    const TRgb palette[3] = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}};
    const TDibUsage usage = mode & 1 ? TDibUsage::PalColors : TDibUsage::RgbColors;
    const std::span<const TRgb> pal = mode & 4 ? std::span<const TRgb>(palette) : std::span<const TRgb>();
    const std::span<const std::uint8_t> rest = data.subspan(2);
    // A run-length stream of a few bytes may claim up to the pixel limit;
    // such sizes make a run slow without reaching code that small ones miss.
    if (rest.size() >= 20 && LE32(rest, 0) >= 40 && (LE32(rest, 16) == 1 || LE32(rest, 16) == 2) &&
        std::abs(std::int64_t{static_cast<std::int32_t>(LE32(rest, 4))} *
                 static_cast<std::int32_t>(LE32(rest, 8))) > (1 << 20))
        return {};
    TDib dib;
    if (mode & 8) {
        dib = DecodePackedDib(rest, usage, pal, mode & 2);
    } else {
        const std::size_t split = std::min<std::size_t>(data[1] * 4u, rest.size());
        dib = DecodeDib({rest.first(split), rest.subspan(split), usage, pal, (mode & 2) != 0});
    }
    if (!dib) return {};
    if (dib.Embedded) return dib.Embedded->Bytes.empty() ? "an embedded image without bytes" : "";
    TRgbaImage& image = dib.Image;
    if (image.Empty() || image.Pixels().size() != std::size_t{image.Width()} * image.Height() * 4)
        return "a decoded image whose pixels do not match its size";
    const TRgbaImage part = Crop(image, {1, 1, image.Width() / 2 + 1, image.Height()});
    ApplyMask(image, part, TMaskShows::WhereBlack, -1, 2);
    ApplyAlphaBlend(image, mode, mode & 16);
    AverageColour(image);
    if (std::uint64_t{image.Width()} * image.Height() <= 65536) {
        std::ostringstream png;
        WritePng(image, png);
        const std::string bytes = png.str();
        const TRgbaImage back = ReadPng({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
        const std::span<const std::uint8_t> a = back.Pixels(), b = std::as_const(image).Pixels();
        if (!std::equal(a.begin(), a.end(), b.begin(), b.end())) return "the PNG does not read back the same";
    }
    return {};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return mv::fuzz::Report(Check({data, size}));
}
