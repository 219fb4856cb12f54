#include "metafile/WmfConverter.h"
#include "EmfBuilder.h"
#include "WmfBuilder.h"
#include "dxf/DXFExport.h"
#include "metafile/EnhMetafile.h"
#include "platform/Errors.h"

#include <gtest/gtest.h>

using namespace mv;
using test::TEmfBuilder;
using test::TWmfBuilder;
using test::TWmfRecord;

namespace {

const std::string Invalid = "Metadatei ist ungültig";

TEnhMetafile Load(const std::vector<std::uint8_t>& wmf) {
    return TEnhMetafile::FromFileBytes(wmf);
}

std::string ErrorOf(const std::vector<std::uint8_t>& bytes) {
    try {
        TEnhMetafile::FromFileBytes(bytes);
    } catch (const TmvError& e) {
        return e.what();
    }
    return "";
}

// The records between header (and the bounding-box comment after it) and end-of-file.
std::vector<TEmrRecord> Body(const TEnhMetafile& mf) {
    const auto& all = mf.Records();
    EXPECT_GE(all.size(), 3u);
    EXPECT_EQ(all.front().Type, emr::HEADER);
    EXPECT_EQ(all[1].Type, emr::GDICOMMENT);
    EXPECT_EQ(all.back().Type, emr::EOF_);
    return std::vector<TEmrRecord>(all.begin() + 2, all.end() - 1);
}

// The record's 32-bit fields after type and size.
std::vector<std::int32_t> Fields(const TEmrRecord& r) {
    TRecordReader rd(r.Bytes);
    std::vector<std::int32_t> f;
    for (std::size_t at = 8; at + 4 <= rd.Size(); at += 4)
        f.push_back(rd.I32(at));
    return f;
}

std::vector<std::uint32_t> Types(const std::vector<TEmrRecord>& records) {
    std::vector<std::uint32_t> t;
    for (const auto& r : records)
        t.push_back(r.Type);
    return t;
}

// The text units of an EMR_EXTTEXTOUTW record.
std::u16string TextOf(const TEmrRecord& r) {
    TRecordReader rd(r.Bytes);
    const std::uint32_t n = rd.U32(44), off = rd.U32(48);
    std::u16string s;
    for (std::uint32_t i = 0; i < n; ++i)
        s.push_back(static_cast<char16_t>(rd.U16(off + 2 * i)));
    return s;
}

} // namespace

TEST(WmfConverter, HeaderCarriesFrameFromBoundingBoxAndHonestCounts) {
    TWmfBuilder b;
    b.CreatePen(0, 1, 0).CreateBrush(0, 0xFF).MoveTo(0, 0).LineTo(10, 10);
    const auto bytes = b.Build(100, 50, 1540, 770, 1440); // 1 inch by 0.5 inch
    const TEnhMetafile mf = Load(bytes);
    TRecordReader h(mf.Records().front().Bytes);
    EXPECT_EQ(h.U32(40), 0x464D4520u);
    EXPECT_EQ(std::vector<std::int32_t>({h.I32(24), h.I32(28), h.I32(32), h.I32(36)}),
              std::vector<std::int32_t>({0, 0, 2540, 1270}));
    EXPECT_GT(h.I32(16), 0); // bounds in reference-device pixels
    EXPECT_GT(h.I32(20), 0);
    EXPECT_EQ(h.U32(48), mf.Bytes().size());
    EXPECT_EQ(h.U32(52), mf.Records().size());
    EXPECT_EQ(h.U16(56), 3u); // two objects at indices 1 and 2, plus the reserved index 0

    // 576 units per inch: 576 units are 25.4 mm.
    const TEnhMetafile other = Load(TWmfBuilder().Build(0, 0, 576, 288, 576));
    TRecordReader h2(other.Records().front().Bytes);
    EXPECT_EQ(h2.I32(32), 2540);
    EXPECT_EQ(h2.I32(36), 1270);
}

