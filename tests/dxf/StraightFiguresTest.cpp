#include "GroupLines.h"
#include "dxf/DXFExport.h"
#include "dxf/Figures.h"
#include "platform/Errors.h"

#include <gtest/gtest.h>

using namespace mv;

namespace {

TdxfExportData Poly(std::vector<TdxfPoint> pts, std::uint8_t flags = 0) {
    TdxfExportData d;
    d.Count = 1;
    d.Flags = static_cast<FigureFlags>(flags);
    d.Points = {std::move(pts)};
    return d;
}

std::vector<std::pair<TdxfPoint, TdxfPoint>> Segments(const TFigureList& list) {
    std::vector<std::pair<TdxfPoint, TdxfPoint>> s;
    for (const auto& f : list) {
        EXPECT_EQ(f->Kind(), TFigureKind::Line);
        s.emplace_back(f->Data.Point1, f->Data.Point2);
    }
    return s;
}

} // namespace

TEST(Rectangles, IntersectionFollowsTheWindowsRules) {
    EXPECT_TRUE(RectsIntersect({0, 0, 10, 10}, {5, 5, 20, 20}));
    EXPECT_FALSE(RectsIntersect({0, 0, 10, 10}, {10, 0, 20, 10}));  // touching edge
    EXPECT_FALSE(RectsIntersect({0, 0, 10, 10}, {10, 10, 20, 20})); // touching corner
    EXPECT_FALSE(RectsIntersect({0, 5, 10, 5}, {0, 0, 10, 10}));    // no height
    EXPECT_EQ(NormalizedRect(2.5L, 3.5L, -1.5L, 0.5L), (TRect{-2, 0, 2, 4}));
    EXPECT_THROW(NormalizedRect(3e9L, 0, 0, 0), ERangeError);
}

TEST(Polyline, BoundsIncludeTheOrigin) {
    TmvExpDXFPolyline far(Poly({{150, 150, 0}, {200, 300, 0}}), 0);
    EXPECT_TRUE(far.IntersectsRect({10, 10, 20, 20}));
    TmvExpDXFPolyline horizontal(Poly({{10, 50, 0}, {90, 50, 0}}), 0);
    EXPECT_TRUE(horizontal.IntersectsRect({20, 10, 30, 20})); // box reaches down to y = 0
    TmvExpDXFPolyline onAxis(Poly({{10, 0, 0}, {90, 0, 0}}), 0);
    EXPECT_FALSE(onAxis.IntersectsRect({-100, -100, 100, 100}));
}

TEST(Polyline, TakesOnlyItsOwnPointList) {
    TdxfExportData d;
    d.Count = 3;
    d.Points = {{{1, 1, 0}}, {{2, 2, 0}}, {{3, 3, 0}, {4, 4, 0}}};
    TmvExpDXFPolyline p(d, 2);
    ASSERT_EQ(p.VertexCount(), 2u);
    EXPECT_EQ(p.Vertex(0), (TdxfPoint{3, 3, 0}));
    EXPECT_EQ(p.Data.Count, 3);
    EXPECT_TRUE(p.Data.Points.empty());
    // An index outside the lists gives a polyline that writes and splits nothing.
    TmvExpDXFPolyline none(d, 3);
    test::TEntityWriter e;
    none.Export(e.Out);
    TFigureList list;
    none.SplitIntoLines(list);
    EXPECT_TRUE(e.Lines.Empty());
    EXPECT_TRUE(list.empty());
}

TEST(Polyline, SplitOpenAndClosed) {
    TFigureList open, closed, single, singleClosed;
    const std::vector<TdxfPoint> pts = {{0, 0, 0}, {10, 0, 0}, {10, 10, 1}};
    TmvExpDXFPolyline(Poly(pts), 0).SplitIntoLines(open);
    TmvExpDXFPolyline(Poly(pts, 1), 0).SplitIntoLines(closed);
    EXPECT_EQ(open.size(), 2u);
    ASSERT_EQ(closed.size(), 3u);
    EXPECT_EQ(Segments(closed)[2], std::make_pair(pts[2], pts[0]));
    TmvExpDXFPolyline(Poly({{5, 5, 0}}), 0).SplitIntoLines(single);
    TmvExpDXFPolyline(Poly({{5, 5, 0}}, 1), 0).SplitIntoLines(singleClosed);
    EXPECT_TRUE(single.empty());
    ASSERT_EQ(singleClosed.size(), 1u);
    EXPECT_EQ(singleClosed[0]->Data.Point1, singleClosed[0]->Data.Point2);
}

TEST(Rectangle, SplitOrderAndLineAttributes) {
    TdxfExportData d;
    d.Point1 = {0, 0, 0};
    d.Point2 = {10, 20, 0};
    d.Color = 3;
    d.Text = "_DOT";
    TmvExpDXFRectangle r(d);
    r.Layer = "L";
    TFigureList list;
    r.SplitIntoLines(list);
    auto s = Segments(list);
    ASSERT_EQ(s.size(), 4u);
    EXPECT_EQ(s[0], std::make_pair(TdxfPoint{0, 0, 0}, TdxfPoint{0, 20, 0}));
    EXPECT_EQ(s[1], std::make_pair(TdxfPoint{0, 0, 0}, TdxfPoint{10, 0, 0}));
    EXPECT_EQ(s[2], std::make_pair(TdxfPoint{10, 0, 0}, TdxfPoint{10, 20, 0}));
    EXPECT_EQ(s[3], std::make_pair(TdxfPoint{0, 20, 0}, TdxfPoint{10, 20, 0}));
    EXPECT_EQ(list[0]->Layer, "L");
    EXPECT_EQ(list[0]->Data.Color, 3);
    EXPECT_EQ(list[0]->Data.Text, "_DOT");
    TdxfExportData flat = d;
    flat.Point2.y = 0;
    EXPECT_FALSE(TmvExpDXFRectangle(flat).IntersectsRect({-100, -100, 100, 100}));
}

TEST(Line, ScaledUnderUse01MM) {
    test::TEntityWriter e(true);
    TdxfExportData d;
    d.Point1 = {100, 200, 0};
    d.Point2 = {300, 400, 0};
    TmvExpDXFLine(d).Export(e.Out);
    auto lines = e.Lines.Lines();
    EXPECT_EQ(std::vector<std::string>(lines.end() - 8, lines.end()),
              (std::vector<std::string>{" 10", "1", " 20", "2", " 11", "3", " 21", "4"}));
}
