#include "platform/TextMeasure.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>

#include <string>
#include <thread>
#include <vector>

namespace mv {
namespace {

TEST(TextMeasure, WiderStringsMeasureWider) {
    ITextMeasure& m = DefaultTextMeasure();
    double i = m.TextWidth("", -100, "iiii");
    double w = m.TextWidth("", -100, "WWWW");
    EXPECT_GT(i, 0.0);
    EXPECT_GT(w, i);
    EXPECT_GT(m.TextWidth("", -100, "Hello world"), m.TextWidth("", -100, "Hello"));
    EXPECT_EQ(m.TextWidth("", -100, ""), 0.0);
    EXPECT_EQ(m.TextWidth("DejaVu Serif", 20, ""), 0.0);
    // A plausible size: a capital W is about an em wide, not a hundred.
    EXPECT_GT(w, 4 * 50.0);
    EXPECT_LT(w, 4 * 150.0);
}

TEST(TextMeasure, WidthScalesWithHeight) {
    ITextMeasure& m = DefaultTextMeasure();
    double w10 = m.TextWidth("", -10, "Metafile");
    double w40 = m.TextWidth("", -40, "Metafile");
    EXPECT_NEAR(w40, 4 * w10, 1e-9 * w40);
    double c10 = m.TextWidth("", 10, "Metafile");
    double c30 = m.TextWidth("", 30, "Metafile");
    EXPECT_NEAR(c30, 3 * c10, 1e-9 * c30);
}

TEST(TextMeasure, CellHeightIsLargerThanCharacterHeight) {
    // A positive height includes the internal leading, so the characters are
    // smaller than with the same negative height.
    ITextMeasure& m = DefaultTextMeasure();
    double em = m.TextWidth("", -100, "Metafile");
    double cell = m.TextWidth("", 100, "Metafile");
    EXPECT_LT(cell, em);
    EXPECT_GT(cell, 0.6 * em);
}

TEST(TextMeasure, ZeroHeightUsesADefaultSize) {
    ITextMeasure& m = DefaultTextMeasure();
    double w = m.TextWidth("", 0, "Metafile");
    EXPECT_GT(w, 0.0);
    EXPECT_DOUBLE_EQ(w, m.TextWidth("", 16, "Metafile"));
}

TEST(TextMeasure, UnknownFaceFallsBackToTheDefault) {
    ITextMeasure& m = DefaultTextMeasure();
    double def = m.TextWidth("", -50, "Fallback text");
    EXPECT_DOUBLE_EQ(m.TextWidth("No Such Face 4711", -50, "Fallback text"), def);
    // A generic family name is no face of its own either.
    EXPECT_DOUBLE_EQ(m.TextWidth("monospace", -50, "Fallback text"), def);
    // Names with fontconfig's pattern syntax are taken literally.
    EXPECT_DOUBLE_EQ(m.TextWidth("Sans:weight=200", -50, "Fallback text"), def);
}

TEST(TextMeasure, NamedFacesAreUsedAndMatchedWithoutCase) {
    ITextMeasure& m = DefaultTextMeasure();
    double mono = m.TextWidth("DejaVu Sans Mono", -50, "iiiiWWWW");
    if (m.TextWidth("DejaVu Sans Mono", -50, "i") == m.TextWidth("", -50, "i"))
        GTEST_SKIP() << "DejaVu Sans Mono is not installed";
    // Every character of a monospaced face has the same advance.
    EXPECT_DOUBLE_EQ(m.TextWidth("DejaVu Sans Mono", -50, "iiii"),
                     m.TextWidth("DejaVu Sans Mono", -50, "WWWW"));
    EXPECT_DOUBLE_EQ(m.TextWidth("dejavu sans MONO", -50, "iiiiWWWW"), mono);
}

TEST(TextMeasure, HighBytesAreMeasuredAsTheirCharacters) {
    ITextMeasure& m = DefaultTextMeasure();
    // The euro sign (0x80) and a-umlaut (0xE4) have glyphs of their own.
    EXPECT_GT(m.TextWidth("", -100, "\x80"), 0.0);
    EXPECT_DOUBLE_EQ(m.TextWidth("", -100, "\xE4"), m.TextWidth("", -100, "a"));
}

TEST(TextMeasure, ExtremeHeightsGiveFiniteWidths) {
    ITextMeasure& m = DefaultTextMeasure();
    double w = m.TextWidth("", INT32_MIN, "x");
    EXPECT_GT(w, 0.0);
    EXPECT_TRUE(std::isfinite(w));
    EXPECT_TRUE(std::isfinite(m.TextWidth("", INT32_MAX, "x")));
}

TEST(TextMeasure, SeveralThreadsMeasureAtOnce) {
    ITextMeasure& m = DefaultTextMeasure();
    double expected = m.TextWidth("DejaVu Serif", -30, "Parallel");
    std::vector<std::thread> threads;
    std::vector<double> results(4 * 50);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 50; ++i) {
                // Fresh names make the threads resolve faces concurrently.
                m.TextWidth("Face " + std::to_string(t * 50 + i), -30, "x");
                results[t * 50 + i] = m.TextWidth("DejaVu Serif", -30, "Parallel");
            }
        });
    }
    for (auto& th : threads)
        th.join();
    for (double r : results)
        EXPECT_DOUBLE_EQ(r, expected);
}

