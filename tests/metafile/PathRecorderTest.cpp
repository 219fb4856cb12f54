// The path of a device context: how outlines join into figures, when a path
// can be used, and the clipping region a path makes.
#include "metafile/PathRecorder.h"

#include <gtest/gtest.h>

using namespace mv;

namespace {

TFigurePath Box(double x0, double y0, double x1, double y1, bool clockwise = false) {
    TFigurePath p;
    p.MoveTo({x0, y0});
    p.LineTo(clockwise ? TFigPoint{x0, y1} : TFigPoint{x1, y0});
    p.LineTo({x1, y1});
    p.LineTo(clockwise ? TFigPoint{x1, y0} : TFigPoint{x0, y1});
    p.Close();
    return p;
}

TFigurePath Segment(TFigPoint a, TFigPoint b) {
    TFigurePath p;
    p.MoveTo(a);
    p.LineTo(b);
    return p;
}

} // namespace

TEST(PathRecorder, OutlinesJoinTheirFigureAndThePathIsUsedOnce) {
    TPathRecorder rec(10);
    EXPECT_FALSE(rec.Take()); // no path yet
    rec.Begin();
    rec.Add(Segment({0, 0}, {10, 0}));
    rec.Add(Segment({10, 0}, {10, 10})); // goes on from where the figure ends
    rec.Add(Box(10, 10, 20, 20));        // closed: a figure of its own
    rec.Add(Box(30, 30, 40, 40));        // beyond the ten points: left out
    EXPECT_FALSE(rec.Take());            // still recording
    rec.End();
    const auto path = rec.Take();
    ASSERT_TRUE(path);
    ASSERT_EQ(path->Subpaths().size(), 2u);
    EXPECT_EQ(path->Subpaths()[0].Points, (std::vector<TFigPoint>{{0, 0}, {10, 0}, {10, 10}}));
    EXPECT_FALSE(rec.Take());

    // An aborted path is gone; an END without a BEGIN finishes nothing.
    rec.Begin();
    rec.Add(Box(0, 0, 1, 1));
    rec.Abort();
    rec.End();
    EXPECT_FALSE(rec.Take());
}

TEST(PathRecorder, ClipRegionsCoverWhatTheFillRuleFills) {
    const TClipRegion box = PathClipRegion(Box(0, 0, 100, 50), TPolyFillMode::Alternate);
    ASSERT_EQ(box.Boxes().size(), 1u);
    EXPECT_TRUE(box.HoldsWhole(TFigBox{0, 0, 100, 50}));

    // A frame whose hole turns the other way: a hole under either rule.
    TFigurePath frame = Box(0, 0, 100, 100);
    const TFigurePath hole = Box(25, 25, 75, 75, true);
    const auto& h = hole.Subpaths()[0].Points;
    frame.MoveTo(h[0]);
    for (std::size_t i = 1; i < h.size(); ++i)
        frame.LineTo(h[i]);
    frame.Close();
    for (TPolyFillMode mode : {TPolyFillMode::Alternate, TPolyFillMode::Winding}) {
        const TClipRegion region = PathClipRegion(frame, mode);
        EXPECT_FALSE(region.Contains({50, 50}));
        EXPECT_TRUE(region.Contains({10, 50}));
    }

    // A triangle comes out in steps: inside its middle, outside beyond its slope.
    TFigurePath tri;
    tri.MoveTo({0, 0});
    tri.LineTo({100, 0});
    tri.LineTo({0, 100});
    const TClipRegion steps = PathClipRegion(tri, TPolyFillMode::Alternate);
    EXPECT_TRUE(steps.Contains({20, 20}));
    EXPECT_FALSE(steps.Contains({90, 90}));
    EXPECT_TRUE(PathClipRegion(TFigurePath{}, TPolyFillMode::Alternate).IsEmpty());
}
