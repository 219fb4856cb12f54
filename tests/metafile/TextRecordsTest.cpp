// Texts outside the classic conversion: every script, symbol faces, glyph
// indices, and the text records beside EMR_EXTTEXTOUTW.
#include "InterpretFixture.h"
#include "metafile/EnhMetafile.h"
#include "platform/Errors.h"

namespace mv::test {
namespace {

// The builder's reference device makes a logical unit (one pixel) 31.25
// hundredths of a millimetre.
constexpr double kPixel = 31.25;
constexpr std::uint32_t kOpaque = 0x2, kGlyphIndex = 0x10, kNoRect = 0x100, kSmallChars = 0x200,
                        kPdy = 0x2000;

struct TText {
    std::int32_t x = 0, y = 0;
    std::string_view bytes = {}; // the string as it stands in the record
    std::uint32_t chars = 0;
    std::uint32_t options = 0;
    std::vector<std::int32_t> dx = {};
    std::array<std::int32_t, 4> rect = {1, 2, 3, 4};
};

// The EMRTEXTs of a record at `at`, their strings and advances after them.
void AddEmrTexts(TRecordBytes& r, const std::vector<TText>& texts) {
    std::size_t tail = r.Size() + 40 * texts.size();
    std::vector<std::uint8_t> data;
    for (const TText& t : texts) {
        const auto offString = static_cast<std::uint32_t>(tail + data.size());
        data.insert(data.end(), t.bytes.begin(), t.bytes.end());
        while (data.size() % 4)
            data.push_back(0);
        const auto offDx = t.dx.empty() ? 0u : static_cast<std::uint32_t>(tail + data.size());
        for (std::int32_t d : t.dx)
            for (int i = 0; i < 4; ++i)
                data.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(d) >> (8 * i)));
        r.I32(t.x)
            .I32(t.y)
            .U32(t.chars)
            .U32(offString)
            .U32(t.options)
            .Rect(t.rect[0], t.rect[1], t.rect[2], t.rect[3])
            .U32(offDx);
    }
    for (std::uint8_t b : data)
        r.U8(b);
}

std::string Wide(std::u16string_view text) {
    std::string bytes;
    for (char16_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    return bytes;
}

TRecordBytes TextRecord(std::uint32_t type) {
    TRecordBytes r(type);
    r.Rect(0, 0, 0, 0).U32(1).F32(1).F32(1);
    return r;
}

void ExtTextOutA(TEmfBuilder& b, const TText& t) {
    TRecordBytes r = TextRecord(emr::EXTTEXTOUTA);
    AddEmrTexts(r, {t});
    b.Add(r);
}

void ExtTextOutW(TEmfBuilder& b, const TText& t) {
    TRecordBytes r = TextRecord(emr::EXTTEXTOUTW);
    AddEmrTexts(r, {t});
    b.Add(r);
}

void PolyTextOut(TEmfBuilder& b, bool wide, const std::vector<TText>& texts) {
    TRecordBytes r = TextRecord(wide ? emr::POLYTEXTOUTW : emr::POLYTEXTOUTA);
    r.U32(static_cast<std::uint32_t>(texts.size()));
    AddEmrTexts(r, texts);
    b.Add(r);
}

void SmallTextOut(TEmfBuilder& b, std::int32_t x, std::int32_t y, std::uint32_t options,
                  std::string_view bytes, std::uint32_t chars) {
    TRecordBytes r(emr::SMALLTEXTOUT);
    r.I32(x).I32(y).U32(chars).U32(options).U32(1).F32(1).F32(1);
    if ((options & kNoRect) == 0) r.Rect(5, 6, 7, 8);
    for (char c : bytes)
        r.U8(static_cast<std::uint8_t>(c));
    b.Add(r);
}

// Glyph numbers of one made-up face: glyph n stands for the letter 'a' + n - 1.
class TGlyphMeasure : public TFixedMetricMeasure {
public:
    std::u16string GlyphsToText(std::string_view face, std::u16string_view glyphs) override {
        if (face != "Known") return {};
        std::u16string text;
        for (char16_t g : glyphs)
            text.push_back(static_cast<char16_t>(u'a' + g - 1));
        return text;
    }
};

class TextRecordsTest : public InterpretTest {
protected:
    TextRecordsTest() {
        Exporter.SetClassic(false);
        Exporter.SetTextMeasure(&Glyphs);
        TInterpretSettings settings = Exporter.InterpretSettings();
        settings.OnWarning = [this](const std::string& message) { Warnings.push_back(message); };
        Exporter.SetInterpretSettings(settings);
    }
    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const auto& f : Exporter.Figures())
            texts.push_back(f->Data.Text);
        return texts;
    }
    TGlyphMeasure Glyphs;
    std::vector<std::string> Warnings;
};

