#include "cli/HelpWrap.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <sstream>
#include <vector>

namespace mv::cli {

namespace {

constexpr std::size_t NarrowestUseful = 40;

// Characters of UTF-8 text: every byte but continuation bytes.
std::size_t Columns(const std::string& s, std::size_t from = 0, std::size_t to = std::string::npos) {
    to = std::min(to, s.size());
    std::size_t n = 0;
    for (std::size_t i = from; i < to; ++i)
        if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) ++n;
    return n;
}

// Byte offset of the text column of a help line (see WrapHelp).
std::size_t TextColumn(const std::string& line) {
    const std::size_t start = line.find_first_not_of(' ');
    if (start == std::string::npos) return 0;
    const std::size_t gap = line.find("  ", start);
    if (gap == std::string::npos) return start;
    const std::size_t text = line.find_first_not_of(' ', gap);
    return text == std::string::npos ? start : text;
}

void WrapLine(const std::string& line, std::size_t width, std::string& out) {
    if (Columns(line) <= width) {
        out += line;
        return;
    }
    std::size_t column = TextColumn(line);
    // A column too far right for the width would leave no room for words.
    if (Columns(line, 0, column) + NarrowestUseful / 2 > width) column = line.find_first_not_of(' ');
    const std::string indent(Columns(line, 0, column), ' ');
    std::string current = line.substr(0, column);
    bool fresh = true; // nothing but the lead yet
    std::istringstream words(line.substr(column));
    std::string word;
    while (words >> word) {
        const std::size_t needed = Columns(current) + (fresh ? 0 : 1) + Columns(word);
        if (!fresh && needed > width) {
            out += current + '\n';
            current = indent;
            fresh = true;
        }
        if (!fresh) current += ' ';
        current += word;
        fresh = false;
    }
    out += current;
}

} // namespace

std::size_t HelpWidth() {
    winsize size{};
    if (::isatty(STDOUT_FILENO) == 1 && ::ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return std::max<std::size_t>(size.ws_col, NarrowestUseful);
    return 80;
}

std::string WrapHelp(const std::string& text, std::size_t width) {
    std::string out;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        const bool last = end == std::string::npos;
        if (last) end = text.size();
        WrapLine(text.substr(start, end - start), width, out);
        if (!last) out += '\n';
        start = end + 1;
    }
    return out;
}

} // namespace mv::cli
