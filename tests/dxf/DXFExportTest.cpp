#include "dxf/DXFExport.h"
#include "EmfBuilder.h"
#include "GroupLines.h"
#include "TestUtil.h"
#include "figure/Colors.h"
#include "figure/LineTypes.h"
#include "metafile/EnhMetafile.h"
#include "platform/Errors.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>

using namespace mv;

namespace {

std::vector<std::string> ReadExpected(const std::string& name) {
    std::ifstream f(std::string(MV_SOURCE_DIR) + "/tests/dxf/data/" + name);
    std::vector<std::string> lines;
    for (std::string line; std::getline(f, line);)
        lines.push_back(line);
    return lines;
}

TdxfExportData LineData(float x1, float y1, float x2, float y2, int color = 0) {
    TdxfExportData d;
    d.Point1 = {x1, y1, 0};
    d.Point2 = {x2, y2, 0};
    d.Color = color;
    return d;
}

// The value of the first group with this code after the entity's "  0" line.
std::vector<std::string> Entity(const std::string& file, std::size_t index) {
    const std::vector<std::string> lines = test::EntitySection(file);
    std::vector<std::string> result;
    std::size_t seen = 0;
    for (std::size_t i = 0; i + 1 < lines.size(); i += 2) {
        if (lines[i] == "  0") ++seen;
        if (seen == index + 1) {
            result.push_back(lines[i]);
            result.push_back(lines[i + 1]);
        }
    }
    return result;
}

std::vector<std::string> Lines(std::initializer_list<const char*> l) {
    return {l.begin(), l.end()};
}

} // namespace

TEST(DXFExport, EmptyDrawingIsTheExactSkeleton) {
    for (int version : {0, 1}) {
        TmvDXFExport e;
        e.SetAutoCADVersion(static_cast<std::int8_t>(version));
        const std::string text = e.SaveToString();
        ASSERT_GE(text.size(), 2u);
        EXPECT_EQ(text.substr(text.size() - 7), "\r\nEOF\r\n");
        EXPECT_EQ(text.find('\n'), text.find("\r\n") + 1);
        EXPECT_EQ(test::SplitCrLf(text), ReadExpected(version == 0 ? "empty_r14.txt" : "empty_r2000.txt"))
            << "version " << version;
    }
}

TEST(DXFExport, EmptyMetafileGivesTheSkeletonAndNoLineTypes) {
    TmvDXFExport e;
    e.LoadFromMetafile(TEnhMetafile::FromEmfBytes(test::TEmfBuilder().Build()));
    EXPECT_TRUE(e.Figures().empty());
    EXPECT_EQ(test::SplitCrLf(e.SaveToString()), ReadExpected("empty_r2000.txt"));
}

TEST(DXFExport, HandlesAndHandSeed) {
    TmvDXFExport e;
    const float dash[] = {8, -2};
    e.AddLineType("_DASH", dash, 1);
    for (int i = 0; i < 3; ++i)
        e.AddLine(LineData(0, 0, 1, 1));
    const auto lines = test::SplitCrLf(e.SaveToString());
    auto valueAfter = [&](const std::string& key) {
        for (std::size_t i = 0; i + 2 < lines.size(); ++i)
            if (lines[i] == key) return lines[i + 2];
        return std::string();
    };
    EXPECT_EQ(valueAfter("$HANDSEED"), "26");
    std::vector<std::string> handles;
    for (std::size_t i = 0; i + 1 < lines.size(); i += 2)
        if (lines[i] == "  5") handles.push_back(lines[i + 1]);
    // Fixed skeleton handles around the generated ones, in file order.
    std::vector<std::string> generated;
    for (const auto& h : handles)
        if (h == "20" || h == "21" || h == "22" || h == "23" || h == "24") generated.push_back(h);
    EXPECT_EQ(generated, Lines({"20", "24", "21", "22", "23"})); // LTYPE, layer (tables), then entities
}

TEST(DXFExport, HandlesAreUpperCaseHexadecimal) {
    test::TEntityWriter e;
    e.NextHandle = 255;
    e.Out.AddHandle();
    e.Out.AddHandle();
    EXPECT_EQ(e.Lines.Lines(), Lines({"  5", "FF", "  5", "100"}));
    e.NextHandle = 0xABC;
    e.Out.AddHandle();
    EXPECT_EQ(e.Lines.Lines().back(), "ABC");
}

