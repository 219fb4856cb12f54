#include "dxf/WhiteMask.h"
#include "EmfBuilder.h"
#include "dxf/DXFExport.h"
#include "dxf/FigureCollector.h"
#include "dxf/Figures.h"
#include "dxf/WhiteMaskIndex.h"
#include "metafile/EnhMetafile.h"
#include "platform/Errors.h"
#include "platform/TextMeasure.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace mv {

// Readable failure output for segments.
inline void PrintTo(const TIntSegment& s, std::ostream* os) {
    *os << "(" << s.x1 << "," << s.y1 << ")-(" << s.x2 << "," << s.y2 << ")";
}

namespace {

// ---------------------------------------------------------------- descriptions

TdxfExportData LineData(float x1, float y1, float x2, float y2) {
    TdxfExportData d;
    d.Color = 7;
    d.Point1 = {x1, y1, 0};
    d.Point2 = {x2, y2, 0};
    return d;
}

TdxfExportData PolyData(std::vector<TdxfPoint> pts, std::uint8_t flags = 0) {
    TdxfExportData d;
    d.Color = 1;
    d.Flags = static_cast<FigureFlags>(flags);
    d.Count = 1;
    d.Points.push_back(std::move(pts));
    return d;
}

TdxfExportData TextData(float x, float y, float rotation, float width, float height, std::string text) {
    TdxfExportData d;
    d.Color = 7;
    d.Point1 = {x, y, 0};
    d.Rotation = rotation;
    d.TextWidth = width;
    d.Height = height;
    d.Text = std::move(text);
    return d;
}

TdxfExportData CircleData(float cx, float cy, float r) {
    TdxfExportData d;
    d.Color = 3;
    d.Point1 = {cx, cy, 0};
    d.Radius = r;
    d.StartAngle = 0;
    d.EndAngle = 360;
    return d;
}

TdxfExportData HatchData(std::vector<TdxfPoint> loop, std::int32_t color = 255, std::uint8_t style = 0) {
    TdxfExportData d;
    d.Color = color;
    d.HatchStyle = static_cast<BrushHatch>(style);
    d.Kind = HatchKind::Polygon;
    d.Count = 1;
    d.Points.push_back(std::move(loop));
    return d;
}

// The loop a filled rectangle record gives: four corners, counter-clockwise.
TdxfExportData WhiteFill(float x1, float y1, float x2, float y2, std::int32_t color = 255,
                         std::uint8_t style = 0) {
    return HatchData({{x1, y1, 0}, {x2, y1, 0}, {x2, y2, 0}, {x1, y2, 0}}, color, style);
}

struct TSeg {
    float x1, y1, x2, y2;
    friend bool operator==(const TSeg&, const TSeg&) = default;
    friend std::ostream& operator<<(std::ostream& os, const TSeg& s) {
        return os << "(" << s.x1 << "," << s.y1 << ")-(" << s.x2 << "," << s.y2 << ")";
    }
};

std::vector<TIntSegment> Clip(TIntSegment s, TRect r) {
    const TSegmentPieces p = ClipSegmentOutside(s, r);
    return {p.begin(), p.end()};
}

// ---------------------------------------------------------------- the clip

TEST(ClipSegmentOutside, CrossingBothSideEdgesLeavesTheTwoOuterParts) {
    EXPECT_EQ(Clip({0, 50, 200, 50}, {50, 0, 150, 100}),
              (std::vector<TIntSegment>{{0, 50, 50, 50}, {150, 50, 200, 50}}));
    // Running the other way, each piece starts at the crossing.
    EXPECT_EQ(Clip({200, 50, 0, 50}, {50, 0, 150, 100}),
              (std::vector<TIntSegment>{{50, 50, 0, 50}, {200, 50, 150, 50}}));
}

TEST(ClipSegmentOutside, InsideOnTheBorderAndOutside) {
    const TRect r{50, 0, 150, 100};
    EXPECT_TRUE(Clip({60, 10, 140, 90}, r).empty());
    // Starting on the border and running away without a crossing: whole.
    EXPECT_EQ(Clip({50, 50, 0, 50}, r), (std::vector<TIntSegment>{{50, 50, 0, 50}}));
    // Starting on the border and running inside: also whole (the start is
    // not strictly inside and no edge is crossed strictly).
    EXPECT_EQ(Clip({50, 50, 100, 50}, r), (std::vector<TIntSegment>{{50, 50, 100, 50}}));
    EXPECT_EQ(Clip({0, 200, 300, 250}, r), (std::vector<TIntSegment>{{0, 200, 300, 250}}));
    // From outside into the inside: the outer part only.
    EXPECT_EQ(Clip({0, 50, 100, 50}, r), (std::vector<TIntSegment>{{0, 50, 50, 50}}));
    // From inside to outside: the piece runs from the crossing to the end.
    EXPECT_EQ(Clip({100, 50, 100, 300}, r), (std::vector<TIntSegment>{{100, 100, 100, 300}}));
}

TEST(ClipSegmentOutside, CrossingsTruncateTowardZero) {
    // y = 0 + 10 * (3 - 0) / 7 = 30 / 7 = 4.28 -> 4; negative: -30 / 7 -> -4.
    EXPECT_EQ(Clip({0, 0, 7, 10}, {3, 0, 100, 100}), (std::vector<TIntSegment>{{0, 0, 3, 4}}));
    EXPECT_EQ(Clip({0, 0, 7, -10}, {3, -100, 100, 0}), (std::vector<TIntSegment>{{0, 0, 3, -4}}));
    // A crossing outside the edge's extent does not count.
    EXPECT_EQ(Clip({0, 0, 100, 100}, {50, 60, 150, 160}), (std::vector<TIntSegment>{{0, 0, 60, 60}}));
}

TEST(ClipSegmentOutside, DiagonalThroughACornerGivesAPiecePerCountedEdge) {
    // Through (50,50) and (150,150): both vertical and both horizontal
    // crossings count, four pieces in edge order.
    EXPECT_EQ(Clip({0, 0, 200, 200}, {50, 50, 150, 150}),
              (std::vector<TIntSegment>{
                  {0, 0, 50, 50}, {150, 150, 200, 200}, {0, 0, 50, 50}, {150, 150, 200, 200}}));
}

TEST(ClipSegmentOutside, ExtremeCoordinatesDoNotOverflow) {
    const std::int32_t lo = -2147483647 - 1, hi = 2147483520;
    // The product of the two differences exceeds 64 bits.
    const auto p = Clip({lo, lo, hi, hi}, {0, lo, hi, hi});
    ASSERT_EQ(p.size(), 1u);
    // y = lo + (hi - lo) * (0 - lo) / (hi - lo) = 0 exactly.
    EXPECT_EQ(p[0], (TIntSegment{lo, lo, 0, 0}));
}

// ---------------------------------------------------------------- the pass, both forms

using TPass = void (*)(TFigureList&);

class WhiteMaskPass : public ::testing::TestWithParam<TPass> {
protected:
    void Run() { GetParam()(Ex.Figures()); }

