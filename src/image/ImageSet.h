#pragma once
// The image files of one DXF drawing. They lie in the drawing's folder and
// are named after it: `plan.dxf` gets `plan_1.png`, `plan_2.png`, ... (a
// JPEG bitmap `plan_3.jpg`, its bytes as they are). A number whose name
// some entry of the folder already has is passed over, so that nothing
// there is replaced. Identical images share one file.
//
// Files appear only as a whole and only when the set is committed, as the
// DXF file does (TOutputFile); a set that is not committed leaves nothing.
// The order of one conversion:
//   1. Add each image while the picture is interpreted; keep the id.
//   2. Write the DXF into its TOutputFile, with File(id) for each image
//      definition, and flush its stream (so that a full disk shows now).
//   3. Commit() the set. Should another program have taken a planned name
//      since Add (NamesChanged), write the DXF anew with the new names.
//   4. Commit the DXF. Should it get another name there (its own was
//      taken meanwhile), the images keep theirs: the drawing names them
//      relative to its folder, so they are still found.

#include "image/Dib.h"
#include "image/RgbaImage.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace mv {

class TOutputFile;

struct TImageFile {
    std::string FileName;    // relative to the DXF's folder
    std::uint32_t Width = 0; // pixels
    std::uint32_t Height = 0;
};

struct TImageCommit {
    // One line per file: its path, and which names were passed over because
    // they were taken ("plan_2.png (plan_1.png ist belegt)").
    std::vector<std::string> Lines;
    // A file got another name than File() said before the commit.
    bool NamesChanged = false;
};

class TImageSet {
public:
    // `dxfPath` is the path the DXF is meant to get.
    explicit TImageSet(const std::string& dxfPath);
    // Drops whatever is not committed.
    ~TImageSet();
    TImageSet(const TImageSet&) = delete;
    TImageSet& operator=(const TImageSet&) = delete;

    // Adds an image, written as PNG, and returns its id; an image with the
    // same size and pixels as an earlier one gets that one's id. A large
    // image goes to its temporary file at once (EFCreateError or
    // EInOutError when it cannot); small ones wait in memory. An empty
    // image raises std::invalid_argument.
    std::size_t Add(const TRgbaImage& image);
    // Adds an embedded JPEG or PNG bitmap, written as it is.
    std::size_t Add(const TEmbeddedImage& image);

    const TImageFile& File(std::size_t id) const;
    std::size_t Count() const { return entries_.size(); }

    // Gives every file its name (a name taken meanwhile: the next free
    // number). Raises EFCreateError or EInOutError when a file cannot be
    // completed; the files committed before stay, the rest are dropped.
    TImageCommit Commit();
    // Drops every file not yet committed; a later Commit writes nothing.
    void Discard();
    // Removes the files the set committed (the drawing that names them
    // could not be completed) and drops the rest.
    void RemoveCommitted();

private:
    using THash = std::array<std::uint64_t, 2>;
    struct TEntry;

    std::size_t Find(const THash& hash, std::span<const std::uint8_t> content, const TImageFile& file,
                     const std::string& extension) const;
    TEntry& NewEntry(const THash& hash, std::span<const std::uint8_t> content, std::uint32_t width,
                     std::uint32_t height, const std::string& extension);
    // Removes the entry just made, whose file could not be written.
    void Drop(TEntry& last);
    std::string NextFreeName(const std::string& extension, std::vector<std::string>& passedOver);

    std::string folder_; // with its trailing '/', or empty
    std::string base_;
    std::uint64_t nextNumber_ = 1;
    std::uint64_t copyBudget_;
    bool discarded_ = false;
    std::vector<std::unique_ptr<TEntry>> entries_;
};

} // namespace mv
