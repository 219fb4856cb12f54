// The white-mask pass on map-like drawings: many small figures over a large
// sheet and many white label boxes, placed among the figures or all at the end.

#include "dxf/FigureCollector.h"
#include "dxf/WhiteMask.h"

#include <benchmark/benchmark.h>

#include <random>

namespace {

using namespace mv;

constexpr float kSheetWidth = 100000, kSheetHeight = 70000;

void AddRandomFigure(TFigureCollector& ex, std::mt19937& rng) {
    std::uniform_real_distribution<float> x(0, kSheetWidth), y(0, kSheetHeight), step(-400, 400),
        size(20, 600);
    std::uniform_int_distribution<int> pick(0, 99);
    TdxfExportData d;
    d.Color = 1 + pick(rng) % 7;
    const TdxfPoint at{x(rng), y(rng), 0};
    const int k = pick(rng);
    if (k < 50) {
        d.Point1 = at;
        d.Point2 = TdxfPoint{at.x + step(rng), at.y + step(rng), 0};
        ex.AddLine(d);
    } else if (k < 65) {
        TdxfPointList pts{at};
        const int n = 2 + pick(rng) % 6;
        for (int i = 1; i < n; ++i)
            pts.push_back(TdxfPoint{pts.back().x + step(rng), pts.back().y + step(rng), 0});
        d.Count = 1;
        d.Points.push_back(std::move(pts));
        ex.AddPolyline(d, 0);
    } else if (k < 70) {
        d.Point1 = at;
        d.Point2 = TdxfPoint{at.x + size(rng), at.y + size(rng), 0};
        ex.AddRectangle(d);
    } else if (k < 75) {
        d.Point1 = at;
        d.Radius = size(rng) / 2;
        d.StartAngle = 0;
        d.EndAngle = 360;
        ex.AddCircle(d);
    } else if (k < 80) {
        d.Point1 = at;
        d.Radius = size(rng) / 2;
        d.StartAngle = static_cast<float>(pick(rng) * 3);
        d.EndAngle = static_cast<float>(pick(rng) * 3 + 30);
        ex.AddArc(d);
    } else if (k < 95) {
        const float rotations[] = {0, 0, 0, 90, 270};
        d.Point1 = at;
        d.Rotation = rotations[pick(rng) % 5];
        d.TextWidth = size(rng) * 2;
        d.Height = 100;
        d.Text = "{\\fArial|i0|b0;Street name}";
        ex.AddMText(d);
    } else if (k < 97) {
        d.Point1 = at;
        ex.AddPixel(d);
    } else {
        const float w = size(rng), h = size(rng);
        d.Color = 3;
        d.Count = 1;
        d.Points.push_back({at, {at.x + w, at.y, 0}, {at.x + w, at.y + h, 0}, {at.x, at.y + h, 0}});
        ex.AddHatch(d);
    }
}

void AddMask(TFigureCollector& ex, std::mt19937& rng) {
    std::uniform_real_distribution<float> x(0, kSheetWidth), y(0, kSheetHeight), size(200, 3000);
    const TdxfPoint a{x(rng), y(rng), 0};
    const float w = size(rng), h = size(rng) / 3;
    TdxfExportData d;
    d.Color = 255;
    d.Count = 1;
    d.Points.push_back({a, {a.x + w, a.y, 0}, {a.x + w, a.y + h, 0}, {a.x, a.y + h, 0}});
    ex.AddHatch(d);
}

// figures figures and masks masks; with interleave the masks are spread
// evenly among the figures, otherwise they all follow them.
void BuildDrawing(TFigureCollector& ex, int figures, int masks, bool interleave) {
    std::mt19937 rng(20240611);
    const int every = interleave ? figures / masks : figures;
    for (int i = 0; i < figures; ++i) {
        AddRandomFigure(ex, rng);
        if (interleave && (i + 1) % every == 0) AddMask(ex, rng);
    }
    if (!interleave)
        for (int k = 0; k < masks; ++k)
            AddMask(ex, rng);
}

template <void (*Pass)(TFigureList&)> void RunPass(benchmark::State& state, bool interleave) {
    const int figures = static_cast<int>(state.range(0)), masks = static_cast<int>(state.range(1));
    std::size_t out = 0;
    for (auto _ : state) {
        state.PauseTiming();
        TFigureCollector ex;
        BuildDrawing(ex, figures, masks, interleave);
        state.ResumeTiming();
        Pass(ex.Figures());
        out = ex.Figures().size();
        state.PauseTiming();
        ex.Figures().clear(); // freeing is not part of the pass
        state.ResumeTiming();
    }
    state.counters["figures_after"] = static_cast<double>(out);
}

void BM_WhiteMasks_AtEnd(benchmark::State& s) {
    RunPass<ApplyWhiteMasks>(s, false);
}
void BM_WhiteMasks_Interleaved(benchmark::State& s) {
    RunPass<ApplyWhiteMasks>(s, true);
}
void BM_WhiteMasksReference_AtEnd(benchmark::State& s) {
    RunPass<ApplyWhiteMasksReference>(s, false);
}
void BM_WhiteMasksReference_Interleaved(benchmark::State& s) {
    RunPass<ApplyWhiteMasksReference>(s, true);
}

BENCHMARK(BM_WhiteMasks_AtEnd)->Args({200000, 2000})->Args({20000, 200})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WhiteMasks_Interleaved)->Args({200000, 2000})->Args({20000, 200})->Unit(benchmark::kMillisecond);
// The plain pass only at a tenth of the size: at full size it runs for minutes.
BENCHMARK(BM_WhiteMasksReference_AtEnd)->Args({20000, 200})->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_WhiteMasksReference_Interleaved)
    ->Args({20000, 200})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

} // namespace
