// What raster records do to a decoded bitmap, and the PNG files beside the
// drawing: read back, written once per distinct image, never over a file.

#include "TestUtil.h"
#include "image/ImageSet.h"
#include "image/PngCodec.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <sstream>

using namespace mv;

namespace {

TRgbaImage Pattern(std::uint32_t w, std::uint32_t h, std::uint8_t alpha = 255, std::uint8_t seed = 0) {
    TRgbaImage image(w, h);
    for (std::uint32_t y = 0; y < h; ++y)
        for (std::uint32_t x = 0; x < w; ++x) {
            std::uint8_t* p = image.Row(y) + 4 * x;
            p[0] = static_cast<std::uint8_t>(x * 7 + seed);
            p[1] = static_cast<std::uint8_t>(y * 13);
            p[2] = static_cast<std::uint8_t>(x ^ y);
            p[3] = alpha;
        }
    return image;
}

void Set(TRgbaImage& image, std::uint32_t x, std::uint32_t y, std::uint8_t r, std::uint8_t g, std::uint8_t b,
         std::uint8_t a = 255) {
    std::uint8_t* p = image.Row(y) + 4 * x;
    p[0] = r, p[1] = g, p[2] = b, p[3] = a;
}

std::uint8_t Alpha(const TRgbaImage& image, std::uint32_t x, std::uint32_t y) {
    return image.Row(y)[4 * x + 3];
}

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    const std::string text = test::ReadText(path);
    return {text.begin(), text.end()};
}

} // namespace

TEST(ImageOps, CropCutsToTheImage) {
    const TRgbaImage image = Pattern(5, 4);
    TRgbaImage part = Crop(image, {3, 1, 10, 2});
    ASSERT_EQ(part.Width(), 2u);
    ASSERT_EQ(part.Height(), 2u);
    EXPECT_EQ(0, std::memcmp(part.Row(1), image.Row(2) + 12, 8));
    EXPECT_TRUE(Crop(image, {5, 0, 3, 3}).Empty());
    EXPECT_TRUE(Crop(image, {-4, -4, 2, 2}).Empty());
    EXPECT_EQ(Crop(image, {INT32_MIN, 0, INT32_MAX, 1}).Width(), 0u);
    EXPECT_EQ(Crop(image, {-1, -1, 100, 100}).Width(), 5u);
}

TEST(ImageOps, TransparencyFromAColourAMaskAndAlphaBlending) {
    TRgbaImage image = Pattern(2, 2);
    Set(image, 1, 0, 255, 0, 255);
    MakeColourTransparent(image, TRgb::FromColorRef(0x00FF00FF));
    EXPECT_EQ(Alpha(image, 1, 0), 0);
    EXPECT_EQ(Alpha(image, 0, 0), 255);

    // A monochrome mask one pixel to the left of the image: its column 0 is not used.
    TRgbaImage mask(3, 2); // black
    Set(mask, 2, 1, 255, 255, 255);
    TRgbaImage masked = Pattern(2, 2);
    ApplyMask(masked, mask, TMaskShows::WhereWhite, 1, 0);
    EXPECT_EQ(Alpha(masked, 1, 1), 255);
    EXPECT_EQ(Alpha(masked, 0, 1), 0);
    EXPECT_EQ(Alpha(masked, 0, 0), 0);
    TRgbaImage sprite = Pattern(2, 2); // the AND mask of a sprite: black shows the image
    ApplyMask(sprite, mask, TMaskShows::WhereBlack, 1, 1);
    EXPECT_EQ(Alpha(sprite, 1, 0), 0);
    EXPECT_EQ(Alpha(sprite, 0, 0), 255);
    EXPECT_EQ(Alpha(sprite, 1, 1), 255); // outside the mask: unchanged

    TRgbaImage blend(3, 1);
    Set(blend, 0, 0, 64, 32, 0, 128); // premultiplied: twice as bright straight
    Set(blend, 1, 0, 10, 10, 10, 0);  // adds light only: left out
    Set(blend, 2, 0, 200, 100, 50, 255);
    ApplyAlphaBlend(blend, 255, true);
    EXPECT_EQ(blend.Row(0)[0], 128);
    EXPECT_EQ(blend.Row(0)[1], 64);
    EXPECT_EQ(blend.Row(0)[4], 0);
    EXPECT_EQ(Alpha(blend, 1, 0), 0);
    ApplyAlphaBlend(blend, 51, false);
    EXPECT_EQ(Alpha(blend, 0, 0), 26);
    EXPECT_EQ(Alpha(blend, 2, 0), 51);
    EXPECT_EQ(blend.Row(0)[8], 200);
}

