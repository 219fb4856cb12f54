// Bitmap records in the default mode: where the image lands (U and V carry
// turned and mirrored placements), which part of the bitmap it shows, the
// transparency of the raster operations, and bitmaps that lie.
#include "EmfBuilder.h"
#include "TestUtil.h"
#include "WmfBuilder.h"
#include "dxf/DXFExport.h"
#include "dxf/FigureCollector.h"
#include "image/ImageSet.h"
#include "metafile/EnhMetafile.h"
#include "metafile/Metafile.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace mv;
using namespace mv::test;

namespace {

constexpr std::uint32_t kSrcCopy = 0x00CC0020, kSrcAnd = 0x008800C6, kSrcPaint = 0x00EE0086;

// EMR_BITBLT (rop) or EMR_TRANSPARENTBLT / EMR_ALPHABLEND (operation field)
// of a whole bitmap to (x, y, cx, cy).
std::vector<std::uint8_t> Blit(std::uint32_t type, const TDibBytes& dib, TRectL dest,
                               std::uint32_t operation) {
    TRecordBytes r(type);
    const std::uint32_t fixed = type == emr::BITBLT ? 100 : 108;
    const auto cbBmi = static_cast<std::uint32_t>(dib.Info.size());
    r.Rect(0, 0, 0, 0).I32(dest.Left).I32(dest.Top).I32(dest.Right).I32(dest.Bottom).U32(operation);
    r.I32(0).I32(0).F32(1).F32(0).F32(0).F32(1).F32(0).F32(0).U32(0).U32(0);
    r.U32(fixed).U32(cbBmi).U32(fixed + cbBmi).U32(static_cast<std::uint32_t>(dib.Bits.size()));
    if (type != emr::BITBLT)
        r.I32(static_cast<std::int32_t>(LE32(dib.Info, 4))).I32(static_cast<std::int32_t>(LE32(dib.Info, 8)));
    for (auto b : dib.Info)
        r.U8(b);
    for (auto b : dib.Bits)
        r.U8(b);
    return r.Finish();
}

class BitmapRecords : public ::testing::Test {
protected:
    void Play(const TEmfBuilder& b, bool classic = false) {
        TInterpretSettings settings;
        settings.Classic = classic;
        TmvMetafile interpreter(Sink, settings);
        interpreter.Play(TEnhMetafile::FromEmfBytes(b.Build()));
        Warnings = interpreter.Warnings;
    }
    std::vector<const TmvExpDXFImage*> Images() const {
        std::vector<const TmvExpDXFImage*> images;
        for (const auto& f : Sink.Figures())
            if (f->Kind() == TFigureKind::Image)
                images.push_back(static_cast<const TmvExpDXFImage*>(f.get()));
        return images;
    }
    static std::uint32_t Rgb(const TRgbaImage& image, std::uint32_t x, std::uint32_t y) {
        const std::uint8_t* p = image.Row(y) + 4 * x;
        return std::uint32_t{p[0]} << 16 | std::uint32_t{p[1]} << 8 | p[2];
    }
    static std::uint8_t Alpha(const TRgbaImage& image, std::uint32_t x, std::uint32_t y) {
        return image.Row(y)[4 * x + 3];
    }

    TFigureCollector Sink;
    std::vector<std::string> Warnings;
};

// The test pictures map one logical unit to 31.25 hundredths of a
// millimetre, y upward from the frame's bottom at 100000: the expectations
// are given in logical units with y turned up.
constexpr float kScale = 31.25f, kTop = 100000;

void ExpectPoint(const TdxfPoint& p, float x, float y) {
    EXPECT_FLOAT_EQ(p.x, x * kScale);
    EXPECT_FLOAT_EQ(p.y, kTop + y * kScale);
}

void ExpectVector(const TdxfPoint& p, float x, float y) {
    EXPECT_FLOAT_EQ(p.x, x * kScale);
    EXPECT_FLOAT_EQ(p.y, y * kScale);
}

const TDibBytes kFour =
    Dib24({{0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF}, {0x000000, 0x808080, 0x123456, 0xABCDEF}});

} // namespace