TEST_F(TextRecordsTest, EveryScriptSurvivesAndCodesAreEscaped) {
    B.CreateFont(1, u"Arial", -10).SelectObject(1);
    B.TextOut(0, 0, u"\u041F\u0440\u0438 {C:\\\u03C0} \u65E5\u00E9");
    // Cyrillic bytes of a Russian font, Shift-JIS bytes of a Japanese font
    // whose name is written in codes as well.
    B.CreateFont(2, u"Arial", -10, 0, 400, false, false, 204).SelectObject(2);
    ExtTextOutA(B, {.bytes = "\xCF\xF0\xE8", .chars = 3});
    B.CreateFont(3, u"\uFF2D\uFF33 Gothic", -10, 0, 400, false, false, 128).SelectObject(3);
    ExtTextOutA(B, {.x = 7, .bytes = "\x93\xFA\x96\x7B!", .chars = 5, .dx = {4, 5, 6, 7, 8}});
    Load();
    // The advances of both bytes of a character move it: 9, 13 and 8 units
    // for characters five units wide, so the exclamation mark stands apart.
    EXPECT_EQ(Texts(), (std::vector<std::string>{
                           "{\\fArial|i0|b0;\\U+041F\\U+0440\\U+0438 \\{C:\\\\\\U+03C0\\} \\U+65E5\xE9}",
                           "{\\fArial|i0|b0;\\U+041F\\U+0440\\U+0438}",
                           "{\\f\\U+FF2D\\U+FF33 Gothic|i0|b0;\\W1.4;\\U+65E5\\U+672C}",
                           "{\\f\\U+FF2D\\U+FF33 Gothic|i0|b0;!}"}));
    EXPECT_EQ(D(2).Point1.x, 7 * kPixel);
    EXPECT_EQ(D(2).TextWidth, 14 * kPixel);
    EXPECT_EQ(D(3).Point1.x, (7 + 22) * kPixel);
}

TEST_F(TextRecordsTest, SymbolFacesShowWhatTheyDraw) {
    // Symbol with the DEFAULT character set and plain bytes: pi, an arrow.
    B.CreateFont(1, u"Symbol", -10, 0, 400, false, false, 1).SelectObject(1);
    B.TextOut(0, 0, u"p\u00AE");
    ExtTextOutA(B, {.bytes = "pa", .chars = 2});
    B.CreateFont(2, u"Wingdings", -10, 0, 400, false, false, 2).SelectObject(2);
    B.TextOut(0, 0, u"\xF0FC \xF0C0");
    B.CreateFont(3, u"Marlett", -10, 0, 400, false, false, 2).SelectObject(3);
    ExtTextOutA(B, {.bytes = "\xE4", .chars = 1});
    // Codes where Symbol draws nothing leave nothing to write.
    B.SelectObject(1).TextOut(0, 0, u"\xF0FF");
    Load();
    EXPECT_EQ(Texts(),
              (std::vector<std::string>{"\\U+03C0\\U+2192", "\\U+03C0\\U+03B1", "\\U+2713 \x95", "\xE4"}));
}

TEST_F(TextRecordsTest, GlyphIndicesAreReadThroughTheFaceOrLeftOut) {
    B.CreateFont(1, u"Known", -10).SelectObject(1);
    auto glyphText = [&](std::u16string_view glyphs) {
        TRecordBytes r = TextRecord(emr::EXTTEXTOUTW);
        AddEmrTexts(r, {{.bytes = Wide(glyphs),
                         .chars = static_cast<std::uint32_t>(glyphs.size()),
                         .options = kGlyphIndex}});
        B.Add(r);
    };
    glyphText(u"\x0003\x0002");
    SmallTextOut(B, 0, 0, kGlyphIndex | kSmallChars | kNoRect, "\x01", 1);
    B.CreateFont(2, u"Unknown", -10).SelectObject(2);
    glyphText(u"\x0003");
    glyphText(u"\x0004");
    // Faces of the standard glyph order, for their ASCII glyphs only.
    B.CreateFont(3, u"Courier New", -10).SelectObject(3);
    glyphText(u"\x0036\x005C\x0003\x0061");
    glyphText(u"\x0062");
    Load();
    EXPECT_EQ(Texts(), (std::vector<std::string>{"{\\fKnown|i0|b0;cb}", "{\\fKnown|i0|b0;a}",
                                                 "{\\fCourier New|i0|b0;Sy ~}"}));
    EXPECT_EQ(Warnings, (std::vector<std::string>{msg::GlyphTextLeftOut + std::string("\"Unknown\""),
                                                  msg::GlyphTextLeftOut + std::string("\"Courier New\"")}));
}

