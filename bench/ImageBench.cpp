// A 20-megapixel 24-bit photograph as a metafile record carries it:
// decoding, PNG encoding, and both through the image files of a drawing.
// Target for the whole: under 1 s on one core, peak memory of the process
// under 3 times the raw pixel size (the record's bits count in the peak).
#include "BenchDrawings.h"
#include "image/Dib.h"
#include "image/ImageSet.h"
#include "image/PngCodec.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <streambuf>
#include <unistd.h>

using namespace mv;

namespace {

constexpr std::int32_t kWidth = 5472, kHeight = 3648; // a camera's 20 megapixels

struct TPhoto {
    std::vector<std::uint8_t> Info, Bits;
};

// Smooth shading with a little sensor noise, as a photograph compresses.
const TPhoto& Photo() {
    static const TPhoto photo = [] {
        TPhoto p;
        p.Info.assign(40, 0);
        auto put = [&](std::size_t at, std::uint32_t v, int size) {
            for (int i = 0; i < size; ++i)
                p.Info[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
        };
        put(0, 40, 4);
        put(4, kWidth, 4);
        put(8, kHeight, 4);
        put(12, 1, 2);
        put(14, 24, 2);
        const std::size_t stride = (std::size_t{kWidth} * 3 + 3) / 4 * 4;
        p.Bits.resize(stride * kHeight);
        std::uint32_t noise = 12345;
        for (std::int32_t y = 0; y < kHeight; ++y) {
            std::uint8_t* row = p.Bits.data() + y * stride;
            for (std::int32_t x = 0; x < kWidth; ++x) {
                noise = noise * 1664525u + 1013904223u;
                const int n = static_cast<int>(noise >> 29) - 4;
                const int base = (x / 23 + y / 17) % 200 + ((x * y) >> 14) % 40;
                for (int c = 0; c < 3; ++c)
                    row[3 * x + c] = static_cast<std::uint8_t>(std::clamp(base + 10 * c + n, 0, 255));
            }
        }
        return p;
    }();
    return photo;
}

TDib DecodePhoto() {
    TDibSource source;
    source.Info = Photo().Info;
    source.Bits = Photo().Bits;
    return DecodeDib(source);
}

class TNullBuffer : public std::streambuf {
public:
    std::uint64_t Count = 0;

protected:
    std::streamsize xsputn(const char*, std::streamsize n) override {
        Count += static_cast<std::uint64_t>(n);
        return n;
    }
    int_type overflow(int_type ch) override {
        ++Count;
        return ch;
    }
};

void BM_DecodeDib24(benchmark::State& state) {
    Photo();
    for (auto _ : state)
        benchmark::DoNotOptimize(DecodePhoto());
}
BENCHMARK(BM_DecodeDib24)->Unit(benchmark::kMillisecond)->Iterations(3);

// The argument is the zlib level: the default (the fastest), and two
// slower ones to compare against.
void BM_EncodePng(benchmark::State& state) {
    const TDib dib = DecodePhoto();
    std::uint64_t size = 0;
    for (auto _ : state) {
        TNullBuffer buffer;
        std::ostream out(&buffer);
        WritePng(dib.Image, out, static_cast<int>(state.range(0)));
        size = buffer.Count;
    }
    state.counters["png_MB"] = static_cast<double>(size) / 1e6;
}
BENCHMARK(BM_EncodePng)->Arg(kPngDefaultLevel)->Arg(3)->Arg(6)->Unit(benchmark::kMillisecond)->Iterations(3);

// The record's bitmap to a committed PNG file beside a drawing.
void BM_DecodeAndWriteImage(benchmark::State& state) {
    Photo();
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("metrovane-bench-images-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    long peak = 0;
    for (auto _ : state) {
        state.PauseTiming();
        bench::ResetPeakRss();
        state.ResumeTiming();
        {
            TImageSet images((folder / "plan.dxf").string());
            images.Add(DecodePhoto().Image);
            images.Commit();
        }
        state.PauseTiming();
        peak = std::max(peak, bench::PeakRssKiB());
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        state.ResumeTiming();
    }
    std::filesystem::remove_all(folder);
    const double raw = static_cast<double>(kWidth) * kHeight * 3;
    // The whole process: the record's bits, the decoded image and the encoder.
    state.counters["peak_rss_MB"] = static_cast<double>(peak) / 1024.0;
    state.counters["peak_over_raw"] = static_cast<double>(peak) * 1024.0 / raw;
}
BENCHMARK(BM_DecodeAndWriteImage)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
