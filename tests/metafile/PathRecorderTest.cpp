// The path of a device context: how drawing records join into figures, when
// a path can be used, and the clipping region a path makes.
#include "metafile/PathRecorder.h"
#include "FigureRecorder.h"
#include "metafile/FigureEmitter.h"

#include <gtest/gtest.h>

using namespace mv;

namespace {

TFigurePath Segment(TFigPoint a, TFigPoint b) {
    TFigurePath p;
    p.MoveTo(a);
    p.LineTo(b);
    return p;
}

TFigurePath Box(double x0, double y0, double x1, double y1, bool clockwise = false) {
    TFigurePath p;
    p.MoveTo({x0, y0});
    if (clockwise) {
        p.LineTo({x0, y1});
        p.LineTo({x1, y1});
        p.LineTo({x1, y0});
    } else {
        p.LineTo({x1, y0});
        p.LineTo({x1, y1});
        p.LineTo({x0, y1});
    }
    p.Close();
    return p;
}

} // namespace

TEST(PathRecorder, RecordsDrawnFromThePositionJoinTheirFigure) {
    TPathRecorder rec;
    test::TFigureRecorder sink;
    TFigureEmitter emitter(sink);
    rec.Begin();
    emitter.Recording = &rec;
    // MOVETOEX, LINETO, LINETO, CLOSEFIGURE: one closed figure of three points.
    emitter.Draw(TDrawShape{Segment({0, 0}, {10, 0}), {}, false}, nullptr, nullptr);
    emitter.Draw(TDrawShape{Segment({10, 0}, {10, 10}), {}, false}, nullptr, nullptr);
    rec.CloseFigure();
    // After the close, and after a move elsewhere, a new figure begins.
    rec.Add(Segment({10, 10}, {20, 20}));
    rec.Add(Segment({50, 50}, {60, 60}));
    // A closed shape that starts where the figure ends is a figure of its own.
    rec.Add(Box(60, 60, 70, 70));
    rec.End();
    ASSERT_EQ(rec.Path().Subpaths().size(), 4u);
    const auto& first = rec.Path().Subpaths()[0];
    EXPECT_TRUE(first.Closed);
    EXPECT_EQ(first.Points, (std::vector<TFigPoint>{{0, 0}, {10, 0}, {10, 10}}));
    EXPECT_EQ(rec.Path().Subpaths()[1].Points.size(), 2u);
    EXPECT_TRUE(rec.Path().Subpaths()[3].Closed);
    EXPECT_EQ(rec.Path().Subpaths()[3].Points.size(), 4u);
    EXPECT_TRUE(sink.Entries.empty()); // nothing was drawn
}

TEST(PathRecorder, APathIsUsedOnceAndOnlyWhenFinished) {
    TPathRecorder rec;
    EXPECT_FALSE(rec.Take()); // no path yet
    rec.Begin();
    rec.Add(Box(0, 0, 1, 1));
    EXPECT_TRUE(rec.Recording());
    EXPECT_FALSE(rec.Take()); // still recording
    rec.End();
    rec.Widen(25);
    EXPECT_EQ(rec.WidenedBy(), 25.0f);
    const auto path = rec.Take();
    ASSERT_TRUE(path);
    EXPECT_EQ(path->Subpaths().size(), 1u);
    EXPECT_FALSE(rec.Take());
    EXPECT_FALSE(rec.WidenedBy());

    // An aborted path is gone; an END without a BEGIN finishes nothing.
    rec.Begin();
    rec.Add(Box(0, 0, 1, 1));
    rec.Abort();
    rec.End();
    EXPECT_FALSE(rec.Take());

    // FLATTENPATH leaves lines only.
    rec.Begin();
    TFigurePath curve;
    curve.MoveTo({0, 0});
    curve.BezierTo({0, 100}, {100, 100}, {100, 0});
    rec.Add(curve);
    rec.End();
    rec.Flatten();
    EXPECT_FALSE(rec.Path().Subpaths()[0].HasBezier());
    EXPECT_GT(rec.Path().Subpaths()[0].Points.size(), 4u);
}

TEST(PathRecorder, APathHoldsABoundedNumberOfPoints) {
    TPathRecorder rec(10);
    rec.Begin();
    rec.Add(Box(0, 0, 1, 1));
    rec.Add(Box(2, 2, 3, 3));
    rec.Add(Box(4, 4, 5, 5)); // beyond the ten points: left out
    rec.End();
    EXPECT_EQ(rec.Path().Subpaths().size(), 2u);
}

TEST(PathRecorder, ClipRegionsCoverWhatTheFillRuleFills) {
    const TClipRegion box = PathClipRegion(Box(0, 0, 100, 50), TPolyFillMode::Alternate);
    ASSERT_EQ(box.Boxes().size(), 1u);
    EXPECT_TRUE(box.HoldsWhole(TFigBox{0, 0, 100, 50}));

    // A frame: the hole stays outside under odd parity, and under the
    // winding rule when it turns the other way.
    TFigurePath frame = Box(0, 0, 100, 100);
    TFigurePath hole = Box(25, 25, 75, 75, true);
    for (const auto& s : hole.Subpaths()) {
        frame.MoveTo(s.Points[0]);
        for (std::size_t i = 1; i < s.Points.size(); ++i)
            frame.LineTo(s.Points[i]);
        frame.Close();
    }
    for (TPolyFillMode mode : {TPolyFillMode::Alternate, TPolyFillMode::Winding}) {
        const TClipRegion region = PathClipRegion(frame, mode);
        EXPECT_FALSE(region.Contains({50, 50}));
        EXPECT_TRUE(region.Contains({10, 50}));
        EXPECT_TRUE(region.Contains({50, 90}));
    }

    // A triangle comes out in steps: inside its middle, outside its corners' box.
    TFigurePath tri;
    tri.MoveTo({0, 0});
    tri.LineTo({100, 0});
    tri.LineTo({0, 100});
    tri.Close();
    const TClipRegion steps = PathClipRegion(tri, TPolyFillMode::Alternate);
    EXPECT_TRUE(steps.Contains({20, 20}));
    EXPECT_FALSE(steps.Contains({90, 90}));
    EXPECT_TRUE(PathClipRegion(TFigurePath{}, TPolyFillMode::Alternate).IsEmpty());
}