TEST_F(TextRecordsTest, AStreamedDrawingKeepsGlyphTextsAndWarnsOnce) {
    // Its figures are made again while it is written, without the fonts.
    for (const char16_t* face : {u"Known", u"Unknown"}) {
        B.CreateFont(1, face, -10).SelectObject(1);
        TRecordBytes r = TextRecord(emr::EXTTEXTOUTW);
        AddEmrTexts(r, {{.bytes = Wide(u"\x0003\x0002"), .chars = 2, .options = kGlyphIndex}});
        B.Add(r);
    }
    Exporter.AdoptMetafile(TEnhMetafile::FromEmfBytes(B.Build()));
    for (int i = 0; i < 2; ++i)
        EXPECT_NE(Exporter.SaveToString().find("{\\fKnown|i0|b0;cb}"), std::string::npos);
    EXPECT_EQ(Warnings.size(), 1u);
}

TEST_F(TextRecordsTest, BlankTextsWriteNothingButStillMoveThePosition) {
    B.CreateFont(1, u"Arial", -20).SelectObject(1).MoveTo(100, 100).SetTextAlign(1);
    B.TextOut(0, 0, u"  \u3000\t").TextOut(0, 0, u"x");
    Load();
    ASSERT_EQ(Exporter.Figures().size(), 1u);
    EXPECT_EQ(D(0).Point1.x, 140 * kPixel); // four characters of ten units moved it
}

TEST_F(TextRecordsTest, OtherTextRecordsTakeTheTextPathOfExtTextOutW) {
    B.CreateFont(1, u"Arial", -10).SelectObject(1);
    B.TextOut(10, 20, u"ab\u00E9");
    SmallTextOut(B, 10, 20, kSmallChars | kNoRect, "ab\xE9", 3);
    SmallTextOut(B, 10, 20, 0, Wide(u"ab\u00E9"), 3);
    PolyTextOut(B, true,
                {{.x = 10, .y = 20, .bytes = Wide(u"ab\u00E9"), .chars = 3}, {.bytes = "c\0", .chars = 1}});
    PolyTextOut(B, false, {{.x = 10, .y = 20, .bytes = "ab\xE9", .chars = 3}});
    ExtTextOutA(B, {.x = 10, .y = 20, .bytes = "ab\xE9", .chars = 3, .dx = {5, 5, 5}});
    Load();
    ASSERT_EQ(Exporter.Figures().size(), 7u);
    for (std::size_t i : {1, 2, 3, 5, 6}) {
        SCOPED_TRACE(i);
        EXPECT_EQ(D(i).Text, D(0).Text);
        EXPECT_EQ(D(i).Point1.x, D(0).Point1.x);
        EXPECT_EQ(D(i).Point1.y, D(0).Point1.y);
        EXPECT_EQ(D(i).Height, D(0).Height);
        EXPECT_EQ(D(i).TextWidth, D(0).TextWidth);
    }
    EXPECT_EQ(D(4).Text, "{\\fArial|i0|b0;c}");

    // The classic conversion passes over them.
    const std::size_t before = Exporter.Figures().size();
    Exporter.SetClassic(true);
    Load();
    EXPECT_EQ(Exporter.Figures().size(), before + 1);
}

TEST_F(TextRecordsTest, BrokenTextRecordsAreInvalid) {
    auto fails = [](auto add) {
        TEmfBuilder b;
        add(b);
        TmvDXFExport exporter;
        try {
            exporter.LoadFromMetafile(TEnhMetafile::FromEmfBytes(b.Build()));
        } catch (const EInvalidMetafile&) {
            return true;
        }
        return false;
    };
    // More strings than the record holds, a string or advances past its end.
    EXPECT_TRUE(fails([](TEmfBuilder& b) { b.Add(TextRecord(emr::POLYTEXTOUTW).U32(0x10000000)); }));
    EXPECT_TRUE(fails([](TEmfBuilder& b) { // every string the same bytes
        TRecordBytes r = TextRecord(emr::POLYTEXTOUTA);
        r.U32(8);
        for (int i = 0; i < 8; ++i)
            r.I32(0).I32(0).U32(300).U32(36).U32(0).Rect(0, 0, 0, 0).U32(0);
        b.Add(r);
    }));
    EXPECT_TRUE(fails([](TEmfBuilder& b) { ExtTextOutA(b, {.bytes = "ab", .chars = 9}); }));
    EXPECT_TRUE(fails([](TEmfBuilder& b) { SmallTextOut(b, 0, 0, 0, "ab", 3); }));
    EXPECT_TRUE(fails([](TEmfBuilder& b) {
        TRecordBytes r = TextRecord(emr::EXTTEXTOUTA);
        AddEmrTexts(r, {{.bytes = "ab", .chars = 2, .dx = {1}}});
        b.Add(r);
    }));
    EXPECT_FALSE(fails([](TEmfBuilder& b) { SmallTextOut(b, 0, 0, kNoRect, Wide(u"ab"), 2); }));
}

