// Drawing records to figures: which figures, in which order, with which
// description; and records whose counts do not fit their size.
#include "InterpretFixture.h"
#include "figure/Colors.h"
#include "figure/LineTypes.h"
#include "platform/Errors.h"

#include <cmath>
#include <numbers>

using namespace mv;
using namespace mv::test;
using K = TFigureKind;

namespace {
constexpr float Deg = 180 / std::numbers::pi_v<float>;
const std::int32_t RedIndex = ColorToIndex(Red, false);
const std::int32_t BlueIndex = ColorToIndex(Blue, false);
} // namespace

// ---------------------------------------------------------------- covering rule and order

TEST_F(InterpretTest, PolygonFillAndOutlineUnlessCovered) {
    B.CreateBrush(1, 0, Red).CreatePen(2, 0, 0, Red).CreatePen(3, 0, 0, Blue);
    B.SelectObject(1).SelectObject(2).Poly(emr::POLYGON, {{0, 0}, {10, 0}, {10, 10}}); // hatch only
    B.SelectObject(3).Poly(emr::POLYGON, {{0, 0}, {10, 0}, {10, 10}});                 // hatch, outline
    B.SelectObject(NullPen).Poly(emr::POLYGON16, {{0, 0}, {10, 0}, {0, 5}});           // hatch only
    B.SelectObject(NullBrush).SelectObject(2).Poly(emr::POLYGON, {{0, 0}, {10, 0}});   // outline only
    B.SelectObject(1).SelectObject(NullPen).Poly(emr::POLYGON16, {{0, 0}, {10, 0}});   // no area: nothing
    Load();
    EXPECT_EQ(Kinds(), (std::vector<K>{K::Hatch, K::Hatch, K::Polyline, K::Hatch, K::Polyline}));
    EXPECT_EQ(D(0).Color, RedIndex);
    EXPECT_EQ(D(1).Color, RedIndex);
    EXPECT_EQ(D(2).Color, BlueIndex);
    EXPECT_EQ(D(2).Flags, FigureFlags::Closed);
    EXPECT_EQ(Vertices(2), Pts({{0, 0}, {10, 0}, {10, -10}}));
    EXPECT_EQ(D(4).Color, RedIndex);
    EXPECT_EQ(D(4).Flags, FigureFlags::Closed);
}

TEST_F(InterpretTest, HatchedBrushNeverCoversTheOutline) {
    B.CreateBrush(1, 2, Red, 0).CreatePen(2, 0, 0, Red).SelectObject(1).SelectObject(2);
    B.Poly(emr::POLYGON, {{0, 0}, {10, 0}, {10, 10}});
    Load();
    EXPECT_EQ(Kinds(), (std::vector<K>{K::Hatch, K::Polyline}));
    EXPECT_EQ(D(0).HatchStyle, BrushHatch::Horizontal);
}

TEST_F(InterpretTest, OpenRecordsDrawOnlyTheirOutline) {
    B.CreateBrush(1, 0, Red).CreatePen(2, 0, 0, Red).SelectObject(1).SelectObject(2);
    B.Poly(emr::POLYLINE, {{0, 0}, {10, 0}});
    B.Poly(emr::POLYBEZIER16, {{0, 0}, {1, 1}, {2, 1}, {3, 0}});
    B.SelectObject(NullPen).Poly(emr::POLYLINE, {{0, 0}, {10, 0}}); // no pen: nothing
    Load();
    EXPECT_EQ(Kinds(), (std::vector<K>{K::Polyline, K::PolyBezier}));
    EXPECT_EQ(D(0).Flags, FigureFlags::None);
    EXPECT_EQ(Vertices(1), Pts({{0, 0}, {1, -1}, {2, -1}, {3, 0}}));
}

TEST_F(InterpretTest, PolyPolylineGivesOnePolylinePerList) {
    B.SelectObject(WhiteBrush).SelectObject(BlackPen);
    B.PolyPoly16(emr::POLYPOLYLINE16, {{{0, 0}, {1, 1}}, {{2, 2}}, {{3, 3}, {4, 4}, {5, 5}}});
    Load();
    EXPECT_EQ(Kinds(), (std::vector<K>{K::Polyline, K::Polyline, K::Polyline}));
    EXPECT_EQ(Vertices(0), Pts({{0, 0}, {1, -1}}));
    EXPECT_EQ(Vertices(1), Pts({{2, -2}}));
    EXPECT_EQ(Vertices(2), Pts({{3, -3}, {4, -4}, {5, -5}}));
    EXPECT_EQ(D(2).Flags, FigureFlags::None);
}

