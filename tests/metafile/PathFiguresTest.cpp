// Stroking and filling outlines: which figures a path makes, and the loops
// that each fill rule keeps.
#include "metafile/PathFigures.h"
#include "FigureRecorder.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace mv;
using namespace mv::test;
using TCall = TFigureRecorder::TCall;

namespace {

TFigurePath Square(double x0, double y0, double size, bool counterClockwise = true) {
    TFigurePath p;
    p.MoveTo({x0, y0});
    if (counterClockwise) {
        p.LineTo({x0 + size, y0});
        p.LineTo({x0 + size, y0 + size});
        p.LineTo({x0, y0 + size});
    } else {
        p.LineTo({x0, y0 + size});
        p.LineTo({x0 + size, y0 + size});
        p.LineTo({x0 + size, y0});
    }
    p.Close();
    return p;
}

// Both outlines in one path.
TFigurePath Join(const TFigurePath& a, const TFigurePath& b) {
    TFigurePath p = a;
    for (const auto& s : b.Subpaths()) {
        p.MoveTo(s.Points.front());
        for (std::size_t i = 1; i < s.Points.size(); ++i)
            p.LineTo(s.Points[i]);
        if (s.Closed) p.Close();
    }
    return p;
}

const TStrokeLook kPen{5, -1, 30, "_DASH"};

} // namespace

TEST(PathFigures, StrokeMakesPolylinesForStraightRunsAndSplinesForCurves) {
    TFigurePath p;
    p.MoveTo({0, 0});
    p.LineTo({10, 0});
    p.BezierTo({20, 0}, {20, 10}, {30, 10});
    p.BezierTo({40, 10}, {40, 20}, {50, 20});
    p.LineTo({60, 20});
    p.LineTo({70, 30});
    p.MoveTo({100, 100}); // a lone point draws nothing
    TFigureRecorder sink;
    StrokePathFigures(p, kPen, sink);
    ASSERT_EQ(sink.Calls(), (std::vector{TCall::Polyline, TCall::PolyBezier, TCall::Polyline}));
    EXPECT_EQ(sink.PointsOf(0), (TdxfPointList{{0, 0, 0}, {10, 0, 0}}));
    EXPECT_EQ(sink.PointsOf(1).size(), 7u); // a start and two segments of three
    EXPECT_EQ(sink.PointsOf(1).front(), (TdxfPoint{10, 0, 0}));
    EXPECT_EQ(sink.PointsOf(1).back(), (TdxfPoint{50, 20, 0}));
    EXPECT_EQ(sink.PointsOf(2), (TdxfPointList{{50, 20, 0}, {60, 20, 0}, {70, 30, 0}}));
    for (const auto& e : sink.Entries) {
        EXPECT_EQ(e.Data.Color, 5);
        EXPECT_EQ(e.Data.PenWidth, 30);
        EXPECT_EQ(e.Data.Text, "_DASH");
        EXPECT_FALSE(HasFlag(e.Data.Flags, FigureFlags::Closed));
    }
}

TEST(PathFigures, ClosedSubpathsGetTheirClosingLine) {
    // Straight and closed: one closed polyline, the first point not repeated,
    // also when the outline returns to it itself.
    TFigurePath square = Square(0, 0, 10);
    square.MoveTo({20, 0});
    square.LineTo({30, 0});
    square.LineTo({30, 10});
    square.LineTo({20, 0});
    square.Close();
    TFigureRecorder sink;
    StrokePathFigures(square, kPen, sink);
    ASSERT_EQ(sink.Calls(), (std::vector{TCall::Polyline, TCall::Polyline}));
    EXPECT_TRUE(HasFlag(sink.At(0).Flags, FigureFlags::Closed));
    EXPECT_EQ(sink.PointsOf(0).size(), 4u);
    EXPECT_EQ(sink.PointsOf(1).size(), 3u);

    // A curve between two straight runs: the closing line joins the last run
    // to the first, so one polyline runs through the start point.
    TFigurePath mixed;
    mixed.MoveTo({0, 0});
    mixed.LineTo({10, 0});
    mixed.BezierTo({15, 5}, {15, 10}, {10, 15});
    mixed.LineTo({0, 15});
    mixed.Close();
    TFigureRecorder sink2;
    StrokePathFigures(mixed, kPen, sink2);
    ASSERT_EQ(sink2.Calls(), (std::vector{TCall::PolyBezier, TCall::Polyline}));
    EXPECT_EQ(sink2.PointsOf(1), (TdxfPointList{{10, 15, 0}, {0, 15, 0}, {0, 0, 0}, {10, 0, 0}}));

    // Ending on a curve: the closing line is a polyline of its own.
    TFigurePath curveLast;
    curveLast.MoveTo({0, 0});
    curveLast.BezierTo({5, 5}, {10, 5}, {15, 0});
    curveLast.Close();
    TFigureRecorder sink3;
    StrokePathFigures(curveLast, kPen, sink3);
    ASSERT_EQ(sink3.Calls(), (std::vector{TCall::PolyBezier, TCall::Polyline}));
    EXPECT_EQ(sink3.PointsOf(1), (TdxfPointList{{15, 0, 0}, {0, 0, 0}}));
}

