// Curved entities, texts and hatches opened by an independent DXF reader
// (ezdxf): every file must load and pass the reader's audit without errors.

#include "TestUtil.h"
#include "dxf/DXFExport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace mv {
namespace {

const char* const kPython = "/usr/bin/python3";

TdxfExportData Pen(std::int32_t color) {
    TdxfExportData d;
    d.Color = color;
    d.PenWidth = 2;
    return d;
}

// One of every entity kind that the curved, text and hatch figures write.
void AddEveryKind(TmvDXFExport& ex) {
    TdxfExportData d = Pen(1);
    d.Point1 = {100, 200, 0};
    d.Radius = 50;
    d.StartAngle = 0;
    d.EndAngle = 360;
    ex.AddCircle(d);

    d = Pen(2);
    d.Point1 = {300, 200, 0};
    d.Point2 = {80, 0, 0};
    d.Radius = 0.5f;
    d.StartAngle = 0;
    d.EndAngle = 360;
    ex.AddEllipse(d);

    d = Pen(3);
    d.Point1 = {500, 200, 0};
    d.Radius = 40;
    d.StartAngle = 30;
    d.EndAngle = 300;
    d.Text = "";
    ex.AddArc(d);

    d = Pen(4);
    d.Kind = ArcShape::Elliptical;
    d.Point1 = {700, 200, 0};
    d.Point2 = {0, 60, 0};
    d.Radius = 0.4f;
    d.StartAngle = -1.0f;
    d.EndAngle = 2.0f;
    ex.AddArc(d);
    d.StartAngle = d.EndAngle = 1.5f; // written as the full ellipse
    ex.AddArc(d);

    d = Pen(5);
    d.Count = 1;
    d.Points = {{{0, 0, 0}, {10, 40, 0}, {30, 40, 0}, {40, 0, 0}, {50, -40, 0}, {70, -40, 0}, {80, 0, 0}}};
    ex.AddPolyBezier(d, 0); // SPLINE, two segments
    d.Points = {{{0, 100, 0}, {10, 140, 0}, {30, 140, 0}, {40, 100, 0}, {50, 60, 0}, {70, 60, 0}}};
    ex.AddPolyBezier(d, 0); // six points: LWPOLYLINE
    d.Points = {{{5, 5, 0}}};
    ex.AddPolyBezier(d, 0); // one point: degenerate LWPOLYLINE

    d = TdxfExportData{};
    d.Color = 7;
    d.Point1 = {0, 400, 0};
    d.Height = 12;
    d.TextWidth = 80;
    d.Text = "{\\fArial|i0|b1;Hello}";
    ex.AddMText(d);
    d.Rotation = 90;
    d.Align = 6;
    d.Text = "{\\fArial|i1|b0;\\LLine one\r\nLine two\tend}";
    ex.AddMText(d);
    d.Rotation = 33.5f;
    d.Align = 0;
    d.Text = "bare text";
    ex.AddMText(d);
    // Characters that are codes, escaped; contents longer than one value line.
    d.Text = "{\\fArial|i0|b0;C:\\\\Temp\\\\\\{x\\}}";
    ex.AddMText(d);
    d.Text.clear();
    for (int i = 0; i < 30; ++i)
        d.Text += "chunk " + std::to_string(i) + " \\{x\\} ";
    ex.AddMText(d);

    // Hatches: solid polygon with a hole, every pattern, circle and ellipse.
    d = TdxfExportData{};
    d.Color = 30;
    d.Kind = HatchKind::Polygon;
    d.Count = 2;
    d.Points = {{{0, 600, 0}, {200, 600, 0}, {200, 800, 0}, {0, 800, 0}},
                {{50, 650, 0}, {150, 650, 0}, {100, 750, 0}}};
    ex.AddHatch(d);
    for (std::uint8_t style = 2; style <= 7; ++style) {
        d.HatchStyle = static_cast<BrushHatch>(style);
        d.Count = 1;
        const float x = 250.0f * style;
        d.Points = {{{x, 600, 0}, {x + 200, 600, 0}, {x + 200, 800, 0}, {x, 800, 0}, {x, 600, 0}}};
        ex.AddHatch(d);
    }
    d = TdxfExportData{};
    d.Color = 40;
    d.Kind = HatchKind::Circle;
    d.Point1 = {100, 1000, 0};
    d.Radius = 80;
    d.StartAngle = 0;
    d.EndAngle = 360;
    ex.AddHatch(d);
    d.Kind = HatchKind::Ellipse;
    d.HatchStyle = BrushHatch::Cross;
    d.Point1 = {400, 1000, 0};
    d.Point2 = {0, 100, 0};
    d.Radius = 0.5f;
    ex.AddHatch(d);
}

TEST(EzdxfCurvedTest, EveryCurvedTextAndHatchEntityPassesTheAudit) {
    if (access(kPython, X_OK) != 0) GTEST_SKIP() << kPython << " is not available";
    test::TTempDir dir;
    std::vector<std::string> files;
    for (std::int8_t version : {std::int8_t{1}, std::int8_t{0}}) {
        for (bool mm : {false, true}) {
            TmvDXFExport ex;
            ex.SetAutoCADVersion(version);
            ex.SetUse01MM(mm);
            AddEveryKind(ex);
            files.push_back(
                dir / ((version ? std::string("r2000") : std::string("r14")) + (mm ? "-01mm" : "") + ".dxf"));
            ex.SaveToFile(files.back());
        }
    }
    std::string output;
    const int status = test::RunEzdxfAudit(files, &output);
    if (std::getenv("MV_SHOW_AUDIT")) std::printf("%s", output.c_str());
    if (status == 2) GTEST_SKIP() << "ezdxf not usable: " << output;
    EXPECT_EQ(status, 0) << output;
    // The reader must have kept every kind, not dropped one it disliked.
    std::size_t reported = 0;
    for (std::size_t at = output.find("entities:"); at != std::string::npos;
         at = output.find("entities:", at + 1)) {
        const std::string line = output.substr(at, output.find('\n', at) - at);
        for (const char* kind : {"ARC", "CIRCLE", "ELLIPSE", "HATCH", "LWPOLYLINE", "MTEXT", "SPLINE"})
            EXPECT_NE(line.find(std::string(" ") + kind), std::string::npos)
                << kind << " missing in " << line;
        ++reported;
    }
    EXPECT_EQ(reported, files.size()) << output;
    // The reader shows the texts themselves.
    EXPECT_NE(output.find("mtext shows C:\\Temp\\{x}\n"), std::string::npos) << output;
    EXPECT_NE(output.find("mtext shows chunk 0 {x} chunk 1"), std::string::npos) << output;
    EXPECT_NE(output.find("chunk 28 {x} chunk 29 {x} \n"), std::string::npos) << output;
}

} // namespace
} // namespace mv