TEST_F(InterpretTest, PolyPolygonGivesOneHatchThenTheOutlines) {
    B.CreateBrush(1, 2, Red, 2).CreatePen(2, 1, 0, Red).SelectObject(1).SelectObject(2);
    B.PolyPoly16(emr::POLYPOLYGON16, {{{0, 0}, {10, 0}, {10, 10}}, {{2, 2}, {3, 3}, {2, 3}}});
    Load();
    EXPECT_EQ(Kinds(), (std::vector<K>{K::Hatch, K::Polyline, K::Polyline}));
    EXPECT_EQ(D(0).HatchStyle, BrushHatch::ForwardDiagonal);
    EXPECT_EQ(D(0).Kind, HatchKind::Polygon);
    EXPECT_EQ(D(1).Flags, FigureFlags::Closed);
    EXPECT_EQ(D(1).Text, "_DASH");
    EXPECT_EQ(Vertices(2), Pts({{2, -2}, {3, -3}, {2, -3}}));

    const TdxfExportData d = DataAfter(emr::POLYPOLYGON16);
    EXPECT_EQ(d.Count, 2);
    ASSERT_EQ(d.Points.size(), 2u);
    EXPECT_EQ(d.Points[0], Pts({{0, 0}, {10, 0}, {10, -10}}));
}

TEST_F(InterpretTest, ListCountsAboveSixteenBitsAreKeptWhole) {
    B.SelectObject(BlackPen);
    std::vector<std::vector<TPt>> lines(65537, std::vector<TPt>{{0, 0}, {1, 1}});
    lines.back() = {{7, 7}, {8, 8}};
    B.PolyPoly16(emr::POLYPOLYLINE16, lines);
    B.CreateBrush(1, 0, Red).SelectObject(1).SelectObject(NullPen).PolyPoly16(
        emr::POLYPOLYGON16, std::vector<std::vector<TPt>>(65536, {{0, 0}, {4, 0}, {0, 4}}));
    Load();
    ASSERT_EQ(Exporter.Figures().size(), 65538u);
    EXPECT_EQ(Vertices(65536), Pts({{7, -7}, {8, -8}}));
    EXPECT_EQ(Fig<TmvExpDXFHatch>(65537).GetLoopCount(), 65536);
}

TEST_F(InterpretTest, EmptyListsInAListRecordAddNothing) {
    B.SelectObject(BlackPen).PolyPoly16(emr::POLYPOLYLINE16, {{}, {{1, 1}, {2, 2}}, {}});
    B.PolyPoly16(emr::POLYPOLYLINE16, {{}, {}}).Poly(emr::POLYLINE, {});
    Load();
    EXPECT_EQ(Kinds(), (std::vector<K>{K::Polyline}));
    EXPECT_EQ(Exporter.SaveToString().find("\r\n 90\r\n0\r\n"),
              std::string::npos); // no entity without vertices
}

TEST(NonFiniteValues, AreARangeErrorAndNeverReachTheFile) {
    auto error = [](const TEmfBuilder& b, bool classic) -> std::string {
        TFixedMetricMeasure measure;
        TmvDXFExport e;
        e.SetTextMeasure(&measure);
        e.SetClassic(classic);
        try {
            e.AdoptMetafile(TEnhMetafile::FromEmfBytes(b.Build()));
            return "written: " + e.SaveToString();
        } catch (const std::exception& x) {
            return x.what();
        }
    };
    TEmfBuilder nan, sweep, text;
    nan.SelectObject(BlackPen).AngleArc(10, 10, 5, std::nanf(""), 45);
    sweep.SelectObject(BlackPen).AngleArc(10, 10, 5, 3e38f, 3e38f); // the end angle overflows
    text.CreateFont(1, u"Arial", -20)
        .SelectObject(1)
        .SetWorldTransform(1, 0, 0, 3e38f, 0, 0)
        .TextOut(0, 0, u"x");
    for (const TEmfBuilder* b : {&nan, &sweep, &text}) {
        EXPECT_EQ(error(*b, true), "Fehler bei Bereichsprüfung");
        // The default mode may draw what stays finite, but never a non-number.
        const std::string drawn = error(*b, false);
        if (drawn != "Fehler bei Bereichsprüfung") {
            EXPECT_EQ(drawn.rfind("written: ", 0), 0u) << drawn;
            for (const char* bad : {"nan", "NAN", "inf", "INF"})
                EXPECT_EQ(drawn.find(bad), std::string::npos) << bad;
        }
    }
}

