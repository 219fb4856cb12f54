#include "image/RgbaImage.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace mv {

TRgbaImage::TRgbaImage(std::uint32_t width, std::uint32_t height) {
    const std::uint64_t pixels = std::uint64_t{width} * height;
    if (pixels > kMaxImagePixels) throw std::length_error("image beyond the pixel limit");
    if (pixels == 0) return;
    width_ = width;
    height_ = height;
    pixels_.assign(pixels * 4, 0);
}

bool TRgbaImage::IsOpaque() const {
    for (std::size_t i = 3; i < pixels_.size(); i += 4)
        if (pixels_[i] != 255) return false;
    return true;
}

TRgbaImage Crop(TRgbaImage image, const TPixelRect& rect) {
    // Clamped in 64 bits first: a record's rectangle may hold any int32 values.
    const std::int64_t left = std::clamp<std::int64_t>(rect.Left, 0, image.Width());
    const std::int64_t top = std::clamp<std::int64_t>(rect.Top, 0, image.Height());
    const std::int64_t right = std::clamp<std::int64_t>(rect.Left + rect.Width, left, image.Width());
    const std::int64_t bottom = std::clamp<std::int64_t>(rect.Top + rect.Height, top, image.Height());
    if (right <= left || bottom <= top) return {};
    if (left == 0 && top == 0 && right == image.Width() && bottom == image.Height()) return image;
    TRgbaImage part(static_cast<std::uint32_t>(right - left), static_cast<std::uint32_t>(bottom - top));
    for (std::uint32_t y = 0; y < part.Height(); ++y)
        std::memcpy(part.Row(y), image.Row(static_cast<std::uint32_t>(top) + y) + left * 4, part.RowBytes());
    return part;
}

void MakeColourTransparent(TRgbaImage& image, TRgb colour) {
    std::span<std::uint8_t> p = image.Pixels();
    for (std::size_t i = 0; i < p.size(); i += 4)
        if (p[i] == colour.R && p[i + 1] == colour.G && p[i + 2] == colour.B) p[i + 3] = 0;
}

void ApplyMask(TRgbaImage& image, const TRgbaImage& mask, TMaskShows shows, std::int64_t maskLeft,
               std::int64_t maskTop) {
    for (std::uint32_t y = 0; y < image.Height(); ++y) {
        const std::int64_t my = y + maskTop;
        if (my < 0 || my >= mask.Height()) continue;
        std::uint8_t* row = image.Row(y);
        const std::uint8_t* maskRow = mask.Row(static_cast<std::uint32_t>(my));
        for (std::uint32_t x = 0; x < image.Width(); ++x) {
            const std::int64_t mx = x + maskLeft;
            if (mx < 0 || mx >= mask.Width()) continue;
            const std::uint8_t* m = maskRow + mx * 4;
            // Rec. 601 weights, in integers.
            const bool white = (m[0] * 299 + m[1] * 587 + m[2] * 114) >= 128 * 1000;
            if (white != (shows == TMaskShows::WhereWhite)) row[x * 4 + 3] = 0;
        }
    }
}

void ApplyAlphaBlend(TRgbaImage& image, std::uint8_t constantAlpha, bool premultipliedSource) {
    std::span<std::uint8_t> p = image.Pixels();
    for (std::size_t i = 0; i < p.size(); i += 4) {
        const unsigned alpha = p[i + 3];
        if (premultipliedSource) {
            if (alpha == 0) {
                p[i] = p[i + 1] = p[i + 2] = 0;
            } else if (alpha < 255) {
                for (std::size_t c = i; c < i + 3; ++c)
                    p[c] = static_cast<std::uint8_t>(std::min(255u, (p[c] * 255u + alpha / 2) / alpha));
            }
        }
        p[i + 3] = static_cast<std::uint8_t>((alpha * constantAlpha + 127) / 255);
    }
}

TRgb AverageColour(const TRgbaImage& image) {
    // 64-bit sums: 100 megapixels at 255 * 255 stay far below the range.
    std::uint64_t weighted[3] = {0, 0, 0}, plain[3] = {0, 0, 0};
    std::uint64_t weight = 0;
    std::span<const std::uint8_t> p = image.Pixels();
    for (std::size_t i = 0; i < p.size(); i += 4) {
        for (int c = 0; c < 3; ++c) {
            weighted[c] += std::uint64_t{p[i + c]} * p[i + 3];
            plain[c] += p[i + c];
        }
        weight += p[i + 3];
    }
    const std::uint64_t* sums = weight ? weighted : plain;
    const std::uint64_t count = weight ? weight : p.size() / 4;
    if (count == 0) return {};
    auto mean = [&](int c) { return static_cast<std::uint8_t>((sums[c] + count / 2) / count); };
    return {mean(0), mean(1), mean(2)};
}

} // namespace mv
