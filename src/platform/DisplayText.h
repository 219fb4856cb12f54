#pragma once
// File names shown to a person. A name may hold any byte but '/' and NUL: a
// line break or an escape sequence in it must not fake a message line or
// change the terminal. Valid UTF-8 text (spaces, umlauts) stays as it is.

#include <string>
#include <string_view>

namespace mv {

// For a terminal: control characters (C0, DEL, C1) and bytes that are not
// UTF-8 become escapes: \n, \r, \t and \xHH for each byte.
std::string EscapeControlChars(std::string_view text);

// For the window: control characters become visible stand-ins (the control
// pictures, such as U+240A for a line feed), C1 characters and bytes that
// are not UTF-8 the replacement character U+FFFD.
std::string ShowControlChars(std::string_view text);

} // namespace mv