// ---------------------------------------------------------------- current position

TEST_F(InterpretTest, PolylineToMovesThePositionWithoutUsingIt) {
    B.SelectObject(BlackPen).MoveTo(5, 5).Poly(emr::POLYLINETO16, {{10, 10}, {20, 5}}).LineTo(30, 30);
    B.Poly(emr::POLYBEZIERTO, {{31, 31}, {32, 32}, {33, 33}}).LineTo(0, 0);
    Load();
    EXPECT_EQ(Kinds(), (std::vector<K>{K::Polyline, K::Line, K::PolyBezier, K::Line}));
    EXPECT_EQ(Vertices(0), Pts({{10, -10}, {20, -5}}));
    EXPECT_EQ(D(1).Point1, (TdxfPoint{20, -5, 0}));
    EXPECT_EQ(D(1).Point2, (TdxfPoint{30, -30, 0}));
    EXPECT_EQ(D(3).Point1, (TdxfPoint{33, -33, 0}));
}

TEST_F(InterpretTest, EmptyPointListDrawsNothingAndKeepsThePosition) {
    B.SelectObject(BlackPen).MoveTo(7, 7).Poly(emr::POLYLINETO, {}).LineTo(8, 8);
    Load();
    EXPECT_EQ(Kinds(), (std::vector<K>{K::Line}));
    EXPECT_EQ(D(0).Point1, (TdxfPoint{7, -7, 0}));
}

TEST_F(InterpretTest, LineToWithoutADrawingPenOnlyMoves) {
    B.MoveTo(0, 0).LineTo(10, 10);                            // no pen
    B.SelectObject(NullPen).LineTo(11, 11);                   // stock null pen
    B.CreatePen(1, 5, 0, Red).SelectObject(1).LineTo(12, 12); // created null pen
    B.Poly(emr::POLYLINE, {{0, 0}});                          // ...which still outlines polylines
    B.CreatePen(2, 2, 4, Red).SelectObject(2).SetWindowOrg(2, 2).LineTo(20, 0);
    Load();
    EXPECT_EQ(Kinds(), (std::vector<K>{K::Polyline, K::Line}));
    EXPECT_EQ(D(0).Color, RedIndex);
    EXPECT_EQ(D(1).Point1, (TdxfPoint{10, -10, 0}));
    EXPECT_EQ(D(1).Point2, (TdxfPoint{18, 2, 0}));
    EXPECT_EQ(D(1).Text, "_DOT");
    EXPECT_EQ(D(1).PenWidth, 4);
    EXPECT_EQ(Interp().Position, (TIntPoint{20, 0}));
}

TEST_F(InterpretTest, PixelTakesItsOwnColour) {
    B.SetWindowOrg(1, 1).SetPixel(5, 6, Blue);
    Load();
    ASSERT_EQ(Kinds(), std::vector<K>{K::Pixel});
    EXPECT_EQ(D(0).Color, BlueIndex);
    EXPECT_EQ(D(0).Point1, (TdxfPoint{4, -5, 0}));
}

// ---------------------------------------------------------------- rectangles

TEST_F(InterpretTest, FilledRectangleIsOneFourPointLoop) {
    B.CreateBrush(1, 0, White).CreatePen(2, 0, 0, White).SelectObject(1).SelectObject(2);
    B.Rectangle(0, 0, 100, 50);
    Load();
    EXPECT_EQ(Kinds(), std::vector<K>{K::Hatch});
    EXPECT_EQ(D(0).Color, 255);
    const TdxfExportData d = DataAfter(emr::RECTANGLE);
    EXPECT_EQ(d.Count, 1);
    ASSERT_EQ(d.Points.size(), 1u);
    EXPECT_EQ(d.Points[0], Pts({{0, 0}, {100, 0}, {100, -50}, {0, -50}}));
}

TEST_F(InterpretTest, RectangleOutlineKeepsTheBoxAsGiven) {
    B.SelectObject(WhiteBrush).SelectObject(BlackPen).SetWindowOrg(10, 0).Rectangle(110, 20, 10, 0);
    B.SelectObject(NullBrush).Rectangle(0, 0, 5, 5);
    Load();
    EXPECT_EQ(Kinds(), (std::vector<K>{K::Hatch, K::Rectangle, K::Rectangle}));
    EXPECT_EQ(D(1).Point1, (TdxfPoint{100, -20, 0}));
    EXPECT_EQ(D(1).Point2, (TdxfPoint{0, 0, 0}));
    EXPECT_EQ(D(1).Color, 7);
    EXPECT_EQ(D(2).Point2, (TdxfPoint{-5, -5, 0}));
}

