// Interpreting a large enhanced metafile and writing its DXF file: input
// throughput and peak memory against the size of the file written.
#include "../tests/support/EmfBuilder.h"
#include "BenchDrawings.h"
#include "dxf/DXFExport.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

using namespace mv;
using mv::test::TEmfBuilder;
using mv::test::TPt;

namespace {

// About `megabytes` of drawing records as a plan converted from a CAD or
// office program has them: pens and brushes changing, long polylines in both
// point sizes, filled polygons and rectangles, and labels.
std::vector<std::uint8_t> BuildDrawing(std::size_t megabytes) {
    TEmfBuilder b;
    b.CreateFont(1, u"Arial", -12).SelectObject(1).SetTextAlign(24);
    std::vector<TPt> pts(120);
    std::size_t bytes = 0;
    for (std::uint32_t block = 0; bytes < megabytes * 1000000; ++block) {
        const auto k = static_cast<std::int32_t>(block % 997);
        b.CreatePen(2, block % 5, 1 + block % 3, 0x10203 * (block % 64)).SelectObject(2);
        b.CreateBrush(3, block % 2 ? 0 : 2, 0x30201 * (block % 64), block % 6).SelectObject(3);
        for (std::size_t i = 0; i < pts.size(); ++i)
            pts[i] = {k * 31 + static_cast<std::int32_t>(i) * 17,
                      (k * 13 + static_cast<std::int32_t>(i * i)) % 20000};
        b.Poly(4, pts);  // EMR_POLYLINE
        b.Poly(87, pts); // EMR_POLYLINE16
        b.Poly(3, std::span<const TPt>(pts.data(), 12));
        b.Rectangle(k * 20, k * 10, k * 20 + 300, k * 10 + 150);
        b.TextOut(k * 20, k * 10, u"Raum 1.23 Wohnen");
        b.MoveTo(k, k).LineTo(k + 500, k + 20);
        b.DeleteObject(2).DeleteObject(3);
        bytes += 36 + 20 + 28 + 28 + 960 + 480 + 96 + 24 + 112 + 16 + 16 + 24;
    }
    return b.Build(20000, 20000);
}

// Writes the drawing to a temporary file; returns its size.
std::size_t WriteDrawing(const std::string& path, std::size_t megabytes) {
    const auto bytes = BuildDrawing(megabytes);
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return bytes.size();
}

std::string TempName(const char* extension) {
    return "/tmp/metrovane-bench-" + std::to_string(::getpid()) + extension;
}

// The whole conversion of one file: load, interpret, write.
void BM_InterpretAndWrite50MB(benchmark::State& state) {
    const std::string in = TempName(".emf"), out = TempName(".dxf");
    const std::size_t inputSize = WriteDrawing(in, static_cast<std::size_t>(state.range(0)));
    const long before = bench::PeakRssKiB();
    long peak = 0;
    for (auto _ : state) {
        bench::ResetPeakRss();
        TmvDXFExport exporter;
        exporter.SetUse01MM(true);
        exporter.LoadFromFile(in);
        exporter.SaveToFile(out);
        peak = std::max(peak, bench::PeakRssKiB());
    }
    const double dxfSize = static_cast<double>(std::filesystem::file_size(out));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * inputSize));
    state.counters["input_MB"] = static_cast<double>(inputSize) / 1e6;
    state.counters["dxf_MB"] = dxfSize / 1e6;
    state.counters["peak_MB"] = static_cast<double>(peak) * 1024 / 1e6;
    state.counters["peak_per_dxf"] = static_cast<double>(peak) * 1024 / dxfSize;
    state.counters["rss_before_MB"] = static_cast<double>(before) * 1024 / 1e6;
    std::remove(in.c_str());
    std::remove(out.c_str());
}

// Loading and interpreting only: the interpreter's share of the conversion.
void BM_Interpret50MB(benchmark::State& state) {
    const std::string in = TempName(".emf");
    const std::size_t inputSize = WriteDrawing(in, static_cast<std::size_t>(state.range(0)));
    std::size_t figures = 0;
    for (auto _ : state) {
        TmvDXFExport exporter;
        exporter.LoadFromFile(in);
        figures = exporter.Figures().size();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * inputSize));
    state.counters["figures"] = static_cast<double>(figures);
    std::remove(in.c_str());
}

} // namespace

BENCHMARK(BM_Interpret50MB)->Arg(50)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_InterpretAndWrite50MB)->Arg(50)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