TEST_F(BitmapRecords, UprightTurnedAndMirroredPlacementsComeOutInUAndV) {
    TEmfBuilder b;
    b.StretchDIBits(kFour, {10, 20, 40, 20}, {0, 0, 4, 2});
    // A quarter turn: (x, y) becomes (-y, x) on the page.
    b.SetWorldTransform(0, 1, -1, 0, 0, 0);
    b.StretchDIBits(kFour, {10, 20, 40, 20}, {0, 0, 4, 2});
    // Mirrored: a negative destination width.
    b.SetWorldTransform(1, 0, 0, 1, 0, 0);
    b.StretchDIBits(kFour, {50, 0, -40, 20}, {0, 0, 4, 2});
    Play(b);
    const auto images = Images();
    ASSERT_EQ(images.size(), 3u);
    // Upright: the bottom-left corner (10, 40) turned upward; 10 units a pixel.
    ExpectPoint(images[0]->Origin, 10, -40);
    ExpectVector(images[0]->U, 10, 0);
    ExpectVector(images[0]->V, 0, 10);
    EXPECT_EQ(images[0]->PixelWidth, 4u);
    EXPECT_EQ(images[0]->PixelHeight, 2u);
    ExpectPoint(images[1]->Origin, -40, -10);
    ExpectVector(images[1]->U, 0, -10);
    ExpectVector(images[1]->V, 10, 0);
    ExpectPoint(images[2]->Origin, 50, -20);
    ExpectVector(images[2]->U, -10, 0);
    ExpectVector(images[2]->V, 0, 10);
    // The pixels keep their rows: top row first whatever the placement.
    ASSERT_TRUE(images[1]->Pixels);
    EXPECT_EQ(Rgb(*images[1]->Pixels, 0, 0), 0xFF0000u);
    EXPECT_EQ(Rgb(*images[1]->Pixels, 3, 1), 0xABCDEFu);
}

TEST_F(BitmapRecords, SourceRectangleCropsAndCountsRowsFromTheStoredBottom) {
    TEmfBuilder b;
    // Rows counted from the bottom: row 0 of the source is the lower row.
    b.StretchDIBits(kFour, {0, 0, 20, 10}, {1, 0, 2, 1});
    // Reaching past the bitmap: only the part inside is placed, where it
    // would have been.
    b.StretchDIBits(kFour, {0, 0, 80, 20}, {2, 0, 4, 2});
    Play(b);
    const auto images = Images();
    ASSERT_EQ(images.size(), 2u);
    ASSERT_TRUE(images[0]->Pixels);
    EXPECT_EQ(images[0]->PixelWidth, 2u);
    EXPECT_EQ(images[0]->PixelHeight, 1u);
    EXPECT_EQ(Rgb(*images[0]->Pixels, 0, 0), 0x808080u);
    EXPECT_EQ(Rgb(*images[0]->Pixels, 1, 0), 0x123456u);
    ExpectVector(images[0]->U, 10, 0);
    EXPECT_EQ(images[1]->PixelWidth, 2u);
    ExpectPoint(images[1]->Origin, 0, -20);
    ExpectVector(images[1]->U, 20, 0);
}

TEST_F(BitmapRecords, MaskThenImageAtOnePlaceBecomeOneImageWithTransparency) {
    const TDibBytes mask = Dib24({{0x000000, 0xFFFFFF}});
    const TDibBytes image = Dib24({{0x336699, 0x000000}});
    TEmfBuilder b;
    b.Add(Blit(emr::BITBLT, mask, {5, 5, 2, 1}, kSrcAnd));
    b.Add(TRecordBytes(emr::SETSTRETCHBLTMODE).U32(3)); // may come between them
    b.Add(Blit(emr::BITBLT, image, {5, 5, 2, 1}, kSrcPaint));
    // A mask whose image goes elsewhere is drawn as it shows: a copy.
    b.Add(Blit(emr::BITBLT, mask, {50, 5, 2, 1}, kSrcAnd));
    b.Add(Blit(emr::BITBLT, image, {60, 5, 2, 1}, kSrcPaint));
    Play(b);
    const auto images = Images();
    ASSERT_EQ(images.size(), 3u);
    ASSERT_TRUE(images[0]->Pixels);
    EXPECT_EQ(Rgb(*images[0]->Pixels, 0, 0), 0x336699u);
    EXPECT_EQ(Alpha(*images[0]->Pixels, 0, 0), 255);
    EXPECT_EQ(Alpha(*images[0]->Pixels, 1, 0), 0);
    EXPECT_TRUE(images[0]->Transparent);
    ExpectPoint(images[1]->Origin, 50, -6);
    EXPECT_FALSE(images[1]->Transparent);
    ExpectPoint(images[2]->Origin, 60, -6);
}