TEST_F(InterpretTest, RoundRectIsAnOctagonWhateverTheBrush) {
    B.SelectObject(WhiteBrush).RoundRect(0, 0, 100, 60, 20, 20);
    B.SelectObject(BlackPen).RoundRect(100, 0, 0, 60, 20, 20); // turned over: half the corner
    B.RoundRect(0, 0, 100, 60, -20, 20);                       // unsigned corner: half the box
    Load();
    EXPECT_EQ(Kinds(), (std::vector<K>{K::Polyline, K::Polyline, K::Polyline}));
    EXPECT_EQ(Vertices(0),
              Pts({{10, 0}, {90, 0}, {100, -10}, {100, -50}, {90, -60}, {10, -60}, {0, -50}, {0, -10}}));
    EXPECT_EQ(D(0).Flags, FigureFlags::Closed);
    EXPECT_EQ(D(0).Color, 0); // no pen
    EXPECT_EQ(D(1).Color, 7);
    EXPECT_EQ(Vertices(1)[0], (TdxfPoint{110, 0, 0}));
    EXPECT_EQ(Vertices(1)[1], (TdxfPoint{-10, 0, 0}));
    EXPECT_EQ(Vertices(2)[0], (TdxfPoint{50, 0, 0}));
}

// ---------------------------------------------------------------- circles and ellipses

TEST_F(InterpretTest, EllipseOrCircleFromTheBox) {
    B.Ellipse(0, 0, 100, 100).Ellipse(0, 0, 100, 99).Ellipse(0, 0, 100, 50).Ellipse(0, 0, 50, 100);
    Load();
    ASSERT_EQ(Exporter.Figures().size(), 4u);
    EXPECT_FALSE(Fig<TmvExpDXFEllipse>(0).IsEllipse);
    EXPECT_EQ(D(0).Point1, (TdxfPoint{50.5f, -50.5f, 0}));
    EXPECT_EQ(D(0).Radius, 50.5f);
    EXPECT_EQ(D(0).StartAngle, 0);
    EXPECT_EQ(D(0).EndAngle, 360);
    EXPECT_EQ(D(0).Color, 0); // drawn without a pen
    EXPECT_FALSE(Fig<TmvExpDXFEllipse>(1).IsEllipse);
    EXPECT_TRUE(Fig<TmvExpDXFEllipse>(2).IsEllipse);
    EXPECT_EQ(D(2).Point1, (TdxfPoint{50.5f, -25.5f, 0}));
    EXPECT_EQ(D(2).Point2, (TdxfPoint{50.5f, 0, 0}));
    EXPECT_FLOAT_EQ(D(2).Radius, 25.5f / 50.5f);
    EXPECT_EQ(D(3).Point2, (TdxfPoint{0, 50.5f, 0}));
    EXPECT_FLOAT_EQ(D(3).Radius, 25.5f / 50.5f);
}

TEST_F(InterpretTest, EllipseOutlineComesBeforeItsFill) {
    B.CreatePen(1, 0, 0, Red).CreateBrush(2, 0, Red).SelectObject(1).SelectObject(2);
    B.SetWindowOrg(10, 10).Ellipse(0, 0, 100, 100).Ellipse(0, 0, 100, 50);
    Load();
    EXPECT_EQ(Kinds(), (std::vector<K>{K::Ellipse, K::Hatch, K::Ellipse, K::Hatch}));
    EXPECT_EQ(D(0).Color, RedIndex); // no covering rule here
    EXPECT_EQ(D(1).Kind, HatchKind::Circle);
    EXPECT_EQ(D(1).Point1, (TdxfPoint{40.5f, -40.5f, 0}));
    EXPECT_EQ(D(1).Radius, 50.5f);
    EXPECT_EQ(D(3).Kind, HatchKind::Ellipse);
    EXPECT_EQ(D(3).Point2, (TdxfPoint{50.5f, 0, 0}));
    EXPECT_EQ(D(3).EndAngle, 360);
}

