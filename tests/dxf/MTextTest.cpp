#include "GroupLines.h"

#include "dxf/DXFExport.h"
#include "figure/MTextCodes.h"
#include "platform/Errors.h"

#include <gtest/gtest.h>

namespace mv {
namespace {

using test::EntityLinesOf;
using test::GroupsAfterHead;
using test::ValuesOf;
using Groups = std::vector<std::pair<int, std::string>>;

TdxfExportData Text(float x, float y, float width, float height, std::string contents, float rotation = 0) {
    TdxfExportData d;
    d.Color = 5;
    d.Point1 = {x, y, 0};
    d.TextWidth = width;
    d.Height = height;
    d.Rotation = rotation;
    d.Text = std::move(contents);
    return d;
}

struct TPiece {
    std::string text;
    float x, y, width;
};

std::vector<TPiece> Trim(const TmvExpDXFMText& text, const TRect& rect) {
    TFigureList list;
    text.TrimText(rect, list);
    std::vector<TPiece> pieces;
    for (const auto& f : list) {
        EXPECT_EQ(f->Kind(), TFigureKind::MText);
        EXPECT_EQ(f->Layer, text.Layer);
        EXPECT_EQ(f->Data.Color, text.Data.Color);
        EXPECT_EQ(f->Data.Height, text.Data.Height);
        pieces.push_back({f->Data.Text, f->Data.Point1.x, f->Data.Point1.y, f->Data.TextWidth});
    }
    return pieces;
}

// ---------------------------------------------------------------- entity

TEST(MTextTest, WritesInsertionHeightAndContentsOnly) {
    TmvExpDXFMText text(Text(10, 20, 100, 12, "{\\fArial|i0|b1;Hello}"));
    const auto lines = EntityLinesOf(text);
    EXPECT_EQ(lines[1], "MTEXT");
    EXPECT_EQ(lines[9], "AcDbMText");
    EXPECT_EQ(GroupsAfterHead(lines),
              (Groups{{62, "5"}, {10, "10"}, {20, "20"}, {40, "12"}, {1, "{\\fArial|i0|b1;Hello}"}}));
    EXPECT_EQ(lines[lines.size() - 2], "  1");
}

TEST(MTextTest, RotationAndAttachmentOnlyWhenNotDefault) {
    TdxfExportData d = Text(0, 0, 10, 10, "x", 90);
    d.Align = 6;
    const auto lines = EntityLinesOf(TmvExpDXFMText(d));
    EXPECT_EQ(ValuesOf(lines, 50), std::vector<std::string>{"90"});
    EXPECT_EQ(ValuesOf(lines, 71), std::vector<std::string>{"7"});
    d.Rotation = 0;
    d.Align = 0;
    const auto plain = EntityLinesOf(TmvExpDXFMText(d));
    EXPECT_TRUE(ValuesOf(plain, 50).empty());
    EXPECT_TRUE(ValuesOf(plain, 71).empty());
}

TEST(MTextTest, HeightIsScaledButRotationNever) {
    TmvExpDXFMText text(Text(1000, 2000, 10, 350, "x", 45));
    const auto lines = EntityLinesOf(text, true);
    EXPECT_EQ(ValuesOf(lines, 40), std::vector<std::string>{"3.5"});
    EXPECT_EQ(ValuesOf(lines, 50), std::vector<std::string>{"45"});
    EXPECT_EQ(ValuesOf(lines, 10), std::vector<std::string>{"10"});
}

TEST(MTextTest, TextsCarryNoLineTypeOrWeight) {
    TdxfExportData d = Text(0, 0, 10, 10, "x");
    d.PenWidth = 5;
    const auto lines = EntityLinesOf(TmvExpDXFMText(d));
    EXPECT_TRUE(ValuesOf(lines, 6).empty());
    EXPECT_TRUE(ValuesOf(lines, 370).empty());
}

TEST(MTextTest, LineBreaksBecomeParagraphCodesSoTheGroupsStayIntact) {
    TmvExpDXFMText text(Text(0, 0, 10, 10, "{\\fArial|i0|b0;one\r\ntwo\nthree\rfour\tfive\x01}"));
    const auto lines = EntityLinesOf(text);
    ASSERT_EQ(lines.size() % 2, 0u);
    EXPECT_EQ(lines.back(), "{\\fArial|i0|b0;one\\Ptwo\\Pthree\\Pfour five }");
    EXPECT_EQ(lines[lines.size() - 2], "  1");
    // The figure keeps its contents as received; only the file sees the codes.
    EXPECT_EQ(text.Data.Text.find('\r'), 18u);
    // Characters of the upper half of the code page are text, not controls.
    EXPECT_EQ(TmvExpDXFMText::ContentsForFile("Gr\xF6\xDF"
                                              "e\n"),
              "Gr\xF6\xDF"
              "e\\P");
}

// ---------------------------------------------------------------- contents

TEST(MTextTest, TextCharactersThatAreCodesAreEscaped) {
    EXPECT_EQ(EscapeMText("C:\\Temp\\{a}\xE4"), "C:\\\\Temp\\\\\\{a\\}\xE4");
    EXPECT_EQ(WrapInFontCodes(EscapeMText("{x}"), "Arial", true, false, true), "{\\fArial|i0|b1;\\L\\{x\\}}");
    EXPECT_EQ(WrapInFontCodes("ab", "Symbol", true, true, false), "{\\fSymbol|b0|i0|c2;ab}");
    EXPECT_EQ(WrapInFontCodes("ab", "A;r|i{a}l\\", false, true, false), "{\\fArial|i1|b0;ab}");
    EXPECT_EQ(WrapInFontCodes("ab", u"\uFF2D\uFF33 \u660E\u671D;\u00E9", false, false, false),
              "{\\f\\U+FF2D\\U+FF33 \\U+660E\\U+671D\xE9|i0|b0;ab}");
    // Unicode: Windows-1252 characters as bytes, the rest as codes; a
    // character beyond the basic plane as its two halves; a lone half as
    // U+FFFD; controls stay for the figure to turn into codes.
    EXPECT_EQ(EncodeMText(u"\u20AC\u00E4\\{\u03C0\u4E2D}"), "\x80\xE4\\\\\\{\\U+03C0\\U+4E2D\\}");
    EXPECT_EQ(EncodeMText(u"\U0001F600\u0081\n"), "\\U+D83D\\U+DE00\\U+0081\n");
    EXPECT_EQ(EncodeMText(std::u16string(1, char16_t(0xDC00))), "\\U+FFFD");
    // ... and back, as the preview shows them.
    EXPECT_EQ(MTextToUtf8("{\\fArial|i0|b0;\\L\\{a\\}\\\\b\\U+03C0\\U+D83D\\U+DE00\\Pc\r\nd\xE4}"),
              "{a}\\b\xCF\x80\xF0\x9F\x98\x80\nc\nd\xC3\xA4");
}

TEST(MTextTest, LongContentsGoAheadInChunksThatKeepCodesWhole) {
    // 248 plain characters, then a code that would cross the 250th byte.
    const std::string contents = std::string(248, 'a') + "\\U+03C0" + std::string(300, 'b') + "\\\\c";
    const auto lines = EntityLinesOf(TmvExpDXFMText(Text(0, 0, 10, 10, contents)));
    const auto chunks = ValuesOf(lines, 3);
    ASSERT_EQ(chunks.size(), 2u);
    EXPECT_EQ(chunks[0], std::string(248, 'a'));
    EXPECT_EQ(chunks[1], "\\U+03C0" + std::string(243, 'b'));
    EXPECT_EQ(ValuesOf(lines, 1), std::vector<std::string>{std::string(57, 'b') + "\\\\c"});
    EXPECT_EQ(lines[lines.size() - 2], "  1"); // the chunks come first
    // Exactly 250 characters still fit the one group.
    EXPECT_TRUE(ValuesOf(EntityLinesOf(TmvExpDXFMText(Text(0, 0, 1, 1, std::string(250, 'x')))), 3).empty());
    EXPECT_EQ(MTextChunkLength("\\fArial;x", 4), 4u); // a code longer than a chunk is cut
}

TEST(MTextTest, TrimmingNeverCutsAnEscapeOrCode) {
    // Ten units after the font code, four of them escaped or coded and the
    // closing brace counted: 25/90 of them is 3, 35/90 of them is 4.
    TmvExpDXFMText text(Text(0, 0, 90, 10, "{\\fArial|i0|b0;a\\\\b\\{\\U+03C0cde\\}}"));
    const auto pieces = Trim(text, {25, -20, 55, 20});
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0].text, "{\\fArial|i0|b0;a\\\\b");
    EXPECT_EQ(pieces[1].text, "{\\fArial|i0|b0;de\\}}");
}

