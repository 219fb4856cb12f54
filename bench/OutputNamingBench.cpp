// Output naming: many inputs of one base name into one folder. The target is
// 20,000 names in well under a second (each name tested once, not again for
// every later file).
#include "app/BatchRun.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

using namespace mv;

namespace {

void BM_OutputNamesOfOneBaseName(benchmark::State& state) {
    namespace fs = std::filesystem;
    const fs::path folder =
        fs::temp_directory_path() / ("metrovane-bench-names-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    // A folder that already holds the first thousand names.
    for (int i = 0; i < 1000; ++i)
        std::ofstream(folder / ("plan" + std::to_string(i) + ".dxf"));
    std::ofstream(folder / "plan.dxf");
    for (auto _ : state) {
        TOutputNames names(folder.string() + "/");
        for (std::int64_t i = 0; i < state.range(0); ++i)
            benchmark::DoNotOptimize(names.Take("plan"));
    }
    fs::remove_all(folder);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_OutputNamesOfOneBaseName)->Arg(20000)->Unit(benchmark::kMillisecond);

} // namespace
