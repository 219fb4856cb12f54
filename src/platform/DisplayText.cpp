#include "platform/DisplayText.h"

#include <cstdint>

namespace mv {

namespace {

// The length of the UTF-8 sequence at text[at] and its code point, or 0 when
// the bytes there are no valid sequence (overlong forms and surrogates
// included).
std::size_t DecodeUtf8(std::string_view text, std::size_t at, char32_t& cp) {
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[at + i]); };
    const std::uint8_t b0 = byte(0);
    std::size_t length;
    char32_t min;
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    } else if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2, cp = b0 & 0x1F, min = 0x80;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3, cp = b0 & 0x0F, min = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4, cp = b0 & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (text.size() - at < length) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (byte(i) & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return length;
}

bool IsControl(char32_t cp) {
    return cp < 0x20 || (cp >= 0x7F && cp <= 0x9F);
}

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
    } else {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    }
    out += static_cast<char>(0x80 | (cp & 0x3F));
}

// Copies text, handing each control character or stray byte (length 0 for
// a stray byte) to `replace`.
template <class F> std::string Rewrite(std::string_view text, F replace) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        char32_t cp = 0;
        const std::size_t length = DecodeUtf8(text, at, cp);
        if (length != 0 && !IsControl(cp)) {
            out.append(text, at, length);
        } else {
            replace(out, text.substr(at, length == 0 ? 1 : length), length == 0 ? char32_t{0xFFFD} : cp);
        }
        at += length == 0 ? 1 : length;
    }
    return out;
}

} // namespace

std::string EscapeControlChars(std::string_view text) {
    return Rewrite(text, [](std::string& out, std::string_view bytes, char32_t cp) {
        static const char hex[] = "0123456789abcdef";
        if (cp == '\n') {
            out += "\\n";
        } else if (cp == '\r') {
            out += "\\r";
        } else if (cp == '\t') {
            out += "\\t";
        } else {
            for (char c : bytes) {
                const auto b = static_cast<std::uint8_t>(c);
                out += "\\x";
                out += hex[b >> 4];
                out += hex[b & 0xF];
            }
        }
    });
}

std::string ShowControlChars(std::string_view text) {
    return Rewrite(text, [](std::string& out, std::string_view, char32_t cp) {
        if (cp < 0x20)
            AppendUtf8(out, 0x2400 + cp);
        else if (cp == 0x7F)
            AppendUtf8(out, 0x2421);
        else
            AppendUtf8(out, 0xFFFD);
    });
}

} // namespace mv