// ---------------------------------------------------------------- rectangle

TEST(MTextTest, RectangleHangsBelowTheInsertionPoint) {
    TmvExpDXFMText text(Text(0, 100, 100, 10, "abc"));
    EXPECT_TRUE(text.IntersectsRect({50, 0, 70, 200}));
    EXPECT_TRUE(text.IntersectsRect({-5, 91, 1, 92}));
    EXPECT_FALSE(text.IntersectsRect({0, 100, 100, 200})); // touches the top edge only
    EXPECT_FALSE(text.IntersectsRect({100, 0, 200, 200})); // touches the right edge only
    EXPECT_FALSE(text.IntersectsRect({0, 0, 100, 90}));    // touches the bottom edge only
}

TEST(MTextTest, RectangleRunsUpOrDownForQuarterTurns) {
    TmvExpDXFMText up(Text(0, 0, 100, 10, "abc", 90));
    EXPECT_TRUE(up.IntersectsRect({5, 50, 6, 60}));
    EXPECT_FALSE(up.IntersectsRect({-6, 50, -5, 60}));
    EXPECT_FALSE(up.IntersectsRect({10, 0, 20, 100}));
    TmvExpDXFMText down(Text(0, 0, 100, 10, "abc", 270));
    EXPECT_TRUE(down.IntersectsRect({-6, -60, -5, -50}));
    EXPECT_FALSE(down.IntersectsRect({5, -60, 6, -50}));
    EXPECT_FALSE(down.IntersectsRect({-10, 0, 0, 10}));
}

