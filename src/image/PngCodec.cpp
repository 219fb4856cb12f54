#include "image/PngCodec.h"

#include <png.h>

#include <exception>
#include <stdexcept>

namespace mv {

namespace {

struct TWriteTarget {
    std::ostream* Out;
    std::exception_ptr Error; // what the stream raised, passed on after libpng has let go
};

void WriteData(png_structp png, png_bytep data, png_size_t size) {
    auto* target = static_cast<TWriteTarget*>(png_get_io_ptr(png));
    try {
        target->Out->write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        if (!*target->Out) throw std::ios_base::failure("PNG output failed");
    } catch (...) {
        // No exception may cross libpng's C frames: its own error jump ends the write.
        target->Error = std::current_exception();
        png_error(png, "output failed");
    }
}

void FlushData(png_structp png) {
    auto* target = static_cast<TWriteTarget*>(png_get_io_ptr(png));
    try {
        target->Out->flush();
    } catch (...) {
        target->Error = std::current_exception();
        png_error(png, "output failed");
    }
}

// The part between setjmp and a possible longjmp: only trivially destructible
// values live here, so that the jump skips no destructor.
bool WriteRows(png_structp png, png_infop info, const TRgbaImage& image, bool opaque) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_IHDR(png, info, image.Width(), image.Height(), 8,
                 opaque ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    // The rows stay RGBA in memory; libpng drops the fourth byte of opaque ones.
    if (opaque) png_set_filler(png, 0, PNG_FILLER_AFTER);
    for (std::uint32_t y = 0; y < image.Height(); ++y)
        png_write_row(png, image.Row(y));
    png_write_end(png, info);
    return true;
}

class TPngWriter {
public:
    TPngWriter() {
        png_ = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
        if (png_) info_ = png_create_info_struct(png_);
        if (!png_ || !info_) throw std::bad_alloc();
    }
    ~TPngWriter() { png_destroy_write_struct(&png_, &info_); }
    TPngWriter(const TPngWriter&) = delete;
    TPngWriter& operator=(const TPngWriter&) = delete;

    png_structp Png() { return png_; }
    png_infop Info() { return info_; }

private:
    png_structp png_ = nullptr;
    png_infop info_ = nullptr;
};

} // namespace

void WritePng(const TRgbaImage& image, std::ostream& out, int level) {
    if (image.Empty()) throw std::invalid_argument("empty image");
    TPngWriter writer;
    png_set_compression_level(writer.Png(), level);
    // One filter instead of libpng's trial of all five per row: the trials
    // cost more than the compression itself. The difference to the left
    // neighbour suits photographs and flat screenshots alike.
    png_set_filter(writer.Png(), 0, PNG_FILTER_SUB);
    TWriteTarget target{&out, nullptr};
    png_set_write_fn(writer.Png(), &target, WriteData, FlushData);
    const bool written = WriteRows(writer.Png(), writer.Info(), image, image.IsOpaque());
    if (target.Error) std::rethrow_exception(target.Error);
    if (!written) throw std::runtime_error("PNG encoding failed");
}

TRgbaImage ReadPng(std::span<const std::uint8_t> bytes) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    // Frees libpng's state on every way out; freeing twice does nothing.
    struct TFree {
        png_image& Png;
        ~TFree() { png_image_free(&Png); }
    } free{png};
    if (!png_image_begin_read_from_memory(&png, bytes.data(), bytes.size())) return {};
    if (png.width == 0 || png.height == 0 || std::uint64_t{png.width} * png.height > kMaxImagePixels)
        return {};
    png.format = PNG_FORMAT_RGBA;
    TRgbaImage image(png.width, png.height);
    if (!png_image_finish_read(&png, nullptr, image.Pixels().data(),
                               static_cast<png_int_32>(image.RowBytes()), nullptr))
        return {};
    return image;
}

} // namespace mv