TEST_F(InterpretTest, TurnedOverBoxesAreOrderedBeforeTheSetUp) {
    B.SelectObject(BlackPen).Ellipse(100, 100, 0, 0).Ellipse(0, 0, -1, -1).Ellipse(0, 0, -1, -5);
    B.ArcLike(emr::ARC, 0, 0, -1, -5, {10, 0}, {0, 10});
    // A mirroring transform turns every box over.
    B.SetWorldTransform(1, 0, 0, -1, 0, 0).Ellipse(0, 0, 100, 100).Ellipse(0, 0, 100, 50);
    Load();
    ASSERT_EQ(Exporter.Figures().size(), 6u);
    EXPECT_FALSE(Fig<TmvExpDXFEllipse>(0).IsEllipse);
    EXPECT_EQ(D(0).Point1, (TdxfPoint{50.5f, -50.5f, 0}));
    EXPECT_EQ(D(0).Radius, 50.5f);
    EXPECT_FALSE(Fig<TmvExpDXFEllipse>(1).IsEllipse); // was an empty box: no division by zero
    EXPECT_EQ(D(1).Radius, 1);
    EXPECT_TRUE(Fig<TmvExpDXFEllipse>(2).IsEllipse);
    EXPECT_EQ(D(2).Point1, (TdxfPoint{0, 2, 0}));
    EXPECT_EQ(D(2).Point2, (TdxfPoint{0, 3, 0}));
    EXPECT_FLOAT_EQ(D(2).Radius, 1.0f / 3);
    EXPECT_EQ(Fig<TmvExpDXFArc>(3).ArcKind, ArcShape::Elliptical);
    EXPECT_FALSE(Fig<TmvExpDXFEllipse>(4).IsEllipse);
    EXPECT_EQ(D(4).Point1, (TdxfPoint{50.5f, 49.5f, 0}));
    EXPECT_EQ(D(4).Radius, 50.5f);
    EXPECT_TRUE(Fig<TmvExpDXFEllipse>(5).IsEllipse);
    EXPECT_EQ(D(5).Point2, (TdxfPoint{50.5f, 0, 0}));
    EXPECT_FLOAT_EQ(D(5).Radius, 25.5f / 50.5f);
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_GT(D(i).Radius, 0) << i;
        EXPECT_TRUE(std::isfinite(D(i).StartAngle) && std::isfinite(D(i).EndAngle)) << i;
    }
    const std::string dxf = Exporter.SaveToString();
    EXPECT_EQ(dxf.find("NAN"), std::string::npos);
    EXPECT_EQ(dxf.find("INF"), std::string::npos);
}

// ---------------------------------------------------------------- arcs

TEST_F(InterpretTest, CircularArcAnglesInDegrees) {
    B.ArcLike(emr::ARC, 0, 0, 100, 100, {100, 50}, {50, 0});
    B.SetWindowOrg(20, 20).ArcLike(emr::PIE, 0, 0, 100, 100, {100, 50}, {50, 0});
    Load();
    ASSERT_EQ(Kinds(), (std::vector<K>{K::Arc, K::Arc}));
    EXPECT_EQ(D(0).Point1, (TdxfPoint{50.5f, -50.5f, 0}));
    EXPECT_EQ(D(0).Radius, 50.5f);
    EXPECT_EQ(D(0).Kind, ArcShape::Circular);
    EXPECT_NEAR(D(0).StartAngle, std::atan2(0.5f, 49.5f) * Deg, 1e-4);
    EXPECT_NEAR(D(0).EndAngle, std::atan2(50.5f, -0.5f) * Deg, 1e-4);
    EXPECT_NEAR(D(0).StartAngle, 0.5787f, 1e-3);
    EXPECT_NEAR(D(0).EndAngle, 90.567f, 1e-3);
    EXPECT_EQ(D(1).Point1, (TdxfPoint{30.5f, -30.5f, 0}));
    EXPECT_EQ(D(1).StartAngle, D(0).StartAngle);
    EXPECT_EQ(D(1).EndAngle, D(0).EndAngle);
}