// Glyph numbers belong to one font file: only the face itself may read
// them, and a glyph without a character makes the whole text unreadable.
TEST(TextMeasure, GlyphIndicesAreReadThroughTheFaceItself) {
    ITextMeasure& m = DefaultTextMeasure();
    EXPECT_EQ(m.GlyphsToText("No Such Face", u"\x0024"), u"");
    EXPECT_EQ(m.GlyphsToText("", u"\x0024"), u"");
    if (m.GlyphsToText("DejaVu Sans", u"\x0024").empty()) GTEST_SKIP() << "DejaVu Sans is not installed";
    // The glyphs of the letters follow the standard order of TrueType fonts.
    EXPECT_EQ(m.GlyphsToText("DejaVu Sans", u"\x002B\x0048\x004F\x004F\x0052"), u"Hello");
    EXPECT_EQ(m.GlyphsToText("dejavu sans", std::u16string_view(u"\x0024\x0000", 2)), u""); // .notdef
    EXPECT_EQ(m.GlyphsToText("DejaVu Sans", u"\xFFFF"), u"");
}

// Pictures laid out in Windows faces are measured in their free twins.
TEST(TextMeasure, StylesAndMetricTwinsAreMeasuredInTheirOwnFiles) {
    EXPECT_EQ(MetricCompatibleFace("ARIAL"), "Liberation Sans");
    EXPECT_EQ(MetricCompatibleFace("Times New Roman"), "Liberation Serif");
    EXPECT_EQ(MetricCompatibleFace("Impact"), "Impact");
    ITextMeasure& m = DefaultTextMeasure();
    const double regular = m.TextWidth("DejaVu Sans", -50, "Hello");
    if (regular == m.TextWidth("", -50, "Hello") && m.GlyphsToText("DejaVu Sans", u"\x0024").empty())
        GTEST_SKIP() << "DejaVu Sans is not installed";
    EXPECT_DOUBLE_EQ(m.StyledTextWidth("DejaVu Sans", false, false, -50, "Hello"), regular);
    EXPECT_GT(m.StyledTextWidth("DejaVu Sans", true, false, -50, "Hello"), regular * 1.05);
    // Capitals are lower than the em and scale with it.
    const double cap = m.CapHeight("DejaVu Sans", -100);
    EXPECT_GT(cap, 60);
    EXPECT_LT(cap, 80);
    EXPECT_DOUBLE_EQ(m.CapHeight("DejaVu Sans", -200), 2 * cap);
}

} // namespace
} // namespace mv