TEST(WmfConverter, StateRecordsSwapTheWmfParameterOrder) {
    TWmfBuilder b;
    b.SetMapMode(8).SetWindowOrg(-5, 7).SetWindowExt(300, -200).OffsetWindowOrg(10, 20);
    b.SetTextAlign(24).SetTextColor(0x00123456).MoveTo(1, 2).LineTo(-3, 4).SetPixel(5, -6, 0x0000FF00);
    b.SaveDC().RestoreDC(-1);
    const TEnhMetafile mf = Load(b.Build());
    const auto body = Body(mf);
    ASSERT_EQ(Types(body), (std::vector<std::uint32_t>{
                               emr::SETMAPMODE, emr::SETWINDOWORGEX, emr::SETWINDOWEXTEX, emr::SETWINDOWORGEX,
                               emr::SETTEXTALIGN, emr::SETTEXTCOLOR, emr::MOVETOEX, emr::LINETO,
                               emr::SETPIXELV, emr::SAVEDC, emr::RESTOREDC}));
    EXPECT_EQ(Fields(body[0]), std::vector<std::int32_t>({8}));
    EXPECT_EQ(Fields(body[1]), std::vector<std::int32_t>({-5, 7}));
    EXPECT_EQ(Fields(body[2]), std::vector<std::int32_t>({300, -200}));
    EXPECT_EQ(Fields(body[3]), std::vector<std::int32_t>({5, 27})); // the offset origin, as an absolute one
    EXPECT_EQ(Fields(body[4]), std::vector<std::int32_t>({24}));
    EXPECT_EQ(Fields(body[5]), std::vector<std::int32_t>({0x00123456}));
    EXPECT_EQ(Fields(body[6]), std::vector<std::int32_t>({1, 2}));
    EXPECT_EQ(Fields(body[7]), std::vector<std::int32_t>({-3, 4}));
    EXPECT_EQ(Fields(body[8]), std::vector<std::int32_t>({5, -6, 0x0000FF00}));
    EXPECT_TRUE(Fields(body[9]).empty());
    EXPECT_EQ(Fields(body[10]), std::vector<std::int32_t>({-1}));
}

TEST(WmfConverter, BoxesKeepTheCallsCoordinates) {
    TWmfBuilder b;
    b.Rectangle(10, 20, 110, 70)
        .Rectangle(110, 70, 10, 20)
        .Ellipse(0, 0, 100, 50)
        .RoundRect(0, 0, 100, 60, 20, 16);
    b.ArcLike(0x0817, 0, 0, 100, 100, {100, 50}, {50, 0});
    b.ArcLike(0x081A, 0, 0, 100, 100, {1, 2}, {3, 4});
    b.ArcLike(0x0830, 0, 0, 100, 100, {5, 6}, {7, 8});
    const TEnhMetafile mf = Load(b.Build());
    const auto body = Body(mf);
    ASSERT_EQ(Types(body), (std::vector<std::uint32_t>{emr::RECTANGLE, emr::RECTANGLE, emr::ELLIPSE,
                                                       emr::ROUNDRECT, emr::ARC, emr::PIE, emr::CHORD}));
    EXPECT_EQ(Fields(body[0]), std::vector<std::int32_t>({10, 20, 110, 70}));
    EXPECT_EQ(Fields(body[1]), std::vector<std::int32_t>({110, 70, 10, 20}));
    EXPECT_EQ(Fields(body[2]), std::vector<std::int32_t>({0, 0, 100, 50}));
    EXPECT_EQ(Fields(body[3]), std::vector<std::int32_t>({0, 0, 100, 60, 20, 16}));
    EXPECT_EQ(Fields(body[4]), std::vector<std::int32_t>({0, 0, 100, 100, 100, 50, 50, 0}));
    EXPECT_EQ(Fields(body[5]), std::vector<std::int32_t>({0, 0, 100, 100, 1, 2, 3, 4}));
    EXPECT_EQ(Fields(body[6]), std::vector<std::int32_t>({0, 0, 100, 100, 5, 6, 7, 8}));
}

