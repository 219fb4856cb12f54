#pragma once
// The single-byte code page in which texts reach the DXF file. Windows-1252
// stands in for the system's ANSI code page.

#include <string>
#include <string_view>

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
// The Unicode character of one Windows-1252 byte.
char32_t AnsiCharToUnicode(char c);

} // namespace mv