    std::vector<TFigureKind> Kinds() const {
        std::vector<TFigureKind> k;
        for (const auto& f : Ex.Figures())
            k.push_back(f->Kind());
        return k;
    }
    std::vector<TSeg> Lines() const {
        std::vector<TSeg> s;
        for (const auto& f : Ex.Figures()) {
            if (f->Kind() != TFigureKind::Line) continue;
            const TdxfFigureFields& d = f->Data;
            s.push_back({d.Point1.x, d.Point1.y, d.Point2.x, d.Point2.y});
        }
        return s;
    }

    TFigureCollector Ex;
};

using K = TFigureKind;

TEST_P(WhiteMaskPass, LineUnderMaskIsCutInTwoAndTheFillRemoved) {
    Ex.AddLine(LineData(0, 50, 200, 50));
    Ex.AddHatch(WhiteFill(50, 0, 150, 100));
    Run();
    // The pieces stand where the line stood, in reverse order.
    EXPECT_EQ(Lines(), (std::vector<TSeg>{{150, 50, 200, 50}, {0, 50, 50, 50}}));
    EXPECT_EQ(Kinds(), (std::vector<K>{K::Line, K::Line}));
}

TEST_P(WhiteMaskPass, LinePiecesKeepRecordAndLayer) {
    TdxfExportData d = LineData(0, 50, 200, 50);
    d.Point1.z = 3;
    d.Point2.z = 4;
    d.Text = "DASHED";
    d.PenWidth = 2.5f;
    d.Color = 1;
    Ex.AddLine(d);
    Ex.Figures().back()->Layer = "Walls";
    Ex.AddHatch(WhiteFill(50, 0, 150, 100));
    Run();
    ASSERT_EQ(Ex.Figures().size(), 2u);
    for (const auto& f : Ex.Figures()) {
        EXPECT_EQ(f->Layer, "Walls");
        EXPECT_EQ(f->Data.Text, "DASHED");
        EXPECT_EQ(f->Data.PenWidth, 2.5f);
        EXPECT_EQ(f->Data.Color, 1);
        EXPECT_EQ(f->Data.Point1.z, 3);
        EXPECT_EQ(f->Data.Point2.z, 4);
    }
}

TEST_P(WhiteMaskPass, LineInsideDisappearsLineFromBorderStaysWhole) {
    Ex.AddLine(LineData(60, 10, 140, 90));
    Ex.AddLine(LineData(50, 50, 0, 50));
    Ex.AddHatch(WhiteFill(50, 0, 150, 100));
    Run();
    EXPECT_EQ(Lines(), (std::vector<TSeg>{{50, 50, 0, 50}}));
}

TEST_P(WhiteMaskPass, EveryLineBeforeAMaskIsRoundedHalvesToEven) {
    Ex.AddLine(LineData(0.4f, 0.6f, 10.5f, 3.5f));
    Ex.AddLine(LineData(1000.5f, -2.5f, 1001.5f, -0.5f));
    Ex.AddHatch(WhiteFill(500, 500, 600, 600));
    Ex.AddLine(LineData(0.4f, 0.6f, 10.5f, 3.5f)); // after the mask: untouched
    Run();
    EXPECT_EQ(Lines(),
              (std::vector<TSeg>{{0, 1, 10, 4}, {1000, -2, 1002, -0.0f}, {0.4f, 0.6f, 10.5f, 3.5f}}));
}

TEST_P(WhiteMaskPass, PolylineMeetingTheMaskBecomesLinesOtherwiseStays) {
    // Meets the mask: split into its two segments, each then cut.
    Ex.AddPolyline(PolyData({{0, 50, 0}, {200, 50, 0}, {200, 300, 0}}), 0);
    // Its rectangle (0,0)-(40,130) misses the mask.
    Ex.AddPolyline(PolyData({{10, 110, 0}, {40, 130, 0}}), 0);
    Ex.AddHatch(WhiteFill(50, 0, 150, 100));
    Run();
    // Split lines A=(0,50)-(200,50), B=(200,50)-(200,300) are cut last
    // first: B whole, then A's two parts; the list is then reversed.
    EXPECT_EQ(Kinds(), (std::vector<K>{K::Line, K::Line, K::Line, K::Polyline}));
    EXPECT_EQ(Lines(), (std::vector<TSeg>{{150, 50, 200, 50}, {0, 50, 50, 50}, {200, 50, 200, 300}}));
}

TEST_P(WhiteMaskPass, PolylineFarAwayIsSplitWhenItsRectangleReachesBackToTheOrigin) {
    Ex.AddPolyline(PolyData({{100.25f, 100, 0}, {200, 150.75f, 0}}), 0);
    Ex.AddHatch(WhiteFill(40, 40, 60, 60));
    Run();
    // The bounds (0,0)-(200,150.75) meet the mask; the line itself does not.
    EXPECT_EQ(Kinds(), (std::vector<K>{K::Line}));
    EXPECT_EQ(Lines(), (std::vector<TSeg>{{100, 100, 200, 151}}));
}

TEST_P(WhiteMaskPass, RectangleAndCircleUnderAMaskBecomeVisibleLines) {
    TdxfExportData r = LineData(0, 0, 100, 100);
    Ex.AddRectangle(r);
    Ex.AddCircle(CircleData(50, 50, 40));
    Ex.AddHatch(WhiteFill(-10, 40, 110, 60));
    Run();
    ASSERT_FALSE(Ex.Figures().empty());
    for (const auto& f : Ex.Figures()) {
        ASSERT_EQ(f->Kind(), K::Line);
        // Nothing visible lies strictly inside the band.
        const auto& d = f->Data;
        const bool inside = d.Point1.y > 40 && d.Point1.y < 60 && d.Point2.y > 40 && d.Point2.y < 60;
        EXPECT_FALSE(inside);
    }
    // The rectangle's vertical edges each lose their middle (4 pieces), its
    // horizontal edges stay (2). Of the circle's 31 lines, three lie wholly
    // in the band and vanish; four cross one edge of it and are shortened.
    EXPECT_EQ(Ex.Figures().size(), 6u + 28u);
}

TEST_P(WhiteMaskPass, PointsHatchesAndLaterFiguresStayUnchanged) {
    TdxfExportData px;
    px.Point1 = {100, 50, 0};
    px.Color = 5;
    Ex.AddPixel(px);
    Ex.AddHatch(HatchData({{60, 10, 0}, {140, 10, 0}, {100, 90, 0}}, 3));
    Ex.AddHatch(WhiteFill(50, 0, 150, 100));
    Ex.AddPolyline(PolyData({{0, 50, 0}, {200, 50, 0}}), 0);
    Run();
    EXPECT_EQ(Kinds(), (std::vector<K>{K::Pixel, K::Hatch, K::Polyline}));
}

TEST_P(WhiteMaskPass, FillsThatAreNoMasks) {
    // Five points (closed explicitly), another colour, a pattern.
    Ex.AddLine(LineData(0.5f, 50, 200, 50));
    Ex.AddHatch(HatchData({{50, 0, 0}, {150, 0, 0}, {150, 100, 0}, {50, 100, 0}, {50, 0, 0}}));
    Ex.AddHatch(WhiteFill(50, 0, 150, 100, 254));
    Ex.AddHatch(WhiteFill(50, 0, 150, 100, 255, 6));
    Run();
    EXPECT_EQ(Kinds(), (std::vector<K>{K::Line, K::Hatch, K::Hatch, K::Hatch}));
    EXPECT_EQ(Lines(), (std::vector<TSeg>{{0.5f, 50, 200, 50}}));
}

TEST_P(WhiteMaskPass, SecondMaskCutsThePiecesOfTheFirst) {
    Ex.AddLine(LineData(0, 50, 300, 50));
    Ex.AddHatch(WhiteFill(50, 0, 100, 100));
    Ex.AddHatch(WhiteFill(200, 100, 250, 0)); // corners given the other way round
    Run();
    EXPECT_EQ(Lines(), (std::vector<TSeg>{{250, 50, 300, 50}, {100, 50, 200, 50}, {0, 50, 50, 50}}));
    EXPECT_EQ(Ex.Figures().size(), 3u);
}

TEST_P(WhiteMaskPass, TextUnderAMaskIsTrimmedToItsVisibleParts) {
    Ex.AddMText(TextData(0, 100, 0, 100, 10, "{\\fArial|i0|b0;ABCDEFGHI}"));
    Ex.Figures().back()->Layer = "Notes";
    Ex.AddHatch(WhiteFill(50, 0, 70, 200));
    Run();
    ASSERT_EQ(Kinds(), (std::vector<K>{K::MText, K::MText}));
    // The piece after the rectangle comes first: the pieces are reversed.
    const auto& after = Ex.Figures()[0]->Data;
    const auto& before = Ex.Figures()[1]->Data;
    EXPECT_EQ(before.Text, "{\\fArial|i0|b0;ABCDE");
    EXPECT_EQ(before.Point1.x, 0);
    EXPECT_FLOAT_EQ(before.TextWidth, 50);
    EXPECT_EQ(after.Text, "{\\fArial|i0|b0;HI}");
    EXPECT_FLOAT_EQ(after.Point1.x, 70);
    EXPECT_FLOAT_EQ(after.TextWidth, 30);
    EXPECT_EQ(Ex.Figures()[0]->Layer, "Notes");
}

TEST_P(WhiteMaskPass, TextTouchingTheMaskOrCoveredWhole) {
    Ex.AddMText(TextData(0, 100, 0, 50, 10, "edge"));  // ends at x = 50, the mask's left edge
    Ex.AddMText(TextData(60, 50, 90, 20, 10, "gone")); // wholly inside
    Ex.AddHatch(WhiteFill(50, 0, 150, 100));
    Run();
    ASSERT_EQ(Kinds(), (std::vector<K>{K::MText}));
    EXPECT_EQ(Ex.Figures()[0]->Data.Text, "edge");
}

TEST_P(WhiteMaskPass, CoordinateOutside32BitsIsARangeErrorOnlyBeforeAMask) {
    Ex.AddLine(LineData(0, 0, 3e9f, 0));
    Ex.AddHatch(WhiteFill(50, 0, 150, 100));
    EXPECT_THROW(Run(), ERangeError);

    TFigureCollector after;
    after.AddHatch(WhiteFill(50, 0, 150, 100));
    after.AddLine(LineData(0, 0, 3e9f, 0));
    EXPECT_NO_THROW(GetParam()(after.Figures()));

    TFigureCollector hugeMask;
    hugeMask.AddHatch(WhiteFill(50, 0, 3e9f, 100));
    EXPECT_THROW(GetParam()(hugeMask.Figures()), ERangeError);
}

INSTANTIATE_TEST_SUITE_P(Both, WhiteMaskPass, ::testing::Values(&ApplyWhiteMasks, &ApplyWhiteMasksReference),
                         [](const auto& info) { return info.index == 0 ? "Indexed" : "Reference"; });

// ---------------------------------------------------------------- through the file

TEST(WhiteMaskSave, ParseWhiteDecidesWhetherTheFillIsWrittenOrMasks) {
    auto build = [](TmvDXFExport& ex) {
        ex.AddLine(LineData(0, 50, 200, 50));
        ex.AddHatch(WhiteFill(50, 0, 150, 100));
    };
    auto count = [](const std::string& s, const std::string& what) {
        std::size_t n = 0;
        for (std::size_t at = s.find(what); at != std::string::npos; at = s.find(what, at + 1))
            ++n;
        return n;
    };
    TmvDXFExport off;
    build(off);
    const std::string plain = off.SaveToString();
    EXPECT_EQ(count(plain, "  0\r\nHATCH\r\n"), 1u);
    EXPECT_EQ(count(plain, "  0\r\nLINE\r\n"), 1u);
    EXPECT_NE(plain.find(" 62\r\n255\r\n"), std::string::npos);

    TmvDXFExport on;
    on.SetParseWhite(true);
    build(on);
    const std::string masked = on.SaveToString();
    EXPECT_EQ(count(masked, "  0\r\nHATCH\r\n"), 0u);
    EXPECT_EQ(count(masked, "  0\r\nLINE\r\n"), 2u);
    EXPECT_EQ(masked.find(" 62\r\n255\r\n"), std::string::npos);
}

// ---------------------------------------------------------------- from metafile records

// Ten drawing units per character, whatever the font.
class TTenPerChar : public ITextMeasure {
public:
    double TextWidth(std::string_view, std::int32_t, std::string_view text) override {
        return 10.0 * static_cast<double>(text.size());
    }
};

class WhiteMaskFromRecords : public ::testing::Test {
protected:
    static constexpr std::uint32_t BlackPen = 0x80000007, NullPen = 0x80000008;

