#include "image/ImageSet.h"

#include "image/PngCodec.h"
#include "platform/FileAccess.h"
#include "platform/OutputFile.h"

#include <cstdio>
#include <cstring>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>

namespace mv {

namespace {

// Images whose pixels (or embedded bytes) reach this size are written to
// their temporary file at once instead of waiting in memory: one such image
// may be most of the memory a conversion has.
constexpr std::uint64_t kStreamedSize = 16u << 20;
// Up to this much content is kept to compare images whose hashes agree;
// beyond it the 128-bit hash alone decides.
constexpr std::uint64_t kCopyBudget = 64u << 20;

std::uint64_t Mix(std::uint64_t h) {
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDull;
    h ^= h >> 33;
    h *= 0xC4CEB9FE1A85EC53ull;
    return h ^ (h >> 33);
}

// Two independent 64-bit lanes over 8-byte words; a few milliseconds for
// the largest image, so that a repeated bitmap costs no second encoding.
std::array<std::uint64_t, 2> Hash(std::uint64_t tag, std::span<const std::uint8_t> bytes) {
    std::uint64_t a = 0x243F6A8885A308D3ull ^ tag, b = 0x13198A2E03707344ull + tag;
    std::size_t i = 0;
    for (; i + 8 <= bytes.size(); i += 8) {
        std::uint64_t w;
        std::memcpy(&w, bytes.data() + i, 8);
        a = (a ^ w) * 0x9E3779B97F4A7C15ull;
        a ^= a >> 29;
        b = (b + w) * 0xC2B2AE3D27D4EB4Full;
        b = b << 31 | b >> 33;
    }
    std::uint64_t tail = 0;
    if (i < bytes.size()) std::memcpy(&tail, bytes.data() + i, bytes.size() - i);
    return {Mix(a ^ tail ^ bytes.size()), Mix(b + tail + (bytes.size() << 1))};
}

// Any directory entry counts, a dangling link too: no file is written over
// or through it.
bool EntryExists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

std::string Encode(const TRgbaImage& image) {
    std::ostringstream out(std::ios::binary);
    WritePng(image, out);
    return std::move(out).str();
}

} // namespace

struct TImageSet::TEntry {
    TImageFile File;
    std::string Extension;
    THash Hash{};
    std::vector<std::uint8_t> Copy; // the content, while the budget lasts
    bool HasCopy = false;
    std::string Bytes;                    // the file's bytes while they wait in memory
    std::unique_ptr<TOutputFile> Pending; // else its temporary file
    std::vector<std::string> PassedOver;  // taken names skipped for this file
    bool Committed = false;
};

TImageSet::TImageSet(const std::string& dxfPath)
    : folder_(ExtractFilePath(dxfPath)), copyBudget_(kCopyBudget) {
    base_ = ExtractFileName(dxfPath);
    if (const auto dot = base_.find_last_of('.'); dot != std::string::npos && dot > 0) base_.erase(dot);
}

TImageSet::~TImageSet() = default;

const TImageFile& TImageSet::File(std::size_t id) const {
    return entries_.at(id)->File;
}

std::size_t TImageSet::Find(const THash& hash, std::span<const std::uint8_t> content, const TImageFile& file,
                            const std::string& extension) const {
    for (std::size_t id = 0; id < entries_.size(); ++id) {
        const TEntry& e = *entries_[id];
        if (e.Hash != hash || e.Extension != extension || e.File.Width != file.Width ||
            e.File.Height != file.Height)
            continue;
        if (e.HasCopy && !std::equal(e.Copy.begin(), e.Copy.end(), content.begin(), content.end())) continue;
        return id;
    }
    return entries_.size();
}

TImageSet::TEntry& TImageSet::NewEntry(const THash& hash, std::span<const std::uint8_t> content,
                                       std::uint32_t width, std::uint32_t height,
                                       const std::string& extension) {
    auto entry = std::make_unique<TEntry>();
    entry->Hash = hash;
    entry->Extension = extension;
    entry->File.Width = width;
    entry->File.Height = height;
    if (content.size() <= copyBudget_) {
        copyBudget_ -= content.size();
        entry->Copy.assign(content.begin(), content.end());
        entry->HasCopy = true;
    }
    entry->File.FileName = NextFreeName(extension, entry->PassedOver);
    entries_.push_back(std::move(entry));
    return *entries_.back();
}

std::string TImageSet::NextFreeName(const std::string& extension, std::vector<std::string>& passedOver) {
    for (;;) {
        std::string name = base_ + "_" + std::to_string(nextNumber_++) + extension;
        if (!EntryExists(folder_ + name)) return name;
        passedOver.push_back(std::move(name));
    }
}

std::size_t TImageSet::Add(const TRgbaImage& image) {
    if (image.Empty()) throw std::invalid_argument("empty image");
    const std::span<const std::uint8_t> pixels = image.Pixels();
    const THash hash = Hash(std::uint64_t{image.Width()} << 32 | image.Height(), pixels);
    if (const std::size_t id = Find(hash, pixels, {"", image.Width(), image.Height()}, ".png"); id < Count())
        return id;
    TEntry& entry = NewEntry(hash, pixels, image.Width(), image.Height(), ".png");
    try {
        if (pixels.size() >= kStreamedSize) {
            entry.Pending = std::make_unique<TOutputFile>(folder_ + entry.File.FileName);
            WritePng(image, entry.Pending->Stream());
        } else {
            entry.Bytes = Encode(image);
        }
    } catch (...) {
        Drop(entry);
        throw;
    }
    return Count() - 1;
}

std::size_t TImageSet::Add(const TEmbeddedImage& image) {
    const bool jpeg = image.Kind == TEmbeddedKind::Jpeg;
    const std::string extension = jpeg ? ".jpg" : ".png";
    const std::span<const std::uint8_t> bytes = image.Bytes;
    const THash hash = Hash(jpeg ? 1 : 2, bytes);
    if (const std::size_t id = Find(hash, bytes, {"", image.Width, image.Height}, extension); id < Count())
        return id;
    TEntry& entry = NewEntry(hash, bytes, image.Width, image.Height, extension);
    try {
        if (bytes.size() >= kStreamedSize) {
            entry.Pending = std::make_unique<TOutputFile>(folder_ + entry.File.FileName);
            entry.Pending->Stream().write(reinterpret_cast<const char*>(bytes.data()),
                                          static_cast<std::streamsize>(bytes.size()));
        } else {
            entry.Bytes.assign(bytes.begin(), bytes.end());
        }
    } catch (...) {
        Drop(entry);
        throw;
    }
    return Count() - 1;
}

void TImageSet::Drop(TEntry& last) {
    if (last.HasCopy) copyBudget_ += last.Copy.size();
    entries_.pop_back();
}

TImageCommit TImageSet::Commit() {
    TImageCommit result;
    if (discarded_) return result;
    try {
        for (const auto& e : entries_) {
            if (e->Committed) continue;
            if (!e->Pending) {
                e->Pending = std::make_unique<TOutputFile>(folder_ + e->File.FileName);
                e->Pending->Stream().write(e->Bytes.data(), static_cast<std::streamsize>(e->Bytes.size()));
            }
            // Taken since Add: by another program writing into the same folder.
            while (!e->Pending->CommitNew(folder_ + e->File.FileName)) {
                e->PassedOver.push_back(e->File.FileName);
                e->File.FileName = NextFreeName(e->Extension, e->PassedOver);
                result.NamesChanged = true;
            }
            e->Committed = true;
            e->Pending.reset();
            std::string().swap(e->Bytes);
            std::string line = folder_ + e->File.FileName;
            if (e->PassedOver.size() == 1)
                line += " (" + e->PassedOver.front() + " ist belegt)";
            else if (e->PassedOver.size() > 1)
                line += " (" + e->PassedOver.front() + " und " + std::to_string(e->PassedOver.size() - 1) +
                        (e->PassedOver.size() == 2 ? " weiterer Name sind belegt)"
                                                   : " weitere Namen sind belegt)");
            result.Lines.push_back(std::move(line));
        }
    } catch (...) {
        Discard();
        throw;
    }
    return result;
}

void TImageSet::Discard() {
    discarded_ = true;
    for (const auto& e : entries_) {
        if (e->Committed) continue;
        e->Pending.reset(); // an uncommitted output file leaves nothing behind
        std::string().swap(e->Bytes);
    }
}

void TImageSet::RemoveCommitted() {
    Discard();
    for (const auto& e : entries_) {
        if (!e->Committed) continue;
        // Named only by this set a moment ago, so nothing of the user's goes.
        std::remove((folder_ + e->File.FileName).c_str());
        e->Committed = false;
    }
}

} // namespace mv
