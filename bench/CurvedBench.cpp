// Writing curved entities, texts and hatches, against LINE figures written
// the same way: the cost per entity of the richer writers.
#include "BenchDrawings.h"
#include "dxf/DXFExport.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <ostream>
#include <streambuf>

using namespace mv;

namespace {

// Swallows the file so that only the writing is measured.
class TNullBuffer : public std::streambuf {
protected:
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
    int_type overflow(int_type c) override { return traits_type::not_eof(c); }
};

// n figures of a converted drawing's curved, text and filled kinds, in
// equal shares and with varied coordinates.
void FillMixed(TmvDXFExport& e, int n) {
    for (int i = 0; i < n; ++i) {
        const float x = static_cast<float>(i % 1000) * 1.25f, y = static_cast<float>(i / 1000) * 0.75f;
        TdxfExportData d;
        d.Color = 1 + i % 200;
        d.PenWidth = 1;
        d.Point1 = {x, y, 0};
        switch (i % 10) {
        case 0:
            d.Radius = 12.5f;
            d.StartAngle = 0;
            d.EndAngle = 360;
            e.AddCircle(d);
            break;
        case 1:
            d.Point2 = {40.25f, 0, 0};
            d.Radius = 0.375f;
            e.AddEllipse(d);
            break;
        case 2:
            d.Radius = 7.75f;
            d.StartAngle = 12.5f;
            d.EndAngle = 281.25f;
            e.AddArc(d);
            break;
        case 3:
            d.Kind = ArcShape::Elliptical;
            d.Point2 = {0, 33.5f, 0};
            d.Radius = 0.625f;
            d.StartAngle = -0.7853982f;
            d.EndAngle = 2.3561945f;
            e.AddArc(d);
            break;
        case 4:
        case 5: {
            const int points = i % 10 == 4 ? 4 : 7;
            d.Count = 1;
            d.Points.emplace_back();
            for (int k = 0; k < points; ++k)
                d.Points[0].push_back({x + 3.5f * k, y + (k % 2 ? 2.25f : -1.5f), 0});
            e.AddPolyBezier(d, 0);
            break;
        }
        case 6:
        case 7:
            d.Height = 3.5f;
            d.TextWidth = 42.75f;
            d.Rotation = i % 10 == 6 ? 0.0f : 90.0f;
            d.Align = static_cast<std::uint8_t>(i % 9);
            d.Text = "{\\fArial|i0|b0;Drawing label " + std::to_string(i) + "}";
            e.AddMText(d);
            break;
        case 8:
            d.HatchStyle = i % 20 == 8 ? BrushHatch::Solid : BrushHatch::Cross;
            d.Count = 1;
            d.Points = {{{x, y, 0}, {x + 20.5f, y, 0}, {x + 20.5f, y + 10.25f, 0}, {x, y + 10.25f, 0}}};
            e.AddHatch(d);
            break;
        default:
            d.Kind = HatchKind::Circle;
            d.HatchStyle = BrushHatch::ForwardDiagonal;
            d.Radius = 9.5f;
            d.StartAngle = 0;
            d.EndAngle = 360;
            e.AddHatch(d);
            break;
        }
    }
}

// Filled rectangles, the commonest hatch of converted drawings.
void FillRectangleHatches(TmvDXFExport& e, int n) {
    TdxfExportData d;
    d.Color = 3;
    d.Count = 1;
    for (int i = 0; i < n; ++i) {
        const float x = static_cast<float>(i % 1000) * 1.25f, y = static_cast<float>(i / 1000) * 0.75f;
        d.HatchStyle = i % 2 ? BrushHatch::Solid : BrushHatch::Cross;
        d.Points = {{{x, y, 0}, {x + 20.5f, y, 0}, {x + 20.5f, y + 10.25f, 0}, {x, y + 10.25f, 0}}};
        e.AddHatch(d);
    }
}

template <void (*Fill)(TmvDXFExport&, int)> void WriteDrawing(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    TNullBuffer sink;
    std::ostream out(&sink);
    for (auto _ : state) {
        state.PauseTiming();
        auto e = std::make_unique<TmvDXFExport>();
        Fill(*e, n);
        state.ResumeTiming();
        e->SaveToStream(out);
        state.PauseTiming();
        e.reset();
        state.ResumeTiming();
    }
    // items_per_second gives the time per entity: 1e9 / rate nanoseconds.
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * n);
}

void BM_WriteCurvedTextHatch(benchmark::State& state) {
    WriteDrawing<FillMixed>(state);
}
void BM_WriteRectangleHatches(benchmark::State& state) {
    WriteDrawing<FillRectangleHatches>(state);
}
void BM_WriteLinesSameSink(benchmark::State& state) {
    WriteDrawing<bench::FillLines>(state);
}

BENCHMARK(BM_WriteCurvedTextHatch)->Arg(200000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_WriteRectangleHatches)->Arg(200000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_WriteLinesSameSink)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
