#include "app/FavouriteFolders.h"

#include "platform/FileAccess.h"

#include <exception>

namespace mv {

void TFavouriteFolders::Load(const std::string& readPath, const std::string& writePath, bool createFolder) {
    filePath_ = writePath;
    createFolder_ = createFolder;
    items_.clear();
    if (readPath.empty()) return;
    std::vector<std::uint8_t> bytes;
    try {
        bytes = ReadWholeFile(readPath);
    } catch (const std::exception&) {
        return;
    }
    std::string line;
    for (std::uint8_t b : bytes) {
        if (b == '\n') {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            items_.push_back(std::move(line));
            line.clear();
        } else {
            line.push_back(static_cast<char>(b));
        }
    }
    // A last line without a line end still counts; an end after the last line
    // starts no new one.
    if (!line.empty()) {
        if (line.back() == '\r') line.pop_back();
        items_.push_back(std::move(line));
    }
}

void TFavouriteFolders::AddToPrefFolders(const std::string& folder) {
    std::size_t found = items_.size();
    for (std::size_t i = 0; i < items_.size(); ++i) {
        if (items_[i] == folder) found = i;
    }
    if (found < items_.size()) items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(found));
    items_.insert(items_.begin(), folder);
    Save();
}

bool TFavouriteFolders::Save() const {
    if (filePath_.empty()) return false;
    std::string text;
    for (const std::string& item : items_) {
        text += item;
        text += "\r\n";
    }
    try {
        const std::string folder = ExtractFilePath(filePath_);
        if (createFolder_ && !folder.empty() && !DirectoryExists(folder)) ForceDirectories(folder);
        WriteWholeFile(filePath_, {text});
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace mv
