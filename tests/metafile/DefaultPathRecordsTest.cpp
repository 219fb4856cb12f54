// The default mode's path bracket and its records of regions, gradients,
// point types and blocks, played through the interpreter into a recorder.
#include "EmfBuilder.h"
#include "FigureRecorder.h"
#include "InterpretFixture.h"
#include "ShapeRecordBytes.h"
#include "figure/Colors.h"
#include "metafile/EmfRecords.h"
#include "metafile/Metafile.h"
#include "metafile/RecordShapes.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace mv;
using namespace mv::test;
using TCall = TFigureRecorder::TCall;

namespace {

class DefaultPaths : public ::testing::Test {
protected:
    DefaultPaths() {
        // A red pen and a blue brush.
        B.CreatePen(1, 0, 1, Red).SelectObject(1).CreateBrush(2, 0, Blue).SelectObject(2);
    }
    std::vector<TCall> Play() {
        TInterpretSettings settings;
        settings.TextMeasure = &Measure;
        TmvMetafile(Sink, settings).Play(TEnhMetafile::FromEmfBytes(B.Build()));
        return Sink.Calls();
    }
    TEmfBuilder& Rec(std::uint32_t type) { return B.Add(TRecordBytes(type)); }
    TEmfBuilder& Rec(std::uint32_t type, std::uint32_t value) { return B.Add(TRecordBytes(type).U32(value)); }
    // Two squares one inside the other, both drawn the same way round.
    void NestedSquares() {
        Rec(emr::BEGINPATH);
        B.Rectangle(0, 0, 100, 100).Rectangle(25, 25, 75, 75);
        Rec(emr::ENDPATH);
    }
    static std::int32_t Index(std::uint32_t rgb) { return ColorToIndex(rgb, false); }

    TEmfBuilder B;
    TFigureRecorder Sink;
    TFixedMetricMeasure Measure;
};

} // namespace

TEST_F(DefaultPaths, AStrokedPathDrawsOnlyWhenStroked) {
    Rec(emr::BEGINPATH);
    B.MoveTo(0, 0).LineTo(100, 0).LineTo(100, 100);
    Rec(emr::ENDPATH);
    Rec(emr::STROKEPATH);
    Rec(emr::STROKEPATH); // the path is used up
    ASSERT_EQ(Play(), (std::vector{TCall::Polyline}));
    EXPECT_EQ(Sink.PointsOf(0).size(), 3u);
    EXPECT_EQ(Sink.At(0).Color, Index(Red));
    EXPECT_FALSE(HasFlag(Sink.At(0).Flags, FigureFlags::Closed));
}

TEST_F(DefaultPaths, CloseFigureClosesTheWholeFigure) {
    Rec(emr::BEGINPATH);
    B.MoveTo(0, 0).LineTo(100, 0).LineTo(100, 100);
    Rec(emr::CLOSEFIGURE);
    Rec(emr::ENDPATH);
    Rec(emr::STROKEPATH);
    ASSERT_EQ(Play(), (std::vector{TCall::Polyline}));
    EXPECT_EQ(Sink.PointsOf(0).size(), 3u);
    EXPECT_TRUE(HasFlag(Sink.At(0).Flags, FigureFlags::Closed));
}

TEST_F(DefaultPaths, TheFillModeChoosesTheLoops) {
    NestedSquares();
    Rec(emr::FILLPATH);
    Rec(emr::SETPOLYFILLMODE, 2); // winding
    NestedSquares();
    Rec(emr::FILLPATH);
    ASSERT_EQ(Play(), (std::vector{TCall::Hatch, TCall::Hatch}));
    EXPECT_EQ(Sink.At(0).Points.size(), 2u); // the inner square is a hole
    EXPECT_EQ(Sink.At(1).Points.size(), 1u); // filled as well
    EXPECT_EQ(Sink.At(0).Color, Index(Blue));
}

TEST_F(DefaultPaths, StrokeAndFillPutsTheOutlineOnTop) {
    Rec(emr::BEGINPATH);
    B.Ellipse(0, 0, 100, 50);
    Rec(emr::ENDPATH);
    Rec(emr::STROKEANDFILLPATH);
    ASSERT_EQ(Play(), (std::vector{TCall::Hatch, TCall::PolyBezier}));
    EXPECT_EQ(Sink.At(0).Color, Index(Blue));
    EXPECT_EQ(Sink.At(1).Color, Index(Red));
    EXPECT_EQ(Sink.PointsOf(1).size(), 13u); // four quarter curves
}

TEST_F(DefaultPaths, BezierPartsBecomeSplinesAndFlatteningRemovesThem) {
    for (bool flatten : {false, true}) {
        Rec(emr::BEGINPATH);
        B.MoveTo(0, 0).Poly(emr::POLYBEZIERTO16, {{0, 50}, {50, 50}, {50, 0}}).LineTo(100, 0);
        Rec(emr::ENDPATH);
        if (flatten) Rec(emr::FLATTENPATH);
        Rec(emr::STROKEPATH);
    }
    ASSERT_EQ(Play(), (std::vector{TCall::PolyBezier, TCall::Polyline, TCall::Polyline}));
    EXPECT_EQ(Sink.PointsOf(0).size(), 4u);
    EXPECT_EQ(Sink.PointsOf(1).size(), 2u);
    EXPECT_GT(Sink.PointsOf(2).size(), 10u);
}

TEST_F(DefaultPaths, AnAbortedPathIsGoneAndDrawingGoesOn) {
    Rec(emr::BEGINPATH);
    B.Rectangle(0, 0, 10, 10);
    Rec(emr::ABORTPATH);
    Rec(emr::FILLPATH);
    B.MoveTo(0, 0).LineTo(10, 10);
    ASSERT_EQ(Play(), (std::vector{TCall::Polyline}));
    EXPECT_EQ(Sink.PointsOf(0).size(), 2u);
}