    // Plays the records with white masking on; returns the written file.
    std::string Convert() {
        Ex.SetTextMeasure(&Measure);
        Ex.SetParseWhite(true);
        Ex.SetClassic(true); // the figures in logical units
        Ex.LoadFromMetafile(TEnhMetafile::FromEmfBytes(B.Build()));
        return Ex.SaveToString();
    }

    TTenPerChar Measure;
    TmvDXFExport Ex;
    test::TEmfBuilder B;
};

TEST_F(WhiteMaskFromRecords, WhiteFilledRectangleHidesTheLineUnderIt) {
    B.SelectObject(BlackPen).MoveTo(0, 50).LineTo(200, 50);
    B.CreateBrush(1, 0 /* solid */, 0xFFFFFF)
        .SelectObject(1)
        .SelectObject(NullPen)
        .Rectangle(50, 0, 150, 100);
    const std::string file = Convert();
    // The y axis turns upward: the line lies at y = -50, the mask spans -100 .. 0.
    ASSERT_EQ(Ex.Figures().size(), 2u);
    const auto& right = Ex.Figures()[0]->Data;
    const auto& left = Ex.Figures()[1]->Data;
    EXPECT_EQ(right.Point1, (TdxfPoint{150, -50, 0}));
    EXPECT_EQ(right.Point2, (TdxfPoint{200, -50, 0}));
    EXPECT_EQ(left.Point1, (TdxfPoint{0, -50, 0}));
    EXPECT_EQ(left.Point2, (TdxfPoint{50, -50, 0}));
    EXPECT_EQ(file.find("  0\r\nHATCH\r\n"), std::string::npos);
}

TEST_F(WhiteMaskFromRecords, OutlineDrawnAfterTheFillStaysAndAGreyFillHidesNothing) {
    B.SelectObject(BlackPen).MoveTo(0, 50).LineTo(200, 50);
    B.CreateBrush(1, 0, 0xC0C0C0).SelectObject(1).Rectangle(50, 0, 150, 100);
    B.CreateBrush(2, 0, 0xFFFFFF).SelectObject(2).Rectangle(120, 0, 180, 100);
    Convert();
    // The line loses its middle; the grey hatch stays; the grey outline
    // becomes four lines (its right edge lies inside the mask but on its
    // border, so it stays whole). The white fill goes, its black outline,
    // added after it, stays.
    std::vector<TFigureKind> kinds;
    for (const auto& f : Ex.Figures())
        kinds.push_back(f->Kind());
    EXPECT_EQ(kinds, (std::vector<TFigureKind>{K::Line, K::Line, K::Hatch, K::Line, K::Line, K::Line, K::Line,
                                               K::Rectangle}));
}

TEST_F(WhiteMaskFromRecords, TextUnderAWhiteFillKeepsItsOuterCharacters) {
    B.CreateFont(1, u"Arial", -20).SelectObject(1).TextOut(0, 200, u"ABCDEFGHIJ");
    B.CreateBrush(2, 0, 0xFFFFFF).SelectObject(2).SelectObject(NullPen).Rectangle(40, 150, 60, 250);
    Convert();
    // Width 100 from x = 0; the mask spans x 40 .. 60. The plain part
    // "ABCDEFGHIJ}" has 11 characters: round(4.4) = 4 on each side.
    ASSERT_EQ(Ex.Figures().size(), 2u);
    EXPECT_EQ(Ex.Figures()[0]->Data.Text, "{\\fArial|i0|b0;HIJ}");
    EXPECT_FLOAT_EQ(Ex.Figures()[0]->Data.Point1.x, 60);
    EXPECT_EQ(Ex.Figures()[1]->Data.Text, "{\\fArial|i0|b0;ABCD");
    EXPECT_FLOAT_EQ(Ex.Figures()[1]->Data.TextWidth, 100.0f * 4 / 11);
}

// ---------------------------------------------------------------- the box that skips figures

TEST(WhiteMaskIndex, ConservativeBoxHoldsTheFigureRectangle) {
    // Probing around the box: a mask that misses the box never meets the figure.
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> c(-300, 300), s(0, 120), rot(0, 3);
    for (int i = 0; i < 400; ++i) {
        TFigureCollector ex;
        const float angles[] = {0, 90, 270, 45};
        ex.AddMText(TextData(c(rng), c(rng), angles[i % 4], s(rng), s(rng) / 4, "x"));
        TdxfExportData e = CircleData(c(rng), c(rng), s(rng));
        ex.AddCircle(e);
        e.Point2 = i % 2 ? TdxfPoint{s(rng), 0, 0} : TdxfPoint{0, s(rng), 0};
        e.Radius = 0.3f;
        ex.AddEllipse(e);
        e.Kind = static_cast<ArcShape>(i % 2);
        e.StartAngle = rot(rng);
        e.EndAngle = rot(rng);
        ex.AddArc(e);
        ex.AddPolyline(PolyData({{c(rng), c(rng), 0}, {c(rng), c(rng), 0}}), 0);
        for (const auto& f : ex.Figures()) {
            const TBox b = ConservativeBox(*f);
            // Probes anywhere, and probes with whole-number edges next to the box.
            std::uniform_int_distribution<std::int64_t> nearX(b.Left - 4, b.Right + 4),
                nearY(b.Top - 4, b.Bottom + 4);
            for (int probe = 0; probe < 100; ++probe) {
                const TRect r = probe % 2 ? NormalizedRect(c(rng), c(rng), c(rng), c(rng))
                                          : NormalizedRect(nearX(rng), nearY(rng), nearX(rng), nearY(rng));
                const bool missesBox =
                    r.Right < b.Left || r.Left > b.Right || r.Bottom < b.Top || r.Top > b.Bottom;
                if (missesBox) {
                    EXPECT_FALSE(f->IntersectsRect(r)) << static_cast<int>(f->Kind());
                }
            }
        }
    }
}

TEST(WhiteMaskIndex, FirstMeetingFindsTheEarliestMaskInOrder) {
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> pos(-2000, 2000), size(0, 300);
    std::vector<TRect> masks;
    for (int i = 0; i < 300; ++i) {
        const int x = pos(rng), y = pos(rng);
        // Some masks are large, some have no width.
        const int w = i % 17 == 0 ? size(rng) * 10 : size(rng), h = i % 23 == 0 ? 0 : size(rng);
        masks.push_back(TRect{x, y, x + w, y + h});
    }
    const TMaskIndex index(masks);
    for (int q = 0; q < 3000; ++q) {
        const std::int64_t x = pos(rng) * 2, y = pos(rng) * 2;
        const std::int64_t w = q % 50 == 0 ? 5000 : size(rng) / 3;
        const TBox box{x, y, x + w, y + w / 2};
        const std::size_t from = static_cast<std::size_t>(q % 300);
        std::size_t expected = TMaskIndex::npos;
        for (std::size_t k = from; k < masks.size(); ++k) {
            const TRect& r = masks[k];
            if (r.Left <= box.Right && box.Left <= r.Right && r.Top <= box.Bottom && box.Top <= r.Bottom) {
                expected = k;
                break;
            }
        }
        EXPECT_EQ(index.FirstMeeting(box, from), expected);
    }
    EXPECT_EQ(index.FirstMeeting(EverywhereBox(), 5), 5u);
    EXPECT_EQ(index.FirstMeeting(EverywhereBox(), 300), TMaskIndex::npos);
}

// ---------------------------------------------------------------- indexed against plain

// A random drawing: every kind of figure, masks of all sizes overlapping each
// other, coordinates on whole and half units, and now and then one that
// does not fit 32 bits.
void BuildRandomDrawing(TFigureCollector& ex, std::uint32_t seed, int figures, int maskPercent) {
    std::mt19937 rng(seed);
    const float scale = seed % 3 == 0 ? 1.0f : (seed % 3 == 1 ? 4.0f : 60.0f);
    std::uniform_int_distribution<int> pick(0, 99), halfUnits(-40, 440);
    std::uniform_real_distribution<float> any(-20, 220), len(0, 120);
    auto coord = [&]() -> float {
        const int how = pick(rng) % 3;
        if (how == 0) return static_cast<float>(halfUnits(rng)) / 2 * scale;
        if (how == 1) return std::round(any(rng)) * scale;
        return any(rng) * scale;
    };
    auto pt = [&] { return TdxfPoint{coord(), coord(), 0}; };
    const bool withHuge = seed % 11 == 0;
    const char* layers[] = {"0", "A", "B"};
    for (int i = 0; i < figures; ++i) {
        const int k = pick(rng) < maskPercent ? 99 : pick(rng) * 78 / 100;
        TdxfExportData d;
        d.Color = 1 + pick(rng) % 7;
        if (k < 20) {
            const TdxfPoint a = pt();
            d.Point1 = a;
            d.Point2 = pick(rng) < 20 ? TdxfPoint{a.x, coord(), 0} : pt(); // some vertical
            if (withHuge && pick(rng) < 2) d.Point2.x = 3e9f;
            ex.AddLine(d);
        } else if (k < 32) {
            std::vector<TdxfPoint> pts;
            const int n = 1 + pick(rng) % 6;
            for (int j = 0; j < n; ++j)
                pts.push_back(pt());
            d.Flags = static_cast<FigureFlags>(pick(rng) % 2);
            d.Count = 1;
            if (withHuge && pick(rng) < 2) pts.back().y = -3e9f;
            d.Points.push_back(pts);
            if (pick(rng) < 20) {
                ex.AddPolyBezier(d, 0);
            } else {
                ex.AddPolyline(d, 0);
            }
        } else if (k < 40) {
            d.Point1 = pt();
            d.Point2 = pt();
            ex.AddRectangle(d);
        } else if (k < 48) {
            d.Point1 = pt();
            d.Radius = len(rng) * scale / 2;
            d.StartAngle = 0;
            d.EndAngle = 360;
            if (pick(rng) < 50) {
                if (withHuge && pick(rng) < 2) d.Radius = 2.2e9f;
                ex.AddCircle(d);
            } else {
                d.Point2 =
                    pick(rng) % 2 ? TdxfPoint{len(rng) * scale, 0, 0} : TdxfPoint{0, len(rng) * scale, 0};
                d.Radius = 0.2f + static_cast<float>(pick(rng)) / 120;
                ex.AddEllipse(d);
            }
        } else if (k < 56) {
            d.Point1 = pt();
            d.Kind = pick(rng) < 75 ? ArcShape::Circular : ArcShape::Elliptical;
            if (d.Kind == ArcShape::Circular) {
                d.Radius = len(rng) * scale / 2;
                d.StartAngle = static_cast<float>(pick(rng) * 4);
                d.EndAngle = static_cast<float>(pick(rng) * 4);
            } else {
                d.Point2 = TdxfPoint{len(rng) * scale / 2, 0, 0};
                d.Radius = 0.5f;
                d.StartAngle = static_cast<float>(pick(rng)) / 16;
                d.EndAngle = static_cast<float>(pick(rng)) / 16;
            }
            ex.AddArc(d);
        } else if (k < 68) {
            const float rotations[] = {0, 90, 270, 0, 90, 270, 45};
            d.Point1 = pt();
            d.Rotation = rotations[pick(rng) % 7];
            d.TextWidth = len(rng) * scale;
            d.Height = len(rng) * scale / 10;
            const char* texts[] = {"{\\fArial|i0|b0;ABCDEFGHI}", "{\\fTimes|i1|b0;\\LUnderlined words}",
                                   "bare text", "{\\fSymbol|b0|i0|c2;ab}", "x"};
            d.Text = texts[pick(rng) % 5];
            if (withHuge && pick(rng) < 3) d.TextWidth = pick(rng) % 2 ? 3e9f : -3e9f;
            ex.AddMText(d);
        } else if (k < 72) {
            d.Point1 = pt();
            ex.AddPixel(d);
        } else if (k < 78) {
            // Fills that are no masks.
            const TdxfPoint a = pt(), b = pt();
            std::vector<TdxfPoint> loop{a, {b.x, a.y, 0}, b, {a.x, b.y, 0}};
            const int how = pick(rng) % 3;
            if (how == 0) loop.push_back(a);
            ex.AddHatch(HatchData(loop, how == 1 ? 254 : 255, static_cast<std::uint8_t>(how == 2 ? 4 : 0)));
        } else {
            // A mask: mostly small, some huge, some without width.
            const TdxfPoint a = pt();
            TdxfPoint b =
                pick(rng) < 15
                    ? TdxfPoint{a.x + len(rng) * scale * 2, a.y - len(rng) * scale * 2, 0}
                    : TdxfPoint{a.x + (len(rng) - 60) * scale / 2, a.y + (len(rng) - 60) * scale / 2, 0};
            if (pick(rng) < 5) b.x = a.x;
            ex.AddHatch(WhiteFill(a.x, a.y, b.x, b.y));
        }
        if (pick(rng) < 10) ex.Figures().back()->Layer = layers[pick(rng) % 3];
    }
}

bool SameBits(float a, float b) {
    return std::bit_cast<std::uint32_t>(a) == std::bit_cast<std::uint32_t>(b);
}
bool SamePoint(const TdxfPoint& a, const TdxfPoint& b) {
    return SameBits(a.x, b.x) && SameBits(a.y, b.y) && SameBits(a.z, b.z);
}

// Empty when both figures are of one class with the same layer and record.
std::string Difference(const TmvExpDXFFigure& a, const TmvExpDXFFigure& b) {
    if (a.Kind() != b.Kind()) return "kind";
    if (a.Layer != b.Layer) return "layer";
    const TdxfFigureFields &x = a.Data, &y = b.Data;
    if (x.Count != y.Count || x.Flags != y.Flags || x.HatchStyle != y.HatchStyle || x.Kind != y.Kind ||
        x.Color != y.Color || x.Align != y.Align || x.Text != y.Text)
        return "fields";
    if (!SameBits(x.PenWidth, y.PenWidth) || !SameBits(x.Rotation, y.Rotation) ||
        !SameBits(x.ConstWidth, y.ConstWidth) || !SameBits(x.Radius, y.Radius) ||
        !SameBits(x.TextWidth, y.TextWidth) || !SameBits(x.StartAngle, y.StartAngle) ||
        !SameBits(x.EndAngle, y.EndAngle) || !SameBits(x.Height, y.Height))
        return "reals";
    if (!SamePoint(x.Point1, y.Point1) || !SamePoint(x.Point2, y.Point2)) return "points";
    if (a.Kind() == K::Polyline || a.Kind() == K::PolyBezier) {
        const auto& va = static_cast<const TmvExpDXFPolyline&>(a).Vertices;
        const auto& vb = static_cast<const TmvExpDXFPolyline&>(b).Vertices;
        if (va.size() != vb.size()) return "vertex count";
        for (std::size_t i = 0; i < va.size(); ++i)
            if (!SamePoint(va[i], vb[i])) return "vertices";
    }
    return "";
}

// Returns whether both passes failed with a range error.
bool ExpectSameAsReference(std::uint32_t seed, int figures, int maskPercent) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    // The plain pass runs on the drawing before it is handed to an exporter;
    // the indexed one inside the exporter, which masks while it saves.
    TFigureCollector drawing, same;
    BuildRandomDrawing(drawing, seed, figures, maskPercent);
    BuildRandomDrawing(same, seed, figures, maskPercent);
    TmvDXFExport plain, indexed;
    for (auto& f : same.Figures())
        indexed.AddFigure(std::move(f));
    indexed.SetParseWhite(true);

