// Straight entities, line types and the file skeleton opened by an
// independent DXF reader: every file must load and pass its audit.

#include "TestUtil.h"
#include "dxf/DXFExport.h"
#include "figure/LineTypes.h"

#include <gtest/gtest.h>

using namespace mv;

TEST(IndependentReader, SkeletonAndStraightEntities) {
    test::TTempDir dir;
    std::vector<std::string> files;
    for (int version : {0, 1}) {
        for (bool use01mm : {false, true}) {
            TmvDXFExport e;
            e.SetAutoCADVersion(static_cast<std::int8_t>(version));
            e.SetUse01MM(use01mm);
            const std::string empty = dir / ("empty" + std::to_string(version) + ".dxf");
            if (!use01mm) TmvDXFExport().SaveToFile(empty), files.push_back(empty);
            for (int style = 1; style <= 4; ++style)
                e.AddLineType(LineTypeNames[style].Name, LineTypeNames[style].Dashes,
                              LineTypeNames[style].Last);
            TdxfExportData d;
            d.Color = 1;
            d.PenWidth = 3;
            d.Text = "_DASHDOT";
            d.Point1 = {-10.5f, 20, 0};
            d.Point2 = {300, -0.1f, 0};
            e.AddLine(d);
            d.Color = 256;
            d.Text.clear();
            e.AddPixel(d);
            d.ConstWidth = 1.5f;
            d.Color = 0;
            e.AddRectangle(d);
            d.Flags = FigureFlags::Closed;
            d.Count = 2;
            d.Points = {{{0, 0, 0}, {10, 0, 0}, {10, 10, 0}}, {{5, 5, 0}}};
            e.AddPolyline(d, 0);
            e.AddPolyline(d, 1);
            const std::string path =
                dir / ("straight" + std::to_string(version) + (use01mm ? "mm" : "") + ".dxf");
            e.SaveToFile(path);
            files.push_back(path);
        }
    }
    std::string output;
    EXPECT_EQ(test::RunEzdxfAudit(files, &output), 0) << output;
    EXPECT_NE(output.find("LINE"), std::string::npos) << output;
}
