#pragma once
// The language of MTEXT contents: format codes that start with a backslash,
// groups in braces, and the text between them. The interpreter puts texts and
// codes together, the text figure cuts and writes them, the preview reads them.

#include <cstddef>
#include <string>
#include <string_view>

namespace mv {

// A Windows-1252 text made safe for MTEXT contents: "\", "{" and "}" are
// written as "\\", "\{" and "\}", so that a Windows path or a brace in a text
// is no format code or group.
std::string EscapeMText(std::string_view ansiText);

// A Unicode text as MTEXT contents: escaped as EscapeMText does, characters
// of Windows-1252 as their byte, every other character as \U+XXXX (four
// upper-case hexadecimal digits; a character beyond the basic plane as the
// codes of its two UTF-16 halves, which readers join). A lone surrogate
// becomes U+FFFD.
std::string EncodeMText(std::u16string_view text);

// The font codes around a text, as the program has always written them:
// "{\f" + face + "|i0|b0;" (italic, then bold) + "\L" when underlined + text
// + "}"; the face "Symbol" gets "|b0|i0|c2;" instead. The text must be
// escaped already; characters of the face name that would end its code
// (";", "|", "\", "{", "}") are left out.
std::string WrapInFontCodes(std::string_view escapedText, std::string_view face, bool bold, bool italic,
                            bool underline);
// The same with a Unicode face name, whose characters outside Windows-1252
// are written as \U+XXXX codes.
std::string WrapInFontCodes(std::string_view escapedText, std::u16string_view face, bool bold, bool italic,
                            bool underline);

// Whether a text shows nothing: blanks and control characters only.
bool IsBlankText(std::u16string_view text);

// How many bytes of the contents, from pos, make one unit that must stay
// whole: an escaped character, a \U+XXXX code, a code with an argument (up to
// and with its ";"), a two-byte code such as \P or \L, or else one byte.
std::size_t MTextUnitLength(std::string_view contents, std::size_t pos);

// The length of the longest start of the contents that is at most limit bytes
// long and ends between two units; a first unit longer than limit is cut at
// limit. The length is 0 only for empty contents.
std::size_t MTextChunkLength(std::string_view contents, std::size_t limit);

// The text that the contents show, in UTF-8, for the preview: escapes and
// \U+XXXX codes resolved, \P and CR/LF as a line feed, other codes and the
// group braces left out.
std::string MTextToUtf8(std::string_view contents);

} // namespace mv
