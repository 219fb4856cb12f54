#pragma once
// PNG files of decoded bitmaps (through libpng).

#include "image/RgbaImage.h"

#include <cstdint>
#include <ostream>
#include <span>

namespace mv {

// zlib's fastest level: a 20-megapixel photograph is written in half a
// second instead of four, its file about a fifth larger than at level 6.
inline constexpr int kPngDefaultLevel = 1;

// Writes the image as a PNG file's bytes: 8-bit RGB when every pixel is
// opaque, else RGBA, at the zlib compression level given (0 to 9). Errors
// of the stream (a full disk) pass through as the stream raises them; an
// empty image raises std::invalid_argument.
void WritePng(const TRgbaImage& image, std::ostream& out, int level = kPngDefaultLevel);

// Decodes PNG bytes (an embedded PNG bitmap that has to be cropped, say) to
// RGBA. Empty when the bytes are no valid PNG or the image has more than
// kMaxImagePixels.
TRgbaImage ReadPng(std::span<const std::uint8_t> bytes);

} // namespace mv
