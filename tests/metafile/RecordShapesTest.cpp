// The records of paths, regions, gradients and block transfers: their
// fields as decoded, and the outlines and pieces made of them.
#include "metafile/RecordShapes.h"
#include "EmfBuilder.h"
#include "ShapeRecordBytes.h"
#include "metafile/EmfRecords.h"
#include "platform/Errors.h"

#include <gtest/gtest.h>

using namespace mv;
using namespace mv::test;

namespace {

const TPointMapper kSame = [](double x, double y) { return TFigPoint{x, y}; };

} // namespace

TEST(RecordShapes, PolyDrawFollowsItsPointTypes) {
    const std::vector<TPt> pts{{10, 0}, {20, 0}, {30, 10}, {30, 20}, {20, 30}, {50, 50}, {60, 50}};
    const std::vector<std::uint8_t> types{
        PT_LINETO, PT_LINETO, PT_BEZIERTO, PT_BEZIERTO, PT_BEZIERTO | PT_CLOSEFIGURE, PT_MOVETO, PT_LINETO};
    for (bool small : {false, true}) {
        const std::vector<std::uint8_t> bytes = PolyDraw(pts, types, small);
        const TEmrPolyDraw rec =
            DecodePolyDraw(TRecordReader(bytes), small ? TPointSize::Points16 : TPointSize::Points32);
        ASSERT_EQ(rec.Count, 7u);
        TFigurePath path;
        const TPolyDrawResult result = AppendPolyDraw(rec, kSame, TFigPoint{0, 0}, path);
        ASSERT_TRUE(result.Valid);
        EXPECT_TRUE(result.EndsOpen);
        EXPECT_EQ(result.Last, (TPointL{60, 50}));
        ASSERT_EQ(path.Subpaths().size(), 2u);
        const auto& first = path.Subpaths()[0];
        EXPECT_TRUE(first.Closed);
        EXPECT_EQ(first.Points.front(), (TFigPoint{0, 0})); // begins at the current position
        EXPECT_EQ(first.Points.size(), 6u);
        EXPECT_TRUE(first.HasBezier());
        EXPECT_FALSE(path.Subpaths()[1].Closed);
    }
    // A Bezier short of its third point, or an unknown type: nothing is drawn.
    for (const auto& bad : {std::vector<std::uint8_t>{PT_LINETO, PT_BEZIERTO, PT_BEZIERTO},
                            std::vector<std::uint8_t>{PT_LINETO, 8, PT_LINETO}}) {
        const std::vector<std::uint8_t> bytes = PolyDraw({{1, 1}, {2, 2}, {3, 3}}, bad);
        TFigurePath path;
        EXPECT_FALSE(AppendPolyDraw(DecodePolyDraw(TRecordReader(bytes), TPointSize::Points32), kSame,
                                    TFigPoint{}, path)
                         .Valid);
        EXPECT_TRUE(path.Empty());
    }
    // A line without a start point has nowhere to begin.
    const std::vector<std::uint8_t> noStart = PolyDraw({{1, 1}}, {PT_LINETO});
    TFigurePath path;
    EXPECT_FALSE(
        AppendPolyDraw(DecodePolyDraw(TRecordReader(noStart), TPointSize::Points32), kSame, {}, path).Valid);
    // Types cut off by the record's end make the metafile invalid.
    std::vector<std::uint8_t> cut = PolyDraw({{1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}}, {});
    EXPECT_THROW(DecodePolyDraw(TRecordReader(cut), TPointSize::Points32), EInvalidMetafile);
}