TEST_F(BitmapRecords, TransparentColourAndConstantAlpha) {
    const TDibBytes two = Dib24({{0x00FF00, 0x123456}});
    TEmfBuilder b;
    b.Add(Blit(emr::TRANSPARENTBLT, two, {0, 0, 2, 1}, 0x0000FF00)); // COLORREF of green
    b.Add(Blit(emr::ALPHABLEND, two, {0, 0, 2, 1}, 0x00800000));     // constant alpha 128
    Play(b);
    const auto images = Images();
    ASSERT_EQ(images.size(), 2u);
    EXPECT_EQ(Alpha(*images[0]->Pixels, 0, 0), 0);
    EXPECT_EQ(Alpha(*images[0]->Pixels, 1, 0), 255);
    EXPECT_EQ(Alpha(*images[1]->Pixels, 0, 0), 128);
    EXPECT_EQ(Alpha(*images[1]->Pixels, 1, 0), 128);
}

TEST_F(BitmapRecords, LyingBitmapsAreLeftOutWithAWarning) {
    TEmfBuilder b;
    // A header that claims 100000 x 100000 pixels over a few bytes of bits.
    TDibBytes huge = kFour;
    huge.Info[4] = 0xA0, huge.Info[5] = 0x86, huge.Info[6] = 0x01;
    huge.Info[8] = 0xA0, huge.Info[9] = 0x86, huge.Info[10] = 0x01;
    b.StretchDIBits(huge, {0, 0, 10, 10}, {0, 0, 4, 2});
    // The bitmap's offset points past the record.
    TEmfBuilder one;
    one.StretchDIBits(kFour, {0, 0, 10, 10}, {0, 0, 4, 2});
    const TEnhMetafile built = TEnhMetafile::FromEmfBytes(one.Build());
    std::vector<std::uint8_t> outside(built.Records()[1].Bytes.begin(), built.Records()[1].Bytes.end());
    outside[48] = 0xF0, outside[49] = 0xFF;
    b.Add(outside);
    // A record too short for its own fields.
    b.Add(TRecordBytes(emr::STRETCHDIBITS).I32(0).I32(0));
    b.StretchDIBits(kFour, {0, 0, 10, 10}, {0, 0, 4, 2});
    Play(b);
    EXPECT_EQ(Images().size(), 1u);
    ASSERT_EQ(Warnings.size(), 3u);
    EXPECT_EQ(Warnings[0], "Bild ausgelassen: Bitmap größer als 100 Megapixel");
    EXPECT_EQ(Warnings[1], "Bild ausgelassen: Bitmap liegt außerhalb des Datensatzes");
    EXPECT_EQ(Warnings[2], "Bild ausgelassen: Datensatz zu kurz");
}

TEST_F(BitmapRecords, ClassicDrawsNoBitmap) {
    TEmfBuilder b;
    b.StretchDIBits(kFour, {0, 0, 10, 10}, {0, 0, 4, 2});
    Play(b, true);
    EXPECT_TRUE(Sink.Figures().empty());
}

TEST_F(BitmapRecords, WindowsMetafileBitmapsBecomeTheSameImages) {
    // META_STRETCHDIB: rop, usage, source h, w, y, x, destination h, w, y, x, packed bitmap.
    TWmfRecord stretch(0x0F43);
    stretch.U32(kSrcCopy).W(0).W(2).W(4).W(0).W(0).W(20).W(40).W(20).W(10);
    std::string packed(kFour.Info.begin(), kFour.Info.end());
    packed.append(kFour.Bits.begin(), kFour.Bits.end());
    stretch.Bytes(packed);
    TWmfBuilder w;
    w.Add(stretch);
    TmvMetafile interpreter(Sink);
    interpreter.Play(TEnhMetafile::FromFileBytes(w.Build()));
    const auto images = Images();
    ASSERT_EQ(images.size(), 1u);
    // The converted picture maps a unit to 1.764 hundredths of a millimetre.
    constexpr float unit = 1.764f;
    EXPECT_NEAR(images[0]->Origin.x, 10 * unit, 1e-3);
    EXPECT_NEAR(images[0]->Origin.y, 1764 - 40 * unit, 1e-2);
    EXPECT_NEAR(images[0]->U.x, 10 * unit, 1e-3);
    EXPECT_NEAR(images[0]->U.y, 0, 1e-3);
    EXPECT_EQ(Rgb(*images[0]->Pixels, 3, 1), 0xABCDEFu);
}