TEST_F(TextRecordsTest, AdvancesFitTheTextToItsWidthOrSplitIt) {
    // Characters are five units wide at this height.
    B.CreateFont(1, u"Arial", -10).SelectObject(1);
    // Condensed: the whole text narrows.
    ExtTextOutW(B, {.bytes = Wide(u"abcd"), .chars = 4, .dx = {4, 4, 4, 4}});
    // Pairs along and across the baseline: "c" is raised, so it stands apart.
    ExtTextOutW(B, {.bytes = Wide(u"abc"), .chars = 3, .options = kPdy, .dx = {8, 0, 5, 3, 5, 0}});
    // Two columns, right-aligned on x = 100: each piece from the left end.
    B.SetTextAlign(2);
    ExtTextOutW(B, {.x = 100, .bytes = Wide(u"12 34"), .chars = 5, .dx = {5, 5, 20, 5, 5}});
    // Advances that do not fit the record leave the font's spacing.
    TRecordBytes r = TextRecord(emr::EXTTEXTOUTW);
    r.I32(0).I32(0).U32(2).U32(76).U32(0).Rect(0, 0, 0, 0).U32(80).U32(0x00620061);
    B.Add(r);
    // Both bytes of a Shift-JIS character move it, along and across.
    B.CreateFont(2, u"Gothic", -10, 0, 400, false, false, 128).SelectObject(2).SetTextAlign(0);
    ExtTextOutA(B, {.bytes = "\x93\xFA!", .chars = 3, .options = kPdy, .dx = {4, 1, 5, 2, 8, 0}});
    Load();
    EXPECT_EQ(Texts(), (std::vector<std::string>{"{\\fArial|i0|b0;\\W0.8;abcd}", "{\\fArial|i0|b0;\\W1.3;ab}",
                                                 "{\\fArial|i0|b0;c}", "{\\fArial|i0|b0;12}",
                                                 "{\\fArial|i0|b0;34}", "{\\fArial|i0|b0;ab}",
                                                 "{\\fGothic|i0|b0;\\U+65E5}", "{\\fGothic|i0|b0;!}"}));
    EXPECT_EQ(D(0).TextWidth, 16 * kPixel);
    EXPECT_EQ(D(2).Point1.x, 13 * kPixel);
    EXPECT_EQ(D(2).Point1.y, D(1).Point1.y + 3 * kPixel);
    EXPECT_EQ(D(3).Point1.x, 60 * kPixel);
    EXPECT_EQ(D(4).Point1.x, 90 * kPixel);
    EXPECT_EQ(D(4).Align, 0);
    EXPECT_EQ(D(5).Align, 2); // one piece keeps its alignment
    EXPECT_EQ(D(7).Point1.x, D(6).Point1.x + 9 * kPixel);
    EXPECT_EQ(D(7).Point1.y, D(6).Point1.y + 3 * kPixel);
    // Fitted texts get a reference width, so that readers do not wrap them.
    const std::string dxf = Exporter.SaveToString();
    std::size_t widths = 0;
    for (std::size_t at = dxf.find("\r\n 41\r\n", dxf.find("ENTITIES")); at != std::string::npos;
         at = dxf.find("\r\n 41\r\n", at + 1))
        ++widths;
    EXPECT_EQ(widths, 2u);
}

TEST_F(TextRecordsTest, OpaqueBoxesAreFilledUnderTheText) {
    B.CreateFont(1, u"Arial", -10).SelectObject(1).Add(TRecordBytes(emr::SETBKCOLOR).U32(0x0000FF));
    ExtTextOutW(B, {.bytes = Wide(u"x"), .chars = 1, .options = kOpaque, .rect = {0, 0, 40, 10}});
    // Without characters the box alone; inside a path bracket nothing.
    ExtTextOutW(B, {.options = kOpaque, .rect = {0, 20, 40, 30}});
    B.Add(TRecordBytes(emr::BEGINPATH));
    ExtTextOutW(B, {.options = kOpaque, .rect = {0, 40, 40, 50}});
    B.Add(TRecordBytes(emr::ENDPATH));
    // Erasing the whole surface in white is the paper itself.
    B.Add(TRecordBytes(emr::SETBKCOLOR).U32(0xFFFFFF));
    ExtTextOutW(B, {.options = kOpaque, .rect = {-1000000, -1000000, 1000000, 1000000}});
    Load();
    EXPECT_EQ(Kinds(),
              (std::vector<TFigureKind>{TFigureKind::Hatch, TFigureKind::MText, TFigureKind::Hatch}));
    EXPECT_EQ(D(0).Color, 1);
    EXPECT_EQ(D(2).Color, 1);
}

} // namespace
} // namespace mv::test
