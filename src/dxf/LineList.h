#pragma once
// A list of DXF text lines, held as text in which every line already carries
// its CR LF end. The text lives in blocks of about a mebibyte that are never
// moved or over-allocated, so a large drawing needs little more memory than
// its file size.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace mv {

class TLineList {
public:
    void Add(std::string_view line) {
        Buffer().append(line);
        EndLine();
    }
    // The block that the line being written goes into; the caller appends
    // the line's characters and finishes it with EndLine().
    std::string& Buffer() {
        if (blocks_.empty()) NewBlock();
        return blocks_.back();
    }
    void EndLine() {
        std::string& b = Buffer();
        b.append("\r\n", 2);
        ++count_;
        // Lines never cross blocks; a new block starts when this one is nearly full.
        if (b.size() + kReserve > kBlockSize) NewBlock();
    }
    void AddLines(const TLineList& other) {
        for (const std::string& b : other.blocks_)
            Buffer().append(b);
        count_ += other.count_;
    }
    void Clear() {
        blocks_.clear();
        blocks_.shrink_to_fit();
        count_ = 0;
    }
    std::size_t Count() const { return count_; }
    bool Empty() const { return count_ == 0; }
    // The blocks in order; together they are the lines with their CR LF ends.
    const std::vector<std::string>& Blocks() const { return blocks_; }
    // The whole text (a copy; for tests and small lists).
    std::string Text() const;
    // The lines without their ends (for tests and diagnostics).
    std::vector<std::string> Lines() const;

private:
#ifndef MV_LINE_BLOCK_SIZE
// The fuzz build takes smaller blocks: its address sanitizer maps and clears
// every large block anew, which would cost more than the conversion itself.
#define MV_LINE_BLOCK_SIZE (1 << 20)
#endif
    static constexpr std::size_t kBlockSize = MV_LINE_BLOCK_SIZE;
    static constexpr std::size_t kReserve = kBlockSize / 16; // room for the longest common line
    void NewBlock() {
        blocks_.emplace_back();
        blocks_.back().reserve(kBlockSize);
    }
    std::vector<std::string> blocks_;
    std::size_t count_ = 0;
};

} // namespace mv
