// Replays every input the fuzz targets once found (tests/fuzz/regressions/
// TARGET/) through the same checks, so that a mended fault stays mended.

#include "FuzzChecks.h"
#include "TestUtil.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace mv {
namespace {

using TCheck = std::function<std::string(std::span<const std::uint8_t>)>;

// `known`: inputs whose fault is not mended yet, by file name, with the
// fault. They must still fail, so that their entry goes once it is mended.
void Replay(const std::string& target, const TCheck& check,
            const std::map<std::string, std::string>& known = {}) {
    namespace fs = std::filesystem;
    std::size_t count = 0;
    for (const auto& entry :
         fs::directory_iterator(fs::path(MV_SOURCE_DIR) / "tests/fuzz/regressions" / target)) {
        const std::string name = entry.path().filename().string();
        const std::string text = test::ReadText(entry.path().string());
        const std::string finding = check(std::vector<std::uint8_t>(text.begin(), text.end()));
        if (known.count(name))
            EXPECT_NE(finding, "") << name << " is mended (" << known.at(name) << "): drop it from the list";
        else
            EXPECT_EQ(finding, "") << name;
        ++count;
    }
    EXPECT_GT(count, 0u) << target;
}

TEST(FuzzRegressions, Conversion) {
    Replay("convert", [](auto bytes) { return fuzz::CheckConversion(bytes); });
}

TEST(FuzzRegressions, ClassicConversion) {
    // Non-finite values are refused in the classic mode too.
    auto classic = [](std::span<const std::uint8_t> bytes) {
        std::vector<std::uint8_t> copy(bytes.begin(), bytes.end());
        if (!copy.empty()) copy[0] |= 32;
        return fuzz::CheckConversion(copy);
    };
    Replay("convert", classic);
}

TEST(FuzzRegressions, WhiteMaskAgainstReference) {
    Replay("whitemask", [](auto bytes) { return fuzz::CheckWhiteMask(bytes); });
}

TEST(FuzzRegressions, ProjectRoundTrip) {
    Replay("project", [](auto bytes) { return fuzz::CheckProjectRoundTrip(bytes); });
}

} // namespace
} // namespace mv
