// The text records beside EMR_EXTTEXTOUTW, and how the default mode reads
// the characters of a text.
#include "figure/Colors.h"
#include "figure/MTextCodes.h"
#include "metafile/DefaultPlayer.h"
#include "metafile/GdiObjects.h"
#include "metafile/Mapping.h"
#include "platform/CodePage.h"
#include "platform/Errors.h"
#include "platform/TextMeasure.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <limits>
#include <numbers>

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

constexpr double kPi = std::numbers::pi;

// A gap or overlap between two characters wider than this share of the font
// height starts a new piece of text: columns of numbers, spaced-out letters.
constexpr double kRunBreak = 0.5;
// Width factors closer to 1 than this are the reader's own rounding.
constexpr double kWidthTolerance = 0.02;
// Factors beyond these would make the letters unreadable.
constexpr double kMinWidthFactor = 0.1;
constexpr double kMaxWidthFactor = 10;

// A piece of a text written as one MTEXT: the characters [Begin, End), which
// start Offset along the baseline and Rise across it (logical units, upward)
// from the text's start and span Width there, against Natural in the font's
// own spacing.
struct TTextRun {
    std::size_t Begin = 0;
    std::size_t End = 0;
    double Offset = 0;
    double Width = 0;
    double Natural = 0;
    double Rise = 0;
};

bool IsBlank(char16_t c) {
    return IsBlankText(std::u16string_view(&c, 1));
}

// The pieces of a text spaced by its advances: a new piece starts after a
// character whose advance differs from its width by more than breakGap, or
// that moves the next one across the baseline (rise, none or one per
// character). Blanks at either end of a piece are left out, and pieces of
// blanks only.
std::vector<TTextRun> TextRuns(std::u16string_view text, const std::vector<double>& advance,
                               const std::vector<double>& natural, const std::vector<std::int32_t>& rise,
                               double breakGap) {
    std::vector<TTextRun> runs;
    double start = 0; // where the current character starts
    std::size_t begin = 0;
    double beginAt = 0, beginRise = 0, risen = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool last = i + 1 == text.size();
        const std::int32_t up = i < rise.size() ? rise[i] : 0;
        if (last || up != 0 || !(std::fabs(advance[i] - natural[i]) <= breakGap)) {
            std::size_t b = begin, e = i + 1;
            double offset = beginAt;
            while (b < e && IsBlank(text[b]))
                offset += advance[b++];
            while (e > b && IsBlank(text[e - 1]))
                --e;
            if (b < e) {
                TTextRun run{b, e, offset, 0, 0, beginRise};
                for (std::size_t k = b; k + 1 < e; ++k) {
                    run.Width += advance[k];
                    run.Natural += natural[k];
                }
                // The last glyph ends with its own width, unless the picture
                // narrows it.
                const double lastAdvance = advance[e - 1];
                run.Width += lastAdvance > 0 ? std::min(lastAdvance, natural[e - 1]) : natural[e - 1];
                run.Natural += natural[e - 1];
                runs.push_back(run);
            }
            begin = i + 1;
            beginAt = start + advance[i];
            beginRise = risen + up;
        }
        start += advance[i];
        risen += up;
    }
    return runs;
}

// The MTEXT width factor that makes a piece span its width; empty when the
// font's spacing already does.
std::string WidthFactorCode(const TTextRun& run) {
    if (!(run.Natural > 0) || !(run.Width > 0)) return {};
    const double factor = std::clamp(run.Width / run.Natural, kMinWidthFactor, kMaxWidthFactor);
    if (!std::isfinite(factor) || std::fabs(factor - 1) < kWidthTolerance) return {};
    char digits[32];
    const auto result = std::to_chars(digits, digits + sizeof digits, factor, std::chars_format::fixed, 3);
    std::string value(digits, result.ptr);
    while (value.back() == '0')
        value.pop_back();
    if (value.back() == '.') value.pop_back();
    return "\\W" + value + ";";
}

} // namespace

