#include "dxf/LineList.h"

#include "platform/Errors.h"

namespace mv {

void TLineList::NewBlock() {
    if (stream_) {
        Flush();
        return;
    }
    blocks_.emplace_back();
    blocks_.back().reserve(kBlockSize);
}

void TLineList::Flush() {
    if (!stream_ || blocks_.empty()) return;
    std::string& b = blocks_.back();
    stream_->write(b.data(), static_cast<std::streamsize>(b.size()));
    if (!*stream_) throw EInOutError("Fehler beim Schreiben der DXF-Datei");
    b.clear(); // keeps its room for the next lines
}

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