TEST(WmfConverter, PointListsKeepTheir16BitPointsAndSigns) {
    TWmfBuilder b;
    b.Poly(0x0325, {{-10, 5}, {20, -30000}, {32767, 0}});
    b.Poly(0x0324, {{1, 2}, {3, 4}, {5, 6}});
    b.PolyPolygon({{{0, 0}, {10, 0}, {10, 10}}, {{-1, -1}, {-2, -2}}});
    const TEnhMetafile mf = Load(b.Build());
    const auto body = Body(mf);
    ASSERT_EQ(Types(body), (std::vector<std::uint32_t>{emr::POLYLINE16, emr::POLYGON16, emr::POLYPOLYGON16}));

    TRecordReader line(body[0].Bytes);
    EXPECT_EQ(std::vector<std::int32_t>({line.I32(8), line.I32(12), line.I32(16), line.I32(20)}),
              std::vector<std::int32_t>({-10, -30000, 32767, 5})); // bounds
    ASSERT_EQ(line.U32(24), 3u);
    EXPECT_EQ(line.I16(28), -10);
    EXPECT_EQ(line.I16(30), 5);
    EXPECT_EQ(line.I16(34), -30000);
    EXPECT_EQ(line.I16(36), 32767);
    EXPECT_EQ(line.Size(), 28u + 12u);

    TRecordReader pp(body[2].Bytes);
    EXPECT_EQ(pp.U32(24), 2u); // lists
    EXPECT_EQ(pp.U32(28), 5u); // points in all
    EXPECT_EQ(pp.U32(32), 3u);
    EXPECT_EQ(pp.U32(36), 2u);
    EXPECT_EQ(pp.I16(40 + 4 * 3), -1);
    EXPECT_EQ(pp.I16(40 + 4 * 4 + 2), -2);
}

TEST(WmfConverter, ObjectsBecomeTheirEnhancedForms) {
    TWmfBuilder b;
    b.CreatePen(2, 3, 0x000000FF)
        .CreateBrush(2, 0x00FF0000, 4)
        .CreateFont("Arial", -20, 0, 900, 700, true, true);
    const TEnhMetafile mf = Load(b.Build());
    const auto body = Body(mf);
    ASSERT_EQ(Types(body), (std::vector<std::uint32_t>{emr::CREATEPEN, emr::CREATEBRUSHINDIRECT,
                                                       emr::EXTCREATEFONTINDIRECTW}));
    EXPECT_EQ(Fields(body[0]), std::vector<std::int32_t>({1, 2, 3, 0, 0x000000FF}));
    EXPECT_EQ(Fields(body[1]), std::vector<std::int32_t>({2, 2, 0x00FF0000, 4}));

    TRecordReader f(body[2].Bytes);
    EXPECT_EQ(f.Size(), 8u + 4u + 92u); // index and LOGFONTW
    EXPECT_EQ(f.U32(8), 3u);
    EXPECT_EQ(f.I32(12), -20); // height, sign-extended
    EXPECT_EQ(f.I32(20), 900); // escapement
    EXPECT_EQ(f.I32(28), 700); // weight
    EXPECT_EQ(f.U8(32), 1);    // italic
    EXPECT_EQ(f.U8(33), 1);    // underline
    std::u16string face;
    for (std::size_t at = 40; f.U16(at) != 0; at += 2)
        face.push_back(static_cast<char16_t>(f.U16(at)));
    EXPECT_EQ(face, u"Arial");
}

TEST(WmfConverter, ObjectSlotsFollowTheLowestFreeSlotRule) {
    TWmfBuilder b;
    b.CreatePen(0, 1, 0);      // slot 0
    b.CreatePalette();         // slot 1, nothing enhanced
    b.CreateBrush(0, 0xFF);    // slot 2
    b.CreateRegion();          // slot 3, nothing enhanced
    b.DeleteObject(0);         // frees slot 0
    b.CreateFont("Arial", 12); // slot 0 again
    b.CreatePen(0, 2, 0);      // slot 4
    b.SelectObject(0).SelectObject(1).SelectObject(2).SelectObject(3).SelectObject(4).SelectObject(9);
    b.DeleteObject(1);    // the palette: nothing enhanced, slot 1 free
    b.CreatePen(0, 3, 0); // slot 1
    b.SelectObject(1);
    const TEnhMetafile mf = Load(b.Build());
    const auto body = Body(mf);
    ASSERT_EQ(Types(body), (std::vector<std::uint32_t>{
                               emr::CREATEPEN, emr::CREATEBRUSHINDIRECT, emr::DELETEOBJECT,
                               emr::EXTCREATEFONTINDIRECTW, emr::CREATEPEN, emr::SELECTOBJECT,
                               emr::SELECTOBJECT, emr::SELECTOBJECT, emr::CREATEPEN, emr::SELECTOBJECT}));
    EXPECT_EQ(Fields(body[0])[0], 1);
    EXPECT_EQ(Fields(body[1])[0], 3);
    EXPECT_EQ(Fields(body[2])[0], 1);
    EXPECT_EQ(Fields(body[3])[0], 1);
    EXPECT_EQ(Fields(body[4])[0], 5);
    EXPECT_EQ(Fields(body[5])[0], 1); // font; the palette (slot 1) and region (slot 3) select nothing
    EXPECT_EQ(Fields(body[6])[0], 3);
    EXPECT_EQ(Fields(body[7])[0], 5);
    EXPECT_EQ(Fields(body[8])[0], 2);
    EXPECT_EQ(Fields(body[9])[0], 2);
}

