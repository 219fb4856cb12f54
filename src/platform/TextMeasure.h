#pragma once
// Text measurement: the advance width of a string in a face at a height. The
// interpreter reaches it through this interface so that tests can use a
// stand-in with fixed metrics.

#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

namespace mv {

class ITextMeasure {
public:
    virtual ~ITextMeasure() = default;
    // Advance width of text (single-byte code page) in the face at the given
    // logical font height (a negative height is the character height, a
    // positive one the cell height, as in a Windows LOGFONT). The result is in
    // the same units as the height; a height of 0 takes a default size. The
    // face name is in the code page too; an empty name, or one that names no
    // installed face, means the platform's default face.
    virtual double TextWidth(std::string_view face, std::int32_t height, std::string_view text) = 0;
    // The same in the face's bold or italic style where it is installed (its
    // regular style otherwise).
    virtual double StyledTextWidth(std::string_view face, bool bold, bool italic, std::int32_t height,
                                   std::string_view text) {
        (void)bold;
        (void)italic;
        return TextWidth(face, height, text);
    }
    // The height of the face's capital letters at a logical font height read
    // as TextWidth reads it, in the same units: what readers of a drawing
    // take as a text's height. Without font files, five eighths of the
    // height.
    virtual double CapHeight(std::string_view face, std::int32_t height) {
        (void)face;
        return std::fabs(static_cast<double>(height)) / 1.6;
    }
    // The characters that glyph indices of the face stand for, through the
    // face's own character map (a symbol font's as U+F0xx). Empty when the
    // face is not installed as itself (the glyphs of a stand-in differ) or a
    // glyph has no character.
    virtual std::u16string GlyphsToText(std::string_view face, std::u16string_view glyphs) {
        (void)face;
        (void)glyphs;
        return {};
    }
};

// The free family made with the same advance widths as a common Windows
// face (Liberation Sans for Arial, say), or the face itself: measuring in
// it gives the widths the picture was laid out with when the Windows face
// is not installed.
std::string_view MetricCompatibleFace(std::string_view face);

// The platform's measurement (FreeType and fontconfig). Safe to use from
// several threads at once.
ITextMeasure& DefaultTextMeasure();

} // namespace mv
