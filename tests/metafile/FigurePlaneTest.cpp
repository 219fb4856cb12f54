// The default mode's plane geometry: ellipses from conjugate diameters,
// polyline and polygon clipping, clip regions and the mapping's extents.
#include "metafile/ClipRegion.h"
#include "metafile/FigureGeometry.h"
#include "metafile/Mapping.h"
#include "platform/Errors.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace mv {
namespace {

constexpr double kPi = std::numbers::pi;

TEST(FigurePlane, EllipseFromConjugatesFindsAxesAndKeepsTheArcUnderAMirror) {
    // A circle of radius 2 sheared into an ellipse: the axes are found whatever the diameters.
    const TEllipseArc e = EllipseFromConjugates({0, 0}, {2, 0}, {1, 1}, 0, 2 * kPi);
    EXPECT_TRUE(e.Full);
    const double a = Length(e.Major), b = a * e.Ratio;
    EXPECT_NEAR(a * b, 2 * 1, 1e-9); // the area is kept: |u x v|
    for (double t = 0; t < 2 * kPi; t += 0.5) {
        // Every point of the conjugate form lies on the found ellipse.
        const TFigPoint p = TFigPoint{2, 0} * std::cos(t) + TFigPoint{1, 1} * std::sin(t);
        const TFigPoint unit = e.Major * (1 / a);
        const double x = Dot(p, unit), y = Cross(unit, p);
        EXPECT_NEAR(x * x / (a * a) + y * y / (b * b), 1, 1e-9);
    }
    // A quarter arc under a mirror (v pointing down): the same points, taken counter-clockwise.
    const TEllipseArc q = EllipseFromConjugates({0, 0}, {1, 0}, {0, -1}, 0, kPi / 2);
    EXPECT_FALSE(q.Full);
    const TFigPoint from = q.At(q.Start), to = q.At(q.End);
    EXPECT_NEAR(from.x, 0, 1e-9);
    EXPECT_NEAR(from.y, -1, 1e-9);
    EXPECT_NEAR(to.x, 1, 1e-9);
    EXPECT_NEAR(to.y, 0, 1e-9);
}

TEST(FigurePlane, ClosedPolylineCutByABoxJoinsAcrossItsStart) {
    // A square whose start lies inside a box that cuts off its right part.
    const std::vector<TFigPoint> square{{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    const auto parts = ClipPolyline(square, true, {TFigBox{-1, -1, 5, 11}});
    ASSERT_EQ(parts.size(), 1u);
    const auto& p = parts[0];
    EXPECT_EQ(p.front(), (TFigPoint{5, 10}));
    EXPECT_EQ(p.back(), (TFigPoint{5, 0}));
    EXPECT_EQ(p.size(), 4u); // (5,10) (0,10) (0,0) (5,0)
    // Wholly outside: nothing; wholly inside: the closed run back to its start.
    EXPECT_TRUE(ClipPolyline(square, true, {TFigBox{20, 20, 30, 30}}).empty());
    EXPECT_EQ(ClipPolyline(square, true, {TFigBox{-1, -1, 11, 11}})[0].size(), 5u);
}

TEST(FigurePlane, PolygonClippedToABox) {
    const std::vector<TFigPoint> triangle{{0, 0}, {10, 0}, {0, 10}};
    const auto cut = ClipPolygon(triangle, TFigBox{0, 0, 5, 5});
    ASSERT_EQ(cut.size(), 4u); // (0,0) (5,0) (5,5) (0,5)
    for (const TFigPoint& p : cut) {
        EXPECT_LE(p.x, 5);
        EXPECT_LE(p.y, 5);
    }
    EXPECT_LT(ClipPolygon(triangle, TFigBox{20, 20, 30, 30}).size(), 3u);
}

TEST(FigurePlane, RegionsCombineBandByBand) {
    const TClipRegion a(TFigBox{0, 0, 10, 10}), b(TFigBox{5, 5, 15, 15});
    auto area = [](const TClipRegion& r) {
        double sum = 0;
        for (const TFigBox& box : r.Boxes())
            sum += (box.MaxX - box.MinX) * (box.MaxY - box.MinY);
        return sum;
    };
    EXPECT_DOUBLE_EQ(area(TClipRegion::Combine(a, b, TClipRegion::TOp::And)), 25);
    EXPECT_DOUBLE_EQ(area(TClipRegion::Combine(a, b, TClipRegion::TOp::Or)), 175);
    EXPECT_DOUBLE_EQ(area(TClipRegion::Combine(a, b, TClipRegion::TOp::Xor)), 150);
    const TClipRegion diff = TClipRegion::Combine(a, b, TClipRegion::TOp::Diff);
    EXPECT_DOUBLE_EQ(area(diff), 75);
    EXPECT_TRUE(diff.Contains({2, 8}));
    EXPECT_FALSE(diff.Contains({8, 8}));
    EXPECT_TRUE(
        TClipRegion::Combine(a, TClipRegion(TFigBox{20, 20, 30, 30}), TClipRegion::TOp::And).IsEmpty());
    // Too many boxes: the bounding box stands for them.
    std::vector<TFigBox> many;
    for (int i = 0; i < 300; ++i)
        many.push_back(TFigBox{double(2 * i), 0, double(2 * i + 1), 1});
    const TClipRegion r = TClipRegion::FromBoxes(many);
    ASSERT_EQ(r.Boxes().size(), 1u);
    EXPECT_TRUE(r.Contains({1.5, 0.5}));
}

TEST(FigurePlane, MappingExtentsScaleAndRefuseWhatGdiRefuses) {
    TMapping m;
    // MM_TEXT: extents are fixed.
    m.SetWindowExt(10, 10);
    EXPECT_EQ(m.WindowExt(), (TFigPoint{1, 1}));
    m.SetMapMode(8);
    m.SetWindowExt(100, 200);
    m.SetViewportExt(50, 50);
    m.SetWindowExt(0, 5); // a zero extent is refused
    EXPECT_EQ(m.WindowExt(), (TFigPoint{100, 200}));
    m.ScaleViewportExt(3, 1, 1, 2);
    EXPECT_EQ(m.ViewportExt(), (TFigPoint{150, 25}));
    m.ScaleWindowExt(1, 0, 1, 1); // a zero divisor is refused
    EXPECT_EQ(m.WindowExt(), (TFigPoint{100, 200}));
    // Isotropic: the viewport shrinks so that both axes have one unit size.
    m.SetMapMode(7);
    m.SetWindowExt(100, 100);
    m.SetViewportExt(400, -100);
    EXPECT_DOUBLE_EQ(m.ScaleX(), m.ScaleY());
    EXPECT_LT(m.ViewportExt().y, 0); // the direction stays
    // Beyond the coordinate limit: the range error.
    m.SetWorld(TAffine{1e9, 0, 0, 1e9, 0, 0});
    EXPECT_THROW(m.MapPoint(1e6, 0), ERangeError);
}

} // namespace
} // namespace mv