TEST(DXFExport, GroupCodesAreRightAlignedInThreeCharacters) {
    test::TEntityWriter e;
    e.Out.AddInt(0, 7);
    e.Out.AddInt(62, -3);
    e.Out.AddInt(370, 25);
    e.Out.AddInt(1071, 1);
    e.Out.AddString(1, "");
    EXPECT_EQ(e.Lines.Lines(), Lines({"  0", "7", " 62", "-3", "370", "25", "1071", "1", "  1", ""}));
}

TEST(DXFExport, PointsScaleUnderUse01MMButExtentsStayUnscaled) {
    test::TEntityWriter e(true);
    e.Out.AddPoint(10, 1234, 567);
    EXPECT_EQ(e.Lines.Lines(), Lines({" 10", "12.34", " 20", "5.67"}));
    EXPECT_EQ(e.Extents.Max.x, 1234.0f);
    EXPECT_EQ(e.Extents.Max.y, 567.0f);
    EXPECT_EQ(e.Extents.Min.x, 0.0f);
    e.Out.AddPoint3D(10, TdxfPoint{-50, 20, 7});
    EXPECT_EQ(e.Lines.Lines().back(), "7"); // z is not scaled
    EXPECT_EQ(e.Extents.Min.x, -50.0f);
    // What the tables and the head write does not widen the extents.
    TmvDXFExport f;
    const float dash[] = {900, -900};
    f.AddLineType("_WIDE", dash, 1);
    f.SaveToString();
    EXPECT_EQ(f.Extents().Max.x, 0.0f);
}

TEST(DXFExport, LimitsFollowTheWrittenPointsAndAreScaled) {
    TmvDXFExport e;
    e.SetUse01MM(true);
    e.AddLine(LineData(100, 200, 300, -400));
    const auto lines = test::SplitCrLf(e.SaveToString());
    auto at = std::find(lines.begin(), lines.end(), "$LIMMIN");
    ASSERT_NE(at, lines.end());
    EXPECT_EQ(std::vector<std::string>(at + 1, at + 5), Lines({" 10", "0", " 20", "-4"}));
    at = std::find(lines.begin(), lines.end(), "$LIMMAX");
    EXPECT_EQ(std::vector<std::string>(at + 1, at + 5), Lines({" 10", "3", " 20", "2"}));
}

TEST(DXFExport, StraightEntities) {
    TmvDXFExport e;
    e.SetClassic(true); // pen widths in logical units
    TdxfExportData line = LineData(100, 200, 300, 400, 5);
    line.Text = "_DASH";
    line.PenWidth = 1;
    e.AddLine(line);
    e.AddPixel(LineData(1.5f, -2, 0, 0, 256));
    TdxfExportData rect = LineData(10, 0, 0, 20, 0);
    rect.ConstWidth = 2.5f;
    e.AddRectangle(rect);
    TdxfExportData poly;
    poly.Count = 2;
    poly.Flags = FigureFlags::Closed;
    poly.Points = {{{1, 1, 0}}, {{5, 6, 0}, {7, 8, 0}}};
    e.AddPolyline(poly, 1);
    const std::string file = e.SaveToString();
    EXPECT_EQ(Entity(file, 0), Lines({"  0", "LINE",     "  5", "20",  "100", "AcDbEntity", "  8", "0",
                                      "100", "AcDbLine", " 62", "5",   "  6", "_DASH",      "370", "9",
                                      " 10", "100",      " 20", "200", " 11", "300",        " 21", "400"}));
    EXPECT_EQ(Entity(file, 1), Lines({"  0", "POINT", "  5", "21", "100", "AcDbEntity", "  8", "0", "100",
                                      "AcDbPoint", " 10", "1.5", " 20", "-2"}));
    EXPECT_EQ(Entity(file, 2),
              Lines({"  0",          "LWPOLYLINE", "  5", "22",  "100", "AcDbEntity", "  8", "0",   "100",
                     "AcDbPolyline", " 90",        "5",   " 70", "0",   " 43",        "2.5", " 10", "10",
                     " 20",          "0",          " 10", "0",   " 20", "0",          " 10", "0",   " 20",
                     "20",           " 10",        "10",  " 20", "20",  " 10",        "10",  " 20", "0"}));
    EXPECT_EQ(Entity(file, 3),
              Lines({"  0",          "LWPOLYLINE", "  5", "23",  "100", "AcDbEntity", "  8", "0",   "100",
                     "AcDbPolyline", " 90",        "2",   " 70", "1",   " 10",        "5",   " 20", "6",
                     " 10",          "7",          " 20", "8"}));
}

