// Stroking and filling outlines: which figures a path makes, and the loops
// that each fill rule keeps.
#include "metafile/PathFigures.h"
#include "FigureRecorder.h"

#include <gtest/gtest.h>

using namespace mv;
using namespace mv::test;
using TCall = TFigureRecorder::TCall;

namespace {

// A square as a subpath of p, turning counter-clockwise or clockwise.
void AddSquare(TFigurePath& p, double x0, double y0, double size, bool clockwise = false) {
    p.MoveTo({x0, y0});
    const double s = size;
    const TFigPoint turn[3] = {{s, 0}, {s, s}, {0, s}};
    for (int i = 0; i < 3; ++i) {
        const TFigPoint d = clockwise ? TFigPoint{turn[2 - i].x, turn[2 - i].y} : turn[i];
        p.LineTo({x0 + d.x, y0 + d.y});
    }
    p.Close();
}

const TStrokeLook kPen{5, -1, 30, "_DASH"};

} // namespace

TEST(PathFigures, StrokeKeepsStraightRunsAndCurvesApart) {
    TFigurePath p;
    p.MoveTo({0, 0});
    p.LineTo({10, 0});
    p.BezierTo({20, 0}, {20, 10}, {30, 10});
    p.BezierTo({40, 10}, {40, 20}, {50, 20});
    p.LineTo({60, 20});
    p.MoveTo({100, 100}); // a lone point draws nothing
    // Closed, beginning and ending straight: the closing line joins the last
    // run to the first, through the start point.
    p.MoveTo({0, 0});
    p.LineTo({10, 0});
    p.BezierTo({15, 5}, {15, 10}, {10, 15});
    p.LineTo({0, 15});
    p.Close();
    TFigureRecorder sink;
    StrokePathFigures(p, kPen, sink);
    ASSERT_EQ(sink.Calls(), (std::vector{TCall::Polyline, TCall::PolyBezier, TCall::Polyline,
                                         TCall::PolyBezier, TCall::Polyline}));
    EXPECT_EQ(sink.PointsOf(1).size(), 7u); // a start and two segments of three
    EXPECT_EQ(sink.PointsOf(2), (TdxfPointList{{50, 20, 0}, {60, 20, 0}}));
    EXPECT_EQ(sink.PointsOf(4), (TdxfPointList{{10, 15, 0}, {0, 15, 0}, {0, 0, 0}, {10, 0, 0}}));
    EXPECT_EQ(sink.At(0).Color, 5);
    EXPECT_EQ(sink.At(1).PenWidth, 30);
    EXPECT_EQ(sink.At(4).Text, "_DASH");
}

TEST(PathFigures, FillRulesChooseTheLoops) {
    TFigurePath same, opposite, apart;
    AddSquare(same, 0, 0, 100);
    AddSquare(same, 25, 25, 50);
    AddSquare(opposite, 0, 0, 100);
    AddSquare(opposite, 25, 25, 50, true);
    AddSquare(apart, 0, 0, 10);
    AddSquare(apart, 50, 0, 10);
    // Odd parity: the inner square is a hole either way. Winding: turning
    // the same way it is filled, so only the outer square bounds the fill.
    EXPECT_EQ(FillLoops(same, TPolyFillMode::Alternate).size(), 2u);
    EXPECT_EQ(FillLoops(opposite, TPolyFillMode::Alternate).size(), 2u);
    ASSERT_EQ(FillLoops(same, TPolyFillMode::Winding).size(), 1u);
    EXPECT_EQ(FillLoops(same, TPolyFillMode::Winding)[0].front(), (TFigPoint{0, 0}));
    EXPECT_EQ(FillLoops(opposite, TPolyFillMode::Winding).size(), 2u);
    EXPECT_EQ(FillLoops(apart, TPolyFillMode::Winding).size(), 2u);

    // Open subpaths are closed for filling; what has no area gives no loop.
    TFigurePath open;
    open.MoveTo({0, 0});
    open.LineTo({10, 0});
    open.LineTo({10, 10});
    open.MoveTo({20, 20});
    open.LineTo({30, 30});
    open.LineTo({30, 30});
    const auto loops = FillLoops(open, TPolyFillMode::Alternate);
    ASSERT_EQ(loops.size(), 1u);
    EXPECT_EQ(loops[0].size(), 3u);
}

TEST(PathFigures, FilledCurvesAreFlattenedCloseToTheCurve) {
    // A quarter circle of radius 1000 by its usual Bezier approximation.
    const double r = 1000, k = 0.5522847498 * r;
    TFigurePath p;
    p.MoveTo({0, 0});
    p.LineTo({r, 0});
    p.BezierTo({r, k}, {k, r}, {0, r});
    const auto loops = FillLoops(p, TPolyFillMode::Alternate);
    ASSERT_EQ(loops.size(), 1u);
    EXPECT_GT(loops[0].size(), 20u);
    for (std::size_t i = 2; i < loops[0].size(); ++i)
        EXPECT_NEAR(Length(loops[0][i]), r, 1.0) << i;
}

TEST(PathFigures, FlatteningStaysWithinItsBudget) {
    TFigurePath p;
    p.MoveTo({0, 0});
    for (int i = 0; i < 1000; ++i)
        p.BezierTo({i * 1e6, 1e8}, {i * 1e6 + 5e5, -1e8}, {(i + 1) * 1e6, 0});
    auto count = [](const TFigurePath& f) { return f.Subpaths()[0].Points.size(); };
    EXPECT_GT(count(FlattenWithin(p)), 100000u); // fine when nothing limits it
    const TFigurePath coarse = FlattenWithin(p, kFlatness, 5000);
    EXPECT_LE(count(coarse), 5000u);
    EXPECT_EQ(coarse.Subpaths()[0].Points.back(), (TFigPoint{1e9, 0}));
    // Below one point per curve only the chords are left.
    EXPECT_EQ(count(FlattenWithin(p, kFlatness, 10)), 1001u);
}
