#include "GroupLines.h"

#include "dxf/DXFExport.h"
#include "platform/Errors.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace mv {
namespace {

using test::EntityLinesOf;
using test::GroupsAfterHead;
using test::Real;
using test::ValuesOf;
using Groups = std::vector<std::pair<int, std::string>>;

const std::string kTwoPi = "6.28318530717959";

TdxfExportData Circle(float cx, float cy, float r) {
    TdxfExportData d;
    d.Color = 1;
    d.Point1 = {cx, cy, 0};
    d.Radius = r;
    d.StartAngle = 0;
    d.EndAngle = 360;
    return d;
}

TdxfExportData Ellipse(float cx, float cy, float ax, float ay, float ratio) {
    TdxfExportData d = Circle(cx, cy, ratio);
    d.Point2 = {ax, ay, 0};
    return d;
}

TdxfExportData EllipticalArc(float ax, float ay, float ratio, float start, float end) {
    TdxfExportData d = Ellipse(0, 0, ax, ay, ratio);
    d.Kind = ArcShape::Elliptical;
    d.StartAngle = start;
    d.EndAngle = end;
    return d;
}

TdxfExportData Bezier(int n) {
    TdxfExportData d;
    d.Color = 256;
    d.Count = 1;
    d.Points.emplace_back();
    for (int i = 0; i < n; ++i)
        d.Points[0].push_back({10.0f * i, i % 2 ? 5.0f : -5.0f, 0.5f * i});
    return d;
}

std::vector<std::string> Knots(const std::vector<std::string>& lines) {
    return ValuesOf(lines, 40);
}

// ---------------------------------------------------------------- circle and ellipse

TEST(CurvedFiguresTest, CircleWritesScaledCentreAndRadius) {
    TmvExpDXFEllipse circle(Circle(1000, 500, 250), false);
    const auto lines = EntityLinesOf(circle, true);
    ASSERT_GE(lines.size(), 10u);
    EXPECT_EQ(lines[1], "CIRCLE");
    EXPECT_EQ(lines[9], "AcDbCircle");
    EXPECT_EQ(GroupsAfterHead(lines), (Groups{{62, "1"}, {10, "10"}, {20, "5"}, {40, "2.5"}}));
}

TEST(CurvedFiguresTest, FullEllipseCarriesParametersZeroAndTwoPi) {
    // Readers leave missing parameters undefined, so a full ellipse names them.
    TmvExpDXFEllipse ellipse(Ellipse(100, 50, 40, 0, 0.5f), true);
    const auto lines = EntityLinesOf(ellipse);
    EXPECT_EQ(lines[1], "ELLIPSE");
    EXPECT_EQ(lines[9], "AcDbEllipse");
    EXPECT_EQ(GroupsAfterHead(lines), (Groups{{62, "1"},
                                              {10, "100"},
                                              {20, "50"},
                                              {11, "40"},
                                              {21, "0"},
                                              {40, "0.5"},
                                              {41, "0"},
                                              {42, kTwoPi}}));
    // The axis vector is scaled like a point, the ratio never.
    const auto mm = GroupsAfterHead(EntityLinesOf(ellipse, true));
    EXPECT_EQ(mm, (Groups{{62, "1"},
                          {10, "1"},
                          {20, "0.5"},
                          {11, "0.4"},
                          {21, "0"},
                          {40, "0.5"},
                          {41, "0"},
                          {42, kTwoPi}}));
}

TEST(CurvedFiguresTest, DrawnFiguresCarryLineTypeAndWeightOnlyForR2000) {
    TdxfExportData d = Circle(0, 0, 5);
    d.Text = "DASHED";
    d.PenWidth = 2;
    TmvExpDXFEllipse circle(d, false);
    const auto r2000 = EntityLinesOf(circle);
    EXPECT_EQ(ValuesOf(r2000, 6), std::vector<std::string>{"DASHED"});
    EXPECT_EQ(ValuesOf(r2000, 370), std::vector<std::string>{"20"});
    const auto r14 = EntityLinesOf(circle, false, 0);
    EXPECT_TRUE(ValuesOf(r14, 6).empty());
    EXPECT_TRUE(ValuesOf(r14, 370).empty());
}

TEST(CurvedFiguresTest, EllipseAxisEndCountsIntoTheExtents) {
    TmvDXFExport ex;
    ex.AddEllipse(Ellipse(10, 10, -300, 0, 0.5f));
    ex.AddCircle(Circle(50, 60, 1000)); // the radius does not widen the extents
    ex.SaveToString();
    EXPECT_EQ(ex.Extents().Min.x, -300);
    EXPECT_EQ(ex.Extents().Max.x, 50);
    EXPECT_EQ(ex.Extents().Max.y, 60);
}

// ---------------------------------------------------------------- arcs

TEST(CurvedFiguresTest, ArcHasTwoSubclassMarkersAndUnscaledAngles) {
    TdxfExportData d = Circle(200, 300, 150);
    d.StartAngle = 45;
    d.EndAngle = 270.5f;
    TmvExpDXFArc arc(d);
    const auto lines = EntityLinesOf(arc, true);
    EXPECT_EQ(lines[1], "ARC");
    EXPECT_EQ(lines[8], "100");
    EXPECT_EQ(lines[9], "AcDbCircle");
    EXPECT_EQ(
        GroupsAfterHead(lines),
        (Groups{{62, "1"}, {10, "2"}, {20, "3"}, {40, "1.5"}, {100, "AcDbArc"}, {50, "45"}, {51, "270.5"}}));
}

TEST(CurvedFiguresTest, EllipticalArcWritesItsParameters) {
    TmvExpDXFArc arc(EllipticalArc(0, 60, 0.4f, -1.25f, 2.0f));
    EXPECT_EQ(GroupsAfterHead(EntityLinesOf(arc)), (Groups{{62, "1"},
                                                           {10, "0"},
                                                           {20, "0"},
                                                           {11, "0"},
                                                           {21, "60"},
                                                           {40, Real(0.4f)},
                                                           {41, "-1.25"},
                                                           {42, "2"}}));
}

TEST(CurvedFiguresTest, EllipticalArcWithinOneMillionthIsWrittenFull) {
    // 1.5000005 as a single lies 4.8e-7 above 1.5.
    const auto nearlyEqual =
        ValuesOf(EntityLinesOf(TmvExpDXFArc(EllipticalArc(40, 0, 0.5f, 1.5f, 1.5000005f))), 41);
    EXPECT_EQ(nearlyEqual, std::vector<std::string>{"0"});
    EXPECT_EQ(ValuesOf(EntityLinesOf(TmvExpDXFArc(EllipticalArc(40, 0, 0.5f, 1.5f, 1.5000005f))), 42),
              std::vector<std::string>{kTwoPi});
    EXPECT_EQ(ValuesOf(EntityLinesOf(TmvExpDXFArc(EllipticalArc(40, 0, 0.5f, 2, 2))), 42),
              std::vector<std::string>{kTwoPi});
    // 1.4e-6 apart: a real (tiny) arc.
    const auto lines = EntityLinesOf(TmvExpDXFArc(EllipticalArc(40, 0, 0.5f, 1.5f, 1.5000014f)));
    EXPECT_EQ(ValuesOf(lines, 41), std::vector<std::string>{"1.5"});
    EXPECT_EQ(ValuesOf(lines, 42), std::vector<std::string>{Real(1.5000014f)});
}

TEST(CurvedFiguresTest, ArcOfUnknownKindIsLeftOutEntirely) {
    TdxfExportData d = Circle(0, 0, 10);
    d.Kind = static_cast<ArcShape>(2);
    TmvExpDXFArc arc(d);
    test::TEntityWriter ex;
    arc.Export(ex.Out);
    EXPECT_TRUE(ex.Lines.Empty());
    EXPECT_EQ(ex.NextHandle, 32);
    EXPECT_FALSE(arc.IntersectsRect({-100, -100, 100, 100}));
    TFigureList lines;
    arc.SplitIntoLines(lines);
    EXPECT_TRUE(lines.empty());
}

// ---------------------------------------------------------------- Bezier runs

TEST(CurvedFiguresTest, OneSegmentBecomesASplineWithFourControlPoints) {
    TdxfExportData d = Bezier(4);
    TmvExpDXFPolyBezier bezier(d, 0);
    const auto lines = EntityLinesOf(bezier);
    EXPECT_EQ(lines[1], "SPLINE");
    EXPECT_EQ(lines[9], "AcDbSpline");
    const Groups groups = GroupsAfterHead(lines);
    ASSERT_GE(groups.size(), 10u);
    const Groups head(groups.begin(), groups.begin() + 10);
    EXPECT_EQ(head, (Groups{{210, "0"},
                            {220, "0"},
                            {230, "1"},
                            {70, "8"},
                            {71, "3"},
                            {72, "8"},
                            {73, "4"},
                            {74, "0"},
                            {42, "1E-7"},
                            {43, "1E-7"}}));
    EXPECT_EQ(Knots(lines), (std::vector<std::string>{"0", "0", "0", "0", "1", "1", "1", "1"}));
    EXPECT_EQ(ValuesOf(lines, 10), (std::vector<std::string>{"0", "10", "20", "30"}));
    EXPECT_EQ(ValuesOf(lines, 30), (std::vector<std::string>{"0", "0.5", "1", "1.5"}));
}

TEST(CurvedFiguresTest, TwoSegmentsRepeatTheInnerJoint) {
    TmvExpDXFPolyBezier bezier(Bezier(7), 0);
    const auto lines = EntityLinesOf(bezier);
    EXPECT_EQ(ValuesOf(lines, 72), std::vector<std::string>{"12"});
    EXPECT_EQ(ValuesOf(lines, 73), std::vector<std::string>{"8"});
    EXPECT_EQ(Knots(lines), (std::vector<std::string>{"0", "0", "0", "0", "0.125", "0.125", "0.125", "0.125",
                                                      "1", "1", "1", "1"}));
    EXPECT_EQ(ValuesOf(lines, 10), (std::vector<std::string>{"0", "10", "20", "30", "30", "40", "50", "60"}));
}

TEST(CurvedFiguresTest, KnotStepIsOneOverTheWrittenPointCountInSingles) {
    TmvExpDXFPolyBezier bezier(Bezier(10), 0);
    const auto lines = EntityLinesOf(bezier);
    EXPECT_EQ(ValuesOf(lines, 73), std::vector<std::string>{"12"});
    const float step = 1.0f / 12.0f;
    const float second = step + step;
    std::vector<std::string> expected;
    for (float t : {0.0f, step, second, 1.0f})
        for (int r = 0; r < 4; ++r)
            expected.push_back(Real(t));
    EXPECT_EQ(Knots(lines), expected);
    EXPECT_EQ(ValuesOf(lines, 10).size(), 12u);
}

TEST(CurvedFiguresTest, RunsWithoutWholeSegmentsAreWrittenAsPolylines) {
    EXPECT_TRUE(EntityLinesOf(TmvExpDXFPolyBezier(Bezier(0), 0)).empty()); // no point, no entity
    for (int n : {1, 2, 3, 5, 6, 8}) {
        SCOPED_TRACE(n);
        TmvExpDXFPolyBezier bezier(Bezier(n), 0);
        const auto lines = EntityLinesOf(bezier);
        ASSERT_GE(lines.size(), 2u);
        EXPECT_EQ(lines[1], "LWPOLYLINE");
        EXPECT_EQ(ValuesOf(lines, 90), std::vector<std::string>{std::to_string(n)});
        EXPECT_EQ(ValuesOf(lines, 10).size(), static_cast<std::size_t>(n));
        EXPECT_TRUE(ValuesOf(lines, 30).empty()); // an LWPOLYLINE vertex has no z
    }
}

TEST(CurvedFiguresTest, SplineNormalAndControlPointsWidenTheExtents) {
    TmvDXFExport ex;
    TdxfExportData d = Bezier(4);
    for (auto& p : d.Points[0])
        p.x += 100, p.y += 100;
    ex.AddPolyBezier(d, 0);
    ex.SaveToString();
    EXPECT_EQ(ex.Extents().Min.x, 0); // the normal is written as the point (0, 0)
    EXPECT_EQ(ex.Extents().Max.x, 130);
    EXPECT_EQ(ex.Extents().Max.y, 105);
}

// ---------------------------------------------------------------- rectangles

TEST(CurvedFiguresTest, CircleRectangleAroundTheCentre) {
    TmvExpDXFEllipse circle(Circle(100, 100, 10), false);
    EXPECT_TRUE(circle.IntersectsRect({105, 105, 200, 200}));
    EXPECT_FALSE(circle.IntersectsRect({110, 0, 200, 200})); // touches the right edge only
    EXPECT_FALSE(circle.IntersectsRect({0, 0, 90, 90}));     // touches a corner only
}

TEST(CurvedFiguresTest, EllipseHalfAxesFromAVerticalAxisVector) {
    // Axis (0, 30), ratio 0.5: half axes 15 across and 30 up.
    TmvExpDXFEllipse ellipse(Ellipse(0, 0, 0, 30, 0.5f), true);
    EXPECT_TRUE(ellipse.IntersectsRect({14, 29, 40, 40}));
    EXPECT_FALSE(ellipse.IntersectsRect({15, -40, 40, 40}));
    EXPECT_FALSE(ellipse.IntersectsRect({-40, 30, 40, 40}));
    TFigureList lines;
    ellipse.SplitIntoLines(lines);
    ASSERT_EQ(lines.size(), 31u);
    float maxX = 0, maxY = 0;
    for (const auto& l : lines) {
        maxX = std::max(maxX, std::fabs(l->Data.Point1.x));
        maxY = std::max(maxY, std::fabs(l->Data.Point1.y));
    }
    EXPECT_NEAR(maxX, 15, 0.1);
    EXPECT_NEAR(maxY, 30, 0.1);
}

TEST(CurvedFiguresTest, ArcRectangleIsTheWholeCircle) {
    TdxfExportData d = Circle(0, 0, 10);
    d.StartAngle = 0;
    d.EndAngle = 90; // only the upper right quarter is drawn
    TmvExpDXFArc arc(d);
    EXPECT_TRUE(arc.IntersectsRect({-9, -9, -5, -5}));
}

TEST(CurvedFiguresTest, EllipticalArcRectangleCoversOnlyTheSweep) {
    // Major axis (100, 0), ratio 0.5: the quarter from 0 to pi/2 spans
    // (0, 0) to (100, 50).
    TmvExpDXFArc quarter(EllipticalArc(100, 0, 0.5f, 0, std::numbers::pi_v<float> / 2));
    EXPECT_TRUE(quarter.IntersectsRect({90, 40, 120, 120}));
    EXPECT_FALSE(quarter.IntersectsRect({-120, -120, -10, -10}));
    EXPECT_FALSE(quarter.IntersectsRect({0, 51, 100, 120}));
    EXPECT_FALSE(quarter.IntersectsRect({101, 0, 120, 50}));
    // From 3 to 1 runs through 0 (the +x extreme), not through pi.
    TmvExpDXFArc wrapped(EllipticalArc(100, 0, 0.5f, 3, 1));
    EXPECT_TRUE(wrapped.IntersectsRect({99, -5, 120, 5}));
    EXPECT_TRUE(wrapped.IntersectsRect({-101, -5, -98, 5}));
    // A vertical major axis: parameter 0 points up, pi/2 to the left.
    TmvExpDXFArc vertical(EllipticalArc(0, 100, 0.5f, 0, std::numbers::pi_v<float> / 2));
    EXPECT_TRUE(vertical.IntersectsRect({-60, -1, -40, 10}));
    EXPECT_FALSE(vertical.IntersectsRect({1, 0, 60, 120}));
    // Equal parameters: the whole ellipse.
    TmvExpDXFArc full(EllipticalArc(100, 0, 0.5f, 1, 1));
    EXPECT_TRUE(full.IntersectsRect({-120, -120, -90, -40}));
}

TEST(CurvedFiguresTest, RectangleBeyondThirtyTwoBitsIsARangeError) {
    TmvExpDXFEllipse circle(Circle(0, 0, 3e9f), false);
    EXPECT_THROW(circle.IntersectsRect({0, 0, 1, 1}), ERangeError);
}

// ---------------------------------------------------------------- splits

TEST(CurvedFiguresTest, FullCircleSplitsIntoThirtyOneLinesOfItsOwnKind) {
    TdxfExportData d = Circle(10, 20, 5);
    d.Color = 3;
    d.Text = "DASHED";
    TmvExpDXFEllipse circle(d, false);
    circle.Layer = "L1";
    TFigureList lines;
    circle.SplitIntoLines(lines);
    ASSERT_EQ(lines.size(), 31u);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto& l = *lines[i];
        EXPECT_EQ(l.Kind(), TFigureKind::Line);
        EXPECT_EQ(l.Layer, "L1");
        EXPECT_EQ(l.Data.Color, 3);
        EXPECT_EQ(l.Data.Text, "DASHED");
        if (i > 0) {
            EXPECT_EQ(l.Data.Point1, lines[i - 1]->Data.Point2);
        }
    }
    EXPECT_EQ(lines.front()->Data.Point1, (TdxfPoint{15, 20, 0}));
    EXPECT_NEAR(lines.back()->Data.Point2.x, 15, 1e-4);
    EXPECT_NEAR(lines.back()->Data.Point2.y, 20, 1e-4);
    EXPECT_NEAR(lines[7]->Data.Point2.x, 10 + 5 * std::cos(8 * 2 * std::numbers::pi / 31), 1e-4);
}

