#pragma once
// The favourite folders: the folders from which files were added to the
// batch, most recently used first, kept in folders.dat (one folder per
// line, CR LF line ends) in the program folder, or in the user's data
// folder when the program folder cannot be written.

#include <string>
#include <vector>

namespace mv {

class TFavouriteFolders {
public:
    // Remembers the file and fills the list from it: one item per line, empty
    // lines included; a line ends at LF, and a CR before it is dropped. A file
    // that cannot be read leaves the list empty, without a message.
    void Load(const std::string& filePath) { Load(filePath, filePath, false); }
    // Reads readPath and writes later changes to writePath, whose folder is
    // created when missing: for a program folder that cannot be written.
    void Load(const std::string& readPath, const std::string& writePath) { Load(readPath, writePath, true); }

    // Moves folder to the front (inserting it when new) and rewrites the file.
    // The comparison is exact, byte for byte; of several equal items the last
    // one is removed. A file that cannot be written keeps the change in
    // memory only, without a message.
    void AddToPrefFolders(const std::string& folder);

    const std::vector<std::string>& Items() const { return items_; }
    const std::string& FilePath() const { return filePath_; }

private:
    void Load(const std::string& readPath, const std::string& writePath, bool createFolder);
    bool Save() const;

    std::string filePath_;
    bool createFolder_ = false;
    std::vector<std::string> items_;
};

} // namespace mv
