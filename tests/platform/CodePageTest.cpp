#include "platform/CodePage.h"

#include <gtest/gtest.h>

namespace mv {
namespace {

TEST(CodePage, Utf16ToAnsiMapsTheWholeTable) {
    EXPECT_EQ(Utf16ToAnsi(u"Abc 123"), "Abc 123");
    EXPECT_EQ(Utf16ToAnsi(u"\u00E4\u00F6\u00FC\u00DF\u00C4\u00FF\u00A0"), "\xE4\xF6\xFC\xDF\xC4\xFF\xA0");
    // The 0x80-0x9F row holds typographic characters, not controls.
    EXPECT_EQ(Utf16ToAnsi(u"\u20AC\u201A\u0192\u2026\u2030\u0160\u0152\u017D\u2018\u201D\u2022\u2013\u2014"
                          u"\u02DC\u2122\u0161\u0153\u017E\u0178"),
              "\x80\x82\x83\x85\x89\x8A\x8C\x8E\x91\x94\x95\x96\x97\x98\x99\x9A\x9C\x9E\x9F");
    // Undefined bytes stand for the C1 control of the same value.
    EXPECT_EQ(Utf16ToAnsi(u"\u0081\u008D\u008F\u0090\u009D"), "\x81\x8D\x8F\x90\x9D");
    // A zero unit is kept; the caller cuts at it.
    EXPECT_EQ(Utf16ToAnsi(std::u16string_view(u"a\0b", 3)), std::string("a\0b", 3));
}

TEST(CodePage, CharactersOutsideBecomeQuestionMarks) {
    // C1 controls that the code page uses for other characters, Greek,
    // CJK, a surrogate pair (one "?"), lone surrogates (one "?" each).
    EXPECT_EQ(Utf16ToAnsi(u"\u0080\u0085\u009F"), "???");
    EXPECT_EQ(Utf16ToAnsi(u"x\u03A9y\u4E2Dz"), "x?y?z");
    EXPECT_EQ(Utf16ToAnsi(u"a\U0001F600b"), "a?b");
    const char16_t lone[] = {u'a', 0xD83D, u'b', 0xDE00, u'c', 0xDE00, 0xD83D};
    EXPECT_EQ(Utf16ToAnsi(std::u16string_view(lone, 7)), "a?b?c??");
    EXPECT_EQ(Utf16ToAnsi(std::u16string_view(lone + 1, 1)), "?");
}

TEST(CodePage, EveryByteRoundTripsThroughUtf8) {
    std::string all;
    for (int b = 1; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    std::string utf8 = AnsiToUtf8(all);
    EXPECT_EQ(Utf8ToAnsi(utf8), all);
    EXPECT_EQ(AnsiToUtf8("\x80"), "\xE2\x82\xAC");
    EXPECT_EQ(AnsiToUtf8("Gr\xFC\xDF"), "Gr\xC3\xBC\xC3\x9F");
    EXPECT_EQ(AnsiToUtf8("\x81"), "\xC2\x81");
    for (int b = 0; b < 256; ++b) {
        char c = static_cast<char>(b);
        EXPECT_EQ(Utf16ToAnsi(std::u16string(1, static_cast<char16_t>(AnsiCharToUnicode(c)))),
                  std::string(1, c));
    }
}

TEST(CodePage, Utf8ToAnsiRefusesMalformedInput) {
    EXPECT_EQ(Utf8ToAnsi("\xE2\x82\xAC 5"), "\x80 5");
    EXPECT_EQ(Utf8ToAnsi("\xCE\xA9"), "?");           // outside the code page
    EXPECT_EQ(Utf8ToAnsi("\xF0\x9F\x98\x80!"), "?!"); // four-byte character: one "?"
    EXPECT_EQ(Utf8ToAnsi("a\x80"
                         "b"),
              "a?b");                               // stray continuation
    EXPECT_EQ(Utf8ToAnsi("a\xC3"), "a?");           // cut off at the end
    EXPECT_EQ(Utf8ToAnsi("\xE2\x82x"), "?x");       // cut off before a plain byte
    EXPECT_EQ(Utf8ToAnsi("\xC0\xAF"), "??");        // overlong
    EXPECT_EQ(Utf8ToAnsi("\xE0\x80\xAF"), "?");     // overlong three-byte
    EXPECT_EQ(Utf8ToAnsi("\xED\xA0\x80"), "?");     // encoded surrogate
    EXPECT_EQ(Utf8ToAnsi("\xF4\x90\x80\x80"), "?"); // beyond U+10FFFF
    EXPECT_EQ(Utf8ToAnsi("\xFF\xFE"), "??");
    EXPECT_EQ(Utf8ToAnsi(""), "");
}

std::u16string Decode(std::uint8_t charSet, std::string_view bytes,
                      std::vector<std::uint8_t>* counts = nullptr) {
    return DecodeCharset(
        charSet, std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), counts);
}

TEST(CodePage, FontCharacterSetsDecodeWithTheirCodePage) {
    EXPECT_EQ(Decode(charset::Russian, "\xCF\xF0\xE8\xE2\xE5\xF2"), u"\u041F\u0440\u0438\u0432\u0435\u0442");
    EXPECT_EQ(Decode(charset::Greek, "\xF0\xE9"), u"\u03C0\u03B9");
    EXPECT_EQ(Decode(charset::EastEurope, "\xB3\xF3"
                                          "d\xBF"),
              u"\u0142\u00F3d\u017C");
    EXPECT_EQ(Decode(charset::Hebrew, "\xF9"), u"\u05E9");
    EXPECT_EQ(Decode(charset::Oem, "\x81\xC4"), u"\u00FC\u2500");
    // ANSI, DEFAULT and unknown sets share the program's Windows-1252 table;
    // a symbol font's bytes stay glyph codes.
    EXPECT_EQ(Decode(charset::Ansi, "\x80\x81"), u"\u20AC\u0081");
    EXPECT_EQ(Decode(99, "\xE4"), u"\u00E4");
    EXPECT_EQ(Decode(charset::Symbol, "p\xAE"), u"\uF070\uF0AE");
    // A byte the code page leaves undefined.
    EXPECT_EQ(Decode(charset::Greek, "a\xAA"), u"a\uFFFD");
}

TEST(CodePage, DoubleByteCodePagesCountTheBytesOfEachCharacter) {
    std::vector<std::uint8_t> counts;
    // Nihon, a half-width katakana, a lead byte before "!" that is no trail
    // byte (read again), and a lead byte cut off at the end.
    EXPECT_EQ(Decode(charset::ShiftJis, "\x93\xFA\x96\x7B\xB1\x81!\x88", &counts),
              u"\u65E5\u672C\uFF71\uFFFD!\uFFFD");
    EXPECT_EQ(counts, (std::vector<std::uint8_t>{2, 2, 1, 1, 1, 1}));
    EXPECT_EQ(Decode(charset::Hangul, "\xC7\xD1"), u"\uD55C");
    EXPECT_EQ(Decode(charset::Gb2312, "\xD6\xD0"), u"\u4E2D");
    EXPECT_EQ(Decode(charset::ChineseBig5, "\xA4\xA4"), u"\u4E2D");
    EXPECT_EQ(Decode(charset::Johab, "\xD0\x65"), u"\uD55C");
    EXPECT_EQ(Decode(charset::ShiftJis, ""), u"");
}

TEST(CodePage, SymbolFacesShowTheirCharacters) {
    EXPECT_EQ(SymbolFaceOf("SYMBOL", charset::Default), TSymbolFace::Symbol);
    EXPECT_EQ(SymbolFaceOf("Wingdings", charset::Symbol), TSymbolFace::Wingdings);
    EXPECT_EQ(SymbolFaceOf("webdings", charset::Ansi), TSymbolFace::Webdings);
    EXPECT_EQ(SymbolFaceOf("Symbol Set", charset::Ansi), TSymbolFace::None);
    EXPECT_EQ(SymbolFaceOf("Marlett", charset::Symbol), TSymbolFace::Other);
    const TSymbolFace s = TSymbolFace::Symbol;
    EXPECT_EQ(SymbolToUnicode(s, 0xF070), U'\u03C0'); // pi
    EXPECT_EQ(SymbolToUnicode(s, 0xF0AE), U'\u2192'); // arrow right
    EXPECT_EQ(SymbolToUnicode(s, 0xF0B7), U'\u2022'); // bullet
    EXPECT_EQ(SymbolToUnicode(s, 0xF053), U'\u03A3');
    EXPECT_EQ(SymbolToUnicode(s, 'a'), U'\u03B1'); // the byte itself works too
    EXPECT_EQ(SymbolToUnicode(s, 0xF0F0), 0u);     // nothing drawn there
    EXPECT_EQ(SymbolToUnicode(s, 0xF010), U'\uF010');
    EXPECT_EQ(SymbolToUnicode(s, 0x03C0), U'\u03C0');
    const TSymbolFace w = TSymbolFace::Wingdings;
    EXPECT_EQ(SymbolToUnicode(w, 0xF0FC), U'\u2713');
    EXPECT_EQ(SymbolToUnicode(w, 0xF041), U'\u270C');
    EXPECT_EQ(SymbolToUnicode(w, 0xF084), U'\u2463'); // circled 4
    EXPECT_EQ(SymbolToUnicode(w, 0xF0C0), U'\u2022'); // a picture the table lacks
    EXPECT_EQ(SymbolToUnicode(w, 0xF020), U' ');
    EXPECT_EQ(SymbolToUnicode(TSymbolFace::Webdings, 'a'), U'\u2022');
    EXPECT_EQ(SymbolToUnicode(TSymbolFace::Other, 0xF0E4), U'\u00E4');
    EXPECT_EQ(SymbolToUnicode(TSymbolFace::None, 0xF070), U'\uF070');
}

} // namespace
} // namespace mv
