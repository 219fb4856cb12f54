// Bitmaps as records carry them, built byte by byte: every depth and
// compression, and headers and streams that lie.

#include "image/Dib.h"
#include "image/PngCodec.h"

#include <gtest/gtest.h>

#include <limits>
#include <sstream>

using namespace mv;

namespace {

using TBytes = std::vector<std::uint8_t>;

void Put(TBytes& b, std::uint64_t v, int size) {
    for (int i = 0; i < size; ++i)
        b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// A BITMAPINFOHEADER (or a longer one, zero-filled) and what follows it.
TBytes Info(std::int32_t w, std::int32_t h, int bpp, std::uint32_t compression = 0,
            std::uint32_t sizeImage = 0, std::uint32_t headerSize = 40, std::uint32_t clrUsed = 0) {
    const std::pair<std::uint64_t, int> fields[] = {
        {headerSize, 4}, {std::uint32_t(w), 4}, {std::uint32_t(h), 4}, {1, 2},
        {bpp, 2},        {compression, 4},      {sizeImage, 4},        {0, 8},
        {clrUsed, 4}};
    TBytes b;
    for (auto [value, size] : fields)
        Put(b, value, size);
    b.resize(headerSize, 0);
    return b;
}

void Add(TBytes& b, std::initializer_list<std::uint32_t> values, int size = 4) {
    for (std::uint32_t v : values)
        Put(b, v, size);
}

// Every pixel as 0xRRGGBBAA, top row first.
std::vector<std::uint32_t> All(const TDib& dib) {
    std::vector<std::uint32_t> px;
    const std::span<const std::uint8_t> p = dib.Image.Pixels();
    for (std::size_t i = 0; i < p.size(); i += 4)
        px.push_back(std::uint32_t{p[i]} << 24 | p[i + 1] << 16 | p[i + 2] << 8 | p[i + 3]);
    return px;
}
using TPx = std::vector<std::uint32_t>;
constexpr std::uint32_t R = 0xFF0000FF, B = 0x0000FFFF, K = 0x000000FF,
                        T = 0; // red, blue, black, transparent

TDib Decode(const TBytes& info, const TBytes& bits, TDibUsage usage = TDibUsage::RgbColors,
            std::span<const TRgb> palette = {}, bool alphaByte = false) {
    return DecodeDib({info, bits, usage, palette, alphaByte});
}

} // namespace

TEST(Dib, IndexedDepthsReadTheirColourTablesBottomUpAndTopDown) {
    // 1 bpp, 3 x 2, bottom-up: the first stored row is the lower one.
    TBytes info = Info(3, 2, 1);
    Add(info, {0x000000FF, 0x00FF0000}); // blue, red (blue first)
    TDib dib = Decode(info, {0b10100000, 0, 0, 0, 0b01000000, 0, 0, 0});
    EXPECT_TRUE(dib.BottomUp);
    EXPECT_EQ(All(dib), (TPx{B, R, B, R, B, R}));
    // 4 bpp, two of sixteen entries given: a missing one is black.
    info = Info(3, 1, 4, 0, 0, 40, 2);
    Add(info, {0x00102030, 0x00405060});
    EXPECT_EQ(All(Decode(info, {0x01, 0xF0, 0, 0})), (TPx{0x102030FF, 0x405060FF, K}));
    // 8 bpp top-down, rows padded to four bytes.
    info = Info(2, -2, 8);
    info.resize(40 + 256 * 4, 0);
    info[40 + 4 * 7 + 2] = 0xFF;
    dib = Decode(info, {7, 0, 0, 0, 0, 7, 0, 0});
    EXPECT_FALSE(dib.BottomUp);
    EXPECT_EQ(All(dib), (TPx{R, K, K, R}));
    // The core header: 16-bit sizes, three-byte table entries.
    TBytes core;
    Add(core, {12}, 4);
    Add(core, {2, 1, 1, 1}, 2);
    Add(core, {0x000000, 0xFF0000}, 3);
    EXPECT_EQ(All(Decode(core, {0b01000000, 0, 0, 0})), (TPx{K, R}));
}

TEST(Dib, PaletteIndicesUseThePaletteOrAGreyRamp) {
    TBytes info = Info(2, 1, 1);
    Add(info, {0, 1}, 2);
    const TRgb palette[] = {{1, 2, 3}, {200, 100, 50}};
    EXPECT_EQ(All(Decode(info, {0b01000000, 0, 0, 0}, TDibUsage::PalColors, palette)),
              (TPx{0x010203FF, 0xC86432FF}));
    EXPECT_EQ(All(Decode(info, {0b01000000, 0, 0, 0}, TDibUsage::PalColors)), (TPx{K, 0xFFFFFFFF}));
}

TEST(Dib, DirectColoursWithAndWithoutMasks) {
    // 16 bpp 5-5-5 (red 31, green 3 of 31), then 5-6-5 through masks after a plain header.
    EXPECT_EQ(All(Decode(Info(1, 1, 16), {0x60, 0x7C, 0, 0})), (TPx{0xFF1900FF}));
    TBytes info = Info(1, 1, 16, 3);
    Add(info, {0xF800, 0x07E0, 0x001F});
    EXPECT_EQ(All(Decode(info, {0xE0, 0x07, 0, 0})), (TPx{0x00FF00FF}));
    // 24 and 32 bpp: the fourth byte counts only when asked for.
    EXPECT_EQ(All(Decode(Info(1, 1, 24), {1, 2, 3, 0})), (TPx{0x030201FF}));
    EXPECT_EQ(All(Decode(Info(1, 1, 32), {1, 2, 3, 9})), (TPx{0x030201FF}));
    EXPECT_EQ(All(Decode(Info(1, 1, 32), {1, 2, 3, 0x40}, TDibUsage::RgbColors, {}, true)),
              (TPx{0x03020140}));
    // A V5 header carries its masks, the alpha mask among them.
    info = Info(2, 1, 32, 3, 0, 124);
    const std::uint32_t masks[] = {0x000000FF, 0x0000FF00, 0x00FF0000, 0xFF000000};
    for (int i = 0; i < 4; ++i)
        for (int k = 0; k < 4; ++k)
            info[40 + 4 * i + k] = static_cast<std::uint8_t>(masks[i] >> (8 * k));
    EXPECT_EQ(All(Decode(info, {0x11, 0x22, 0x33, 0x80, 0x11, 0x22, 0x33, 0x00})),
              (TPx{0x11223380, 0x11223300}));
}

TEST(Dib, RunLengthStreamsOfBothDepthsLeaveSkippedPixelsTransparent) {
    TBytes info = Info(6, 3, 8, 1);
    info.resize(40 + 256 * 4, 0);
    info[40 + 4 * 1 + 2] = 0xFF; // 1 red
    info[40 + 4 * 2 + 0] = 0xFF; // 2 blue
    // Two red; literal blue red blue (padded); end of line; move 2 right and 1 up; one blue; end.
    EXPECT_EQ(All(Decode(info, {2, 1, 0, 3, 2, 1, 2, 0, 0, 0, 0, 2, 2, 1, 1, 2, 0, 1})),
              (TPx{T, T, B, T, T, T, /**/ T, T, T, T, T, T, /**/ R, R, B, R, B, T}));
    info = Info(5, 1, 4, 2);
    Add(info, {0, 0x00FF0000, 0x000000FF});
    // An alternating run, then a literal that reaches past the row end.
    EXPECT_EQ(All(Decode(info, {3, 0x12, 0, 3, 0x21, 0x20, 0, 1})), (TPx{R, B, R, B, R}));
}

TEST(Dib, HostileRunLengthStreamsStayInsideTheImage) {
    TBytes info = Info(4, 2, 8, 1);
    info.resize(40 + 256 * 4, 0xFF);
    const std::vector<TBytes> streams = {
        {255, 1, 255, 1, 255, 1, 0, 0, 255, 1},        // runs far past the row end
        {0, 2, 255, 255, 5, 1, 0, 2, 3, 0, 200, 1},    // moves past the image
        {0, 200, 1, 1},                                // a literal longer than the stream
        {0, 2, 1},                                     // a cut move
        {3, 1, 0, 0, 0, 0, 0, 0, 0, 0, 9, 1, 0, 0, 1}, // more lines than the image has
        {},
    };
    for (const TBytes& stream : streams) {
        TDib dib = Decode(info, stream);
        ASSERT_TRUE(dib);
        EXPECT_EQ(dib.Image.Width(), 4u);
    }
    TBytes four = Info(3, 1, 4, 2);
    four.resize(40 + 16 * 4, 0xFF);
    EXPECT_TRUE(Decode(four, {255, 0x11, 0, 255, 0x11}));
}

TEST(Dib, SizesThatDisagreeWithTheRecordAreRefused) {
    TBytes table = Info(4, 4, 8);
    table.resize(40 + 1024);
    // A height, or a bit count, that needs more bits than the record has.
    EXPECT_EQ(Decode(table, TBytes(12)).Failure, TDibFailure::BitsTooShort);
    EXPECT_EQ(Decode(Info(4, 4, 32), TBytes(16)).Failure, TDibFailure::BitsTooShort);
    // A huge size claim for an encoded stream is not trusted; the stream is used.
    TBytes rle = Info(4, 4, 8, 1, 0xFFFFFFF0);
    rle.resize(40 + 1024);
    EXPECT_TRUE(Decode(rle, {4, 1, 0, 1}));
    // Past the pixel limit before any allocation, with or without bits.
    EXPECT_EQ(Decode(Info(20000, 20000, 1), {}).Failure, TDibFailure::TooLarge);
    EXPECT_EQ(Decode(Info(100000, 100000, 8, 1), {0, 1}).Failure, TDibFailure::TooLarge);
    EXPECT_EQ(Decode(Info(0, 4, 24), TBytes(64)).Failure, TDibFailure::BadDimensions);
    EXPECT_EQ(Decode(Info(4, std::numeric_limits<std::int32_t>::min(), 24), {}).Failure,
              TDibFailure::TooLarge);
    EXPECT_EQ(Decode(Info(2, 2, 7), TBytes(64)).Failure, TDibFailure::FormatUnsupported);
    EXPECT_EQ(Decode(Info(2, -2, 8, 1), TBytes(64)).Failure, TDibFailure::FormatUnsupported);
    EXPECT_EQ(Decode(Info(2, 2, 16, 3), TBytes(64)).Failure, TDibFailure::HeaderTooShort); // masks missing
    EXPECT_EQ(Decode(Info(2, 2, 24, 0, 0, 64), TBytes(64)).Failure, TDibFailure::HeaderUnsupported);
    TBytes cut = Info(2, 2, 24);
    cut.resize(30);
    EXPECT_EQ(Decode(cut, TBytes(64)).Failure, TDibFailure::HeaderTooShort);
    EXPECT_STREQ(DibFailureText(TDibFailure::TooLarge), "Bitmap größer als 100 Megapixel");
}

TEST(Dib, EmbeddedJpegAndPngAreHandedOnAsTheyAre) {
    std::ostringstream png;
    WritePng(TRgbaImage(3, 2), png);
    const std::string text = png.str();
    const TBytes pngBytes(text.begin(), text.end());
    TDib dib = Decode(Info(3, 2, 0, 5), pngBytes);
    ASSERT_TRUE(dib && dib.Embedded);
    EXPECT_EQ(dib.Embedded->Kind, TEmbeddedKind::Png);
    EXPECT_EQ(dib.Embedded->Bytes, pngBytes);
    EXPECT_EQ(dib.Embedded->Width, 3u);

    // Start of image, an application segment, a fill byte, a frame header of 640 x 480.
    const TBytes jpeg = {0xFF, 0xD8, 0xFF, 0xE0, 0, 4, 1, 2, 0xFF, 0xFF, 0xC0, 0, 11, 8, 1, 0xE0, 2, 0x80, 3};
    dib = Decode(Info(1, 1, 0, 4), jpeg);
    ASSERT_TRUE(dib && dib.Embedded);
    EXPECT_EQ(dib.Embedded->Kind, TEmbeddedKind::Jpeg);
    EXPECT_EQ(dib.Embedded->Width, 640u);
    EXPECT_EQ(dib.Embedded->Height, 480u);
    EXPECT_EQ(Decode(Info(1, 1, 0, 4), TBytes(jpeg.begin(), jpeg.begin() + 12)).Failure,
              TDibFailure::BadEmbedded);
    EXPECT_EQ(Decode(Info(1, 1, 0, 5), jpeg).Failure, TDibFailure::BadEmbedded);
}

TEST(Dib, PackedBitmapsAndRecordSpans) {
    TBytes packed = Info(1, 1, 8, 0, 0, 40, 2);
    Add(packed, {0, 0x00123456});
    Add(packed, {1});
    EXPECT_EQ(All(DecodePackedDib(packed, TDibUsage::RgbColors)), (TPx{0x123456FF}));
    EXPECT_EQ(DecodePackedDib(Info(1, 1, 8, 0, 0, 40, 0xFFFFFFFF), TDibUsage::RgbColors).Failure,
              TDibFailure::HeaderTooShort);

    const TBytes record(100);
    EXPECT_EQ(RecordSpan(record, 90, 10)->size(), 10u);
    EXPECT_FALSE(RecordSpan(record, 90, 11));
    EXPECT_FALSE(RecordSpan(record, 0xFFFFFFFFull, 0xFFFFFFFFull));
}
