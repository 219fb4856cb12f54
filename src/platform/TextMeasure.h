#pragma once
// Text measurement: the advance width of a string in a face at a height. The
// interpreter reaches it through this interface so that tests can use a
// stand-in with fixed metrics.

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

// The platform's measurement (FreeType and fontconfig). Safe to use from
// several threads at once.
ITextMeasure& DefaultTextMeasure();

} // namespace mv