TEST(WmfConverter, TextIsDecodedWithTheSelectedFontsCharacterSet) {
    TWmfBuilder b;
    b.TextOut(10, -20, "Hal\x80\xE4!"); // odd length: padded in the record
    b.CreateFont("Symbol", -12, 2).CreateFont("Arial", -12, 0);
    b.SelectObject(0).TextOut(0, 0, "ab");
    b.SaveDC().SelectObject(1).TextOut(0, 0, "ab").RestoreDC(-1).TextOut(0, 0, "ab");
    const TEnhMetafile mf = Load(b.Build());
    const auto body = Body(mf);
    std::vector<TEmrRecord> texts;
    for (const auto& r : body)
        if (r.Type == emr::EXTTEXTOUTW) texts.push_back(r);
    ASSERT_EQ(texts.size(), 4u);
    EXPECT_EQ(TextOf(texts[0]), u"Hal\u20AC\u00E4!");
    TRecordReader t(texts[0].Bytes);
    EXPECT_EQ(t.I32(36), 10);
    EXPECT_EQ(t.I32(40), -20);
    EXPECT_EQ(t.U32(72), 0u); // no advances given
    EXPECT_EQ(TextOf(texts[1]), u"\uF061\uF062");
    EXPECT_EQ(TextOf(texts[2]), u"ab");
    EXPECT_EQ(TextOf(texts[3]), u"\uF061\uF062"); // the restore brings the symbol font back
}

// A Cyrillic and a Japanese font: their bytes are decoded with the font's
// code page (advances summed over the two bytes of a character), their face
// names as well; classic keeps reading every byte as Windows-1252.
TEST(WmfConverter, OtherScriptsAreDecodedWithTheFontsCodePage) {
    TWmfBuilder b;
    b.CreateFont("Arial", -12, 204).CreateFont("\x82\x6C\x82\x72 \x83\x53\x83\x56\x83\x62\x83\x4E", -12, 128);
    b.SelectObject(0).TextOut(0, 0, "\xCF\xF0\xE8\xE2\xE5\xF2"); // Privet in Windows-1251
    // Nihon, "a", a lone lead byte at the end.
    b.SelectObject(1).ExtTextOut(1, 2, 0,
                                 "\x93\xFA\x96\x7B"
                                 "a\x82",
                                 {10, 1, 12, 2, 5, 7});
    auto texts = [](const TEnhMetafile& mf) {
        std::vector<TEmrRecord> found;
        for (const auto& r : Body(mf))
            if (r.Type == emr::EXTTEXTOUTW || r.Type == emr::EXTCREATEFONTINDIRECTW) found.push_back(r);
        return found;
    };
    auto faceOf = [](const TEmrRecord& r) {
        TRecordReader f(r.Bytes);
        std::u16string face;
        for (std::size_t at = 40; at < 104 && f.U16(at) != 0; at += 2)
            face.push_back(static_cast<char16_t>(f.U16(at)));
        return face;
    };
    const TEnhMetafile mf = Load(b.Build());
    const auto found = texts(mf);
    ASSERT_EQ(found.size(), 4u);
    EXPECT_EQ(faceOf(found[1]), u"\uFF2D\uFF33 \u30B4\u30B7\u30C3\u30AF");
    EXPECT_EQ(TextOf(found[2]), u"\u041F\u0440\u0438\u0432\u0435\u0442");
    EXPECT_EQ(TextOf(found[3]), u"\u65E5\u672Ca\uFFFD");
    TRecordReader t(found[3].Bytes);
    const std::uint32_t offDx = t.U32(72);
    EXPECT_EQ(
        std::vector<std::int32_t>({t.I32(offDx), t.I32(offDx + 4), t.I32(offDx + 8), t.I32(offDx + 12)}),
        std::vector<std::int32_t>({11, 14, 5, 7}));

    // The records point into the metafile, which must outlive them.
    const TEnhMetafile classicMf = TEnhMetafile::FromFileBytes(b.Build(), {.Classic = true});
    const auto classic = texts(classicMf);
    EXPECT_EQ(faceOf(classic[1]).size(), 13u);
    EXPECT_EQ(TextOf(classic[2]), u"\u00CF\u00F0\u00E8\u00E2\u00E5\u00F2");
    EXPECT_EQ(TextOf(classic[3]).size(), 6u);
}

