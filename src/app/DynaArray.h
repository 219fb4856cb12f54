#pragma once
// A growable array with one built-in cursor. The cursor is published into a
// variable of the caller (the main window's BatchCursor), so that the
// FirstItem / NextItem loop reads the current element through that variable.
// Elements are held by value; the block grows and shrinks in steps of 100
// elements, and a change of capacity moves the elements to a new block (so a
// published address is valid only until the next append or delete).
// Not safe for use by several threads; an iteration must not be interleaved
// with SeekItem, AppendItem or DeleteItem.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>

namespace mv {

template <typename T> class TDynaArray {
public:
    static constexpr std::int32_t GrowStep = 100;

    // Does not touch *cursorRef until an operation moves the cursor.
    explicit TDynaArray(T** cursorRef = nullptr) : cursorRef_(cursorRef) {}
    TDynaArray(const TDynaArray&) = delete;
    TDynaArray& operator=(const TDynaArray&) = delete;

    std::uint32_t ItemCount() const { return count_; }
    // Elements the block holds room for: a whole multiple of GrowStep, 0
    // while there is no block.
    std::uint32_t Capacity() const { return capacity_; }
    bool HasBlock() const { return block_ != nullptr; }
    T* CurrentItem() const { return current_; }
    std::int32_t CurrentIndex() const { return currentIndex_; }

    // Element access without moving the cursor; index must be < ItemCount.
    T& operator[](std::uint32_t index) { return block_[index]; }
    const T& operator[](std::uint32_t index) const { return block_[index]; }

    // Makes element index current and publishes it. index must lie in
    // 0 .. ItemCount - 1.
    T* SeekItem(std::int32_t index) {
        currentIndex_ = index;
        Publish(&block_[index]);
        return current_;
    }

    // A new value-initialised element at the end, made current.
    T* AppendItem() {
        Resize(count_ + 1);
        ++count_;
        block_[count_ - 1] = T{};
        currentIndex_ = static_cast<std::int32_t>(count_) - 1;
        Publish(&block_[count_ - 1]);
        return current_;
    }

    // Out-of-range indices are ignored. Afterwards there is no current element.
    void DeleteItem(std::int32_t index) {
        if (index < 0 || static_cast<std::uint32_t>(index) >= count_) return;
        for (std::uint32_t i = static_cast<std::uint32_t>(index); i + 1 < count_; ++i)
            block_[i] = std::move(block_[i + 1]);
        block_[count_ - 1] = T{};
        --count_;
        Resize(count_);
        currentIndex_ = -1;
        Publish(nullptr);
    }

    void ClearItems() {
        block_.reset();
        capacity_ = 0;
        count_ = 0;
        currentIndex_ = -1;
        Publish(nullptr);
    }

    // On an empty array nothing at all happens (the cursor stays as it was).
    void FirstItem() {
        if (count_ == 0) return;
        currentIndex_ = 0;
        Publish(&block_[0]);
    }

    // Publishes the element at the cursor and steps past it; false when there
    // is none.
    bool NextItem() {
        if (count_ == 0 || currentIndex_ < 0 || static_cast<std::uint32_t>(currentIndex_) >= count_)
            return false;
        Publish(&block_[currentIndex_]);
        ++currentIndex_;
        return true;
    }

private:
    static std::uint32_t WantedCapacity(std::uint32_t count) {
        if (count == 0) return 0;
        return GrowStep * ((count - 1) / GrowStep + 1);
    }

    // Moves the elements into a block of the capacity that count needs.
    void Resize(std::uint32_t count) {
        std::uint32_t wanted = WantedCapacity(count);
        if (wanted == capacity_) return;
        if (wanted == 0) {
            block_.reset();
            capacity_ = 0;
            return;
        }
        auto block = std::make_unique<T[]>(wanted);
        std::uint32_t keep = count_ < wanted ? count_ : wanted;
        for (std::uint32_t i = 0; i < keep; ++i)
            block[i] = std::move(block_[i]);
        block_ = std::move(block);
        capacity_ = wanted;
    }

    void Publish(T* item) {
        current_ = item;
        if (cursorRef_) *cursorRef_ = item;
    }

    T** cursorRef_;
    T* current_ = nullptr;
    std::unique_ptr<T[]> block_;
    std::uint32_t count_ = 0;
    std::int32_t currentIndex_ = -1;
    std::uint32_t capacity_ = 0;
};

} // namespace mv
