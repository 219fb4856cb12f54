// The interpreter against a sink that is not an exporter: it records every
// call, and what it records is what the exporter makes of the same file.
#include "figure/FigureSink.h"
#include "InterpretFixture.h"
#include "metafile/EnhMetafile.h"
#include "metafile/Metafile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace mv;
using namespace mv::test;

namespace {

class TRecordingSink : public IFigureSink {
public:
    struct TCall {
        TFigureKind Kind;
        std::int32_t Color;
        std::string Text;
        std::size_t Vertices; // points of the list a polyline is made from
    };

    void AddPixel(const TdxfExportData& d) override { Record(TFigureKind::Pixel, d); }
    void AddLine(const TdxfExportData& d) override { Record(TFigureKind::Line, d); }
    void AddRectangle(const TdxfExportData& d) override { Record(TFigureKind::Rectangle, d); }
    void AddHatch(const TdxfExportData& d) override { Record(TFigureKind::Hatch, d); }
    void AddPolyline(const TdxfExportData& d, int index) override { Record(TFigureKind::Polyline, d, index); }
    void AddPolyBezier(const TdxfExportData& d, int index) override {
        Record(TFigureKind::PolyBezier, d, index);
    }
    void AddCircle(const TdxfExportData& d) override { Record(TFigureKind::Ellipse, d); }
    void AddEllipse(const TdxfExportData& d) override { Record(TFigureKind::Ellipse, d); }
    void AddArc(const TdxfExportData& d) override { Record(TFigureKind::Arc, d); }
    void AddMText(const TdxfExportData& d) override { Record(TFigureKind::MText, d); }
    void AddImage(const TdxfImageData&) override { Calls.push_back({TFigureKind::Image, 0, {}, 0}); }
    void AddLineType(std::string_view name, std::span<const float> lengths, int last) override {
        LineTypes.emplace_back(name);
        EXPECT_LT(last, static_cast<int>(lengths.size()));
    }

    std::vector<TCall> Calls;
    std::vector<std::string> LineTypes;

private:
    void Record(TFigureKind kind, const TdxfExportData& d, int index = -1) {
        // Point lists are only valid during the call: a sink reads them now.
        const std::size_t n = index >= 0 ? d.Points.at(static_cast<std::size_t>(index)).size() : 0;
        Calls.push_back({kind, d.Color, d.Text, n});
    }
};

// The LTYPE names of the exporter's line-type records, in order.
std::vector<std::string> LineTypeNamesOf(const TmvDXFExport& e) {
    const std::vector<std::string> lines = e.LineTypeLines().Lines();
    std::vector<std::string> names;
    for (std::size_t i = 0; i + 1 < lines.size(); i += 2)
        if (lines[i] == "  2") names.push_back(lines[i + 1]);
    return names;
}

} // namespace

TEST(FigureSink, InterpreterPlaysEveryRecordKindIntoAnySink) {
    TEmfBuilder b;
    AddEveryRecordKind(b);
    // The arc forms and the clipping record the sample leaves out.
    b.SelectObject(BlackPen).ArcLike(emr::CHORD, 0, 0, 80, 40, {80, 20}, {0, 20});
    b.ArcLike(emr::ARCTO, 0, 0, 60, 60, {60, 30}, {30, 0});
    b.Add(TRecordBytes(emr::EXTSELECTCLIPRGN).U32(0).U32(5));
    const TEnhMetafile metafile = TEnhMetafile::FromEmfBytes(b.Build());

    TFixedMetricMeasure measure;
    TInterpretSettings settings;
    settings.TextMeasure = &measure;
    settings.AlternativeBlack = true;
    settings.Classic = true;
    TRecordingSink sink;
    TmvMetafile(sink, settings).Play(metafile);

    TmvDXFExport exporter;
    exporter.SetInterpretSettings(settings);
    exporter.LoadFromMetafile(metafile);

    // Every drawing record reached the sink, as the same figures the
    // exporter made, with the same colours and line types.
    const TFigureList& figures = exporter.Figures();
    ASSERT_EQ(sink.Calls.size(), figures.size());
    for (std::size_t i = 0; i < figures.size(); ++i) {
        SCOPED_TRACE("call " + std::to_string(i));
        const TmvExpDXFFigure& f = *figures[i];
        EXPECT_EQ(sink.Calls[i].Kind, f.Kind());
        EXPECT_EQ(sink.Calls[i].Color, f.Data.Color);
        EXPECT_EQ(sink.Calls[i].Text, f.Data.Text);
        if (f.Kind() == TFigureKind::Polyline || f.Kind() == TFigureKind::PolyBezier) {
            EXPECT_EQ(sink.Calls[i].Vertices, static_cast<const TmvExpDXFPolyline&>(f).VertexCount());
        }
    }
    std::vector<TFigureKind> kinds;
    for (const auto& call : sink.Calls)
        if (std::find(kinds.begin(), kinds.end(), call.Kind) == kinds.end()) kinds.push_back(call.Kind);
    EXPECT_EQ(kinds.size(), 9u) << "every kind of figure was made";

    // Each dashed pen style gave its line type once, before the first figure
    // that names it.
    EXPECT_EQ(sink.LineTypes, LineTypeNamesOf(exporter));
    EXPECT_EQ(sink.LineTypes, (std::vector<std::string>{"_DASH"})); // the one dashed pen selected
    // The settings value reached the interpreter: black is colour 250.
    EXPECT_TRUE(
        std::any_of(sink.Calls.begin(), sink.Calls.end(), [](const auto& c) { return c.Color == 250; }));
    EXPECT_FALSE(measure.Calls.empty());
}
