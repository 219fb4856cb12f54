#pragma once
// A list of DXF text lines, held as one buffer in which every line already
// carries its CR LF end. Holding the lines back to back keeps a large drawing
// within a small multiple of its file size.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace mv {

class TLineList {
public:
    void Add(std::string_view line) {
        text_.append(line);
        text_.append("\r\n", 2);
        ++count_;
    }
    // Appends a line that the caller writes straight into the buffer; the
    // caller must finish it with EndLine().
    std::string& Buffer() { return text_; }
    void EndLine() {
        text_.append("\r\n", 2);
        ++count_;
    }
    void AddLines(const TLineList& other) {
        text_.append(other.text_);
        count_ += other.count_;
    }
    void Clear() {
        text_.clear();
        text_.shrink_to_fit();
        count_ = 0;
    }
    std::size_t Count() const { return count_; }
    bool Empty() const { return count_ == 0; }
    // The lines with their CR LF ends, exactly as they go into the file.
    std::string_view Text() const { return text_; }
    // The lines without their ends (for tests and diagnostics).
    std::vector<std::string> Lines() const;

private:
    std::string text_;
    std::size_t count_ = 0;
};

} // namespace mv
