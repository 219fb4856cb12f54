// Real enhanced metafiles and the examples: every one converts or is refused
// with a message of the system's own, and every DXF written passes the
// independent reader's audit.
#include "TestUtil.h"
#include "dxf/DXFExport.h"
#include "metafile/EnhMetafile.h"
#include "platform/Errors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

using namespace mv;
namespace fs = std::filesystem;

namespace {

std::vector<fs::path> FilesUnder(const fs::path& dir, const std::string& extension = "") {
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(dir))
        if (entry.is_regular_file() && (extension.empty() || entry.path().extension() == extension))
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace

TEST(Examples, EveryExampleMetafileConvertsAndPassesTheAudit) {
    const std::vector<fs::path> inputs = FilesUnder(fs::path(MV_SOURCE_DIR) / "examples", ".emf");
    ASSERT_FALSE(inputs.empty());
    const test::TTempDir out;
    std::vector<std::string> written;
    for (const fs::path& in : inputs) {
        TmvDXFExport exporter;
        exporter.LoadFromFile(in.string());
        written.push_back(out / (in.stem().string() + ".dxf"));
        exporter.SaveToFile(written.back());
        // A loaded file keeps no figures but makes them again while it is
        // written: the bytes are those of a drawing that keeps them.
        TmvDXFExport kept;
        kept.LoadFromMetafile(TEnhMetafile::LoadFromFile(in.string()));
        EXPECT_GT(kept.Figures().size(), 10u) << in;
        EXPECT_EQ(test::ReadText(written.back()), kept.SaveToString()) << in;
    }
    std::string report;
    EXPECT_EQ(test::RunEzdxfAudit(written, &report), 0) << report;
}

TEST(Corpus, EveryEnhancedMetafileConvertsOrIsRefusedClearly) {
    const fs::path dir = fs::path(MV_CORPUS_DIR) / "emf";
    if (!fs::is_directory(dir)) GTEST_SKIP() << "no metafile corpus at " << dir;

    const std::vector<fs::path> inputs = FilesUnder(dir);
    ASSERT_FALSE(inputs.empty());

    const test::TTempDir out;
    std::vector<std::string> written;
    std::string refused;
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        const fs::path& in = inputs[i];
        SCOPED_TRACE(in.string());
        try {
            TmvDXFExport exporter;
            exporter.LoadFromFile(in.string());
            const std::string dxf = exporter.SaveToString();
            const std::string name = out / (std::to_string(i) + "_" + in.stem().string() + ".dxf");
            std::ofstream(name, std::ios::binary) << dxf;
            written.push_back(name);
        } catch (const TmvError& e) {
            const std::string message = e.what();
            EXPECT_FALSE(message.empty());
            refused += "  " + in.filename().string() + ": " + message + "\n";
        } catch (const std::exception& e) {
            ADD_FAILURE() << "not an error of the conversion: " << e.what();
        }
    }
    if (!refused.empty()) std::cout << "Refused:\n" << refused;
    // Most of the corpus consists of sound drawings.
    EXPECT_GT(written.size(), inputs.size() / 2);

    std::string report;
    const int status = test::RunEzdxfAudit(written, &report);
    EXPECT_EQ(status, 0) << report;
}