TEST(BitmapFiles, IdenticalBitmapsAreWrittenOnce) {
    TTempDir dir;
    const std::string path = dir / "plan.dxf";
    TImageSet images(path);
    TmvDXFExport e;
    e.SetImageSet(&images);
    TEmfBuilder b;
    b.StretchDIBits(kFour, {0, 0, 40, 20}, {0, 0, 4, 2});
    b.StretchDIBits(kFour, {100, 0, 80, 40}, {0, 0, 4, 2});
    e.LoadFromMetafile(TEnhMetafile::FromEmfBytes(b.Build()));
    const std::string dxf = e.SaveToString();
    EXPECT_EQ(images.Count(), 1u);
    std::size_t entities = 0;
    for (std::size_t at = dxf.find("  0\r\nIMAGE\r\n"); at != std::string::npos;
         at = dxf.find("  0\r\nIMAGE\r\n", at + 1))
        ++entities;
    EXPECT_EQ(entities, 2u);
    EXPECT_NE(dxf.find("plan_1.png"), std::string::npos);
}

TEST_F(BitmapRecords, ClippingKeepsOrDropsAnImageByItsBox) {
    TEmfBuilder b;
    TRecordBytes clip(emr::INTERSECTCLIPRECT);
    clip.Rect(0, 0, 30, 30);
    b.Add(clip);
    b.StretchDIBits(kFour, {20, 20, 40, 20}, {0, 0, 4, 2});   // reaches in: kept whole
    b.StretchDIBits(kFour, {100, 100, 40, 20}, {0, 0, 4, 2}); // outside: dropped
    Play(b);
    const auto images = Images();
    ASSERT_EQ(images.size(), 1u);
    ExpectPoint(images[0]->Origin, 20, -40);
}

TEST_F(BitmapRecords, ABlitWithABitmapDrawsItAndOneWithoutPaintsItsRectangle) {
    constexpr std::uint32_t kBlackness = 0x00000042;
    TEmfBuilder b;
    b.Add(Blit(emr::BITBLT, kFour, {0, 0, 40, 20}, kSrcCopy));
    TRecordBytes solid(emr::BITBLT);
    solid.Rect(0, 0, 0, 0).I32(0).I32(0).I32(40).I32(20).U32(kBlackness);
    solid.I32(0).I32(0).F32(1).F32(0).F32(0).F32(1).F32(0).F32(0).U32(0).U32(0);
    solid.U32(0).U32(0).U32(0).U32(0);
    b.Add(solid);
    Play(b);
    ASSERT_EQ(Sink.Figures().size(), 2u);
    EXPECT_EQ(Sink.Figures()[0]->Kind(), TFigureKind::Image);
    EXPECT_NE(Sink.Figures()[1]->Kind(), TFigureKind::Image);
}

TEST(BitmapFiles, AReplayedDrawingNamesTheSameDefinitionsInEntitiesAndObjects) {
    TTempDir dir;
    TImageSet images(dir / "plan.dxf");
    TmvDXFExport e;
    e.SetImageSet(&images);
    TEmfBuilder b;
    b.StretchDIBits(kFour, {0, 0, 40, 20}, {0, 0, 4, 2});
    b.Poly(emr::POLYLINE, {{0, 0}, {10, 10}});
    b.StretchDIBits(kFour, {100, 0, 80, 40}, {0, 0, 4, 2});
    // Loaded without keeping its figures: they are made again while written.
    e.AdoptMetafile(TEnhMetafile::FromEmfBytes(b.Build()));
    EXPECT_TRUE(e.Figures().empty());
    std::ostringstream first, again;
    e.SaveToStream(first);
    e.RewriteToStream(again);
    const std::string dxf = first.str();
    EXPECT_EQ(again.str(), dxf);
    EXPECT_EQ(images.Count(), 1u);
    // Both entities name the one definition, whose reactors name both.
    const std::string key = "  0\r\nIMAGEDEF\r\n  5\r\n";
    const auto def = dxf.find(key);
    ASSERT_NE(def, std::string::npos);
    const auto at = def + key.size();
    const std::string handle = dxf.substr(at, dxf.find("\r\n", at) - at);
    std::size_t named = 0;
    for (std::size_t at = dxf.find("340\r\n" + handle + "\r\n"); at != std::string::npos;
         at = dxf.find("340\r\n" + handle + "\r\n", at + 1))
        ++named;
    EXPECT_EQ(named, 2u);
    std::size_t reactors = 0;
    for (std::size_t at = dxf.find("  0\r\nIMAGEDEF_REACTOR\r\n"); at != std::string::npos;
         at = dxf.find("  0\r\nIMAGEDEF_REACTOR\r\n", at + 1))
        ++reactors;
    EXPECT_EQ(reactors, 2u);
}
