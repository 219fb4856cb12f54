// The device-context model: mapping, transforms, saved state, objects and
// stock objects, pens and line types.
#include "InterpretFixture.h"
#include "figure/Colors.h"
#include "figure/LineTypes.h"
#include "figure/Rounding.h"
#include "platform/Errors.h"

#include <cmath>
#include <limits>

using namespace mv;
using namespace mv::test;

namespace {

int CountOf(const std::string& text, const std::string& what) {
    int n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

std::string LineTypeText(const TmvDXFExport& e) {
    std::string s;
    for (const std::string& line : e.LineTypeLines().Lines())
        s += line + "\n";
    return s;
}

} // namespace

// ---------------------------------------------------------------- mapping

TEST_F(InterpretTest, WindowOriginShiftsAndYTurnsUp) {
    B.SelectObject(BlackPen).SetWindowOrg(100, 50).Poly(emr::POLYLINE, {{110, 40}, {100, 50}, {90, 70}});
    Load();
    EXPECT_EQ(Vertices(0), Pts({{10, 10}, {0, 0}, {-10, -20}}));
}

TEST_F(InterpretTest, TransformedWindowOriginAndSignExtended16BitPoints) {
    B.SelectObject(BlackPen).SetWorldTransform(2, 0, 0, 2, 0, 0).SetWindowOrg(10, 10);
    B.Poly(emr::POLYLINE16, {{-5, -32768}, {32767, 0}});
    Load();
    // The origin is transformed too: (20, 20).
    EXPECT_EQ(Vertices(0), Pts({{-30, 65556}, {65514, 20}}));
}

TEST_F(InterpretTest, TransformRoundsHalvesToEven) {
    B.SelectObject(BlackPen).SetWorldTransform(0.5f, 0, 0, 0.5f, 0, 0);
    B.Poly(emr::POLYLINE, {{1, 1}, {3, 3}, {5, 5}, {-1, -3}});
    B.SetWorldTransform(1.5f, 0, 0, 1, 0, 0).Poly(emr::POLYLINE, {{1, 0}, {3, 0}});
    Load();
    EXPECT_EQ(Vertices(0), Pts({{0, 0}, {2, -2}, {2, -2}, {0, 2}}));
    EXPECT_EQ(Vertices(1), Pts({{2, 0}, {4, 0}})); // 1.5 -> 2, 4.5 -> 4
}

TEST_F(InterpretTest, TransformSumsInExtendedPrecision) {
    // 16777217 * 1 + 0.5 is exact in extended precision (rounds to the even 16777218);
    // in single precision x would already be 16777216.
    B.SelectObject(BlackPen).SetWorldTransform(1, 0, 0, 1, 0.5f, 0).Poly(emr::POLYLINE, {{16777217, 0}});
    DataAfter(emr::POLYLINE);
    EXPECT_EQ(Interp().TransformPoint(16777217, 0).x, 16777218);
    EXPECT_EQ(Interp().TransformPoint(16777219, 0).x, 16777220);
    EXPECT_EQ(Interp().TransformPoint(-3, 0).x, -2); // -2.5 -> -2
}

TEST_F(InterpretTest, PointOutside32BitsIsARangeErrorAndKeepsEarlierFigures) {
    B.SelectObject(BlackPen).Poly(emr::POLYLINE, {{0, 0}, {1, 1}});
    B.SetWorldTransform(1e6f, 0, 0, 1, 0, 0).Poly(emr::POLYLINE, {{3000, 0}});
    B.Poly(emr::POLYLINE, {{1, 0}});
    EXPECT_EQ(LoadError(), "Fehler bei Bereichsprüfung");
    EXPECT_EQ(Exporter.Figures().size(), 1u);
}

TEST_F(InterpretTest, ModifyWorldTransformMultipliesOnTheRightSide) {
    // XForm: rotation by 90 degrees; R: translation by (10, 0).
    B.SelectObject(BlackPen).SetWorldTransform(0, 1, -1, 0, 0, 0);
    B.ModifyWorldTransform(1, 0, 0, 1, 10, 0, 2).Poly(emr::POLYLINE, {{0, 0}}); // R acts first
    B.SetWorldTransform(0, 1, -1, 0, 0, 0);
    B.ModifyWorldTransform(1, 0, 0, 1, 10, 0, 3).Poly(emr::POLYLINE, {{0, 0}}); // XForm acts first
    B.ModifyWorldTransform(5, 5, 5, 5, 5, 5, 1).Poly(emr::POLYLINE, {{7, 8}});  // identity
    B.ModifyWorldTransform(2, 0, 0, 3, 1, 1, 4).Poly(emr::POLYLINE, {{7, 8}});  // set
    B.ModifyWorldTransform(1, 0, 0, 1, 4, 4, 99).Poly(emr::POLYLINE, {{7, 8}}); // unknown mode sets
    Load();
    EXPECT_EQ(Vertices(0), Pts({{0, -10}}));
    EXPECT_EQ(Vertices(1), Pts({{10, 0}}));
    EXPECT_EQ(Vertices(2), Pts({{7, -8}}));
    EXPECT_EQ(Vertices(3), Pts({{15, -25}}));
    EXPECT_EQ(Vertices(4), Pts({{11, -12}}));
}

TEST_F(InterpretTest, ModifiedTransformIsSummedInExtendedPrecision) {
    // m11 = a11 b11 + a12 b21 = 1 + 2^-11 + 2^-24 + 2^-24: each single-precision step
    // would drop a 2^-24 (tie to even); the exact sum is a single.
    const float a = 1 + std::ldexp(1.0f, -12), c = std::ldexp(1.0f, -12);
    B.SetWorldTransform(a, c, 0, 1, 0, 0).ModifyWorldTransform(a, 0, c, 1, 0, 0, 3);
    DataAfter(emr::MODIFYWORLDTRANSFORM);
    EXPECT_EQ(Interp().XForm.eM11, 1 + std::ldexp(1.0f, -11) + std::ldexp(1.0f, -23));
    EXPECT_EQ(Interp().XForm.eM12, c);
}

// ---------------------------------------------------------------- saved state

TEST_F(InterpretTest, RestoreReturnsToTheStateOfTheSave) {
    B.SelectObject(BlackPen).SetWindowOrg(1, 1).MoveTo(5, 5).SetTextAlign(24).SaveDC();
    B.SetWorldTransform(2, 0, 0, 2, 0, 0).SetWindowOrg(0, 0).MoveTo(50, 50).SetTextAlign(0);
    B.SelectObject(NullPen).RestoreDC().Poly(emr::POLYLINE, {{10, 10}});
    Load();
    ASSERT_EQ(Exporter.Figures().size(), 1u); // the pen is back
    EXPECT_EQ(Vertices(0), Pts({{9, -9}}));
    EXPECT_EQ(Interp().Position, (TIntPoint{5, 5}));
    EXPECT_EQ(Interp().TextAlign, 24u);
}

TEST_F(InterpretTest, OnlyOneStateIsSavedAndItStays) {
    B.SelectObject(BlackPen);
    B.SetWorldTransform(2, 0, 0, 2, 0, 0).SaveDC();
    B.SetWorldTransform(3, 0, 0, 3, 0, 0).SaveDC();
    B.SetWorldTransform(5, 0, 0, 5, 0, 0).RestoreDC(-2).Poly(emr::POLYLINE, {{1, 0}});
    B.SetWorldTransform(7, 0, 0, 7, 0, 0).RestoreDC(-1).Poly(emr::POLYLINE, {{1, 0}});
    Load();
    EXPECT_EQ(Vertices(0), Pts({{3, 0}}));
    EXPECT_EQ(Vertices(1), Pts({{3, 0}}));
}

TEST_F(InterpretTest, RestoreWithoutSaveInstallsTheEmptyState) {
    B.SelectObject(BlackPen).SelectObject(WhiteBrush).MoveTo(4, 4).RestoreDC();
    B.Poly(emr::POLYGON, {{10, 10}, {20, 20}});
    Load();
    EXPECT_TRUE(Exporter.Figures().empty()); // neither pen nor brush
    EXPECT_EQ(Interp().XForm, TXForm{});
    EXPECT_EQ(Interp().Position, (TIntPoint{0, 0}));
}

TEST_F(InterpretTest, TextColourIsNotSaved) {
    B.SetTextColor(Red).SaveDC().SetTextColor(White).RestoreDC().TextOut(0, 0, u"x");
    Load();
    EXPECT_EQ(D(0).Color, 255);
}

// ---------------------------------------------------------------- stock objects

TEST_F(InterpretTest, StockBrushIsOneObjectRecolouredBySelection) {
    B.SelectObject(WhiteBrush).SaveDC().SelectObject(GrayBrush).RestoreDC().Rectangle(0, 0, 10, 10);
    Load();
    ASSERT_EQ(Kinds(), std::vector<TFigureKind>{TFigureKind::Hatch});
    EXPECT_EQ(D(0).Color, 8);
}

TEST_F(InterpretTest, StockObjectColours) {
    const std::uint32_t brushes[] = {WhiteBrush, LtGrayBrush, GrayBrush, 0x80000003, BlackBrush};
    for (std::uint32_t b : brushes)
        B.SelectObject(b).Rectangle(0, 0, 10, 10);
    B.SelectObject(NullBrush).SelectObject(WhitePen).Poly(emr::POLYLINE, {{0, 0}});
    B.SelectObject(BlackPen).Poly(emr::POLYLINE, {{0, 0}});
    B.SelectObject(OemFixedFont).SelectObject(0x8000000F).SelectObject(0x80001000); // no effect
    B.Poly(emr::POLYLINE, {{0, 0}});
    Load();
    std::vector<std::int32_t> colours;
    for (const auto& f : Exporter.Figures())
        colours.push_back(f->Data.Color);
    EXPECT_EQ(colours, (std::vector<std::int32_t>{255, 254, 8, 251, 7, 255, 7, 7}));
    EXPECT_EQ(D(6).PenWidth, 0);
}

TEST_F(InterpretTest, AlternativeBlackReachesStockAndCreatedObjects) {
    Exporter.SetAlternativeBlack(true);
    B.SelectObject(BlackPen).Poly(emr::POLYLINE, {{0, 0}});
    B.CreatePen(1, 0, 1, Black).SelectObject(1).Poly(emr::POLYLINE, {{0, 0}});
    B.SelectObject(BlackBrush).Rectangle(0, 0, 5, 5);
    B.SetTextColor(Black).TextOut(0, 0, u"t").SetPixel(1, 1, Black);
    Load();
    ASSERT_EQ(Exporter.Figures().size(), 5u); // the rectangle's outline is covered
    for (std::size_t i = 0; i < 5; ++i)
        EXPECT_EQ(D(i).Color, 250) << i;
}

// ---------------------------------------------------------------- object table

TEST_F(InterpretTest, CreatedObjectsAreSelectedByKind) {
    B.CreatePen(1, 0, 3, Red).CreateBrush(2, 0, Blue).CreateFont(3, u"Arial", -20);
    B.SelectObject(1).SelectObject(2).SelectObject(3);
    B.SelectObject(7).SelectObject(200); // empty slot, outside the table: no effect
    B.Poly(emr::POLYGON, {{0, 0}, {1, 1}, {0, 1}});
    Load();
    EXPECT_EQ(Kinds(), (std::vector<TFigureKind>{TFigureKind::Hatch, TFigureKind::Polyline}));
    EXPECT_EQ(D(0).Color, ColorToIndex(Blue, false));
    EXPECT_EQ(D(1).Color, ColorToIndex(Red, false));
    EXPECT_EQ(D(1).PenWidth, 3);
    ASSERT_NE(Interp().Font, nullptr);
    EXPECT_EQ(Interp().Font->Name, "Arial");
}

TEST_F(InterpretTest, BrushStylesAndHatches) {
    B.CreateBrush(1, 1, Blue); // BS_NULL made by a record is a solid brush of its colour
    B.CreateBrush(2, 2, Red, 4);
    B.CreateBrush(3, 2, Red, 6); // no such hatch: solid
    B.CreateBrush(4, 3, Red, 1); // pattern style: solid
    for (std::uint32_t i = 1; i <= 4; ++i)
        B.SelectObject(i).Poly(emr::POLYGON, {{0, 0}, {1, 0}, {1, 1}});
    Load();
    ASSERT_EQ(Exporter.Figures().size(), 4u);
    EXPECT_EQ(D(0).HatchStyle, BrushHatch::Solid);
    EXPECT_EQ(D(0).Color, ColorToIndex(Blue, false));
    EXPECT_EQ(D(1).HatchStyle, BrushHatch::Cross);
    EXPECT_EQ(D(2).HatchStyle, BrushHatch::Solid);
    EXPECT_EQ(D(3).HatchStyle, BrushHatch::Solid);
}

TEST_F(InterpretTest, FontFields) {
    B.CreateFont(1, u"Times New Roman", -33, 450, 700, true, true).SelectObject(1);
    B.CreateFont(2, u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefgh", 12, 0, 699);
    DataAfter(emr::EOF_);
    const TmvFont& f = *Interp().Font;
    EXPECT_EQ(f.Name, "Times New Roman");
    EXPECT_EQ(f.Height, -33);
    EXPECT_EQ(f.Escapement, 450);
    EXPECT_TRUE(f.Bold);
    EXPECT_TRUE(f.Italic);
    EXPECT_TRUE(f.Underline);
    const auto& g = dynamic_cast<const TmvFont&>(*Interp().Objects.at(2));
    EXPECT_EQ(g.Name, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdef"); // 32 units at most
    EXPECT_FALSE(g.Bold);
}

TEST_F(InterpretTest, ExtendedPenTakesStyleWidthAndColour) {
    B.ExtCreatePen(1, 0x00010203, 40, Blue).SelectObject(1).Poly(emr::POLYLINE, {{0, 0}});
    Load();
    EXPECT_EQ(D(0).Color, ColorToIndex(Blue, false));
    EXPECT_EQ(D(0).PenWidth, 40);
    EXPECT_EQ(D(0).Text, "_DASHDOT"); // low byte 3
}

TEST_F(InterpretTest, DeletingTheSavedPenKeepsIt) {
    B.CreatePen(1, 0, 0, Red).SelectObject(1).SaveDC().DeleteObject(1);
    B.Poly(emr::POLYLINE, {{0, 0}}); // still selected
    B.SelectObject(BlackPen).SelectObject(1).Poly(emr::POLYLINE, {{0, 0}});
    Load();
    ASSERT_EQ(Exporter.Figures().size(), 2u);
    EXPECT_EQ(D(0).Color, ColorToIndex(Red, false));
    EXPECT_EQ(D(1).Color, ColorToIndex(Red, false));
}

TEST_F(InterpretTest, DeletingTheSelectedObjectsUnselectsThem) {
    B.CreatePen(1, 0, 0, Red).CreateBrush(2, 0, Blue).SelectObject(1).SelectObject(2);
    B.DeleteObject(1).DeleteObject(2).DeleteObject(2).DeleteObject(99).DeleteObject(0x80000007);
    B.Poly(emr::POLYGON, {{0, 0}});
    B.SelectObject(1).SelectObject(2).Poly(emr::POLYGON, {{0, 0}}); // the slots are empty
    Load();
    EXPECT_TRUE(Exporter.Figures().empty());
    EXPECT_EQ(Interp().Objects.at(1), nullptr);
}

TEST_F(InterpretTest, ReplacingASelectedOrSavedObjectLeavesNoReference) {
    B.CreatePen(1, 0, 0, Red).SelectObject(1).SaveDC();
    B.CreateBrush(1, 0, Blue); // frees the pen: the selection and the saved state lose it
    B.Poly(emr::POLYLINE, {{0, 0}});
    B.RestoreDC().Poly(emr::POLYLINE, {{0, 0}});
    Load();
    EXPECT_TRUE(Exporter.Figures().empty());
    EXPECT_EQ(Interp().Pen, nullptr);
    EXPECT_EQ(Interp().SavedState.Pen, nullptr);
    EXPECT_EQ(Interp().Brush, nullptr); // created, not selected
}

TEST_F(InterpretTest, ObjectIndexLimit) {
    B.CreatePen(0xFFFF, 0, 0, Red).SelectObject(0xFFFF).Poly(emr::POLYLINE, {{0, 0}});
    B.CreatePen(0x10000, 0, 0, Red);
    EXPECT_EQ(LoadError(), "Der Index der Liste überschreitet das Maximum (65536)");
    EXPECT_EQ(Exporter.Figures().size(), 1u);

    TmvDXFExport other;
    other.LoadFromMetafile(TEnhMetafile::FromEmfBytes(TEmfBuilder().CreatePen(0, 0, 0, Red).Build()));
    try {
        other.LoadFromMetafile(
            TEnhMetafile::FromEmfBytes(TEmfBuilder().CreateBrush(0xFFFFFFFE, 0, 0).Build()));
        FAIL();
    } catch (const EListError& e) {
        EXPECT_STREQ(e.what(), "Der Index der Liste überschreitet das Maximum (-2)");
    }
    EXPECT_LE(other.Interpreter().Objects.size(), 1u);
}

TEST_F(InterpretTest, ShortObjectRecordIsInvalid) {
    B.Add(TRecordBytes(emr::CREATEPEN).U32(1).U32(0).U32(1));
    EXPECT_EQ(LoadError(), "Metadatei ist ungültig");
    EXPECT_TRUE(Interp().Objects.empty());
}

// ---------------------------------------------------------------- pens and line types

TEST_F(InterpretTest, LineTypesAreAddedOnFirstUseInOrder) {
    B.CreatePen(1, 1, 0, Red).CreatePen(2, 2, 0, Red).CreatePen(3, 4, 0, Red).SelectObject(3);
    B.Poly(emr::POLYLINE, {{0, 0}}); // nothing drawn yet with pens 1 and 2
    B.SelectObject(2).Poly(emr::POLYLINE, {{0, 0}}).Poly(emr::POLYLINE, {{0, 0}});
    B.SelectObject(3).Poly(emr::POLYLINE, {{0, 0}});
    Load();
    const std::string lt = LineTypeText(Exporter);
    EXPECT_EQ(CountOf(lt, "_DASHDOTDOT"), 1);
    EXPECT_EQ(CountOf(lt, "_DOT\n"), 1);
    EXPECT_EQ(CountOf(lt, "_DASH\n"), 0);
    EXPECT_LT(lt.find("_DASHDOTDOT"), lt.find("_DOT\n"));
    EXPECT_EQ(D(0).Text, "_DASHDOTDOT");
    EXPECT_EQ(D(1).Text, "_DOT");
}

TEST_F(InterpretTest, OddPenStylesDrawContinuous) {
    B.CreatePen(1, 7, 0, Red).SelectObject(1).Poly(emr::POLYLINE, {{0, 0}}).Poly(emr::POLYLINE, {{0, 0}});
    B.CreatePen(2, 8, 0, Red).SelectObject(2).Poly(emr::POLYLINE, {{0, 0}});
    B.CreatePen(3, 6, 0, Red).SelectObject(3).Poly(emr::POLYLINE, {{0, 0}});
    B.CreatePen(4, 0x10005, 0, Red).SelectObject(4).Poly(emr::POLYLINE, {{0, 0}}); // null
    Load();
    ASSERT_EQ(Exporter.Figures().size(), 5u);
    for (std::size_t i = 0; i < 5; ++i)
        EXPECT_EQ(D(i).Text, "") << i;
    EXPECT_EQ(CountOf(LineTypeText(Exporter), "_DASH\n"), 1);
}

TEST_F(InterpretTest, LineTypesComeAgainInTheNextDrawing) {
    B.CreatePen(1, 1, 0, Red).SelectObject(1).Poly(emr::POLYLINE, {{0, 0}});
    Load();
    Exporter.LoadFromMetafile(
        TEnhMetafile::FromEmfBytes(TEmfBuilder().Poly(emr::POLYLINE, {{0, 0}}).Build()));
    EXPECT_EQ(CountOf(LineTypeText(Exporter), "_DASH\n"), 1);
    EXPECT_EQ(Exporter.Figures().size(), 2u); // the pen of the first file still draws
}

TEST_F(InterpretTest, TransformRoundingAgreesWithTheRangeCheckedRounding) {
    DataAfter(emr::EOF_);
    TmvMetafile& m = Interp();
    const float factors[] = {0.5f, 0.25f, 1.5f, -0.5f, 0.1f, 3.75f};
    for (float f : factors) {
        m.XForm = TXForm{f, 0, 0, f, 0.5f, -0.5f};
        for (std::int32_t v = -2000; v <= 2000; ++v) {
            const TIntPoint p = m.TransformPoint(v, v);
            ASSERT_EQ(p.x, std::nearbyintl(static_cast<long double>(v) * f + 0.5L)) << f << " " << v;
            ASSERT_EQ(p.y, std::nearbyintl(static_cast<long double>(v) * f - 0.5L)) << f << " " << v;
        }
    }
    m.XForm = IdentityXForm;
    EXPECT_EQ(m.TransformPoint(INT32_MAX, INT32_MIN), (TIntPoint{INT32_MAX, INT32_MIN}));
    m.XForm = TXForm{1, 0, 0, 1, 0.5f, -0.5f}; // 2147483647.5 rounds to 2^31: out of range
    EXPECT_THROW(m.TransformPoint(INT32_MAX, 0), ERangeError);
    EXPECT_EQ(m.TransformPoint(0, INT32_MIN).y, INT32_MIN); // -2147483648.5 rounds to the even -2^31
    m.XForm = TXForm{std::numeric_limits<float>::quiet_NaN(), 0, 0, 1, 0, 0};
    EXPECT_THROW(m.TransformPoint(1, 0), ERangeError);
    m.XForm = TXForm{std::numeric_limits<float>::infinity(), 0, 0, 1, 0, 0};
    EXPECT_THROW(m.TransformPoint(1, 0), ERangeError);
    m.XForm = TXForm{1e30f, 0, 0, 1, 0, 0};
    EXPECT_THROW(m.TransformPoint(-1, 0), ERangeError);
}