    bool plainFailed = false, indexedFailed = false;
    std::string plainFile, indexedFile;
    try {
        ApplyWhiteMasksReference(drawing.Figures());
        for (auto& f : drawing.Figures())
            plain.AddFigure(std::move(f));
        plainFile = plain.SaveToString();
    } catch (const ERangeError&) {
        plainFailed = true;
    }
    try {
        indexedFile = indexed.SaveToString();
    } catch (const ERangeError&) {
        indexedFailed = true;
    }
    EXPECT_EQ(plainFailed, indexedFailed);
    if (plainFailed || indexedFailed) return plainFailed && indexedFailed;
    const TFigureList& a = plain.Figures();
    const TFigureList& b = indexed.Figures();
    EXPECT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < std::min(a.size(), b.size()); ++i) {
        const std::string difference = Difference(*a[i], *b[i]);
        if (!difference.empty()) {
            ADD_FAILURE() << "figure " << i << ": " << difference;
            break;
        }
    }
    EXPECT_EQ(plainFile, indexedFile);
    return false;
}

TEST(WhiteMaskIndexed, SameAsThePlainPassOnRandomDrawings) {
    for (std::uint32_t seed = 1; seed <= 400; ++seed) {
        ExpectSameAsReference(seed, 20 + static_cast<int>(seed % 7) * 20,
                              10 + static_cast<int>(seed % 4) * 8);
        if (HasFatalFailure()) return;
    }
}

TEST(WhiteMaskIndexed, SameAsThePlainPassOnLargerDrawings) {
    for (std::uint32_t seed = 1001; seed <= 1004; ++seed) {
        ExpectSameAsReference(seed, 2000, 4);
        if (HasFailure()) return;
    }
}

TEST(WhiteMaskIndexed, RangeErrorLeavesTheFiguresAsTheyWere) {
    TFigureCollector ex;
    ex.AddLine(LineData(0, 0, 10, 10));
    ex.AddLine(LineData(0, 0, 3e9f, 0));
    ex.AddHatch(WhiteFill(50, 0, 150, 100));
    const TmvExpDXFFigure* first = ex.Figures()[0].get();
    EXPECT_THROW(ApplyWhiteMasks(ex.Figures()), ERangeError);
    ASSERT_EQ(ex.Figures().size(), 3u);
    EXPECT_EQ(ex.Figures()[0].get(), first);
}

} // namespace
} // namespace mv