TEST(MTextTest, RectangleValuesAreRoundedEachOnTheirOwn) {
    // x 0.5 rounds to 0 and width 10.5 to 10: the right edge is 10, not 11.
    TmvExpDXFMText text(Text(0.5f, 10, 10.5f, 10, "abc"));
    EXPECT_FALSE(text.IntersectsRect({10, 0, 20, 20}));
    TmvExpDXFMText far(Text(3e9f, 0, 10, 10, "abc"));
    EXPECT_THROW(far.IntersectsRect({0, 0, 1, 1}), ERangeError);
}

TEST(MTextTest, OtherRotationsUseTheBoxOfTheTurnedText) {
    // Width 100 at 45 degrees from the origin reaches (70.7, 70.7); the text
    // hangs 10 below its baseline, towards (7.1, -7.1), so the far corner
    // is (77.8, 63.6).
    TmvExpDXFMText text(Text(0, 0, 100, 10, "abc", 45));
    EXPECT_TRUE(text.IntersectsRect({60, 60, 65, 65}));
    EXPECT_TRUE(text.IntersectsRect({1, -5, 3, -3}));
    EXPECT_TRUE(text.IntersectsRect({77, 0, 100, 100}));
    EXPECT_FALSE(text.IntersectsRect({78, 0, 100, 100}));
    EXPECT_FALSE(text.IntersectsRect({0, 71, 100, 100}));
    EXPECT_FALSE(text.IntersectsRect({-50, -50, -1, 100}));
    // 180 degrees runs to the left and hangs above.
    TmvExpDXFMText turned(Text(0, 0, 100, 10, "abc", 180));
    EXPECT_TRUE(turned.IntersectsRect({-60, 2, -50, 8}));
    EXPECT_FALSE(turned.IntersectsRect({10, -10, 60, 10}));
    // Such texts are hidden or kept whole: trimming yields no piece.
    EXPECT_TRUE(Trim(text, {60, 60, 65, 65}).empty());
}

// ---------------------------------------------------------------- trimming

TEST(MTextTest, TrimmingKeepsThePrefixAndSharesOfThePlainPart) {
    TmvExpDXFMText text(Text(0, 100, 100, 10, "{\\fArial|i0|b0;ABCDEFGHI}"));
    text.Layer = "Texts";
    const auto pieces = Trim(text, {50, 0, 70, 200});
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0].text, "{\\fArial|i0|b0;ABCDE");
    EXPECT_EQ(pieces[0].x, 0);
    EXPECT_EQ(pieces[0].y, 100);
    EXPECT_EQ(pieces[0].width, 50);
    EXPECT_EQ(pieces[1].text, "{\\fArial|i0|b0;HI}"); // round(10 x 0.3) = 3 with the brace
    EXPECT_EQ(pieces[1].x, 70);
    EXPECT_EQ(pieces[1].width, 30);
    // The trimmed text itself is unchanged.
    EXPECT_EQ(text.Data.Text, "{\\fArial|i0|b0;ABCDEFGHI}");
}

