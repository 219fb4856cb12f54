#include "dxf/Layers.h"
#include "dxf/DXFExport.h"
#include "figure/Colors.h"

#include <gtest/gtest.h>

using namespace mv;

namespace {
std::uint32_t Rgb(std::uint32_t r, std::uint32_t g, std::uint32_t b) {
    return r | g << 8 | b << 16;
}
} // namespace

TEST(Colors, NamedColoursAndBlack) {
    EXPECT_EQ(ColorToIndex(0, false), 7);
    EXPECT_EQ(ColorToIndex(0, true), 250);
    EXPECT_EQ(ColorToIndex(0x0000FF, false), 1);
    EXPECT_EQ(ColorToIndex(0x808080, false), 8);
    EXPECT_EQ(ColorToIndex(0xC0C0C0, false), 9);
    EXPECT_EQ(ColorToIndex(0xFFFFFF, false), 255);
    EXPECT_EQ(ColorToIndex(0x1FFFFFFF, false), 0);
    EXPECT_EQ(ColorToIndex(0x800000, false), 154);
}

TEST(Colors, WhatTheColourNumbersStandFor) {
    EXPECT_EQ(IndexToRgb(0), -1);
    EXPECT_EQ(IndexToRgb(256), -1);
    const std::pair<int, std::int32_t> known[] = {
        {1, 0xFF0000},   {7, 0xFFFFFF},   {8, 0x808080},   {9, 0xC0C0C0},   {10, 0xFF0000}, {11, 0xFF7F7F},
        {12, 0xA50000},  {23, 0xA56752},  {30, 0xFF7F00},  {42, 0xA57C00},  {43, 0xA59152}, {130, 0x00FFFF},
        {170, 0x0000FF}, {211, 0xFF7FFF}, {249, 0x261317}, {250, 0x333333}, {255, 0xFFFFFF}};
    for (const auto& [index, rgb] : known)
        EXPECT_EQ(IndexToRgb(index), rgb) << index;
}

TEST(Colors, CubeCells) {
    EXPECT_EQ(ColorToIndex(Rgb(10, 10, 10), false), 0);
    EXPECT_EQ(ColorToIndex(Rgb(100, 150, 200), false), 1);
    EXPECT_EQ(ColorToIndex(Rgb(200, 140, 20), false), 33);
    EXPECT_EQ(ColorToIndex(Rgb(254, 255, 255), false), 254);
    EXPECT_EQ(ColorToIndex(Rgb(130, 100, 150), false), 163);
    EXPECT_EQ(ColorToIndex(Rgb(10, 140, 200), false), 171);
    // The fourth byte plays no part outside the named values.
    EXPECT_EQ(ColorToIndex(0x02000000 | Rgb(200, 140, 20), false), 33);
    int special = 0;
    for (int i = 0; i < 256; ++i)
        if (ColorCubeTable[i] != 1) ++special;
    EXPECT_EQ(special, 18);
}

TEST(LineWeights, RoundingRatioAndOverflow) {
    EXPECT_EQ(LineWeightOf(1, false, -1), 9);
    EXPECT_EQ(LineWeightOf(2.5f, false, -1), 20); // halves to even
    EXPECT_EQ(LineWeightOf(3.5f, false, -1), 40);
    EXPECT_EQ(LineWeightOf(0.4f, false, -1), std::nullopt);
    EXPECT_EQ(LineWeightOf(35, true, -1), 35);
    EXPECT_EQ(LineWeightOf(300, true, -1), 211);
    EXPECT_EQ(LineWeightOf(4, true, -1), std::nullopt);
    EXPECT_EQ(LineWeightOf(5, true, -1), 5);
    EXPECT_EQ(LineWeightOf(0.25f, false, 2.0L), 50);
    EXPECT_EQ(LineWeightOf(3e9f, false, -1), 100); // overflow gives 100
    EXPECT_EQ(LineWeightOf(3e8f, false, -1), 100); // the factor 10 overflows
    EXPECT_EQ(LineWeightOf(1e30f, false, 1.0L), 100);
}

TEST(Layers, LayerRecordForBothVersions) {
    for (int version : {0, 1}) {
        // The default layer of an exporter, written as its first record.
        TmvDXFExport e;
        e.SetAutoCADVersion(static_cast<std::int8_t>(version));
        TLineList lines;
        std::int32_t handle = e.NextHandle();
        TGroupWriter out(lines, handle, e.Settings());
        WriteLayerRecord(*e.Layers()[0], out);
        std::vector<std::string> expected = {"  0", "LAYER",
                                             "  5", "20",
                                             "330", " 1A",
                                             "100", "AcDbSymbolTableRecord",
                                             "100", "AcDbLayerTableRecord",
                                             "  2", "0",
                                             " 70", "0",
                                             " 62", "7",
                                             "  6", "Continuous"};
        if (version == 1) expected.insert(expected.end(), {"370", "-3", "390", " 19"});
        EXPECT_EQ(lines.Lines(), expected);
    }
}