TEST(RecordShapes, RegionsAreReadAndTheirRectanglesJoined) {
    // Two halves of one band, the band below, and a rectangle apart.
    const std::vector<TRectL> rects{{0, 0, 10, 10}, {10, 0, 20, 10}, {0, 10, 20, 20}, {40, 0, 50, 5}};
    const std::vector<std::uint8_t> bytes = FillRgn(rects, 4);
    const TEmrRegion rec = DecodeFillRgn(TRecordReader(bytes));
    EXPECT_EQ(rec.ihBrush, 7u);
    ASSERT_EQ(rec.RgnData.Rects.size(), 4u);
    const std::vector<TRectL> merged = MergeRegionRects(rec.RgnData.Rects);
    ASSERT_EQ(merged.size(), 2u);
    EXPECT_EQ(std::tie(merged[0].Left, merged[0].Top, merged[0].Right, merged[0].Bottom),
              std::make_tuple(0, 0, 20, 20));
    const TFigurePath path = RegionPath(rec.RgnData, kSame);
    ASSERT_EQ(path.Subpaths().size(), 2u);
    EXPECT_TRUE(path.Subpaths()[1].Closed);
    EXPECT_EQ(path.Subpaths()[1].Points[2], (TFigPoint{50, 5}));
    // Empty rectangles go; a count beyond the data makes the file invalid.
    EXPECT_TRUE(MergeRegionRects({{5, 5, 5, 9}, {3, 3, 1, 9}}).empty());
    const std::vector<std::uint8_t> tooMany = FillRgn(rects, 5);
    EXPECT_THROW(DecodeFillRgn(TRecordReader(tooMany)), EInvalidMetafile);
    const std::vector<std::uint8_t> huge = FillRgn({}, 0x10000000);
    EXPECT_THROW(DecodeFillRgn(TRecordReader(huge)), EInvalidMetafile);
}

TEST(RecordShapes, GradientsBecomeBandsAndSmallerTriangles) {
    const std::vector<TVertex> v{{0, 0, 0xFF00, 0, 0}, {320, 100, 0, 0, 0xFF00}, {0, 100, 0, 0xFF00, 0}};
    // Rectangles with their own 8 bytes and with the triangle's 12.
    for (const auto& indices : {std::vector<std::uint32_t>{0, 1}, std::vector<std::uint32_t>{0, 1, 0}}) {
        const std::vector<std::uint8_t> bytes =
            Gradient(v, indices, 1, TEmrGradientFill::GRADIENT_FILL_RECT_H);
        const TEmrGradientFill rec = DecodeGradientFill(TRecordReader(bytes));
        EXPECT_EQ(rec.ObjectStride, indices.size());
        const std::vector<TColorPiece> pieces = GradientPieces(rec, kSame);
        ASSERT_EQ(pieces.size(), 32u);
        EXPECT_EQ(pieces.front().Loop[0], (TFigPoint{0, 0}));
        EXPECT_EQ(pieces.front().Loop[1], (TFigPoint{10, 0}));
        EXPECT_EQ(pieces.back().Loop[2], (TFigPoint{320, 100}));
        EXPECT_EQ(pieces.front().Rgb & 0xFF, 251u); // mostly red
        EXPECT_EQ(pieces.back().Rgb >> 16, 251u);   // mostly blue
    }
    const std::vector<std::uint8_t> vertical = Gradient(v, {0, 1}, 1, TEmrGradientFill::GRADIENT_FILL_RECT_V);
    EXPECT_EQ(GradientPieces(DecodeGradientFill(TRecordReader(vertical)), kSame)[0].Loop[2],
              (TFigPoint{320, 3.125}));

    // A triangle in 16 pieces whose colours run from corner to corner; an
    // object naming a vertex that is not there is passed over.
    const std::vector<std::uint8_t> tri =
        Gradient(v, {0, 1, 2, 0, 1, 9}, 2, TEmrGradientFill::GRADIENT_FILL_TRIANGLE);
    const std::vector<TColorPiece> pieces = GradientPieces(DecodeGradientFill(TRecordReader(tri)), kSame);
    ASSERT_EQ(pieces.size(), 16u);
    EXPECT_EQ(pieces[0].Loop[0], (TFigPoint{0, 0}));
    EXPECT_GT(pieces[0].Rgb & 0xFF, 180u);
    double area = 0;
    for (const TColorPiece& p : pieces)
        area += std::abs(Cross(p.Loop[1] - p.Loop[0], p.Loop[2] - p.Loop[0])) / 2;
    EXPECT_NEAR(area, 320 * 100 / 2.0, 1e-6);

    const std::vector<std::uint8_t> short_ = Gradient(v, {0}, 1, TEmrGradientFill::GRADIENT_FILL_TRIANGLE);
    EXPECT_THROW(DecodeGradientFill(TRecordReader(short_)), EInvalidMetafile);
}
