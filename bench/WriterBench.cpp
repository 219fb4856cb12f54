// Writing large drawings: the DXF writer's throughput and memory.
#include "dxf/DXFExport.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <sys/resource.h>
#include <unistd.h>

using namespace mv;

namespace {

long PeakRssKiB() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

// A drawing of n LINE figures with varied coordinates, as a converted plan has them.
void FillLines(TmvDXFExport& e, int n) {
    TdxfExportData d;
    d.Color = 5;
    d.PenWidth = 1;
    for (int i = 0; i < n; ++i) {
        d.Point1 = {static_cast<float>(i % 1000) * 1.25f, static_cast<float>(i / 1000) * 0.75f, 0};
        d.Point2 = {d.Point1.x + 10.5f, d.Point1.y - 3.125f, 0};
        e.AddLine(d);
    }
}

void BM_WriteMillionLines(benchmark::State& state) {
    const std::string path = "/tmp/metrovane-bench-lines-" + std::to_string(::getpid()) + ".dxf";
    long fileSize = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto e = std::make_unique<TmvDXFExport>();
        FillLines(*e, 1000000);
        state.ResumeTiming();
        e->SaveToFile(path);
        state.PauseTiming();
        std::ifstream f(path, std::ios::binary | std::ios::ate);
        fileSize = static_cast<long>(f.tellg());
        e.reset();
        state.ResumeTiming();
    }
    std::remove(path.c_str());
    state.counters["file_MB"] = static_cast<double>(fileSize) / 1e6;
    state.counters["peak_rss_MB"] = static_cast<double>(PeakRssKiB()) / 1024.0;
    state.counters["peak_over_file"] =
        static_cast<double>(PeakRssKiB()) * 1024.0 / static_cast<double>(fileSize);
}
BENCHMARK(BM_WriteMillionLines)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