TEST_F(InterpretTest, EllipticalArcParametersFromTheMajorAxis) {
    B.SelectObject(BlackPen);
    B.ArcLike(emr::CHORD, 0, 0, 200, 100, {201, 50}, {100, 0}); // major axis along x
    B.ArcLike(emr::ARC, 0, 0, 100, 200, {50, 0}, {101, 100});   // major axis along y
    Load();
    ASSERT_EQ(Kinds(), (std::vector<K>{K::Arc, K::Arc}));
    const float ratioX = 50.5f / 100.5f;
    EXPECT_EQ(D(0).Kind, ArcShape::Elliptical);
    EXPECT_EQ(D(0).Point2, (TdxfPoint{100.5f, 0, 0}));
    EXPECT_FLOAT_EQ(D(0).Radius, ratioX);
    EXPECT_NEAR(D(0).StartAngle, std::atan2(0.5f, 100.5f * ratioX), 1e-6);
    EXPECT_NEAR(D(0).EndAngle, std::atan2(50.5f, -0.5f * ratioX), 1e-6);
    EXPECT_EQ(D(0).Color, 7);
    EXPECT_EQ(D(1).Point2, (TdxfPoint{0, 100.5f, 0}));
    EXPECT_NEAR(D(1).StartAngle, std::atan2(100.5f * ratioX, -0.5f) - std::numbers::pi_v<float> / 2, 1e-6);
    EXPECT_NEAR(D(1).StartAngle, 0.0099, 1e-4); // the top of a tall ellipse is parameter 0
    EXPECT_NEAR(D(1).EndAngle, -std::numbers::pi_v<float> / 2 + std::atan2(0.5f * ratioX, 50.5f), 1e-6);
}

TEST_F(InterpretTest, ArcToNeitherDrawsFromNorMovesThePosition) {
    B.SelectObject(BlackPen)
        .MoveTo(3, 3)
        .ArcLike(emr::ARCTO, 0, 0, 100, 100, {100, 50}, {50, 0})
        .LineTo(4, 4);
    Load();
    EXPECT_EQ(Kinds(), (std::vector<K>{K::Arc, K::Line}));
    EXPECT_EQ(D(1).Point1, (TdxfPoint{3, -3, 0}));
}

TEST_F(InterpretTest, AngleArcKeepsItsRadiusUntransformed) {
    B.SetWorldTransform(2, 0, 0, 2, 0, 0).MoveTo(1, 1).AngleArc(10, 10, 5, 30, 45);
    Load();
    ASSERT_EQ(Kinds(), std::vector<K>{K::Arc}); // drawn without a pen
    EXPECT_EQ(D(0).Point1, (TdxfPoint{20, -20, 0}));
    EXPECT_EQ(D(0).Radius, 5);
    EXPECT_EQ(D(0).StartAngle, 30);
    EXPECT_EQ(D(0).EndAngle, 75);
    EXPECT_EQ(D(0).Kind, ArcShape::Circular);
    EXPECT_EQ(Interp().Position, (TIntPoint{2, 2}));
}

// ---------------------------------------------------------------- text

TEST_F(InterpretTest, TextAlignmentValues) {
    const std::uint32_t modes[] = {30, 2, 6, 0, 8, 24 | 2, 24 | 6 | 1};
    for (std::uint32_t m : modes)
        B.SetTextAlign(m).TextOut(0, 0, u"x");
    Load();
    std::vector<int> align;
    for (const auto& f : Exporter.Figures())
        align.push_back(f->Data.Align);
    EXPECT_EQ(align, (std::vector<int>{7, 2, 1, 0, 6, 8, 7}));
}

TEST_F(InterpretTest, TextWithoutFontIsPlain) {
    B.CreatePen(1, 1, 9, Red).SelectObject(1).Poly(emr::POLYLINE, {{0, 0}});
    B.SetTextColor(Blue).SetWindowOrg(10, 20).TextOut(15, 5, u"Hello");
    Load();
    ASSERT_EQ(Kinds(), (std::vector<K>{K::Polyline, K::MText}));
    const TdxfExportData& d = D(1);
    EXPECT_EQ(d.Text, "Hello");
    EXPECT_EQ(d.Height, 11);
    EXPECT_EQ(d.Color, BlueIndex);
    EXPECT_EQ(d.PenWidth, 0); // nothing of the pen record is left
    EXPECT_EQ(d.Point1, (TdxfPoint{5, 15, 0}));
    EXPECT_EQ(d.TextWidth, 27.5f); // default face at height 11
    ASSERT_EQ(Measure.Calls.size(), 1u);
    EXPECT_EQ(Measure.Calls[0].Face, "");
    EXPECT_EQ(Measure.Calls[0].Height, 11);
}

