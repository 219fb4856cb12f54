#pragma once
// A decoded bitmap: 8-bit red, green, blue and straight (not premultiplied)
// alpha per pixel, rows from the top down, no padding. And the operations
// that raster records need on it before it becomes an image file.

#include <cstdint>
#include <span>
#include <vector>

namespace mv {

struct TRgb {
    std::uint8_t R = 0;
    std::uint8_t G = 0;
    std::uint8_t B = 0;

    bool operator==(const TRgb&) const = default;
    // A Windows COLORREF (0x00BBGGRR), as records and palettes store colours.
    static TRgb FromColorRef(std::uint32_t color) {
        return {static_cast<std::uint8_t>(color), static_cast<std::uint8_t>(color >> 8),
                static_cast<std::uint8_t>(color >> 16)};
    }
};

// The most pixels an image may have (100 megapixels, 400 MB as RGBA): a
// bitmap beyond it is left out instead of being decoded.
inline constexpr std::uint64_t kMaxImagePixels = 100'000'000;

class TRgbaImage {
public:
    TRgbaImage() = default;
    // Every pixel transparent black. Raises std::length_error beyond
    // kMaxImagePixels, so that no caller can allocate without bound.
    TRgbaImage(std::uint32_t width, std::uint32_t height);

    std::uint32_t Width() const { return width_; }
    std::uint32_t Height() const { return height_; }
    bool Empty() const { return width_ == 0 || height_ == 0; }
    std::size_t RowBytes() const { return std::size_t{width_} * 4; }

    std::uint8_t* Row(std::uint32_t y) { return pixels_.data() + y * RowBytes(); }
    const std::uint8_t* Row(std::uint32_t y) const { return pixels_.data() + y * RowBytes(); }
    std::span<std::uint8_t> Pixels() { return pixels_; }
    std::span<const std::uint8_t> Pixels() const { return pixels_; }

    // True when no pixel has an alpha below 255.
    bool IsOpaque() const;

private:
    std::uint32_t width_ = 0;
    std::uint32_t height_ = 0;
    std::vector<std::uint8_t> pixels_;
};

// A rectangle of pixels, counted from the top-left corner of the image.
struct TPixelRect {
    std::int64_t Left = 0;
    std::int64_t Top = 0;
    std::int64_t Width = 0;
    std::int64_t Height = 0;
};

// The part of `image` inside `rect`, cut to the image (a source rectangle
// may reach past the bitmap). Empty when nothing of the image is inside. The
// whole image costs no copy.
TRgbaImage Crop(TRgbaImage image, const TPixelRect& rect);

// Pixels of exactly this colour become fully transparent (a transparent
// blit's colour key).
void MakeColourTransparent(TRgbaImage& image, TRgb colour);

// Which pixels of a monochrome mask let the image show.
enum class TMaskShows {
    WhereWhite, // a masked blit: mask bit 1 takes the foreground (copy) operation
    WhereBlack, // the AND mask of an AND-then-OR pair: black keeps the image, white the background
};

// Makes the image transparent where the mask hides it. The mask's pixel
// (x + maskLeft, y + maskTop) governs the image's pixel (x, y); it counts as
// white when its grey value is 128 or more. Image pixels outside the mask
// keep their alpha.
void ApplyMask(TRgbaImage& image, const TRgbaImage& mask, TMaskShows shows, std::int64_t maskLeft = 0,
               std::int64_t maskTop = 0);

// An alpha blend: every alpha is scaled by `constantAlpha` (255 keeps it).
// With `premultipliedSource` the image's colours are taken as premultiplied
// by its alpha (a 32-bit source with per-pixel alpha) and divided back, so
// that the result is straight alpha; a colour with alpha 0 would only add
// light and is left out.
void ApplyAlphaBlend(TRgbaImage& image, std::uint8_t constantAlpha, bool premultipliedSource);

// The mean colour of the image, each pixel weighted by its alpha (the plain
// mean when every pixel is transparent). Black for an empty image.
TRgb AverageColour(const TRgbaImage& image);

} // namespace mv
