// The text records beside EMR_EXTTEXTOUTW, and how the default mode reads
// the characters of a text.
#include "figure/MTextCodes.h"
#include "metafile/DefaultPlayer.h"
#include "metafile/GdiObjects.h"
#include "platform/CodePage.h"
#include "platform/Errors.h"

#include <algorithm>
#include <bit>
#include <limits>

namespace mv {

namespace {

// An EMR_EXTTEXTOUTW record of the text, with one advance per UTF-16 unit
// when there are advances.
std::vector<std::uint8_t> WideTextRecord(const TRectL& bounds, std::uint32_t graphicsMode, float exScale,
                                         float eyScale, const TPointL& reference, std::uint32_t options,
                                         const TRectL& rect, std::u16string_view units,
                                         const std::vector<std::int32_t>& dx) {
    if (units.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
        throw ERangeError();
    constexpr std::uint32_t offString = 76; // the fixed part with its EMRTEXT
    const auto count = static_cast<std::uint32_t>(units.size());
    const std::uint32_t stringBytes = (2 * count + 3) & ~3u;
    std::vector<std::uint8_t> bytes;
    bytes.reserve(offString + stringBytes + 4 * dx.size());
    auto u32 = [&](std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bytes.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    };
    auto box = [&](const TRectL& b) {
        for (std::int32_t v : {b.Left, b.Top, b.Right, b.Bottom})
            u32(static_cast<std::uint32_t>(v));
    };
    u32(emr::EXTTEXTOUTW);
    u32(0); // the size, below
    box(bounds);
    u32(graphicsMode);
    u32(std::bit_cast<std::uint32_t>(exScale));
    u32(std::bit_cast<std::uint32_t>(eyScale));
    u32(static_cast<std::uint32_t>(reference.x));
    u32(static_cast<std::uint32_t>(reference.y));
    u32(count);
    u32(offString);
    u32(options);
    box(rect);
    u32(dx.empty() ? 0 : offString + stringBytes);
    for (char16_t unit : units) {
        bytes.push_back(static_cast<std::uint8_t>(unit));
        bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    bytes.resize(offString + stringBytes, 0);
    for (std::int32_t d : dx)
        u32(static_cast<std::uint32_t>(d));
    const auto size = static_cast<std::uint32_t>(bytes.size());
    for (int i = 0; i < 4; ++i)
        bytes[4 + i] = static_cast<std::uint8_t>(size >> (8 * i));
    return bytes;
}

std::u16string WideUnits(std::span<const std::uint8_t> string) {
    std::u16string units;
    units.reserve(string.size() / 2);
    for (std::size_t i = 0; i + 1 < string.size(); i += 2)
        units.push_back(static_cast<char16_t>(string[i] | (string[i + 1] << 8)));
    return units;
}

// The classic faces of Windows begin with the standard glyph order of
// TrueType fonts, in which the printable ASCII characters are glyphs 3 to
// 97; such texts are read without the face. Empty for any other face or
// glyph.
std::u16string StandardOrderGlyphs(std::string_view face, std::u16string_view glyphs) {
    constexpr std::string_view kFaces[] = {"Arial", "Times New Roman", "Courier New"};
    if (std::find(std::begin(kFaces), std::end(kFaces), face) == std::end(kFaces)) return {};
    std::u16string text;
    for (char16_t glyph : glyphs) {
        if (glyph < 3 || glyph > 97) return {};
        text.push_back(static_cast<char16_t>(glyph + 29));
    }
    return text;
}

} // namespace

void TmvDefaultPlayer::OtherTextRecord(const TEmrRecord& record) {
    const TRecordReader r(record.Bytes);
    auto play = [this](const TRectL& bounds, std::uint32_t graphicsMode, float exScale, float eyScale,
                       const TEmrText& text, bool wide) {
        std::u16string units;
        std::vector<std::int32_t> dx;
        if (wide || (text.Options & eto::GlyphIndex) != 0) {
            // Glyph indices of one byte stay numbers; only characters have a code page.
            units = wide ? WideUnits(text.String) : std::u16string(text.String.begin(), text.String.end());
            for (std::uint32_t d : text.Dx)
                dx.push_back(static_cast<std::int32_t>(d));
        } else {
            std::vector<std::uint8_t> unitBytes;
            units = DecodeCharset(state_.Font ? state_.Font->CharSet : std::uint8_t{charset::Ansi},
                                  text.String, &unitBytes);
            if (text.Dx.Count() != 0) {
                // One advance per byte: a character of two bytes advances by both.
                std::size_t at = 0;
                for (std::uint8_t n : unitBytes) {
                    std::int64_t sum = 0;
                    for (std::uint8_t k = 0; k < n; ++k)
                        sum += static_cast<std::int32_t>(text.Dx[at++]);
                    if (sum < std::numeric_limits<std::int32_t>::min() ||
                        sum > std::numeric_limits<std::int32_t>::max())
                        throw ERangeError();
                    dx.push_back(static_cast<std::int32_t>(sum));
                }
            }
        }
        const std::vector<std::uint8_t> bytes = WideTextRecord(
            bounds, graphicsMode, exScale, eyScale, text.Reference, text.Options, text.Rectangle, units, dx);
        PlayRecord(TEmrRecord{emr::EXTTEXTOUTW, bytes});
    };
    switch (record.Type) {
    case emr::EXTTEXTOUTA: {
        const TEmrExtTextOutA rec = DecodeExtTextOutA(r);
        play(rec.Bounds, rec.iGraphicsMode, rec.exScale, rec.eyScale, rec.Text, false);
        break;
    }
    case emr::POLYTEXTOUTA:
    case emr::POLYTEXTOUTW: {
        const bool wide = record.Type == emr::POLYTEXTOUTW;
        const TEmrPolyTextOut rec = DecodePolyTextOut(r, wide);
        for (const TEmrText& text : rec.aEmrText)
            play(rec.Bounds, rec.iGraphicsMode, rec.exScale, rec.eyScale, text, wide);
        break;
    }
    case emr::SMALLTEXTOUT: {
        const TEmrSmallTextOut rec = DecodeSmallTextOut(r);
        TEmrText text;
        text.Reference = rec.Reference;
        text.Chars = rec.cChars;
        text.Options = rec.fuOptions & ~(eto::NoRect | eto::SmallChars);
        text.Rectangle = rec.Bounds;
        text.String = rec.TextString;
        if ((rec.fuOptions & eto::SmallChars) == 0) {
            play(rec.Bounds, rec.iGraphicsMode, rec.exScale, rec.eyScale, text, true);
            break;
        }
        // Single-byte characters are the low bytes of UTF-16 units whose high
        // byte is 0, not bytes of a code page.
        std::u16string units(text.String.begin(), text.String.end());
        std::vector<std::uint8_t> wideString;
        for (char16_t unit : units) {
            wideString.push_back(static_cast<std::uint8_t>(unit));
            wideString.push_back(0);
        }
        text.String = wideString;
        play(rec.Bounds, rec.iGraphicsMode, rec.exScale, rec.eyScale, text, true);
        break;
    }
    default:
        break;
    }
}

std::u16string TmvDefaultPlayer::ShownText(const TU16Array& units, std::uint32_t options) {
    std::u16string raw;
    raw.reserve(units.Count());
    for (std::uint16_t unit : units) {
        if (unit == 0) break;
        raw.push_back(static_cast<char16_t>(unit));
    }
    const TmvFont* font = state_.Font.get();
    const std::string face = font ? font->Name : std::string();
    if ((options & eto::GlyphIndex) != 0 && !raw.empty()) {
        // Glyph numbers belong to one font file; a stand-in would show other letters.
        const std::u16string glyphs = raw;
        raw = settings_.Measure().GlyphsToText(face, glyphs);
        if (raw.empty()) raw = StandardOrderGlyphs(face, glyphs);
        if (raw.empty()) {
            std::string message = msg::GlyphTextLeftOut;
            message.append("\"").append(AnsiToUtf8(face)).append("\"");
            Warn(message);
            return {};
        }
    }
    const TSymbolFace symbols = font ? SymbolFaceOf(font->Name, font->CharSet) : TSymbolFace::None;
    if (symbols == TSymbolFace::None) return raw;
    std::u16string shown;
    shown.reserve(raw.size());
    for (char16_t unit : raw) {
        const char32_t c = SymbolToUnicode(symbols, unit);
        if (c != 0) shown.push_back(static_cast<char16_t>(c));
    }
    return shown;
}

void TmvDefaultPlayer::Warn(const std::string& message) {
    // A hostile file could make endless different messages.
    constexpr std::size_t kMaxWarnings = 32;
    if (!settings_.OnWarning || givenWarnings_.size() >= kMaxWarnings ||
        std::find(givenWarnings_.begin(), givenWarnings_.end(), message) != givenWarnings_.end())
        return;
    givenWarnings_.push_back(message);
    settings_.OnWarning(message);
}

std::string TmvDefaultPlayer::TextContents(std::u16string_view shown) const {
    std::string contents = EncodeMText(shown);
    // Symbols are written as the characters they show; the face that drew
    // them would only turn them back into letters for a reader.
    const TmvFont* font = state_.Font.get();
    if (!font || SymbolFaceOf(font->Name, font->CharSet) != TSymbolFace::None) return contents;
    return WrapInFontCodes(contents, font->FaceName, font->Bold, font->Italic, font->Underline);
}

} // namespace mv
