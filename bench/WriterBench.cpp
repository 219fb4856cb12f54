// Writing large drawings: the DXF writer's throughput and memory.
#include "BenchDrawings.h"
#include "dxf/DXFExport.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <unistd.h>

using namespace mv;

namespace {

void BM_WriteMillionLines(benchmark::State& state) {
    const std::string path = "/tmp/metrovane-bench-lines-" + std::to_string(::getpid()) + ".dxf";
    long fileSize = 0;
    long peak = 0;
    for (auto _ : state) {
        state.PauseTiming();
        bench::ResetPeakRss();
        auto e = std::make_unique<TmvDXFExport>();
        bench::FillLines(*e, 1000000);
        state.ResumeTiming();
        e->SaveToFile(path);
        state.PauseTiming();
        std::ifstream f(path, std::ios::binary | std::ios::ate);
        fileSize = static_cast<long>(f.tellg());
        peak = std::max(peak, bench::PeakRssKiB());
        e.reset();
        state.ResumeTiming();
    }
    std::remove(path.c_str());
    state.counters["file_MB"] = static_cast<double>(fileSize) / 1e6;
    // Peak of the whole process during one conversion: figures, lines and all.
    state.counters["peak_rss_MB"] = static_cast<double>(peak) / 1024.0;
    state.counters["peak_over_file"] = static_cast<double>(peak) * 1024.0 / static_cast<double>(fileSize);
}
BENCHMARK(BM_WriteMillionLines)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