TEST_F(InterpretTest, TextHeightRotationAndItalicFromTheFont) {
    B.CreateFont(1, u"Arial", -20, 900, 400, true).SelectObject(1).TextOut(0, 0, u"ab");
    B.SetWorldTransform(1, 0, 0, -2, 0, 0).TextOut(0, 0, u"ab");
    B.CreateFont(2, u"Arial", 0).SelectObject(2).TextOut(0, 0, u"ab");
    Load();
    ASSERT_EQ(Exporter.Figures().size(), 3u);
    EXPECT_EQ(D(0).Height, 12.5f);
    EXPECT_EQ(D(0).Rotation, 90);
    EXPECT_EQ(D(0).Flags, FigureFlags::Italic);
    EXPECT_EQ(D(0).Text, "{\\fArial|i1|b0;ab}");
    EXPECT_EQ(D(0).TextWidth, 20); // default face, font height
    EXPECT_EQ(Measure.Calls[0].Face, "");
    EXPECT_EQ(Measure.Calls[0].Height, -20);
    EXPECT_EQ(D(1).Height, 25);
    EXPECT_EQ(D(2).Height, 0);
    EXPECT_EQ(D(2).Flags, FigureFlags::None);
}

TEST_F(InterpretTest, TextFormatCodes) {
    Exporter.SetClassic(true);
    B.CreateFont(1, u"Arial", -10, 0, 700, false, true).SelectObject(1).TextOut(0, 0, u"Hello");
    B.CreateFont(2, u"Symbol", -10).SelectObject(2).TextOut(0, 0, u"\xF061\xF062");
    B.CreateFont(3, u"Symbol", -10, 0, 700, true, true)
        .SelectObject(3)
        .TextOut(0, 0, u"\xF061\x2211\xF062\x0041\xF063");
    B.CreateFont(4, u"symbol", -10).SelectObject(4).TextOut(0, 0, u"\xF061");
    Load();
    ASSERT_EQ(Exporter.Figures().size(), 4u);
    EXPECT_EQ(D(0).Text, "{\\fArial|i0|b1;\\LHello}");
    EXPECT_EQ(D(1).Text, "{\\fSymbol|b0|i0|c2;ab}");
    EXPECT_EQ(D(2).Text, "{\\fSymbol|b0|i0|c2;\\Lab}"); // stops at the unit with a zero byte
    EXPECT_EQ(D(2).Flags, FigureFlags::Italic);
    EXPECT_EQ(D(3).Text, "{\\fsymbol|i0|b0;?}"); // the name's case counts
    EXPECT_EQ(Interp().TextString, D(3).Text);
}

TEST_F(InterpretTest, TextIsConvertedAndCutToItsCharacterCount) {
    Exporter.SetClassic(true);
    B.TextOut(0, 0, std::u16string_view(u"abc\0x", 5), 4);
    B.TextOut(0, 0, u"abcd", 2);
    B.TextOut(0, 0, u"\u00E9\u20AC\u4E2D");
    B.TextOut(0, 0, u"abc", 0);
    B.TextOut(0, 0, std::u16string_view(u"\0abc", 4));
    Load();
    ASSERT_EQ(Exporter.Figures().size(), 3u); // no character, no figure
    EXPECT_EQ(D(0).Text, "abc");
    EXPECT_EQ(D(1).Text, "ab");
    EXPECT_EQ(D(2).Text, "\xE9\x80?");
}

TEST_F(InterpretTest, UpdateCPTextStartsAtThePositionAndMovesPastIt) {
    B.CreateFont(1, u"Arial", -20).SelectObject(1).MoveTo(100, 100).SetTextAlign(1);
    B.TextOut(5, 5, u"abc").TextOut(5, 5, u"de");
    B.CreateFont(2, u"Arial", -20, 900).SelectObject(2).TextOut(5, 5, u"abcd");
    B.TextOut(0, 0, std::u16string_view(u"\0", 1)); // empty: does not move
    Load();
    ASSERT_EQ(Exporter.Figures().size(), 3u);
    EXPECT_EQ(D(0).Point1, (TdxfPoint{100, -100, 0}));
    EXPECT_EQ(D(1).Point1, (TdxfPoint{130, -100, 0})); // 3 characters of width 10
    EXPECT_EQ(D(2).Point1, (TdxfPoint{150, -100, 0}));
    EXPECT_EQ(D(2).Rotation, 90);
    EXPECT_EQ(Interp().Position, (TIntPoint{150, 60})); // up by the width
    EXPECT_EQ(Measure.Calls.back().Face, "Arial");      // the movement uses the font's face
}

TEST_F(InterpretTest, UpdateCPWithoutFontDoesNotMove) {
    B.MoveTo(7, 7).SetTextAlign(1).TextOut(0, 0, u"abc").TextOut(0, 0, u"d");
    Load();
    ASSERT_EQ(Exporter.Figures().size(), 2u);
    EXPECT_EQ(D(1).Point1, (TdxfPoint{7, -7, 0}));
}

