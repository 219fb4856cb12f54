#include "app/BatchInputs.h"

#include "platform/Errors.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

namespace mv {

namespace {

bool EndsWithNoCase(const std::string& name, const char* suffix) {
    const std::string s = suffix;
    if (name.size() < s.size()) return false;
    return std::equal(
        s.begin(), s.end(), name.end() - static_cast<std::ptrdiff_t>(s.size()), [](char a, char b) {
            return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
        });
}

} // namespace

bool IsMetafileName(const std::string& name) {
    return EndsWithNoCase(name, ".emf") || EndsWithNoCase(name, ".wmf");
}

bool IsProjectFileName(const std::string& name) {
    return EndsWithNoCase(name, ".mvn");
}

std::vector<std::string> MetafilesInFolder(const std::string& folder) {
    namespace fs = std::filesystem;
    std::vector<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::string name = it->path().filename().string();
        std::error_code typeEc;
        if (IsMetafileName(name) && it->is_regular_file(typeEc)) names.push_back(name);
    }
    if (ec) throw TmvError("Ordner " + folder + " kann nicht gelesen werden");
    std::sort(names.begin(), names.end());
    const std::string prefix = !folder.empty() && folder.back() == '/' ? folder : folder + '/';
    for (std::string& name : names)
        name = prefix + name;
    return names;
}

} // namespace mv
