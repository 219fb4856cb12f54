// The default mode: the mapping chain into hundredths of a millimetre, the
// save stack, clipping and the default-mode rules of pens and brushes.
#include "../dxf/GroupLines.h"
#include "EmfBuilder.h"
#include "InterpretFixture.h"
#include "TestUtil.h"
#include "WmfBuilder.h"
#include "dxf/DXFExport.h"
#include "dxf/Figures.h"
#include "metafile/DefaultPlayer.h"
#include "metafile/EnhMetafile.h"

#include <gtest/gtest.h>

#include <cmath>

namespace mv {
namespace {

using test::TEmfBuilder;
using test::TRecordBytes;

constexpr std::uint32_t BlackPen = 0x80000007, NullPen = 0x80000008, NullBrush = 0x80000005;
// The test header's reference device: 1024 x 768 pixels on 320 x 240 mm,
// so one pixel is 31.25 hundredths of a millimetre; the frame is 100000 high.
constexpr double kPixel = 31.25, kFrameHeight = 100000;

class DefaultModeTest : public ::testing::Test {
protected:
    DefaultModeTest() { Exporter.SetTextMeasure(&Measure); }

    void Load() { Exporter.LoadFromMetafile(TEnhMetafile::FromEmfBytes(B.Build())); }

    const TmvExpDXFFigure& Fig(std::size_t i) const { return *Exporter.Figures().at(i); }
    std::size_t Count() const { return Exporter.Figures().size(); }
    std::vector<TdxfPoint> Vertices(std::size_t i) const {
        return dynamic_cast<const TmvExpDXFPolyline&>(Fig(i)).Vertices;
    }
    // The only figure's line, from Point1 to Point2 or through its two vertices.
    std::pair<TdxfPoint, TdxfPoint> Segment(std::size_t i) const {
        const auto v = Vertices(i);
        EXPECT_EQ(v.size(), 2u);
        return {v.at(0), v.at(1)};
    }
    TEmfBuilder& Extents(std::uint32_t type, std::int32_t cx, std::int32_t cy) {
        return B.Add(TRecordBytes(type).I32(cx).I32(cy));
    }
    TEmfBuilder& ClipRect(std::uint32_t type, std::int32_t l, std::int32_t t, std::int32_t r,
                          std::int32_t b) {
        return B.Add(TRecordBytes(type).Rect(l, t, r, b));
    }