TEST_F(InterpretTest, NegativeCharacterCountIsARangeError) {
    B.TextOut(0, 0, u"ok");
    B.Add(TRecordBytes(emr::EXTTEXTOUTW).Rect(0, 0, 0, 0).U32(1).F32(1).F32(1).I32(0).I32(0).I32(-1).U32(76));
    EXPECT_EQ(LoadError(), "Fehler bei Bereichsprüfung");
    EXPECT_EQ(Exporter.Figures().size(), 1u);
}

// ---------------------------------------------------------------- counts that do not fit the record

namespace {

TRecordBytes TextRecord(std::int32_t nChars, std::uint32_t offString, std::u16string_view text) {
    TRecordBytes r(emr::EXTTEXTOUTW);
    r.Rect(0, 0, 0, 0).U32(1).F32(1).F32(1).I32(0).I32(0).I32(nChars).U32(offString);
    r.U32(0).Rect(0, 0, 0, 0).U32(0);
    for (char16_t c : text)
        r.U16(c);
    return r;
}

TRecordBytes PolyPolyRecord(std::uint32_t nPolys, std::uint32_t total, std::vector<std::uint32_t> counts,
                            std::size_t points) {
    TRecordBytes r(emr::POLYPOLYGON16);
    r.Rect(0, 0, 0, 0).U32(nPolys).U32(total);
    for (std::uint32_t c : counts)
        r.U32(c);
    for (std::size_t i = 0; i < points; ++i)
        r.I16(1).I16(2);
    return r;
}

} // namespace

TEST_F(InterpretTest, CountsPastTheRecordAreInvalid) {
    const std::string invalid = "Metadatei ist ungültig";
    std::vector<TRecordBytes> bad;
    bad.push_back(TRecordBytes(emr::POLYLINE).Rect(0, 0, 0, 0).U32(0x20000000)); // huge count, no points
    bad.push_back(TRecordBytes(emr::POLYGON16).Rect(0, 0, 0, 0).U32(3).I16(1).I16(1).I16(2).I16(2));
    bad.push_back(TRecordBytes(emr::POLYBEZIER).Rect(0, 0, 0, 0));        // no count at all
    bad.push_back(PolyPolyRecord(0x40000000, 0, {}, 0));                  // nPolys past the record
    bad.push_back(PolyPolyRecord(2, 3, {2, 2}, 4));                       // counts beyond the total
    bad.push_back(PolyPolyRecord(2, 0xFFFFFFFF, {0xFFFFFFFF, 1}, 0));     // sum past 32 bits
    bad.push_back(PolyPolyRecord(2, 100, {50, 50}, 4));                   // points past the record
    bad.push_back(TextRecord(1000, 76, u"abc"));                          // nChars past the record
    bad.push_back(TextRecord(2, 0xFFFFFFF0, u"abc"));                     // offString past it
    bad.push_back(TextRecord(2, 80, u"ab"));                              // string runs out
    bad.push_back(TRecordBytes(emr::RECTANGLE).I32(0).I32(0));            // box cut short
    bad.push_back(TRecordBytes(emr::ARC).Rect(0, 0, 10, 10).I32(1));      // radial points missing
    bad.push_back(TRecordBytes(emr::MODIFYWORLDTRANSFORM).F32(1).F32(0)); // transform cut short
    for (std::size_t i = 0; i < bad.size(); ++i) {
        TmvDXFExport exporter;
        exporter.SetTextMeasure(&Measure);
        exporter.SetClassic(true);
        TEmfBuilder b;
        b.SelectObject(BlackPen).SelectObject(WhiteBrush).Poly(emr::POLYLINE, {{0, 0}}).Add(bad[i]);
        std::string error;
        try {
            exporter.LoadFromMetafile(TEnhMetafile::FromEmfBytes(b.Build()));
        } catch (const TmvError& e) {
            error = e.what();
        }
        EXPECT_EQ(error, invalid) << "record " << i;
        EXPECT_EQ(exporter.Figures().size(), 1u) << "record " << i; // what came before stays
    }
}

TEST_F(InterpretTest, CountsThatFitAreRead) {
    B.SelectObject(BlackPen).Add(PolyPolyRecord(2, 5, {1, 2}, 5)); // fewer points used than the total
    B.Add(TextRecord(3, 76, u"abc"));
    Load();
    EXPECT_EQ(Kinds(), (std::vector<K>{K::Polyline, K::Polyline, K::MText}));
    EXPECT_EQ(Vertices(1), Pts({{1, -2}, {1, -2}}));
    EXPECT_EQ(D(2).Text, "abc");
}
