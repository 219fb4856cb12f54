#pragma once
// Help text that fits the terminal.

#include <string>

namespace mv::cli {

// The width help is wrapped to: the terminal's when standard output is one,
// otherwise 80 columns.
std::size_t HelpWidth();

// Breaks every line longer than `width` at blanks. A continuation starts
// under the line's text column: for "  --name VALUE   description" that is
// where the description starts, otherwise where the line's text starts.
// Columns are counted in characters, not bytes (the texts are UTF-8).
std::string WrapHelp(const std::string& text, std::size_t width);

} // namespace mv::cli