TEST(PathFigures, FillRulesChooseTheLoops) {
    const TFigurePath same = Join(Square(0, 0, 100), Square(25, 25, 50));
    const TFigurePath opposite = Join(Square(0, 0, 100), Square(25, 25, 50, false));
    // Odd parity: the inner square is a hole either way.
    EXPECT_EQ(FillLoops(same, TPolyFillMode::Alternate).size(), 2u);
    EXPECT_EQ(FillLoops(opposite, TPolyFillMode::Alternate).size(), 2u);
    // Winding: turning the same way the inner square is filled, so only the
    // outer one bounds the fill; turning the other way it stays a hole.
    const auto windingSame = FillLoops(same, TPolyFillMode::Winding);
    ASSERT_EQ(windingSame.size(), 1u);
    EXPECT_EQ(windingSame[0].front(), (TFigPoint{0, 0}));
    EXPECT_EQ(FillLoops(opposite, TPolyFillMode::Winding).size(), 2u);
    // Apart from each other, both squares stay under either rule.
    EXPECT_EQ(FillLoops(Join(Square(0, 0, 10), Square(50, 0, 10)), TPolyFillMode::Winding).size(), 2u);

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

    TFigureRecorder sink;
    FillPathFigures(same, TFillLook{3, -1, BrushHatch::Cross}, TPolyFillMode::Alternate, sink);
    ASSERT_EQ(sink.Calls(), (std::vector{TCall::Hatch}));
    EXPECT_EQ(sink.At(0).Count, 2);
    EXPECT_EQ(sink.At(0).Points.size(), 2u);
    EXPECT_EQ(sink.At(0).Color, 3);
    EXPECT_EQ(sink.At(0).HatchStyle, BrushHatch::Cross);
    EXPECT_EQ(sink.At(0).Kind, TShapeKind(HatchKind::Polygon));
    TFigureRecorder none;
    FillPathFigures(TFigurePath{}, TFillLook{}, TPolyFillMode::Alternate, none);
    EXPECT_TRUE(none.Entries.empty());
}

TEST(PathFigures, FilledCurvesAreFlattenedCloseToTheCurve) {
    // A quarter circle of radius 1000 by its usual Bezier approximation.
    const double r = 1000, k = 0.5522847498 * r;
    TFigurePath p;
    p.MoveTo({0, 0});
    p.LineTo({r, 0});
    p.BezierTo({r, k}, {k, r}, {0, r});
    p.Close();
    const auto loops = FillLoops(p, TPolyFillMode::Alternate);
    ASSERT_EQ(loops.size(), 1u);
    EXPECT_GT(loops[0].size(), 20u);
    for (std::size_t i = 2; i < loops[0].size(); ++i)
        EXPECT_NEAR(Length(loops[0][i]), r, 1.0) << i;
}

TEST(PathFigures, StrokeAndFillDrawsTheOutlineOnTop) {
    TFigureRecorder sink;
    StrokeAndFillPathFigures(Square(0, 0, 10), kPen, TFillLook{2}, TPolyFillMode::Winding, sink);
    ASSERT_EQ(sink.Calls(), (std::vector{TCall::Hatch, TCall::Polyline}));
    EXPECT_EQ(sink.At(0).Color, 2);
    EXPECT_EQ(sink.At(1).Color, 5);
}

TEST(PathFigures, FlatteningStaysWithinItsBudget) {
    TFigurePath p;
    p.MoveTo({0, 0});
    for (int i = 0; i < 1000; ++i)
        p.BezierTo({i * 1e6, 1e8}, {i * 1e6 + 5e5, -1e8}, {(i + 1) * 1e6, 0});
    auto count = [](const TFigurePath& f) {
        std::size_t n = 0;
        for (const auto& s : f.Subpaths())
            n += s.Points.size();
        return n;
    };
    EXPECT_GT(count(FlattenWithin(p)), 100000u); // fine when nothing limits it
    const TFigurePath coarse = FlattenWithin(p, kFlatness, 5000);
    EXPECT_LE(count(coarse), 5000u);
    EXPECT_EQ(coarse.Subpaths()[0].Points.back(), (TFigPoint{1e9, 0}));
    // Below one point per curve only the chords are left.
    EXPECT_EQ(count(FlattenWithin(p, kFlatness, 10)), 1001u);
}