void TmvDefaultPlayer::OtherTextRecord(const TEmrRecord& record) {
    const TRecordReader r(record.Bytes);
    auto play = [this](const TRectL& bounds, std::uint32_t graphicsMode, float exScale, float eyScale,
                       const TEmrText& text, bool wide) {
        std::u16string units;
        // The advances as the record made below holds them: one per
        // character, or a pair (along and across the baseline) with eto::Pdy.
        std::vector<std::int32_t> dx;
        const std::size_t step = (text.Options & eto::Pdy) != 0 ? 2 : 1;
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
                    for (std::size_t part = 0; part < step; ++part) {
                        std::int64_t sum = 0;
                        for (std::uint8_t k = 0; k < n; ++k)
                            sum += static_cast<std::int32_t>(text.Dx[step * (at + k) + part]);
                        if (sum < std::numeric_limits<std::int32_t>::min() ||
                            sum > std::numeric_limits<std::int32_t>::max())
                            throw ERangeError();
                        dx.push_back(static_cast<std::int32_t>(sum));
                    }
                    at += n;
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

std::u16string TmvDefaultPlayer::ShownText(const TU16Array& units, std::uint32_t options,
                                           TEmrTextLayout* layout) {
    std::u16string raw;
    raw.reserve(units.Count());
    for (std::uint16_t unit : units) {
        if (unit == 0) break;
        raw.push_back(static_cast<char16_t>(unit));
    }
    std::vector<std::int32_t> none;
    std::vector<std::int32_t>& advances = layout ? layout->Advances : none;
    std::vector<std::int32_t>& rises = layout ? layout->Rises : none;
    auto forget = [&] {
        advances.clear();
        rises.clear();
    };
    if (advances.size() > raw.size()) advances.resize(raw.size());
    if (rises.size() > raw.size()) rises.resize(raw.size());
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
        // A glyph of two characters leaves no advance per character.
        if (raw.size() != glyphs.size()) forget();
    }
    const TSymbolFace symbols = font ? SymbolFaceOf(font->Name, font->CharSet) : TSymbolFace::None;
    if (symbols == TSymbolFace::None) return raw;
    const bool perUnit = advances.size() == raw.size();
    std::u16string shown;
    shown.reserve(raw.size());
    std::size_t kept = 0;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const char32_t c = SymbolToUnicode(symbols, raw[i]);
        if (c != 0) {
            shown.push_back(static_cast<char16_t>(c));
            if (perUnit) {
                advances[kept] = advances[i];
                if (i < rises.size()) rises[kept] = rises[i];
                ++kept;
            }
        } else if (perUnit && kept > 0) {
            // A character left out still moves the ones after it.
            auto add = [](std::int32_t a, std::int32_t b) {
                return static_cast<std::int32_t>(
                    std::clamp<std::int64_t>(std::int64_t{a} + b, std::numeric_limits<std::int32_t>::min(),
                                             std::numeric_limits<std::int32_t>::max()));
            };
            advances[kept - 1] = add(advances[kept - 1], advances[i]);
            if (i < rises.size()) rises[kept - 1] = add(rises[kept - 1], rises[i]);
        }
    }
    if (perUnit) {
        advances.resize(kept);
        if (rises.size() > kept) rises.resize(kept);
    } else {
        forget();
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

std::string TmvDefaultPlayer::TextContents(std::u16string_view shown, std::string_view widthCode) const {
    std::string contents(widthCode);
    contents += EncodeMText(shown);
    // Symbols are written as the characters they show; the face that drew
    // them would only turn them back into letters for a reader.
    const TmvFont* font = state_.Font.get();
    if (!font || SymbolFaceOf(font->Name, font->CharSet) != TSymbolFace::None) return contents;
    return WrapInFontCodes(contents, font->FaceName, font->Bold, font->Italic, font->Underline);
}

void TmvDefaultPlayer::ExtTextOut(const TRecordReader& r) {
    constexpr std::uint32_t TA_UPDATECP = 1;
    const TEmrExtTextOutW rec = DecodeExtTextOutW(r);
    if (rec.Chars < 0) throw ERangeError();
    const auto chars = static_cast<std::uint32_t>(rec.Chars);
    TEmrTextLayout layout = DecodeTextLayout(r, chars);
    // The box is filled even without characters: a common way to paint a
    // rectangle.
    if ((layout.Options & eto::Opaque) != 0) OpaqueBox(layout.Rectangle);
    if (chars == 0) return;
    const TmvFont* font = state_.Font.get();
    const std::string face(MetricCompatibleFace(font ? font->Name : std::string()));
    // Every character the font shows, with its advance when the record gives one.
    const std::u16string shown = ShownText(DecodeTextString(r, chars), layout.Options, &layout);
    if (shown.empty()) return;
    const std::vector<std::int32_t>& advances = layout.Advances;
    const bool spaced = !advances.empty() && advances.size() == shown.size();

    const TMapping& m = state_.Mapping;
    const bool updateCP = (state_.TextAlign & TA_UPDATECP) != 0;
    const TFigPoint at = updateCP ? PositionPoint() : m.MapPoint(rec.Reference.x, rec.Reference.y);
    // The escapement turns counter-clockwise in logical space as a screen
    // shows it (y downward); a mapping that turns y up turns it round.
    const double a = (font ? font->Escapement / 10.0 : 0) * kPi / 180;
    const TFigPoint baseline = m.MapVector(std::cos(a), -std::sin(a));
    const double logicalUnit = Length(baseline); // one logical unit along the baseline
    const TFigPoint direction = logicalUnit > 0 ? baseline * (1 / logicalUnit) : TFigPoint{1, 0};

    // The font's size in logical units, or the device's own font, a cell of
    // sixteen pixels, for a height of 0.
    const std::int32_t logicalHeight = font ? font->Height : 0;
    const std::int32_t measureHeight = logicalHeight != 0 ? logicalHeight : 16;
    const double upUnit =
        logicalHeight != 0 ? Length(m.MapVector(-std::sin(a), -std::cos(a))) : m.Frame().UnitsPerPixelY();
    const double widthUnit = logicalHeight != 0 ? logicalUnit : m.Frame().UnitsPerPixelX();
    ITextMeasure& measure = settings_.Measure();
    const bool bold = font && font->Bold, italic = font && font->Italic;

    TdxfExportData d;
    d.Color = ColorToIndex(state_.TextColor, AlternativeBlack());
    d.TrueColor = TrueColorOf(state_.TextColor);
    // Readers take an MTEXT's height as the height of its capitals.
    d.Height = static_cast<float>(measure.CapHeight(face, measureHeight) * upUnit);
    d.Rotation = static_cast<float>(std::atan2(direction.y, direction.x) * 180 / kPi);
    d.Flags = font && font->Italic ? FigureFlags::Italic : FigureFlags::None;
    const int horizontal = (state_.TextAlign & 6) == 6 ? 1 : (state_.TextAlign & 2) ? 2 : 0;
    const std::uint8_t vertical = (state_.TextAlign & (8 | 16)) ? 6 : 0;

    // Along the baseline, in figure units: the advance of each character as
    // the picture places it, and its width in the font.
    std::vector<double> advance, natural;
    double total = 0;
    if (spaced) {
        advance.reserve(shown.size());
        natural.reserve(shown.size());
        for (std::size_t i = 0; i < shown.size(); ++i) {
            advance.push_back(advances[i] * logicalUnit);
            natural.push_back(
                measure.StyledTextWidth(face, bold, italic, measureHeight, Utf16ToAnsi(shown.substr(i, 1))) *
                widthUnit);
            total += advance.back();
        }
    } else {
        total = measure.StyledTextWidth(face, bold, italic, measureHeight, Utf16ToAnsi(shown)) * widthUnit;
    }
    double totalRise = 0;
    if (spaced)
        for (std::int32_t up : layout.Rises)
            totalRise += up;
    if (updateCP && logicalUnit > 0 && std::isfinite(total)) {
        const double logicalAdvance = total / logicalUnit;
        state_.Position.x += logicalAdvance * std::cos(a) - totalRise * std::sin(a);
        state_.Position.y -= logicalAdvance * std::sin(a) + totalRise * std::cos(a);
    }
    // Blanks move the position but make no figure.
    if (IsBlankText(shown)) return;

    if (!spaced) {
        d.Align = static_cast<std::uint8_t>(vertical + horizontal);
        d.TextWidth = static_cast<float>(total);
        d.Text = TextContents(shown);
        d.Point1 = ToDxf(at);
        emitter_.Text(d);
        return;
    }
    const double breakGap = kRunBreak * std::fabs(measureHeight) * upUnit;
    const std::vector<TTextRun> runs = TextRuns(shown, advance, natural, layout.Rises, breakGap);
    if (runs.size() == 1 && runs.front().Begin == 0 && runs.front().End == shown.size()) {
        // One piece: it keeps its alignment and only its width is fitted.
        d.Align = static_cast<std::uint8_t>(vertical + horizontal);
        d.TextWidth = static_cast<float>(runs.front().Width);
        d.Text = TextContents(shown, WidthFactorCode(runs.front()));
        d.Point1 = ToDxf(at);
        emitter_.Text(d);
        return;
    }
    // Several pieces, each placed from the left end of the whole text.
    const double leftShift = horizontal == 1 ? total / 2 : horizontal == 2 ? total : 0;
    const TFigPoint up = m.MapVector(-std::sin(a), -std::cos(a));
    d.Align = vertical;
    for (const TTextRun& run : runs) {
        TdxfExportData piece = d;
        piece.TextWidth = static_cast<float>(run.Width);
        piece.Text = TextContents(shown.substr(run.Begin, run.End - run.Begin), WidthFactorCode(run));
        piece.Point1 = ToDxf(at + direction * (run.Offset - leftShift) + up * run.Rise);
        emitter_.Text(piece);
    }
}

} // namespace mv
