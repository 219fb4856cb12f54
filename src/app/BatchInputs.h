#pragma once
// What a batch takes in: metafiles named one by one or by their folder, and
// project files, told apart by their names.

#include <string>
#include <vector>

namespace mv {

// A name ending in ".emf" or ".wmf", in any letter case.
bool IsMetafileName(const std::string& name);
// A name ending in ".mvn", in any letter case.
bool IsProjectFileName(const std::string& name);

// The full paths of the folder's regular *.emf and *.wmf files (any letter
// case), sorted by name byte for byte. Raises a TmvError when the folder
// cannot be read.
std::vector<std::string> MetafilesInFolder(const std::string& folder);

} // namespace mv