TEST(WmfConverter, ExtTextOutCarriesRectangleAndAdvances) {
    TWmfBuilder b;
    b.ExtTextOut(5, 6, 4, "abc", {7, -8, 9}, {1, 2}, {30, 40});
    b.ExtTextOut(-5, -6, 0, "xy");
    const TEnhMetafile mf = Load(b.Build());
    const auto body = Body(mf);
    ASSERT_EQ(Types(body), (std::vector<std::uint32_t>{emr::EXTTEXTOUTW, emr::EXTTEXTOUTW}));
    TRecordReader t(body[0].Bytes);
    EXPECT_EQ(t.I32(36), 5);
    EXPECT_EQ(t.I32(40), 6);
    EXPECT_EQ(t.U32(44), 3u);
    EXPECT_EQ(t.U32(52), 4u); // clipped
    EXPECT_EQ(std::vector<std::int32_t>({t.I32(56), t.I32(60), t.I32(64), t.I32(68)}),
              std::vector<std::int32_t>({1, 2, 30, 40}));
    EXPECT_EQ(TextOf(body[0]), u"abc");
    const std::uint32_t offDx = t.U32(72);
    ASSERT_NE(offDx, 0u);
    EXPECT_EQ(offDx % 4, 0u);
    EXPECT_EQ(std::vector<std::int32_t>({t.I32(offDx), t.I32(offDx + 4), t.I32(offDx + 8)}),
              std::vector<std::int32_t>({7, -8, 9}));
    TRecordReader u(body[1].Bytes);
    EXPECT_EQ(TextOf(body[1]), u"xy");
    EXPECT_EQ(u.I32(36), -5);
    EXPECT_EQ(u.U32(72), 0u);
}

TEST(WmfConverter, EmptyTextsAreLeftOutUnlessClassicOrOpaque) {
    TWmfBuilder b;
    b.TextOut(1, 2, "").ExtTextOut(1, 2, 0, "").ExtTextOut(1, 2, 2, "", {}, {0, 0}, {5, 5});
    EXPECT_EQ(Types(Body(Load(b.Build()))), (std::vector<std::uint32_t>{emr::EXTTEXTOUTW}));
    const TEnhMetafile classic = TEnhMetafile::FromFileBytes(b.Build(), {.Classic = true});
    EXPECT_EQ(Body(classic).size(), 3u);
}

TEST(WmfConverter, RecordsWithoutCounterpartArePassedOver) {
    TWmfBuilder b;
    b.MoveTo(1, 1);
    b.Add(TWmfRecord(0x0626).W(15).W(4).U32(0x12345678)); // escape
    b.Add(TWmfRecord(0x0107).W(3));                       // stretch mode
    b.Add(TWmfRecord(0x0035));                            // realize palette
    b.LineTo(2, 2);
    const TEnhMetafile mf = Load(b.Build());
    EXPECT_EQ(Types(Body(mf)), (std::vector<std::uint32_t>{emr::MOVETOEX, emr::LINETO}));
}

TEST(WmfConverter, OnlyPlaceableFilesWithTheRightChecksumAreTaken) {
    TWmfBuilder b;
    b.MoveTo(0, 0).LineTo(5, 5);
    EXPECT_EQ(ErrorOf(b.Build()), "");
    EXPECT_EQ(ErrorOf(b.BuildNonPlaceable()), Invalid);
    auto bytes = b.Build();
    bytes[10] ^= 1; // bounding box changed, checksum not
    EXPECT_EQ(ErrorOf(bytes), Invalid);
    bytes[20] ^= 1; // checksum mended
    EXPECT_EQ(ErrorOf(bytes), "");
    bytes[0] = 0;
    EXPECT_EQ(ErrorOf(bytes), Invalid);
}

