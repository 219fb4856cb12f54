// Images opened by an independent DXF reader (ezdxf): the file passes its
// audit in both versions, and the reader finds every image where it was
// placed, with its pixel vectors and its definition's file.

#include "TestUtil.h"
#include "dxf/DXFExport.h"
#include "image/ImageSet.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace mv;

namespace {

TRgbaImage Checker(std::uint32_t w, std::uint32_t h, std::uint8_t alpha) {
    TRgbaImage image(w, h);
    for (std::uint32_t y = 0; y < h; ++y)
        for (std::uint32_t x = 0; x < w; ++x) {
            std::uint8_t* p = image.Row(y) + 4 * x;
            p[0] = (x + y) % 2 ? 255 : 0;
            p[1] = static_cast<std::uint8_t>(x * 40);
            p[2] = static_cast<std::uint8_t>(y * 40);
            p[3] = alpha;
        }
    return image;
}

} // namespace

TEST(IndependentReader, ImagesInBothVersions) {
    test::TTempDir dir;
    std::vector<std::string> files;
    const TRgbaImage opaque = Checker(4, 3, 255);
    const TRgbaImage seeThrough = Checker(2, 2, 128);
    for (int version : {0, 1}) {
        const std::string path = dir / ("images" + std::to_string(version) + ".dxf");
        TImageSet images(path);
        TmvDXFExport e;
        e.SetAutoCADVersion(static_cast<std::int8_t>(version));
        e.SetUse01MM(true);
        e.SetImageSet(&images);
        TdxfExportData line;
        line.Point2 = {1000, 1000, 0};
        e.AddLine(line);
        TdxfImageData d;
        d.Pixels = &opaque;
        d.Origin = {100, 200, 0};
        d.U = {50, 0, 0};
        d.V = {0, 50, 0};
        e.AddImage(d);
        // The same pixels turned a quarter to the left: one file, two entities.
        d.Origin = {500, 0, 0};
        d.U = {0, 50, 0};
        d.V = {-50, 0, 0};
        e.AddImage(d);
        d.Pixels = &seeThrough;
        d.U = {10, 0, 0};
        d.V = {0, -10, 0}; // mirrored
        e.AddImage(d);
        e.SaveToFile(path);
        images.Commit();
        files.push_back(path);
        EXPECT_EQ(images.Count(), 2u);
    }
    std::string output;
    EXPECT_EQ(test::RunEzdxfAudit(files, &output), 0) << output;
    for (const char* expected : {
             "images0.dxf: IMAGE at 1,2 u 0.5,0 v 0,0.5 size 4x3 file images0_1.png",
             "images0.dxf: IMAGE at 5,0 u 0,0.5 v -0.5,0 size 4x3 file images0_1.png",
             "images1.dxf: IMAGE at 5,0 u 0.1,0 v 0,-0.1 size 2x2 file images1_2.png",
         })
        EXPECT_NE(output.find(expected), std::string::npos) << expected << "\n" << output;
    EXPECT_TRUE(std::filesystem::exists(dir / "images1_1.png"));
}