TEST(CurvedFiguresTest, ArcSplitCountsFollowTheSweep) {
    auto count = [](float start, float end) {
        TdxfExportData d = Circle(0, 0, 100);
        d.StartAngle = start;
        d.EndAngle = end;
        TFigureList lines;
        TmvExpDXFArc(d).SplitIntoLines(lines);
        return lines.size();
    };
    EXPECT_EQ(count(0, 90), 7u);
    EXPECT_EQ(count(0, 180), 15u);
    EXPECT_EQ(count(45, 45), 31u); // equal angles: the full circle
    EXPECT_EQ(count(0, 1), 3u);    // at least four points
}

TEST(CurvedFiguresTest, ArcSplitRunsCounterClockwiseThroughZero) {
    TdxfExportData d = Circle(0, 0, 100);
    d.StartAngle = 350;
    d.EndAngle = 10;
    TFigureList lines;
    TmvExpDXFArc(d).SplitIntoLines(lines);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_NEAR(lines[0]->Data.Point1.y, -100 * std::sin(10 * std::numbers::pi / 180), 1e-3);
    EXPECT_NEAR(lines[2]->Data.Point2.y, 100 * std::sin(10 * std::numbers::pi / 180), 1e-3);
    for (const auto& l : lines)
        EXPECT_GT(l->Data.Point1.x, 98);
}