TEST(WmfConverter, DefectiveRecordsAreRefused) {
    auto refused = [](TWmfBuilder b) { return ErrorOf(b.Build()); };
    EXPECT_EQ(refused(TWmfBuilder().MoveTo(1, 1).RawWords({0, 0, 0x0214})), Invalid);    // size 0
    EXPECT_EQ(refused(TWmfBuilder().RawWords({2, 0, 0x0214, 0})), Invalid);              // below 3 words
    EXPECT_EQ(refused(TWmfBuilder().RawWords({0xFFFF, 0x7FFF, 0x0214, 0, 0})), Invalid); // past the end
    EXPECT_EQ(refused(TWmfBuilder().Add(TWmfRecord(0x0325).W(100).W(1).W(2))), Invalid); // points past
    EXPECT_EQ(refused(TWmfBuilder().Add(TWmfRecord(0x0538).W(2).W(1).W(9).W(0).W(0))),
              Invalid);                                                        // counts past
    EXPECT_EQ(refused(TWmfBuilder().Add(TWmfRecord(0x0538).W(500))), Invalid); // list past
    EXPECT_EQ(refused(TWmfBuilder().Add(TWmfRecord(0x0521).W(40).Bytes("ab").W(0).W(0))), Invalid);
    EXPECT_EQ(refused(TWmfBuilder().Add(TWmfRecord(0x0A32).W(0).W(0).W(9).W(0).Bytes("ab"))), Invalid);
    EXPECT_EQ(refused(TWmfBuilder().Add(TWmfRecord(0x0A32).W(0).W(0).W(0).W(6).W(1))), Invalid); // rect cut
    EXPECT_EQ(refused(TWmfBuilder().Add(TWmfRecord(0x02FB).W(-12).W(0).W(0))), Invalid);         // font cut
    EXPECT_EQ(refused(TWmfBuilder().Add(TWmfRecord(0x041B).W(1).W(2))), Invalid);                // box cut
    EXPECT_EQ(refused(TWmfBuilder().Add(TWmfRecord(0x0214))), Invalid);                          // no point

    auto good = TWmfBuilder().MoveTo(1, 1).LineTo(2, 2).Build();
    auto badHeader = good;
    badHeader[22 + 2] = 8; // header size must be nine words
    EXPECT_EQ(ErrorOf(badHeader), Invalid);
    auto truncated = good;
    truncated.resize(truncated.size() - 8); // cut inside the line record
    EXPECT_EQ(ErrorOf(truncated), Invalid);
    truncated.resize(22 + 10); // cut inside the metafile header
    EXPECT_EQ(ErrorOf(truncated), Invalid);
}

TEST(WmfConverter, AFileEndingAtARecordBoundaryIsTakenUnlessItsHeaderWantsMore) {
    auto bytes = TWmfBuilder().MoveTo(1, 1).LineTo(2, 2).Build();
    bytes.resize(bytes.size() - 6);                               // the end record is gone
    EXPECT_EQ(ErrorOf(bytes), Invalid);                           // the header counts the missing words
    bytes[22 + 6] = static_cast<std::uint8_t>(bytes[22 + 6] - 3); // header size without the end record
    EXPECT_EQ(ErrorOf(bytes), "");
}

TEST(WmfConverter, NoByteOfAValidFileCanMakeTheConverterFail) {
    TWmfBuilder b;
    b.CreatePen(0, 1, 0)
        .CreateFont("Symbol", -12, 2)
        .SelectObject(1)
        .SaveDC()
        .CreatePalette(3)
        .SelectObject(2);
    b.Poly(0x0325, {{0, 0}, {5, 5}}).PolyPolygon({{{0, 0}, {1, 1}}}).ExtTextOut(1, 1, 6, "abc", {1, 2, 3});
    b.TextOut(2, 2, "x").ArcLike(0x0817, 0, 0, 9, 9, {1, 1}, {2, 2}).RestoreDC(5).DeleteObject(7);
    const auto good = b.Build();
    ASSERT_EQ(ErrorOf(good), "");
    for (std::size_t n = 0; n < good.size(); ++n) {
        auto cut = good;
        cut.resize(n);
        const std::string e = ErrorOf(cut);
        EXPECT_TRUE(e.empty() || e == Invalid) << "cut at " << n << ": " << e;
    }
    for (std::size_t i = 22; i < good.size(); ++i)
        for (std::uint8_t v : {0x00, 0x7F, 0xFF}) {
            auto bad = good;
            bad[i] = v;
            const std::string e = ErrorOf(bad);
            EXPECT_TRUE(e.empty() || e == Invalid) << "byte " << i << " = " << int(v) << ": " << e;
        }
}

