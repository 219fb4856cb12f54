#include "GroupLines.h"

#include "dxf/DXFExport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace mv {
namespace {

using test::EntityLinesOf;
using test::ValuesOf;
using Groups = std::vector<std::pair<int, std::string>>;
using Strings = std::vector<std::string>;

TdxfExportData Polygons(std::vector<TdxfPointList> lists, std::uint8_t style = 0) {
    TdxfExportData d;
    d.Color = 3;
    d.HatchStyle = static_cast<BrushHatch>(style);
    d.Kind = HatchKind::Polygon;
    d.Count = static_cast<std::uint16_t>(lists.size());
    d.Points = std::move(lists);
    return d;
}

const TdxfPointList kTriangle = {{0, 0, 0}, {100, 0, 0}, {50, 80, 0}};

// The groups after the hatch's head, which also carries the owner 330.
Groups HatchGroups(const std::vector<std::string>& lines) {
    Groups groups;
    for (std::size_t i = 12; i + 1 < lines.size(); i += 2)
        groups.emplace_back(std::stoi(lines[i]), lines[i + 1]);
    return groups;
}

TEST(HatchTest, SolidTriangleWritesEveryGroupInOrder) {
    TmvExpDXFHatch hatch(Polygons({kTriangle}));
    const auto lines = EntityLinesOf(hatch);
    ASSERT_GE(lines.size(), 12u);
    EXPECT_EQ((Strings(lines.begin(), lines.begin() + 12)),
              (Strings{"  0", "HATCH", "  5", "20", "330", "1F", "100", "AcDbEntity", "  8", "0", "100",
                       "AcDbHatch"}));
    EXPECT_EQ(HatchGroups(lines),
              (Groups{{62, "3"},    {10, "0"},  {20, "0"},   {30, "0"},  {210, "0"}, {220, "0"},  {230, "1"},
                      {2, "SOLID"}, {70, "1"},  {71, "0"},   {91, "1"},  {92, "1"},  {93, "3"},   {72, "1"},
                      {10, "0"},    {20, "0"},  {11, "100"}, {21, "0"},  {72, "1"},  {10, "100"}, {20, "0"},
                      {11, "50"},   {21, "80"}, {72, "1"},   {10, "50"}, {20, "80"}, {11, "0"},   {21, "0"},
                      {97, "0"},    {75, "0"},  {76, "1"},   {98, "1"},  {10, "0"},  {20, "0"}}));
}

TEST(HatchTest, SameGroupsForR14AndR2000WithoutLineTypeOrWeight) {
    TdxfExportData d = Polygons({kTriangle}, 6);
    d.Text = "DASHED";
    d.PenWidth = 5;
    TmvExpDXFHatch hatch(d);
    const auto r2000 = EntityLinesOf(hatch);
    EXPECT_EQ(r2000, EntityLinesOf(hatch, false, 0));
    EXPECT_TRUE(ValuesOf(r2000, 6).empty());
    EXPECT_TRUE(ValuesOf(r2000, 370).empty());
}

TEST(HatchTest, CrossBrushWritesTwoPatternLines) {
    const auto lines = EntityLinesOf(TmvExpDXFHatch(Polygons({kTriangle}, 6)));
    EXPECT_EQ(ValuesOf(lines, 2), Strings{"NET"});
    EXPECT_EQ(ValuesOf(lines, 70), Strings{"0"});
    const Groups groups = HatchGroups(lines);
    const auto at = std::find(groups.begin(), groups.end(), std::pair<int, std::string>{76, "1"});
    ASSERT_NE(at, groups.end());
    EXPECT_EQ(Groups(at + 1, groups.end()), (Groups{{52, "0"},
                                                    {41, "1"},
                                                    {77, "0"},
                                                    {78, "2"},
                                                    {53, "0"},
                                                    {43, "0"},
                                                    {44, "0"},
                                                    {45, "0"},
                                                    {46, "15"},
                                                    {79, "0"},
                                                    {53, "90"},
                                                    {43, "0"},
                                                    {44, "0"},
                                                    {45, "-15"},
                                                    {46, "15"},
                                                    {79, "0"},
                                                    {98, "1"},
                                                    {10, "0"},
                                                    {20, "0"}}));
}

TEST(HatchTest, EveryHatchedBrushHasItsPattern) {
    struct TCase {
        std::uint8_t style;
        const char* name;
        Strings angles, x, y;
    };
    const TCase cases[] = {{2, "LINE", {"0"}, {"0"}, {"15"}},
                           {3, "LINE", {"90"}, {"-15"}, {"0"}},
                           {4, "ANSI31", {"135"}, {"-15"}, {"-15"}},
                           {5, "ANSI31", {"45"}, {"-15"}, {"15"}},
                           {6, "NET", {"0", "90"}, {"0", "-15"}, {"15", "15"}},
                           {7, "ANSI37", {"45", "135"}, {"-15", "-15"}, {"15", "-15"}}};
    for (const TCase& c : cases) {
        SCOPED_TRACE(int{c.style});
        TmvExpDXFHatch hatch(Polygons({kTriangle}, c.style));
        EXPECT_EQ(hatch.PatternName, c.name);
        EXPECT_EQ(hatch.Data.Flags, FigureFlags::None);
        const auto lines = EntityLinesOf(hatch);
        EXPECT_EQ(ValuesOf(lines, 78), Strings{std::to_string(c.angles.size())});
        EXPECT_EQ(ValuesOf(lines, 53), c.angles);
        EXPECT_EQ(ValuesOf(lines, 45), c.x);
        EXPECT_EQ(ValuesOf(lines, 46), c.y);
    }
}

TEST(HatchTest, HundredthsOfAMillimetreSpaceLinesBySingleNearestPointZeroFive) {
    const auto lines = EntityLinesOf(TmvExpDXFHatch(Polygons({kTriangle}, 2)), true);
    EXPECT_EQ(ValuesOf(lines, 46), Strings{"0.0500000007450581"});
    const auto vertical = EntityLinesOf(TmvExpDXFHatch(Polygons({kTriangle}, 3)), true);
    EXPECT_EQ(ValuesOf(vertical, 45), Strings{"-0.0500000007450581"});
}

TEST(HatchTest, PictureSpacingFallsBackOrWidensWhenUnusable) {
    auto spaced = [](float s) {
        TdxfExportData d = Polygons({kTriangle}, 6);
        d.PatternSpacingX = d.PatternSpacingY = s;
        return d;
    };
    for (const float bad : {std::nanf(""), HUGE_VALF, -8.0f})
        EXPECT_EQ(ValuesOf(EntityLinesOf(TmvExpDXFHatch(spaced(bad))), 46), (Strings{"15", "15"})) << bad;
    // Finer than 1/2000 of the boundary's larger side, 100: widened to that.
    EXPECT_FLOAT_EQ(TmvExpDXFHatch(spaced(1e-9f)).Data.PatternSpacingY, 0.05f);
}

TEST(HatchTest, SolidFillHasNoPatternDefinition) {
    const auto lines = EntityLinesOf(TmvExpDXFHatch(Polygons({kTriangle})));
    for (int code : {52, 41, 77, 78, 53, 43, 44, 45, 46, 79})
        EXPECT_TRUE(ValuesOf(lines, code).empty()) << code;
}

TEST(HatchTest, UnknownBrushStyleKeepsSolidNameWithEmptyPattern) {
    TmvExpDXFHatch hatch(Polygons({kTriangle}, 9));
    EXPECT_EQ(hatch.PatternName, "SOLID");
    EXPECT_EQ(hatch.Data.Flags, FigureFlags::None);
    const auto lines = EntityLinesOf(hatch);
    EXPECT_EQ(ValuesOf(lines, 78), Strings{"0"});
    EXPECT_TRUE(ValuesOf(lines, 53).empty());
}

// ---------------------------------------------------------------- loops

TEST(HatchTest, ShortListsAreSkippedButStillCounted) {
    TmvExpDXFHatch hatch(Polygons({{{0, 0, 0}, {5, 5, 0}}, kTriangle}));
    EXPECT_EQ(hatch.LoopCount, 2);
    EXPECT_EQ(hatch.GetLoopCount(), 2);
    ASSERT_EQ(hatch.Loops.size(), 1u);
    EXPECT_EQ(hatch.Loops[0], kTriangle);
    EXPECT_EQ(ValuesOf(EntityLinesOf(hatch), 91), Strings{"1"});
}

TEST(HatchTest, PointsReturningTwoPlacesBackAreDropped) {
    const TdxfPoint a{0, 0, 0}, b{10, 0, 0}, c{10, 10, 0}, d{0, 10, 0};
    // A spike out to b and back: the second a is dropped.
    TmvExpDXFHatch spike(Polygons({{a, b, a, c, d}}));
    ASSERT_EQ(spike.Loops.size(), 1u);
    EXPECT_EQ(spike.Loops[0], (TdxfPointList{a, b, c, d}));
    // Back and forth on one line keeps only a and b: too few for a loop.
    TmvExpDXFHatch line(Polygons({{a, b, a, b, a}}));
    EXPECT_TRUE(line.Loops.empty());
    EXPECT_EQ(line.LoopCount, 1);
    EXPECT_TRUE(EntityLinesOf(line).empty());
    // A closed list repeating its first point keeps all four.
    TmvExpDXFHatch closed(Polygons({{a, b, c, a}}));
    ASSERT_EQ(closed.Loops.size(), 1u);
    EXPECT_EQ(closed.Loops[0].size(), 4u);
    // The comparison is with the list, not the loop, and exact: z and tiny
    // differences do not count as equal.
    TmvExpDXFHatch near(Polygons({{a, b, TdxfPoint{0, 1e-6f, 0}, c}}));
    EXPECT_EQ(near.Loops[0].size(), 4u);
    TmvExpDXFHatch withZ(Polygons({{a, b, TdxfPoint{0, 0, 5}, c}}));
    EXPECT_EQ(withZ.Loops[0].size(), 3u);
}

TEST(HatchTest, SeveralLoopsEachCloseTheirOwnOutline) {
    const TdxfPointList square = {{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 10, 0}};
    const auto lines = EntityLinesOf(TmvExpDXFHatch(Polygons({square, kTriangle})));
    EXPECT_EQ(ValuesOf(lines, 91), Strings{"2"});
    EXPECT_EQ(ValuesOf(lines, 92), (Strings{"1", "1"}));
    EXPECT_EQ(ValuesOf(lines, 93), (Strings{"4", "3"}));
    EXPECT_EQ(ValuesOf(lines, 97), (Strings{"0", "0"}));
    EXPECT_EQ(ValuesOf(lines, 72).size(), 7u);
}

TEST(HatchTest, PolygonHatchWithoutListsWritesNothing) {
    TmvExpDXFHatch hatch(Polygons({}));
    EXPECT_EQ(hatch.LoopCount, 0);
    test::TEntityWriter ex;
    hatch.Export(ex.Out);
    EXPECT_TRUE(ex.Lines.Empty());
    EXPECT_EQ(ex.NextHandle, 32);
}

TEST(HatchTest, LoopAccessForTheWhiteAreaPass) {
    const TdxfPointList square = {{0, 0, 0}, {10, 0, 0}, {10, 10, 0}, {0, 10, 0}};
    TdxfExportData d = Polygons({square});
    d.Color = 255;
    TmvExpDXFHatch hatch(d);
    EXPECT_EQ(hatch.GetLoopCount(), 1);
    EXPECT_EQ(hatch.LoopPointCount(0), 4u);
    EXPECT_EQ(hatch.LoopPoint(0, 2), (TdxfPoint{10, 10, 0}));
    EXPECT_EQ(hatch.LoopPointCount(1), 0u);
    EXPECT_EQ(hatch.LoopPoint(1, 0), TdxfPoint{});
    EXPECT_EQ(hatch.LoopPoint(0, 4), TdxfPoint{});
    // Hatches are never cut.
    EXPECT_FALSE(hatch.IntersectsRect({-100, -100, 100, 100}));
    TFigureList pieces;
    hatch.SplitIntoLines(pieces);
    EXPECT_TRUE(pieces.empty());
}

// ---------------------------------------------------------------- circle and ellipse boundaries

TEST(HatchTest, CircleBoundaryScalesRadiusButNotAngles) {
    TdxfExportData d;
    d.Color = 1;
    d.Kind = HatchKind::Circle;
    d.Point1 = {1000, 2000, 0};
    d.Radius = 500;
    d.StartAngle = 0;
    d.EndAngle = 360;
    TmvExpDXFHatch hatch(d);
    EXPECT_EQ(hatch.LoopCount, 1);
    EXPECT_EQ(hatch.LoopPointCount(0), 0u);
    const Groups groups = HatchGroups(EntityLinesOf(hatch, true));
    const auto at = std::find(groups.begin(), groups.end(), std::pair<int, std::string>{71, "0"});
    ASSERT_NE(at, groups.end());
    EXPECT_EQ(Groups(at + 1, groups.end()), (Groups{{91, "1"},
                                                    {92, "1"},
                                                    {93, "1"},
                                                    {72, "2"},
                                                    {10, "10"},
                                                    {20, "20"},
                                                    {40, "5"},
                                                    {50, "0"},
                                                    {51, "360"},
                                                    {73, "1"},
                                                    {97, "0"},
                                                    {75, "0"},
                                                    {76, "1"},
                                                    {98, "1"},
                                                    {10, "0"},
                                                    {20, "0"}}));
}

TEST(HatchTest, EllipseBoundaryWritesAxisAndUnscaledRatio) {
    TdxfExportData d;
    d.Color = 1;
    d.Kind = HatchKind::Ellipse;
    d.HatchStyle = BrushHatch::Horizontal;
    d.Point1 = {1000, 2000, 0};
    d.Point2 = {0, 300, 0};
    d.Radius = 0.5f;
    d.StartAngle = 0;
    d.EndAngle = 360;
    const Groups groups = HatchGroups(EntityLinesOf(TmvExpDXFHatch(d), true));
    const auto at = std::find(groups.begin(), groups.end(), std::pair<int, std::string>{72, "3"});
    ASSERT_NE(at, groups.end());
    EXPECT_EQ(Groups(at + 1, at + 10), (Groups{{10, "10"},
                                               {20, "20"},
                                               {11, "0"},
                                               {21, "3"},
                                               {40, "0.5"},
                                               {50, "0"},
                                               {51, "360"},
                                               {73, "1"},
                                               {97, "0"}}));
}

TEST(HatchTest, UnknownBoundaryKindWritesNothing) {
    TdxfExportData d;
    d.Kind = static_cast<HatchKind>(3);
    TmvExpDXFHatch hatch(d);
    EXPECT_EQ(hatch.LoopCount, 0);
    EXPECT_TRUE(EntityLinesOf(hatch).empty());
}

TEST(HatchTest, ElevationAndSeedPointsStayAtTheOrigin) {
    TmvDXFExport ex;
    ex.SetUse01MM(true);
    TdxfExportData d = Polygons({{{100, 100, 0}, {200, 100, 0}, {150, 180, 0}}});
    ex.AddHatch(d);
    const auto lines = test::EntitySection(ex.SaveToString());
    const auto xs = ValuesOf(lines, 10);
    EXPECT_EQ(xs.front(), "0");
    EXPECT_EQ(xs.back(), "0");
    EXPECT_EQ(ex.Extents().Min.x, 0); // the elevation point counts into the extents
    EXPECT_EQ(ex.Extents().Max.y, 180);
}

} // namespace
} // namespace mv
