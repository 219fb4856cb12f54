#include "dxf/LineList.h"

namespace mv {

std::vector<std::string> TLineList::Lines() const {
    std::vector<std::string> lines;
    lines.reserve(count_);
    std::size_t start = 0;
    while (start < text_.size()) {
        std::size_t end = text_.find("\r\n", start);
        if (end == std::string::npos) end = text_.size();
        lines.emplace_back(text_, start, end - start);
        start = end + 2;
    }
    return lines;
}

} // namespace mv
