#pragma once
// A list of DXF text lines, held as text in which every line already carries
// its CR LF end. The text lives in blocks of about a mebibyte that are never
// moved, so a large list needs little more memory than its text.
//
// A list made over a stream holds one block only: a full block goes on to
// the stream and is filled anew, and Flush writes the rest. The exporter
// writes a whole file this way.

#include <cstddef>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace mv {

class TLineList {
public:
    TLineList() = default;
    explicit TLineList(std::ostream& stream) : stream_(&stream) {}
    TLineList(const TLineList&) = delete;
    TLineList& operator=(const TLineList&) = delete;

    void Add(std::string_view line) {
        Buffer().append(line);
        EndLine();
    }
    // The block that the line being written goes into; the caller appends
    // the line's characters and finishes it with EndLine().
    std::string& Buffer() {
        if (blocks_.empty()) blocks_.emplace_back();
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
    // A list over a stream: writes the lines it still holds. Raises
    // EInOutError when the stream fails.
    void Flush();
    void Clear() {
        blocks_.clear();
        blocks_.shrink_to_fit();
        count_ = 0;
    }
    // Lines added so far, written ones included.
    std::size_t Count() const { return count_; }
    bool Empty() const { return count_ == 0; }
    // The blocks held, in order; together they are the lines with their CR LF ends.
    const std::vector<std::string>& Blocks() const { return blocks_; }
    // The whole text held (a copy; for tests and small lists).
    std::string Text() const;
    // The lines held, without their ends (for tests and diagnostics).
    std::vector<std::string> Lines() const;

private:
#ifndef MV_LINE_BLOCK_SIZE
// The fuzz build takes smaller blocks: its address sanitizer maps and clears
// every large block anew, which would cost more than the conversion itself.
#define MV_LINE_BLOCK_SIZE (1 << 20)
#endif
    static constexpr std::size_t kBlockSize = MV_LINE_BLOCK_SIZE;
    static constexpr std::size_t kReserve = kBlockSize / 16; // room for the longest common line
    // The first block grows as it fills, so a small list stays small; later
    // ones are reserved whole, as only a large list needs them.
    void NewBlock();

    std::vector<std::string> blocks_;
    std::size_t count_ = 0;
    std::ostream* stream_ = nullptr;
};

} // namespace mv
