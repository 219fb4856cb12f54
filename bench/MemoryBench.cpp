// Peak memory of whole conversions by the command line program, measured on
// the program itself (a child process), so that nothing of the benchmark's
// own drawings counts:
// - a 200 MB EMF of polylines and texts: target under 1.5 times the input;
// - 10 MB of empty polyline lists: target under 100 MB;
// - a 60 MB placeable WMF of empty text records (reported only; the default
//   mode leaves them out while converting, the classic mode keeps them).
#include "../tests/support/EmfBuilder.h"
#include "../tests/support/WmfBuilder.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

using mv::test::TEmfBuilder;
using mv::test::TPt;
using mv::test::TWmfBuilder;

namespace fs = std::filesystem;

namespace {

void Put32(std::vector<std::uint8_t>& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}

std::uint32_t Get32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at]) | static_cast<std::uint32_t>(b[at + 1]) << 8 |
           static_cast<std::uint32_t>(b[at + 2]) << 16 | static_cast<std::uint32_t>(b[at + 3]) << 24;
}

// Writes an EMF of `megabytes` whose records are those of `block` over and
// over, without holding it in memory.
std::size_t WriteRepeatedEmf(const fs::path& path, const TEmfBuilder& block, std::size_t megabytes) {
    const std::vector<std::uint8_t> one = block.Build(20000, 20000);
    const std::size_t headSize = Get32(one, 4), eofSize = 20;
    const std::uint32_t blockRecords = Get32(one, 52) - 2;
    const std::size_t blockSize = one.size() - headSize - eofSize;
    const std::size_t repeats = megabytes * 1000000 / blockSize + 1;
    std::vector<std::uint8_t> head(one.begin(), one.begin() + static_cast<std::ptrdiff_t>(headSize));
    const std::size_t total = headSize + repeats * blockSize + eofSize;
    Put32(head, 48, static_cast<std::uint32_t>(total));
    Put32(head, 52, static_cast<std::uint32_t>(repeats * blockRecords + 2));
    std::ofstream out(path, std::ios::binary);
    auto write = [&out](const std::uint8_t* data, std::size_t size) {
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    };
    write(head.data(), head.size());
    for (std::size_t i = 0; i < repeats; ++i)
        write(one.data() + headSize, blockSize);
    write(one.data() + one.size() - eofSize, eofSize);
    return total;
}

// Runs `metrovane convert` on the file and returns its peak resident memory
// in bytes (0 when it failed). MV_BENCH_PROGRAM names another build of the
// program to compare with; the default is the one beside this benchmark.
double ConvertPeakBytes(const fs::path& input, const fs::path& outFolder) {
    const char* other = std::getenv("MV_BENCH_PROGRAM");
    const std::string program =
        other ? std::string(other)
              : (fs::read_symlink("/proc/self/exe").parent_path() / "metrovane").string();
    fs::create_directories(outFolder);
    const pid_t child = ::fork();
    if (child == 0) {
        const int devnull = ::open("/dev/null", O_WRONLY);
        ::dup2(devnull, 1);
        ::execl(program.c_str(), program.c_str(), "convert", "-o", outFolder.c_str(), input.c_str(),
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    if (child < 0 || ::wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        return 0;
    return static_cast<double>(usage.ru_maxrss) * 1024;
}

void Report(benchmark::State& state, const fs::path& input, double inputSize) {
    const fs::path out = fs::temp_directory_path() / ("metrovane-bench-mem-" + std::to_string(::getpid()));
    double peak = 0;
    for (auto _ : state)
        peak = ConvertPeakBytes(input, out);
    if (peak == 0) state.SkipWithError("the conversion failed");
    state.counters["input_MB"] = inputSize / 1e6;
    state.counters["peak_MB"] = peak / 1e6;
    state.counters["peak_per_input"] = peak / inputSize;
    fs::remove_all(out);
    fs::remove(input);
}

fs::path TempFile(const char* name) {
    return fs::temp_directory_path() / ("metrovane-bench-" + std::to_string(::getpid()) + name);
}

void BM_PeakMemoryPolylinesAndTexts(benchmark::State& state) {
    TEmfBuilder b;
    b.CreateFont(1, u"Arial", -12).SelectObject(1).CreatePen(2, 0, 1, 0x102030).SelectObject(2);
    std::vector<TPt> pts(16);
    for (std::int32_t k = 0; k < 64; ++k) {
        for (std::size_t i = 0; i < pts.size(); ++i)
            pts[i] = {k * 31 + static_cast<std::int32_t>(i) * 17,
                      (k * 13 + static_cast<std::int32_t>(i * i)) % 9000};
        b.Poly(87, pts);                                // EMR_POLYLINE16
        b.Poly(4, std::span<const TPt>(pts.data(), 6)); // EMR_POLYLINE
        b.TextOut(k * 20, k * 10, u"Raum 1.23 Wohnen");
    }
    const fs::path in = TempFile("-polylines.emf");
    const auto size = static_cast<double>(WriteRepeatedEmf(in, b, static_cast<std::size_t>(state.range(0))));
    Report(state, in, size);
}

void BM_PeakMemoryEmptyLists(benchmark::State& state) {
    TEmfBuilder b;
    b.CreatePen(2, 0, 1, 0x102030).SelectObject(2);
    const std::vector<std::vector<TPt>> lists(1000);
    for (int k = 0; k < 4; ++k)
        b.PolyPoly16(90, lists); // EMR_POLYPOLYLINE16, every list empty
    const fs::path in = TempFile("-empty.emf");
    const auto size = static_cast<double>(WriteRepeatedEmf(in, b, static_cast<std::size_t>(state.range(0))));
    Report(state, in, size);
}

void BM_PeakMemoryEmptyTextsWmf(benchmark::State& state) {
    TWmfBuilder b;
    const std::size_t records = static_cast<std::size_t>(state.range(0)) * 1000000 / 12;
    for (std::size_t i = 0; i < records; ++i)
        b.TextOut(static_cast<std::int16_t>(i % 1000), 5, "");
    const fs::path in = TempFile("-texts.wmf");
    const std::vector<std::uint8_t> bytes = b.Build();
    std::ofstream(in, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    Report(state, in, static_cast<double>(bytes.size()));
}

} // namespace

BENCHMARK(BM_PeakMemoryPolylinesAndTexts)
    ->Arg(200)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);
BENCHMARK(BM_PeakMemoryEmptyLists)->Arg(10)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_PeakMemoryEmptyTextsWmf)->Arg(60)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