TEST(MTextTest, UnderlineCodeBelongsToThePrefix) {
    TmvExpDXFMText text(Text(0, 0, 60, 10, "{\\fArial|i0|b0;\\LHello}"));
    const auto pieces = Trim(text, {10, -20, 50, 20});
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0].text, "{\\fArial|i0|b0;\\LH");
    EXPECT_EQ(pieces[1].text, "{\\fArial|i0|b0;\\L}"); // round(6 x 1/6) = 1: the brace only
    EXPECT_EQ(pieces[1].x, 50);
    EXPECT_EQ(pieces[1].width, 10);
}

TEST(MTextTest, BareTextIsCutIntoPlainSubstrings) {
    TmvExpDXFMText text(Text(0, 0, 80, 10, "abcdefgh"));
    const auto pieces = Trim(text, {30, -20, 50, 20});
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0].text, "abc");
    EXPECT_EQ(pieces[1].text, "fgh");
    EXPECT_EQ(pieces[1].width, 30);
}

TEST(MTextTest, ShareRoundsHalvesToEven) {
    // 25 of 100 over 10 characters is 2.5 characters: two; 35 is 3.5: four.
    TmvExpDXFMText text(Text(0, 0, 100, 10, "0123456789"));
    auto pieces = Trim(text, {25, -20, 200, 20});
    ASSERT_EQ(pieces.size(), 1u);
    EXPECT_EQ(pieces[0].text, "01");
    EXPECT_EQ(pieces[0].width, 20);
    pieces = Trim(text, {35, -20, 200, 20});
    ASSERT_EQ(pieces.size(), 1u);
    EXPECT_EQ(pieces[0].text, "0123");
}

TEST(MTextTest, CoveringRectangleLeavesNothingAndTinyGapsLeaveEmptyPieces) {
    TmvExpDXFMText text(Text(0, 0, 100, 10, "{\\fArial|i0|b0;ABCDEFGHI}"));
    EXPECT_TRUE(Trim(text, {-10, -20, 110, 20}).empty());
    // One unit before the rectangle is not half a character: a piece with
    // only the prefix and no width.
    const auto pieces = Trim(text, {1, -20, 110, 20});
    ASSERT_EQ(pieces.size(), 1u);
    EXPECT_EQ(pieces[0].text, "{\\fArial|i0|b0;");
    EXPECT_EQ(pieces[0].width, 0);
}

TEST(MTextTest, UpwardTextIsTrimmedAlongY) {
    TmvExpDXFMText text(Text(5, 0, 100, 10, "ABCDEFGHIJ", 90));
    const auto pieces = Trim(text, {0, 20, 20, 60});
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0].text, "AB");
    EXPECT_EQ(pieces[0].y, 0);
    EXPECT_EQ(pieces[1].text, "GHIJ");
    EXPECT_EQ(pieces[1].x, 5);
    EXPECT_EQ(pieces[1].y, 60);
    EXPECT_EQ(pieces[1].width, 40);
}

TEST(MTextTest, DownwardTextIsTrimmedAlongFallingY) {
    // From y = 100 down to y = 0; the rectangle hides y 30 to 70.
    TmvExpDXFMText text(Text(5, 100, 100, 10, "ABCDEFGHIJ", 270));
    const auto pieces = Trim(text, {-20, 30, 20, 70});
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0].text, "ABC");
    EXPECT_EQ(pieces[0].y, 100);
    EXPECT_EQ(pieces[1].text, "HIJ");
    EXPECT_EQ(pieces[1].y, 30);
    EXPECT_EQ(pieces[1].width, 30);
}

TEST(MTextTest, TextWithoutWidthOrPlainPartIsSafeToTrim) {
    EXPECT_TRUE(Trim(TmvExpDXFMText(Text(0, 0, 0, 10, "abc")), {-5, -5, 5, 5}).empty());
    const auto pieces = Trim(TmvExpDXFMText(Text(0, 0, 50, 10, "{\\fArial|i0|b0;")), {10, -5, 20, 5});
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0].text, "{\\fArial|i0|b0;");
    EXPECT_EQ(pieces[0].width, 0);
}

} // namespace
} // namespace mv