TEST(ImageOps, AverageColourWeighsByAlpha) {
    TRgbaImage image(2, 1);
    Set(image, 0, 0, 255, 0, 0, 255);
    Set(image, 1, 0, 0, 0, 255, 0);
    EXPECT_EQ(AverageColour(image), (TRgb{255, 0, 0}));
    Set(image, 0, 0, 255, 0, 0, 0);
    EXPECT_EQ(AverageColour(image), (TRgb{128, 0, 128}));
}

TEST(Png, RoundTripKeepsEveryPixelAndDropsAlphaOnlyWhenOpaque) {
    for (const std::uint8_t alpha : {std::uint8_t{255}, std::uint8_t{77}}) {
        TRgbaImage image = Pattern(37, 11, alpha);
        Set(image, 3, 4, 1, 2, 3, 255);
        std::ostringstream out;
        WritePng(image, out);
        const std::string text = out.str();
        const std::vector<std::uint8_t> bytes(text.begin(), text.end());
        ASSERT_GT(bytes.size(), 26u);
        EXPECT_EQ(bytes[25], alpha == 255 ? 2 : 6); // IHDR colour type: RGB or RGBA
        const TRgbaImage back = ReadPng(bytes);
        ASSERT_EQ(back.Width(), 37u);
        EXPECT_TRUE(std::ranges::equal(back.Pixels(), image.Pixels()));
    }
    EXPECT_TRUE(ReadPng(std::vector<std::uint8_t>(40, 0x89)).Empty());
}

TEST(ImageSet, IdenticalImagesAreWrittenOnceAndTakenNamesPassedOver) {
    test::TTempDir dir;
    test::WriteBytes(dir / "plan_1.png", {'u', 's', 'e', 'r'});
    const std::vector<std::uint8_t> jpeg = {0xFF, 0xD8, 0xFF, 0xD9};
    std::vector<std::string> lines;
    {
        TImageSet set(dir / "plan.dxf");
        const std::size_t a = set.Add(Pattern(8, 8));
        const std::size_t b = set.Add(Crop(Pattern(9, 9), {0, 0, 8, 8}));
        const std::size_t c = set.Add(Pattern(8, 8, 255, 1));
        const std::size_t d = set.Add(TEmbeddedImage{TEmbeddedKind::Jpeg, jpeg, 4, 3});
        EXPECT_EQ(a, b);
        EXPECT_NE(a, c);
        EXPECT_EQ(set.Count(), 3u);
        EXPECT_EQ(set.File(a).FileName, "plan_2.png");
        EXPECT_EQ(set.File(c).FileName, "plan_3.png");
        EXPECT_EQ(set.File(d).FileName, "plan_4.jpg");
        EXPECT_EQ(set.File(d).Width, 4u);
        EXPECT_EQ(test::FolderEntries(dir.Path()),
                  std::vector<std::string>{"plan_1.png"}); // nothing before the commit
        // Another program takes a planned name meanwhile.
        test::WriteBytes(dir / "plan_3.png", {'o'});
        const TImageCommit commit = set.Commit();
        EXPECT_TRUE(commit.NamesChanged);
        EXPECT_EQ(set.File(c).FileName, "plan_5.png");
        lines = commit.Lines;
    }
    EXPECT_EQ(lines,
              (std::vector<std::string>{dir / "plan_2.png (plan_1.png ist belegt)",
                                        dir / "plan_5.png (plan_3.png ist belegt)", dir / "plan_4.jpg"}));
    EXPECT_EQ(test::ReadText(dir / "plan_1.png"), "user");
    EXPECT_EQ(test::ReadText(dir / "plan_3.png"), "o");
    EXPECT_TRUE(std::ranges::equal(ReadPng(ReadBytes(dir / "plan_2.png")).Pixels(), Pattern(8, 8).Pixels()));
    EXPECT_EQ(ReadBytes(dir / "plan_4.jpg"), jpeg);
}

TEST(ImageSet, NothingStaysWithoutACommit) {
    test::TTempDir dir;
    {
        TImageSet set(dir / "plan.dxf");
        set.Add(Pattern(4, 4));
        set.Add(TRgbaImage(2048, 2048)); // large: already in its temporary file
        set.Discard();
        EXPECT_TRUE(set.Commit().Lines.empty());
    }
    {
        TImageSet set(dir / "plan.dxf");
        set.Add(TRgbaImage(2048, 2048));
    }
    EXPECT_TRUE(test::FolderEntries(dir.Path()).empty());
}