// Once played, a converted file draws what the same drawing stored as an
// enhanced metafile draws.
TEST(WmfConverter, ConvertedFileDrawsLikeItsEnhancedCounterpart) {
    TWmfBuilder w;
    TEmfBuilder e;
    w.SetWindowOrg(-10, 5);
    e.SetWindowOrg(-10, 5);
    w.CreatePen(0, 2, 0x000000FF).CreateBrush(2, 0x00FF0000, 3).CreateFont("Arial", -20, 0, 0, 700);
    e.CreatePen(1, 0, 2, 0x000000FF).CreateBrush(2, 2, 0x00FF0000, 3).CreateFont(3, u"Arial", -20, 0, 700);
    w.SelectObject(0).SelectObject(1).SelectObject(2);
    e.SelectObject(1).SelectObject(2).SelectObject(3);
    w.MoveTo(1, 2).LineTo(30, -40).SetPixel(3, 4, 0x00FFFFFF);
    e.MoveTo(1, 2).LineTo(30, -40).SetPixel(3, 4, 0x00FFFFFF);
    w.Poly(0x0325, {{0, 0}, {10, -5}, {20, 7}}).Poly(0x0324, {{0, 0}, {10, 0}, {5, 9}});
    e.Poly(87, {{0, 0}, {10, -5}, {20, 7}}).Poly(86, {{0, 0}, {10, 0}, {5, 9}});
    w.PolyPolygon({{{0, 0}, {4, 0}, {4, 4}}, {{8, 8}, {9, 9}, {8, 9}}});
    e.PolyPoly16(91, {{{0, 0}, {4, 0}, {4, 4}}, {{8, 8}, {9, 9}, {8, 9}}});
    w.Rectangle(0, 0, 100, 50).Ellipse(0, 0, 100, 100).RoundRect(0, 0, 100, 60, 20, 20);
    e.Rectangle(0, 0, 100, 50).Ellipse(0, 0, 100, 100).RoundRect(0, 0, 100, 60, 20, 20);
    w.ArcLike(0x0817, 0, 0, 100, 100, {100, 50}, {50, 0}).ArcLike(0x081A, 0, 0, 200, 100, {0, 0}, {200, 0});
    e.ArcLike(45, 0, 0, 100, 100, {100, 50}, {50, 0}).ArcLike(47, 0, 0, 200, 100, {0, 0}, {200, 0});
    w.SetTextAlign(24).SetTextColor(0x000000FF).TextOut(5, 5, "Hallo").ExtTextOut(6, 6, 0, "Welt");
    e.SetTextAlign(24).SetTextColor(0x000000FF).TextOut(5, 5, u"Hallo").TextOut(6, 6, u"Welt");
    w.CreateFont("Symbol", -16, 2).SelectObject(3).TextOut(0, 0, "ab");
    e.CreateFont(4, u"Symbol", -16, 0, 400, false, false, 2).SelectObject(4).TextOut(0, 0, u"\uF061\uF062");
    w.SaveDC().DeleteObject(0).CreatePen(1, 1, 0).SelectObject(0).LineTo(0, 0).RestoreDC(-1).LineTo(9, 9);
    e.SaveDC().DeleteObject(1).CreatePen(1, 1, 1, 0).SelectObject(1).LineTo(0, 0).RestoreDC(-1).LineTo(9, 9);

    // Classic: the default mode takes the placeable box as the window.
    TmvDXFExport fromWmf, fromEmf;
    fromWmf.SetClassic(true);
    fromEmf.SetClassic(true);
    fromWmf.LoadFromMetafile(Load(w.Build()));
    fromEmf.LoadFromMetafile(TEnhMetafile::FromEmfBytes(e.Build()));
    EXPECT_EQ(fromWmf.Figures().size(), fromEmf.Figures().size());
    EXPECT_GE(fromWmf.Figures().size(), 15u); // the comparison means something
    EXPECT_EQ(fromWmf.SaveToString(), fromEmf.SaveToString());
}
