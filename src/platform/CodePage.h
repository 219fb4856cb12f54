#pragma once
// The single-byte code page in which texts reach the DXF file. Windows-1252
// stands in for the system's ANSI code page.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace mv {

// UTF-16 units to Windows-1252; a character outside the code page becomes "?".
std::string Utf16ToAnsi(std::u16string_view text);

// The text without the blanks and control characters (bytes up to ' ') at
// both ends.
std::string Trim(std::string_view text);
// Windows-1252 bytes to UTF-8 (for showing texts and paths to the user).
std::string AnsiToUtf8(std::string_view text);
// UTF-8 to Windows-1252; a character outside the code page becomes "?".
std::string Utf8ToAnsi(std::string_view text);
// Appends one character (up to U+10FFFF) in UTF-8.
void AppendUtf8(std::string& out, char32_t c);
// The Unicode character of one Windows-1252 byte.
char32_t AnsiCharToUnicode(char c);
// The Windows-1252 byte of a Unicode character, when the code page defines
// one for it (the five undefined bytes and their C1 controls do not count).
bool UnicodeToAnsiChar(char32_t c, char& byte);

// The character sets a font names (its lfCharSet byte).
namespace charset {
enum : std::uint8_t {
    Ansi = 0,
    Default = 1,
    Symbol = 2,
    Mac = 77,
    ShiftJis = 128,
    Hangul = 129,
    Johab = 130,
    Gb2312 = 134,
    ChineseBig5 = 136,
    Greek = 161,
    Turkish = 162,
    Vietnamese = 163,
    Hebrew = 177,
    Arabic = 178,
    Baltic = 186,
    Russian = 204,
    Thai = 222,
    EastEurope = 238,
    Oem = 255,
};
} // namespace charset

// The code page whose bytes a font of the character set writes, by its
// iconv name: "CP1252" for ANSI, DEFAULT and any set not listed, "CP437" for
// OEM, "MACINTOSH" for MAC; the symbol set has none (empty).
std::string_view CodePageOfCharset(std::uint8_t charSet);

// Text bytes of a font with the character set, as UTF-16. A symbol font's
// bytes are glyph codes, which stay in the private-use block (U+F000 + byte).
// A byte or byte pair that the code page leaves undefined becomes U+FFFD, and
// a pair that does not decode is read again from its second byte. Never
// fails; zero bytes are kept (callers cut at them). With unitBytes, one count
// per UTF-16 unit tells how many bytes it stands for (0 for the second unit of
// a surrogate pair), so that per-byte advances can be summed per character.
std::u16string DecodeCharset(std::uint8_t charSet, std::span<const std::uint8_t> bytes,
                             std::vector<std::uint8_t>* unitBytes = nullptr);

// Faces whose codes (U+F020 to U+F0FF, or the same bytes) draw pictures or
// symbols instead of the letters of the code page.
enum class TSymbolFace : std::uint8_t { None, Symbol, Wingdings, Webdings, Other };
// The face by its name (ignoring case), or Other for any other face of the
// symbol character set.
TSymbolFace SymbolFaceOf(std::string_view faceName, std::uint8_t charSet);
// The Unicode character the face shows for code c (U+F0xx or 0x20-0xFF);
// other characters pass unchanged, as does everything with None. Symbol is
// covered whole (0 where it shows nothing); Wingdings by its common pictures,
// the rest and every Webdings picture as a bullet; another symbol font's
// codes as the Windows-1252 letters they stand at.
char32_t SymbolToUnicode(TSymbolFace face, char32_t c);

} // namespace mv