TEST_F(DefaultPaths, AWidenedPathFilledDrawsItsOutlineWide) {
    B.CreatePen(3, 0, 20, Red).SelectObject(3);
    Rec(emr::BEGINPATH);
    B.MoveTo(0, 0).LineTo(100, 0);
    Rec(emr::ENDPATH);
    Rec(emr::WIDENPATH);
    Rec(emr::FILLPATH);
    ASSERT_EQ(Play(), (std::vector{TCall::Polyline}));
    EXPECT_EQ(Sink.At(0).Color, Index(Blue));
    EXPECT_GT(Sink.At(0).PenWidth, 0);
}

TEST_F(DefaultPaths, AClipPathCutsWhatFollows) {
    Rec(emr::BEGINPATH);
    B.Rectangle(0, 0, 100, 100);
    Rec(emr::ENDPATH);
    Rec(emr::SELECTCLIPPATH, 5); // RGN_COPY
    B.MoveTo(-100, 50).LineTo(200, 50);
    B.MoveTo(300, 300).LineTo(400, 400); // outside: gone
    ASSERT_EQ(Play(), (std::vector{TCall::Polyline}));
    const TdxfPointList& cut = Sink.PointsOf(0);
    const float from = std::min(cut.front().x, cut.back().x), to = std::max(cut.front().x, cut.back().x);
    EXPECT_NEAR(to - from, 100 * 31.25, 1); // a logical unit is one pixel of 0.3125 mm
}

TEST_F(DefaultPaths, PolyDrawDrawsFromThePositionAndMovesIt) {
    B.MoveTo(0, 0);
    B.Add(
        PolyDraw({{10, 0}, {20, 10}, {30, 10}, {40, 0}}, {PT_LINETO, PT_BEZIERTO, PT_BEZIERTO, PT_BEZIERTO}));
    B.Add(PolyDraw({{50, 50}}, {PT_LINETO}, true)).LineTo(60, 50);
    // A line and a curve in one figure: one polyline through the flattened curve.
    ASSERT_EQ(Play(), (std::vector{TCall::Polyline, TCall::Polyline, TCall::Polyline}));
    EXPECT_GT(Sink.PointsOf(0).size(), 4u);
    EXPECT_EQ(Sink.PointsOf(1).front(), Sink.PointsOf(0).back()); // from (40, 0)
    EXPECT_EQ(Sink.PointsOf(2).front(), Sink.PointsOf(1).back()); // from (50, 50)
}

TEST_F(DefaultPaths, RegionsAreFilledAndFramed) {
    B.CreateBrush(7, 0, White);
    B.Add(FillRgn({{0, 0, 10, 10}, {10, 0, 20, 10}, {0, 20, 5, 30}}, 3));
    TRecordBytes paint(emr::PAINTRGN);
    paint.Rect(0, 0, 0, 0).U32(48).U32(32).U32(1).U32(1).U32(16).Rect(0, 0, 0, 0).Rect(0, 0, 50, 50);
    B.Add(paint);
    TRecordBytes frame(emr::FRAMERGN);
    frame.Rect(0, 0, 0, 0).U32(48).U32(0x80000004).I32(2).I32(2);
    frame.U32(32).U32(1).U32(1).U32(16).Rect(0, 0, 0, 0).Rect(0, 0, 50, 50);
    B.Add(frame);
    ASSERT_EQ(Play(), (std::vector{TCall::Hatch, TCall::Hatch, TCall::Polyline}));
    EXPECT_EQ(Sink.At(0).Points.size(), 2u); // the two halves joined
    EXPECT_EQ(Sink.At(0).Color, Index(White));
    EXPECT_EQ(Sink.At(1).Color, Index(Blue));
    EXPECT_EQ(Sink.At(2).Color, Index(Black));
    EXPECT_GT(Sink.At(2).PenWidth, 0);
}

TEST_F(DefaultPaths, GradientsFillInBandsOfTheirColours) {
    B.Add(Gradient({{0, 0, 0xFF00, 0, 0}, {100, 100, 0, 0, 0xFF00}}, {0, 1}, 1,
                   TEmrGradientFill::GRADIENT_FILL_RECT_H));
    const std::vector<TCall> calls = Play();
    EXPECT_EQ(calls.size(), 32u);
    EXPECT_TRUE(std::all_of(calls.begin(), calls.end(), [](TCall c) { return c == TCall::Hatch; }));
    EXPECT_NE(Sink.At(0).TrueColor, Sink.At(31).TrueColor);
    EXPECT_EQ(Sink.At(0).TrueColor >> 16, 251);
}

TEST_F(DefaultPaths, PatternBlocksFillTheirRectangle) {
    auto blt = [&](std::uint32_t rop) {
        B.Add(TRecordBytes(emr::BITBLT).Rect(0, 0, 0, 0).I32(0).I32(0).I32(10).I32(10).U32(rop));
    };
    blt(TEmrBitBlt::PATCOPY);
    blt(TEmrBitBlt::BLACKNESS);
    blt(TEmrBitBlt::WHITENESS);
    blt(0x00CC0020); // SRCCOPY needs the bitmap: not drawn here
    ASSERT_EQ(Play(), (std::vector{TCall::Hatch, TCall::Hatch, TCall::Hatch}));
    EXPECT_EQ(Sink.At(0).Color, Index(Blue));
    EXPECT_EQ(Sink.At(1).Color, Index(Black));
    EXPECT_EQ(Sink.At(2).Color, Index(White));
    EXPECT_EQ(Sink.PointsOf(2).size(), 4u);
}