TEST(DXFExport, R14EntitiesCarryNoLineTypeOrWeight) {
    TmvDXFExport e;
    e.SetAutoCADVersion(0);
    TdxfExportData line = LineData(0, 0, 1, 1, 1);
    line.Text = "_DOT";
    line.PenWidth = 3;
    e.AddLine(line);
    const std::string file = e.SaveToString();
    EXPECT_EQ(Entity(file, 0),
              Lines({"  0", "LINE", "  5", "20", "100", "AcDbEntity", "  8", "0", "100", "AcDbLine",
                     " 62", "1",    " 10", "0",  " 20", "0",          " 11", "1", " 21", "1"}));
}

TEST(DXFExport, LineTypeRecord) {
    TmvDXFExport e;
    const auto& def = LineTypeNames[3];
    e.AddLineType(def.Name, def.Dashes, def.Last);
    EXPECT_EQ(e.LineTypeLines().Lines(), Lines({"  0", "LTYPE",
                                                "  5", "20",
                                                "100", "AcDbSymbolTableRecord",
                                                "100", "AcDbLinetypeTableRecord",
                                                "  2", "_DASHDOT",
                                                "  3", "",
                                                " 70", "0",
                                                " 72", "65",
                                                " 73", "4",
                                                " 40", "14",
                                                " 49", "8",
                                                " 74", "0",
                                                " 49", "-2",
                                                " 74", "0",
                                                " 49", "2",
                                                " 74", "0",
                                                " 49", "-2",
                                                " 74", "0"}));
    EXPECT_EQ(e.NextHandle(), 33);
    EXPECT_TRUE(
        test::EntitySection(e.SaveToString()).empty()); // nothing of the record lands among the entities
}

// A drawing taken over with AdoptMetafile keeps no figures and makes them
// again while it is written; the file is that of a drawing that keeps them,
// also when settings change or figures are added after loading.
TEST(DXFExport, AdoptedDrawingWritesWhatAKeptDrawingWrites) {
    test::TEmfBuilder b;
    b.CreatePen(1, 1, 2, 0x0000FF)
        .SelectObject(1)
        .Poly(85 /* POLYBEZIER16 */, {{0, 0}, {5, 9}, {9, 5}, {12, 0}});
    b.Poly(87 /* POLYLINE16 */, {{-40, 7}, {30, 70}, {60, -5}}).Ellipse(-3, -3, 20, 10);
    b.SelectObject(0x80000000 /* white brush */).Rectangle(0, 0, 8, 8); // a mask when masking is on
    const std::vector<std::uint8_t> bytes = b.Build();
    struct TCase {
        const char* Name;
        std::function<void(TmvDXFExport&)> After; // what happens between loading and saving
    };
    const TCase cases[] = {
        {"plain", [](TmvDXFExport&) {}},
        {"R14 and 0.01 mm chosen late",
         [](TmvDXFExport& e) {
             e.SetAutoCADVersion(0);
             e.SetUse01MM(true);
         }},
        {"masking chosen late", [](TmvDXFExport& e) { e.SetParseWhite(true); }},
        {"a figure added", [](TmvDXFExport& e) { e.AddLine(LineData(-100, 0, 0, 300, 3)); }},
    };
    for (const TCase& c : cases) {
        TmvDXFExport adopted, kept;
        adopted.AdoptMetafile(TEnhMetafile::FromEmfBytes(bytes));
        EXPECT_TRUE(adopted.Figures().empty());
        kept.LoadFromMetafile(TEnhMetafile::FromEmfBytes(bytes));
        c.After(adopted);
        c.After(kept);
        EXPECT_EQ(adopted.SaveToString(), kept.SaveToString()) << c.Name;
    }
}

