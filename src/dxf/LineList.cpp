#include "dxf/LineList.h"

namespace mv {

std::string TLineList::Text() const {
    std::string all;
    for (const std::string& b : blocks_)
        all += b;
    return all;
}

std::vector<std::string> TLineList::Lines() const {
    std::vector<std::string> lines;
    lines.reserve(count_);
    const std::string text = Text();
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) end = text.size();
        lines.emplace_back(text, start, end - start);
        start = end + 2;
    }
    return lines;
}

} // namespace mv
