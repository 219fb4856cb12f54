#include "figure/MTextCodes.h"

#include "platform/CodePage.h"

#include <algorithm>

namespace mv {

namespace {

bool NeedsEscape(char c) {
    return c == '\\' || c == '{' || c == '}';
}

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

char32_t HexValue(std::string_view digits) {
    char32_t v = 0;
    for (char c : digits)
        v = v * 16 + static_cast<char32_t>(c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10);
    return v;
}

// A \U+XXXX code at pos.
bool IsUnicodeCode(std::string_view s, std::size_t pos) {
    if (s.size() - pos < 7 || s[pos + 1] != 'U' || s[pos + 2] != '+') return false;
    return std::all_of(s.begin() + pos + 3, s.begin() + pos + 7, IsHexDigit);
}

void AppendCode(std::string& out, char32_t unit) {
    constexpr char digits[] = "0123456789ABCDEF";
    out += "\\U+";
    for (int shift = 12; shift >= 0; shift -= 4)
        out.push_back(digits[(unit >> shift) & 0xF]);
}

} // namespace

std::string EscapeMText(std::string_view ansiText) {
    std::string out;
    out.reserve(ansiText.size());
    for (char c : ansiText) {
        if (NeedsEscape(c)) out.push_back('\\');
        out.push_back(c);
    }
    return out;
}

std::string EncodeMText(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            AppendCode(out, unit);
            AppendCode(out, text[++i]);
            continue;
        }
        if (unit >= 0xD800 && unit <= 0xDFFF) {
            AppendCode(out, 0xFFFD);
            continue;
        }
        char byte = 0;
        // Control characters stay: the figure turns them into paragraph codes or blanks.
        if (unit < 0x20 || UnicodeToAnsiChar(unit, byte)) {
            if (unit < 0x20) byte = static_cast<char>(unit);
            if (NeedsEscape(byte)) out.push_back('\\');
            out.push_back(byte);
        } else {
            AppendCode(out, unit);
        }
    }
    return out;
}

namespace {

bool EndsFontCode(char16_t c) {
    return c == ';' || c == '|' || c == '\\' || c == '{' || c == '}';
}

// The codes around a text with a face name that is safe in its code.
std::string FontCodes(std::string_view escapedText, std::string_view safeFace, std::string_view face,
                      bool bold, bool italic, bool underline) {
    std::string out = "{\\f";
    out += safeFace;
    if (face == "Symbol")
        out += "|b0|i0|c2;";
    else
        out += std::string(italic ? "|i1" : "|i0") + (bold ? "|b1" : "|b0") + ";";
    if (underline) out += "\\L";
    out += escapedText;
    out += '}';
    return out;
}

} // namespace

std::string WrapInFontCodes(std::string_view escapedText, std::string_view face, bool bold, bool italic,
                            bool underline) {
    std::string safe;
    for (char c : face)
        if (!EndsFontCode(static_cast<unsigned char>(c))) safe.push_back(c);
    return FontCodes(escapedText, safe, face, bold, italic, underline);
}

std::string WrapInFontCodes(std::string_view escapedText, std::u16string_view face, bool bold, bool italic,
                            bool underline) {
    std::u16string kept;
    for (char16_t c : face)
        if (!EndsFontCode(c)) kept.push_back(c);
    return FontCodes(escapedText, EncodeMText(kept), Utf16ToAnsi(face), bold, italic, underline);
}

bool IsBlankText(std::u16string_view text) {
    return std::all_of(text.begin(), text.end(), [](char16_t c) {
        return c <= 0x20 || c == 0xA0 || (c >= 0x2000 && c <= 0x200B) || c == 0x3000 || c == 0xFEFF;
    });
}

std::size_t MTextUnitLength(std::string_view contents, std::size_t pos) {
    if (pos >= contents.size()) return 0;
    if (contents[pos] != '\\' || pos + 1 == contents.size()) return 1;
    if (IsUnicodeCode(contents, pos)) return 7;
    switch (contents[pos + 1]) {
    case 'f':
    case 'F':
    case 'H':
    case 'W':
    case 'T':
    case 'Q':
    case 'A':
    case 'C':
    case 'S':
    case 'p': {
        // A code with an argument runs to its ";" (or the end).
        const std::size_t end = contents.find(';', pos + 2);
        return end == std::string_view::npos ? contents.size() - pos : end + 1 - pos;
    }
    default:
        return 2;
    }
}

std::size_t MTextChunkLength(std::string_view contents, std::size_t limit) {
    if (contents.size() <= limit) return contents.size();
    std::size_t end = 0;
    while (end < contents.size()) {
        const std::size_t next = end + MTextUnitLength(contents, end);
        if (next > limit) break;
        end = next;
    }
    return end == 0 ? std::min(limit, contents.size()) : end;
}

std::string MTextToUtf8(std::string_view contents) {
    std::string out;
    out.reserve(contents.size());
    char32_t high = 0; // the first half of a pair written as two codes
    for (std::size_t pos = 0; pos < contents.size();) {
        const std::size_t length = MTextUnitLength(contents, pos);
        const char c = contents[pos];
        const std::string_view unit = contents.substr(pos, length);
        pos += length;
        if (c == '\\' && IsUnicodeCode(unit, 0)) {
            const char32_t v = HexValue(unit.substr(3));
            if (v >= 0xD800 && v <= 0xDBFF) {
                high = v;
                continue;
            }
            if (v >= 0xDC00 && v <= 0xDFFF && high != 0)
                AppendUtf8(out, 0x10000 + ((high - 0xD800) << 10) + (v - 0xDC00));
            else
                AppendUtf8(out, v >= 0xD800 && v <= 0xDFFF ? 0xFFFD : v);
            high = 0;
            continue;
        }
        high = 0;
        if (length == 1) {
            if (c == '{' || c == '}') continue;                                        // group braces
            if (c == '\r' && pos < contents.size() && contents[pos] == '\n') continue; // CR LF is one break
            AppendUtf8(out, c == '\r' ? U'\n' : AnsiCharToUnicode(c));
        } else if (length == 2) {
            const char code = unit[1];
            if (NeedsEscape(code))
                AppendUtf8(out, AnsiCharToUnicode(code));
            else if (code == 'P')
                out.push_back('\n');
            else if (code == '~')
                AppendUtf8(out, 0xA0);
        }
    }
    return out;
}

} // namespace mv