TEST(CurvedFiguresTest, EllipticalArcSplitFollowsTheParameters) {
    // Vertical major axis of 60, ratio 0.4: parameter 0 is the top, pi/2 the
    // left end of the minor axis.
    const float halfPi = std::numbers::pi_v<float> / 2;
    TdxfExportData d = EllipticalArc(0, 60, 0.4f, 0, halfPi);
    d.Point1 = {100, 100, 0};
    TFigureList lines;
    TmvExpDXFArc(d).SplitIntoLines(lines);
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_NEAR(lines.front()->Data.Point1.x, 100, 1e-4);
    EXPECT_NEAR(lines.front()->Data.Point1.y, 160, 1e-4);
    EXPECT_NEAR(lines.back()->Data.Point2.x, 76, 1e-4);
    EXPECT_NEAR(lines.back()->Data.Point2.y, 100, 1e-4);
    // Equal parameters: the whole ellipse, back to the start.
    d.EndAngle = d.StartAngle;
    lines.clear();
    TmvExpDXFArc(d).SplitIntoLines(lines);
    ASSERT_EQ(lines.size(), 31u);
    EXPECT_NEAR(lines.back()->Data.Point2.y, 160, 1e-4);
}

TEST(CurvedFiguresTest, AbsurdSweepsStayBoundedOrFailClearly) {
    TdxfExportData d = Circle(0, 0, 10);
    d.EndAngle = 3600; // ten turns retrace one: one turn of lines
    TFigureList lines;
    TmvExpDXFEllipse(d, false).SplitIntoLines(lines);
    EXPECT_EQ(lines.size(), 31u);
    d.EndAngle = 1e12f; // a segment count beyond 32 bits
    EXPECT_THROW(TmvExpDXFArc(d).SplitIntoLines(lines), ERangeError);
    d.EndAngle = std::nanf("");
    EXPECT_THROW(TmvExpDXFEllipse(d, false).SplitIntoLines(lines), ERangeError);
}

TEST(CurvedFiguresTest, BezierSplitsAlongItsControlPolygon) {
    TmvExpDXFPolyBezier bezier(Bezier(4), 0);
    TFigureList lines;
    bezier.SplitIntoLines(lines);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[2]->Data.Point2, (TdxfPoint{30, 5, 1.5f}));
}

} // namespace
} // namespace mv