    TEmfBuilder B;
    TmvDXFExport Exporter;
    test::TFixedMetricMeasure Measure;
};

// Twice the signed area of a polygon: positive when it turns counter-clockwise.
double Turn(const std::vector<TdxfPoint>& p) {
    double sum = 0;
    for (std::size_t i = 0; i < p.size(); ++i) {
        const TdxfPoint& a = p[i];
        const TdxfPoint& b = p[(i + 1) % p.size()];
        sum += double(a.x) * b.y - double(b.x) * a.y;
    }
    return sum;
}

TEST_F(DefaultModeTest, EachMapModeGivesItsUnitAndDirection) {
    // A line of 100 logical units along x and y, figure units per unit, y upward or not.
    struct TCase {
        std::uint32_t Mode;
        double Unit; // hundredths of a millimetre
        double YSign;
    };
    const TCase cases[] = {{1, kPixel, -1},      {2, 10, 1},     {3, 1, 1},
                           {4, 25.4, 1},         {5, 2.54, 1},   {6, 2540.0 / 1440, 1},
                           {7, 10, 1} /* ISO */, {8, kPixel, -1} /* ANISO keeps 1:1 pixels */};
    for (const TCase& c : cases) {
        TEmfBuilder b;
        b.SetMapMode(c.Mode).SelectObject(BlackPen).MoveTo(0, 0).LineTo(100, 100);
        TmvDXFExport e;
        e.LoadFromMetafile(TEnhMetafile::FromEmfBytes(b.Build()));
        ASSERT_EQ(e.Figures().size(), 1u) << c.Mode;
        const auto& v = dynamic_cast<const TmvExpDXFPolyline&>(*e.Figures()[0]).Vertices;
        ASSERT_EQ(v.size(), 2u);
        EXPECT_NEAR(v[1].x - v[0].x, 100 * c.Unit, 100 * c.Unit * 1e-4) << c.Mode;
        EXPECT_NEAR(v[1].y - v[0].y, c.YSign * 100 * c.Unit, 100 * c.Unit * 1e-4) << c.Mode;
    }
}

TEST_F(DefaultModeTest, TextModeMapsIntoTheFrameFromItsTopLeftCorner) {
    B.SelectObject(BlackPen).MoveTo(0, 0).LineTo(10, 20);
    Load();
    const auto [a, b] = Segment(0);
    EXPECT_FLOAT_EQ(a.x, 0);
    EXPECT_FLOAT_EQ(a.y, kFrameHeight);
    EXPECT_FLOAT_EQ(b.x, 10 * kPixel);
    EXPECT_FLOAT_EQ(b.y, kFrameHeight - 20 * kPixel);
}

TEST_F(DefaultModeTest, NegativeExtentsKeepTheTriangleOrientation) {
    // The reference: a triangle drawn straight in device pixels.
    B.SelectObject(BlackPen).SelectObject(NullBrush);
    B.Poly(emr::POLYGON, {{100, 500}, {300, 500}, {100, 300}});
    // The same triangle in a y-up logical space (negative window height).
    B.SetMapMode(8);
    Extents(emr::SETWINDOWEXTEX, 1000, -1000);
    Extents(emr::SETVIEWPORTEXTEX, 1000, 1000);
    B.SetWindowOrg(0, 1000);
    B.Poly(emr::POLYGON, {{100, 500}, {300, 500}, {100, 700}});
    Load();
    ASSERT_EQ(Count(), 2u);
    const auto ref = Vertices(0), mapped = Vertices(1);
    ASSERT_EQ(mapped.size(), 3u);
    EXPECT_GT(Turn(ref) * Turn(mapped), 0);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_NEAR(mapped[i].x, ref[i].x, 0.01);
        EXPECT_NEAR(mapped[i].y, ref[i].y, 0.01);
    }
}

TEST_F(DefaultModeTest, IsotropicKeepsUnitsSquareAndAnisotropicStretches) {
    for (const std::uint32_t mode : {7u, 8u}) {
        TEmfBuilder b;
        b.SetMapMode(mode)
            .Add(TRecordBytes(emr::SETWINDOWEXTEX).I32(100).I32(100))
            .Add(TRecordBytes(emr::SETVIEWPORTEXTEX).I32(200).I32(100));
        b.SelectObject(BlackPen).SelectObject(NullBrush).Ellipse(0, 0, 100, 100);
        TmvDXFExport e;
        e.LoadFromMetafile(TEnhMetafile::FromEmfBytes(b.Build()));
        ASSERT_EQ(e.Figures().size(), 1u);
        const TmvExpDXFFigure& f = *e.Figures()[0];
        ASSERT_EQ(f.Kind(), TFigureKind::Ellipse) << mode;
        if (mode == 7) {
            // A circle of 50 units at one pixel each.
            EXPECT_NEAR(f.Data.Radius, 50 * kPixel, 0.01);
        } else {
            // Twice as wide as high: an ellipse of axis ratio 1/2 along x.
            const auto& ell = dynamic_cast<const TmvExpDXFEllipse&>(f);
            ASSERT_TRUE(ell.IsEllipse);
            EXPECT_NEAR(f.Data.Radius, 0.5, 1e-6);
            EXPECT_NEAR(std::fabs(f.Data.Point2.x), 100 * kPixel, 0.01);
        }
    }
}

TEST_F(DefaultModeTest, NestedPictureWithItsOwnWindowIsRestoredAfterwards) {
    B.SelectObject(BlackPen);
    B.SaveDC().SetMapMode(8);
    Extents(emr::SETWINDOWEXTEX, 10, 10);
    Extents(emr::SETVIEWPORTEXTEX, 100, 100);
    B.Add(TRecordBytes(emr::SETVIEWPORTORGEX).I32(200).I32(300));
    B.MoveTo(0, 0).LineTo(1, 0); // ten pixels long, from (200, 300)
    B.RestoreDC(-1);
    B.MoveTo(0, 0).LineTo(1, 0); // one pixel, from the corner
    Load();
    ASSERT_EQ(Count(), 2u);
    const auto [a, b] = Segment(0);
    EXPECT_NEAR(a.x, 200 * kPixel, 1e-3);
    EXPECT_NEAR(a.y, kFrameHeight - 300 * kPixel, 1e-2);
    EXPECT_NEAR(b.x - a.x, 10 * kPixel, 1e-3);
    const auto [c, d] = Segment(1);
    EXPECT_NEAR(c.x, 0, 1e-3);
    EXPECT_NEAR(d.x - c.x, kPixel, 1e-3);
}

TEST_F(DefaultModeTest, RestoreWithRelativeIndicesAndPastTheBottom) {
    auto pen = [&](std::uint32_t index, std::uint32_t rgb) {
        B.CreatePen(index, 0, 0, rgb).SelectObject(index);
    };
    pen(1, 0x0000FF); // red
    B.SaveDC();
    pen(2, 0x00FF00); // green
    B.SaveDC();
    pen(3, 0xFF0000); // blue
    B.SaveDC();
    B.RestoreDC(-2).MoveTo(0, 0).LineTo(1, 1); // back to green
    B.RestoreDC(-1).LineTo(2, 2);              // back to red
    B.RestoreDC(-1).LineTo(3, 3);              // past the bottom: still red
    Load();
    ASSERT_EQ(Count(), 3u);
    EXPECT_EQ(Fig(0).Data.Color, 3); // green
    EXPECT_EQ(Fig(1).Data.Color, 1); // red
    EXPECT_EQ(Fig(2).Data.Color, 1);
}

// Counts the figures it is given.
struct TCountingSink : IFigureSink {
    void AddPixel(const TdxfExportData&) override { ++Figures; }
    void AddLine(const TdxfExportData&) override { ++Figures; }
    void AddRectangle(const TdxfExportData&) override { ++Figures; }
    void AddHatch(const TdxfExportData&) override { ++Figures; }
    void AddPolyline(const TdxfExportData&, int) override { ++Figures; }
    void AddPolyBezier(const TdxfExportData&, int) override { ++Figures; }
    void AddCircle(const TdxfExportData&) override { ++Figures; }
    void AddEllipse(const TdxfExportData&) override { ++Figures; }
    void AddArc(const TdxfExportData&) override { ++Figures; }
    void AddMText(const TdxfExportData&) override { ++Figures; }
    void AddImage(const TdxfImageData&) override { ++Figures; }
    void AddLineType(std::string_view, std::span<const float>, int) override {}
    int Figures = 0;
};

TEST(DefaultModeState, AMillionSavesStayBounded) {
    TCountingSink sink;
    TInterpretSettings settings;
    TmvDefaultPlayer player(sink, settings);
    const std::vector<std::uint8_t> save = TRecordBytes(emr::SAVEDC).Finish();
    const TEmrRecord record{emr::SAVEDC, save};
    for (int i = 0; i < 1000000; ++i)
        player.PlayRecord(record);
    EXPECT_EQ(player.SavedStates(), TmvDefaultPlayer::kMaxSavedStates);
}

TEST_F(DefaultModeTest, ClippingCutsEachFigureKindAtTheEdge) {
    // Clip to the pixels 0..100 in both directions.
    ClipRect(emr::INTERSECTCLIPRECT, 0, 0, 100, 100);
    B.SelectObject(BlackPen).SelectObject(NullBrush);
    B.MoveTo(50, 50).LineTo(150, 50);                                 // 0: line cut at x = 100
    B.Poly(emr::POLYLINE, {{200, 200}, {300, 300}});                  // gone
    B.Ellipse(10, 10, 30, 30);                                        // 1: inside, stays a circle
    B.Ellipse(80, 10, 120, 50);                                       // 2: crosses: a polyline
    B.SelectObject(0x80000004).SelectObject(NullPen);                 // black brush
    B.Poly(emr::POLYGON, {{50, 50}, {150, 50}, {150, 80}, {50, 80}}); // 3: hatch cut
    B.TextOut(20, 20, u"in").TextOut(120, 20, u"out");                // 4: the first only
    B.ArcLike(emr::ARC, 60, 60, 140, 140, {140, 100}, {100, 60});     // gone: no pen
    Load();
    ASSERT_EQ(Count(), 5u);
    const auto [a, b] = Segment(0);
    EXPECT_NEAR(b.x, 100 * kPixel, 1e-3);
    EXPECT_EQ(Fig(1).Kind(), TFigureKind::Ellipse);
    EXPECT_EQ(Fig(2).Kind(), TFigureKind::Polyline);
    for (const TdxfPoint& p : Vertices(2))
        EXPECT_LE(p.x, 100 * kPixel + 1e-2);
    ASSERT_EQ(Fig(3).Kind(), TFigureKind::Hatch);
    const auto& hatch = dynamic_cast<const TmvExpDXFHatch&>(Fig(3));
    ASSERT_EQ(hatch.Loops.size(), 1u);
    for (const TdxfPoint& p : hatch.Loops[0])
        EXPECT_LE(p.x, 100 * kPixel + 1e-2);
    EXPECT_EQ(Fig(4).Kind(), TFigureKind::MText);
}

TEST_F(DefaultModeTest, ClipRegionModesExcludeOffsetAndReset) {
    B.SelectObject(BlackPen);
    ClipRect(emr::EXCLUDECLIPRECT, 40, 0, 60, 1000); // a gap in the middle
    B.MoveTo(0, 10).LineTo(100, 10);                 // 0, 1: two pieces
    B.Add(TRecordBytes(emr::OFFSETCLIPRGN).I32(100).I32(0));
    B.MoveTo(0, 20).LineTo(100, 20); // 2: whole now that the gap moved to 140..160
    // An empty region selected with RGN_COPY lifts the clipping.
    B.Add(TRecordBytes(emr::EXTSELECTCLIPRGN).U32(0).U32(5));
    // A region of one rectangle (device pixels) selected with RGN_COPY.
    B.Add(TRecordBytes(emr::EXTSELECTCLIPRGN)
              .U32(48)
              .U32(5)
              .U32(32)
              .U32(1)
              .U32(1)
              .U32(16)
              .Rect(0, 0, 30, 1000)
              .Rect(0, 0, 30, 1000));
    B.MoveTo(0, 30).LineTo(100, 30); // 3: cut at 30
    Load();
    ASSERT_EQ(Count(), 4u);
    EXPECT_NEAR(Segment(0).second.x, 40 * kPixel, 1e-3);
    EXPECT_NEAR(Segment(1).first.x, 60 * kPixel, 1e-3);
    EXPECT_NEAR(Segment(2).second.x, 100 * kPixel, 1e-3);
    EXPECT_NEAR(Segment(3).second.x, 30 * kPixel, 1e-3);
}

TEST_F(DefaultModeTest, ArcsRunCounterClockwiseAsThePictureShows) {
    // From the right end of the box to its top: a quarter turn on screen.
    B.SelectObject(BlackPen).ArcLike(emr::ARC, 0, 0, 100, 100, {100, 50}, {50, 0});
    Load();
    ASSERT_EQ(Count(), 1u);
    ASSERT_EQ(Fig(0).Kind(), TFigureKind::Arc);
    const TdxfFigureFields& d = Fig(0).Data;
    EXPECT_NEAR(d.Radius, 50 * kPixel, 1e-2);
    EXPECT_NEAR(std::fmod(d.EndAngle - d.StartAngle + 360, 360), 90, 1e-3);
    EXPECT_NEAR(std::fmod(d.StartAngle + 360, 360), 0, 1e-3);
}

TEST_F(DefaultModeTest, LengthsFollowTheScale) {
    // MM_LOMETRIC: a geometric pen 10 units wide is 1 mm; the cosmetic pen stays thin.
    B.SetMapMode(2);
    B.CreatePen(1, 0, 10, 0).SelectObject(1).MoveTo(0, 0).LineTo(100, 0);
    B.ExtCreatePen(2, 0x00010000, 10, 0).SelectObject(2).LineTo(200, 0);
    B.ExtCreatePen(3, 0, 10, 0).SelectObject(3).LineTo(300, 0);
    B.CreateFont(4, u"Arial", -80, 0, 400).SelectObject(4).TextOut(0, 0, u"x");
    Load();
    ASSERT_EQ(Count(), 4u);
    EXPECT_FLOAT_EQ(Fig(0).Data.PenWidth, 100);
    EXPECT_FLOAT_EQ(Fig(1).Data.PenWidth, 100);
    EXPECT_FLOAT_EQ(Fig(2).Data.PenWidth, 0);
    EXPECT_NEAR(Fig(3).Data.Height, 800 / 1.6, 1e-3); // 8 mm font
}

TEST_F(DefaultModeTest, TextTurnsWithTheLogicalYAxisAndKeepsItsEdgePoint) {
    B.SetTextColor(0).CreateFont(1, u"Arial", -20, 2700).SelectObject(1);
    B.TextOut(10, 10, u"down");
    // y upward in logical space: the same escapement reads upward.
    B.SetMapMode(8);
    Extents(emr::SETWINDOWEXTEX, 100, -100);
    Extents(emr::SETVIEWPORTEXTEX, 100, 100);
    // A text on the clip rectangle's corner stays.
    ClipRect(emr::INTERSECTCLIPRECT, 7, -3, 50, -50);
    B.TextOut(7, -3, u"up");
    Load();
    ASSERT_EQ(Count(), 2u);
    EXPECT_NEAR(std::fmod(Fig(0).Data.Rotation + 360, 360), 270, 1e-3);
    EXPECT_NEAR(std::fmod(Fig(1).Data.Rotation + 360, 360), 90, 1e-3);
}

TEST_F(DefaultModeTest, TextHeightComesFromTheWholeTransform) {
    B.CreateFont(1, u"Arial", -16).SelectObject(1).TextOut(0, 0, u"flat");
    // A quarter turn, and a turn with a stretch along the text's own height.
    B.SetWorldTransform(0, 1, -1, 0, 0, 0).TextOut(0, 0, u"turned");
    B.SetWorldTransform(0, 3, -1, 0, 0, 0).TextOut(0, 0, u"tall");
    // A font of height 0 takes the device's own font, never height 0.
    B.CreateFont(2, u"Arial", 0).SelectObject(2).TextOut(0, 0, u"default");
    Load();
    ASSERT_EQ(Count(), 4u);
    EXPECT_NEAR(Fig(0).Data.Height, 16 * kPixel / 1.6, 1e-3);
    EXPECT_NEAR(Fig(1).Data.Height, Fig(0).Data.Height, 1e-3);
    EXPECT_NEAR(std::fmod(Fig(1).Data.Rotation + 360, 360), 270, 1e-3);
    EXPECT_NEAR(Fig(2).Data.Height, Fig(0).Data.Height, 1e-3); // the stretch runs along the baseline
    EXPECT_NEAR(Fig(3).Data.Height, 16 * kPixel / 1.6, 1e-3);
}

TEST_F(DefaultModeTest, BrushAndColourRules) {
    B.SelectObject(NullPen);
    B.CreateBrush(1, 1 /* BS_NULL */, 0x0000FF).SelectObject(1).Rectangle(0, 0, 10, 10); // nothing
    B.CreateBrush(2, 0, 0x02FFFFFF).SelectObject(2).Rectangle(0, 0, 10, 10);             // white
    // A DIB pattern brush of one red pixel fills in red.
    TRecordBytes dib(emr::CREATEDIBPATTERNBRUSHPT);
    dib.U32(3).U32(0).U32(32).U32(40).U32(72).U32(4);
    dib.U32(40).I32(1).I32(1).U16(1).U16(24).U32(0).U32(4).I32(0).I32(0).U32(0).U32(0);
    dib.U8(0).U8(0).U8(255).U8(0);
    B.Add(dib).SelectObject(3).Rectangle(0, 0, 10, 10);
    Load();
    ASSERT_EQ(Count(), 2u);
    EXPECT_EQ(Fig(0).Data.Color, 255);
    EXPECT_EQ(Fig(1).Data.Color, 1);
}

TEST(DefaultModeHatch, PatternLinesLieEightPixelsOfTheReferenceDeviceApart) {
    for (const auto& [pixels, half] : {std::pair{1024, std::string("1.25")}, {2048, std::string("0.625")}}) {
        // A diagonal cross in device units and in MM_LOMETRIC: the logical units do not count.
        TEmfBuilder b;
        b.DevicePixels(pixels, pixels * 3 / 4).SelectObject(NullPen).CreateBrush(1, 2, 0xFF, 5);
        b.SelectObject(1).Rectangle(0, 0, 100, 100).SetMapMode(2).Rectangle(0, 0, 1000, -1000);
        TmvDXFExport e;
        e.LoadFromMetafile(TEnhMetafile::FromEmfBytes(b.Build()));
        ASSERT_EQ(e.Figures().size(), 2u);
        // 45 and 135 degree lines 8 pixels apart along x, in millimetres.
        for (const auto& f : e.Figures()) {
            const auto lines = test::EntityLinesOf(*f, true);
            EXPECT_EQ(test::ValuesOf(lines, 45), (std::vector{"-" + half, "-" + half}));
            EXPECT_EQ(test::ValuesOf(lines, 46), (std::vector{half, "-" + half}));
        }
    }
}

TEST_F(DefaultModeTest, PolyBezierToStartsAtTheCurrentPosition) {
    B.SelectObject(BlackPen).MoveTo(0, 0).Poly(emr::POLYBEZIERTO, {{10, 0}, {20, 10}, {30, 10}});
    B.LineTo(40, 10);
    Load();
    ASSERT_EQ(Count(), 2u);
    ASSERT_EQ(Fig(0).Kind(), TFigureKind::PolyBezier);
    const auto v = Vertices(0);
    ASSERT_EQ(v.size(), 4u);
    EXPECT_FLOAT_EQ(v[0].x, 0);
    EXPECT_FLOAT_EQ(Segment(1).first.x, 30 * kPixel); // the position moved to the end
}

TEST_F(DefaultModeTest, PlaceableWmfSpansItsBoxAtItsUnitsPerInch) {
    test::TWmfBuilder w;
    // Its own viewport records speak of a device nobody knows: the player's
    // frame stays the viewport.
    w.SetWindowOrg(100, 200).SetWindowExt(1000, 500);
    w.Add(test::TWmfRecord(0x020E).W(500).W(1000)).Add(test::TWmfRecord(0x020D).W(9).W(7));
    w.CreatePen(0, 0, 0).SelectObject(0).MoveTo(100, 200).LineTo(1100, 700);
    // 1000 x 500 units at 1000 per inch: 25.4 x 12.7 mm.
    Exporter.LoadFromMetafile(TEnhMetafile::FromFileBytes(w.Build(100, 200, 1100, 700, 1000)));
    ASSERT_EQ(Count(), 1u);
    const auto [a, b] = Segment(0);
    EXPECT_NEAR(a.x, 0, 1);
    EXPECT_NEAR(a.y, 1270, 1);
    EXPECT_NEAR(b.x, 2540, 1);
    EXPECT_NEAR(b.y, 0, 1);
}

TEST(FigureEmitter, ARecordedPathTakesTheShapesInsteadOfFigures) {
    TCountingSink sink;
    TFigureEmitter emitter(sink);
    TDrawShape shape;
    shape.Path.MoveTo({0, 0});
    shape.Path.LineTo({10, 0});
    shape.Path.BezierTo({10, 5}, {5, 10}, {0, 10});
    shape.Path.Close();
    const TStrokeLook pen{1, 0xFF0000, 0, ""};
    const TFillLook brush;
    TPathRecorder recorder;
    recorder.Begin();
    emitter.Recording = &recorder;
    emitter.Draw(shape, &brush, &pen);
    emitter.Text(TdxfExportData{});
    EXPECT_EQ(sink.Figures, 0);
    recorder.End();
    const TFigurePath& path = recorder.Path();
    ASSERT_EQ(path.Subpaths().size(), 1u);
    EXPECT_EQ(path.Subpaths()[0].Points, shape.Path.Subpaths()[0].Points);
    EXPECT_TRUE(path.Subpaths()[0].Closed);
    emitter.Recording = nullptr;
    emitter.Draw(shape, &brush, &pen); // a hatch and an outline
    EXPECT_EQ(sink.Figures, 2);
}

TEST(DefaultModeExport, InsUnitsMarkMillimetresInR2000Only) {
    auto write = [](bool classic, bool r14, bool mm) {
        TmvDXFExport e;
        e.SetClassic(classic);
        e.SetUse01MM(mm);
        e.SetAutoCADVersion(r14 ? 0 : 1);
        e.LoadFromMetafile(TEnhMetafile::FromEmfBytes(TEmfBuilder().Build()));
        return e.SaveToString();
    };
    const std::string mark = "$INSUNITS\r\n 70\r\n4\r\n";
    EXPECT_NE(write(false, false, true).find(mark), std::string::npos);
    EXPECT_EQ(write(false, false, false).find("$INSUNITS"), std::string::npos);
    EXPECT_EQ(write(false, true, true).find("$INSUNITS"), std::string::npos);
    EXPECT_EQ(write(true, false, true).find("$INSUNITS"), std::string::npos);
}

} // namespace
} // namespace mv
