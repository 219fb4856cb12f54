// Replays every input the fuzz targets once found (tests/fuzz/regressions/
// TARGET/) through the same checks, so that a mended fault stays mended.

#include "FuzzChecks.h"
#include "TestUtil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace mv {
namespace {

namespace fs = std::filesystem;

// Inputs whose fault is known and not mended yet: the reason, by file name.
// Such an input is still run, and must then fail, so that its entry is
// dropped when the fault is mended.
struct TKnown {
    std::string Name;
    std::string Reason;
};

void Replay(const std::string& target, const std::function<std::string(std::span<const std::uint8_t>)>& check,
            const std::vector<TKnown>& known = {}) {
    const fs::path folder = fs::path(MV_SOURCE_DIR) / "tests/fuzz/regressions" / target;
    std::size_t count = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.front() == '.') continue;
        const std::string text = test::ReadText(entry.path().string());
        const std::vector<std::uint8_t> bytes(text.begin(), text.end());
        const std::string finding = check(bytes);
        auto isKnown = [&name](const TKnown& k) { return k.Name == name; };
        if (auto k = std::find_if(known.begin(), known.end(), isKnown); k != known.end())
            EXPECT_FALSE(finding.empty())
                << name << " is mended (" << k->Reason << "): drop it from the known faults";
        else
            EXPECT_EQ(finding, "") << name;
        ++count;
    }
    EXPECT_GT(count, 0u) << "no inputs in " << folder;
}

TEST(FuzzRegressions, Conversion) {
    // Non-finite values still reach the file; once the converter refuses
    // them, these inputs pass and their entries go.
    const std::vector<TKnown> known{
        {"anglearc-nan-angle", "EMR_ANGLEARC with a NaN start angle writes NAN into group 50"},
        {"huge-transform-text", "a world transform near the float limit writes an MTEXT height INF"}};
    Replay(
        "convert", [](std::span<const std::uint8_t> bytes) { return fuzz::CheckConversion(bytes); }, known);
}

TEST(FuzzRegressions, WhiteMaskAgainstReference) {
    Replay("whitemask", [](std::span<const std::uint8_t> bytes) { return fuzz::CheckWhiteMask(bytes); });
}

TEST(FuzzRegressions, ProjectRoundTrip) {
    Replay("project", [](std::span<const std::uint8_t> bytes) { return fuzz::CheckProjectRoundTrip(bytes); });
}

} // namespace
} // namespace mv
