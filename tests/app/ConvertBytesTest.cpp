#include "app/ConvertBytes.h"

#include "platform/Errors.h"

#include "TestUtil.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace mv {
namespace {

// In memory the same bytes as through files, for both input kinds and a
// switch set that touches every option; a bad input raises the file
// conversion's error.
TEST(ConvertBytes, GivesTheBytesThatConvertFileWrites) {
    test::TTempDir out;
    TBatchOptions options;
    options.R14 = true;
    options.ParseWhite = true;
    options.Use01MM = false;
    options.AlternativeBlack = true;
    options.PenWidthRatio = "0.25";
    for (const char* name : {"brushes.emf", "wmf_texts.wmf"}) {
        const std::string input = std::string(MV_SOURCE_DIR) + "/examples/" + name;
        ConvertFile(input, out / name, options);
        const std::string bytes = test::ReadText(input);
        EXPECT_EQ(ConvertBytes(std::vector<std::uint8_t>(bytes.begin(), bytes.end()), options),
                  test::ReadText(out / name))
            << name;
    }
    EXPECT_THROW(ConvertBytes(std::vector<std::uint8_t>{'E', 'M', 'F'}, {}), EInvalidMetafile);
}

} // namespace
} // namespace mv