// Made again, the texts keep the widths measured the first time: the fonts
// are asked once per text, however often the drawing is played.
TEST(DXFExport, AdoptedDrawingMeasuresEveryTextOnce) {
    struct TCountingMeasure : ITextMeasure {
        int Calls = 0;
        double TextWidth(std::string_view, std::int32_t, std::string_view text) override {
            return 10.0 * static_cast<double>(text.size()) + ++Calls; // differs at every call
        }
    } measure;
    test::TEmfBuilder b;
    b.TextOut(0, 0, u"eins").TextOut(0, 50, u"zwei");
    TmvDXFExport e;
    e.SetTextMeasure(&measure);
    e.AdoptMetafile(TEnhMetafile::FromEmfBytes(b.Build()));
    e.SetAutoCADVersion(0); // a new setting: measured again before writing
    const std::vector<std::string> lines = test::EntitySection(e.SaveToString());
    EXPECT_EQ(test::ValuesOf(lines, 1), (std::vector<std::string>{"eins", "zwei"}));
    EXPECT_EQ(measure.Calls, 2); // played three times
}

// The picture's own colour goes into group 420 where the colour number only
// comes near it: in R2000 files of today's kind, never in R14 or classic ones.
TEST(DXFExport, TrueColourWhereTheColourNumberOnlyComesNear) {
    auto fill = [](std::int32_t color, std::int32_t trueColor) {
        TdxfExportData d;
        d.Kind = HatchKind::Polygon;
        d.Count = 1;
        d.Points = {{{0, 0, 0}, {10, 0, 0}, {10, 10, 0}}};
        d.Color = color;
        d.TrueColor = trueColor;
        return d;
    };
    TdxfExportData black = LineData(0, 0, 5, 5, 7);
    black.TrueColor = 0;
    auto file = [&](std::int8_t version, bool classic) {
        TmvDXFExport e;
        e.SetAutoCADVersion(version);
        e.SetClassic(classic);
        e.AddHatch(fill(ColorToIndex(0x0080FF, false), 0xFF8000)); // orange
        e.AddHatch(fill(255, 0xFFFFFF));                           // white stays 255 alone
        e.AddHatch(fill(1, 0xFF0000));                             // red is exactly colour 1
        e.AddLine(black);
        return e.SaveToString();
    };
    const std::string r2000 = file(1, false);
    const std::vector<std::string> lines = test::EntitySection(r2000);
    EXPECT_EQ(test::ValuesOf(lines, 420), std::vector<std::string>{"16744448"});
    const auto at = std::find(lines.begin(), lines.end(), "420");
    ASSERT_NE(at, lines.end());
    EXPECT_EQ(*(at - 2), " 62"); // right after the colour number
    EXPECT_EQ(r2000.find("\r\n420\r\n", r2000.find("\r\n420\r\n") + 1), std::string::npos);
    EXPECT_EQ(file(0, false).find("\r\n420\r\n"), std::string::npos);
    EXPECT_EQ(file(1, true).find("\r\n420\r\n"), std::string::npos);
    test::TTempDir dir;
    const std::string path = dir / "orange.dxf";
    std::ofstream(path, std::ios::binary) << r2000;
    std::string report;
    EXPECT_EQ(test::RunEzdxfAudit({path}, &report), 0) << report;
}

TEST(DXFExport, SaveToFileReportsAFileThatCannotBeCreated) {
    TmvDXFExport e;
    try {
        e.SaveToFile("/nonexistent-folder/x.dxf");
        FAIL();
    } catch (const EFCreateError& err) {
        EXPECT_STREQ(err.what(), "Datei /nonexistent-folder/x.dxf kann nicht erstellt werden");
    }
}

TEST(DXFExport, SaveToFileWritesTheSameBytesAsTheStream) {
    test::TTempDir dir;
    TmvDXFExport e;
    e.AddLine(LineData(0, 0, 10, 10));
    e.SaveToFile(dir / "a.dxf");
    TmvDXFExport f;
    f.AddLine(LineData(0, 0, 10, 10));
    EXPECT_EQ(test::ReadText(dir / "a.dxf"), f.SaveToString());
}
